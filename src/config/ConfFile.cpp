#include "config/ConfFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace mova {

namespace {

constexpr char CtrlZ = 26;
constexpr char IncludeKeyword[] = "@Include";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Closes the descriptor it holds when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

struct FileIdentity {
  dev_t Device;
  ino_t Inode;
  bool operator==(const FileIdentity&) const = default;
};

// The files being read at the moment, outermost first: an include of one of
// them would never end, and their number is the nesting depth.
struct IncludeChain {
  std::vector<FileIdentity> Open;
};

int32_t LoadFile(const std::string& fileName, std::string& text, IncludeChain& chain);

// Follows an include line's first value, if the bounds allow it. The result
// of the nested load is deliberately ignored: an include that cannot be read
// contributes nothing.
void FollowInclude(const char* name, std::string& text, IncludeChain& chain) {
  if (name[0] == '\0') return;
  if (chain.Open.size() > static_cast<std::size_t>(MaxIncludeDepth)) return;
  if (text.size() >= MaxIncludedText) return;
  std::optional<std::string> expanded = ExpandEnvironmentRefs(name);
  if (!expanded) return;
  LoadFile(*expanded, text, chain);
}

// Decides what one line of a file contributes: nothing (empty, comment),
// the lines of an included file, or itself followed by a line feed.
void TakeFileLine(const std::string& line, std::string& text, IncludeChain& chain) {
  if (line.empty() || line[0] == '#') return;

  std::array<char, ConfLineSize> work{};
  std::size_t n = std::min(line.size(), ConfLineSize - 1);
  std::memcpy(work.data(), line.data(), n);
  work[n] = '\0';

  // Only a line that starts (after blanks) with the include keyword can be
  // one; the full split is done for those alone, which keeps large files fast.
  const char* first = work.data();
  while (IsBlank(*first)) ++first;
  if (std::strncmp(first, IncludeKeyword, sizeof(IncludeKeyword) - 1) == 0) {
    std::array<char, ConfLineSize> keyword{};
    std::array<char, ConfLineSize> values{};
    std::array<char*, MaxConfigValues> valuePointers{};
    int32_t count = SplitConfigLine(work.data(), keyword.data(), keyword.size(), valuePointers,
                                    values.size(), values.data());
    if (std::strcmp(keyword.data(), IncludeKeyword) == 0) {
      if (count > 0) FollowInclude(valuePointers[0], text, chain);
      return;
    }
  }
  text.append(line);
  text.push_back('\n');
}

int32_t LoadFile(const std::string& fileName, std::string& text, IncludeChain& chain) {
  // Non-blocking so that a FIFO named as a key map cannot hang start-up; it is
  // refused below anyway, as is everything but a regular file.
  FileDescriptor fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return errno != 0 ? errno : EIO;

  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return errno != 0 ? errno : EIO;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  if (!S_ISREG(info.st_mode)) return EINVAL;

  const FileIdentity identity{info.st_dev, info.st_ino};
  for (const FileIdentity& open : chain.Open) {
    if (open == identity) return ELOOP;
  }
  chain.Open.push_back(identity);
  struct PopOnExit {
    IncludeChain& Chain;
    ~PopOnExit() { Chain.Open.pop_back(); }
  } pop{chain};

  std::array<char, 4096> buffer{};
  std::string line;
  bool afterCarriageReturn = false;
  bool ended = false;
  while (!ended) {
    ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "reading " + fileName);
    }
    if (got == 0) break;
    for (ssize_t i = 0; i < got; ++i) {
      char c = buffer[static_cast<std::size_t>(i)];
      if (c == CtrlZ) {
        ended = true;
        break;
      }
      if (afterCarriageReturn) {
        afterCarriageReturn = false;
        if (c == '\n') continue;  // CR LF is one line end
      }
      if (c == '\r') {
        TakeFileLine(line, text, chain);
        line.clear();
        afterCarriageReturn = true;
        continue;
      }
      line.push_back(c);
    }
  }
  if (!line.empty()) TakeFileLine(line, text, chain);
  return 0;
}

}  // namespace

const char* TConfLine::Value(int32_t index) const {
  if (index < 0 || index >= ValueCount || Values[static_cast<std::size_t>(index)] == nullptr) return "";
  return Values[static_cast<std::size_t>(index)];
}

int32_t LoadConfigText(const std::string& fileName, std::string& text) {
  IncludeChain chain;
  return LoadFile(fileName, text, chain);
}

std::optional<std::string> ExpandEnvironmentRefs(const std::string& text, const EnvLookup& lookup) {
  constexpr std::size_t limit = ConfLineSize - 1;
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (out.size() > limit) return std::nullopt;
    if (text[i] != '%') {
      out.push_back(text[i++]);
      continue;
    }
    std::size_t close = text.find('%', i + 1);
    if (close == std::string::npos) {
      out.append(text, i, std::string::npos);
      break;
    }
    std::string name = text.substr(i + 1, close - i - 1);
    if (name.empty()) {
      // "%%" names nothing: keep the first "%" and let the second start a reference.
      out.push_back('%');
      i = close;
      continue;
    }
    std::optional<std::string> value = lookup(name);
    if (value) {
      out.append(*value);
    } else {
      out.append(text, i, close - i + 1);
    }
    i = close + 1;
  }
  if (out.size() > limit) return std::nullopt;
  return out;
}

std::optional<std::string> ExpandEnvironmentRefs(const std::string& text) {
  return ExpandEnvironmentRefs(text, [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  });
}

char* NextToken(char*& cursor) {
  while (IsBlank(*cursor)) ++cursor;
  char* end = cursor;
  while (*end != '\0' && !IsBlank(*end)) ++end;
  if (*end == '\0') return end;
  *end = '\0';
  return end + 1;
}

int32_t SplitConfigLine(char* line, char* keywordOut, std::size_t keywordCapacity,
                        std::span<char*> valuesOut, std::size_t valueBufferSize, char* valueBuffer) {
  if (valueBufferSize > 0) std::memset(valueBuffer, 0, valueBufferSize);

  char* keyword = line;
  char* rest = NextToken(keyword);
  if (keywordCapacity > 0) {
    std::size_t length = strnlen(keyword, keywordCapacity - 1);
    std::memcpy(keywordOut, keyword, length);
    keywordOut[length] = '\0';
  }
  if (*rest == '\0' || valueBufferSize == 0 || valuesOut.empty()) return 0;

  // Copy the values without the blanks outside quotes. One byte of the buffer
  // always stays zero, so the split below never runs past its end.
  bool quoted = false;
  std::size_t copied = 0;
  for (const char* p = rest; *p != '\0' && copied < valueBufferSize - 1; ++p) {
    if (*p == '"') quoted = !quoted;
    if (!quoted && IsBlank(*p)) continue;
    valueBuffer[copied++] = *p;
  }

  int32_t count = 0;
  char* p = valueBuffer;
  while (static_cast<std::size_t>(count) < valuesOut.size()) {
    char* start = p;
    if (*p == '"') {
      start = p + 1;
      char* closing = std::strchr(start, '"');
      if (closing == nullptr) break;  // an unclosed quote ends the values
      *closing = '\0';
      p = closing + 1;
    }
    while (*p != '\0' && *p != ',') ++p;
    bool comma = *p == ',';
    *p = '\0';
    valuesOut[static_cast<std::size_t>(count++)] = start;
    if (!comma) break;
    ++p;
  }
  return count;
}

TConfFile::TConfFile(const std::string& fileName) { LoadError = LoadConfigText(fileName, ConfText); }

bool TConfFile::NextLine() {
  if (LoadError != 0 || ReadPos >= ConfText.size()) return false;

  std::array<char, ConfLineSize> lineBuffer{};
  std::size_t length = 0;
  std::size_t pos = ReadPos;
  while (pos < ConfText.size() && length < ConfLineSize - 1 && ConfText[pos] != '\n') {
    lineBuffer[length++] = ConfText[pos++];
  }
  if (pos < ConfText.size() && ConfText[pos] == '\n') {
    ++pos;
  } else if (pos < ConfText.size()) {
    // An over-long line: its tail is dropped rather than handed out as a line
    // of its own, which would read as a keyword the file never meant.
    std::size_t lineFeed = ConfText.find('\n', pos);
    pos = lineFeed == std::string::npos ? ConfText.size() : lineFeed + 1;
  }
  lineBuffer[length] = '\0';
  ReadPos = pos;

  Line.ValueCount = SplitConfigLine(lineBuffer.data(), KeywordBuffer.data(), KeywordBuffer.size(),
                                    Line.Values, ValueBuffer.size(), ValueBuffer.data());
  Line.Keyword = KeywordBuffer.data();
  return true;
}

}  // namespace mova
