#include "config/ConfFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace mova {

namespace {

constexpr char CtrlZ = 26;
constexpr char IncludeKeyword[] = "@Include";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The files being read at the moment, outermost first: an include of one of
// them would never end, and their number is the nesting depth.
struct IncludeChain {
  IOperatingSystem& System;
  std::vector<TFileIdentity> Open;
  std::size_t BytesRead = 0;  // of every file so far, up to MaxConfigBytes
  int Includes = 0;           // include lines followed so far, up to MaxIncludes
};

int32_t LoadFile(const std::string& fileName, std::string& text, IncludeChain& chain);

// Follows an include line's first value, if the bounds allow it. The result
// of the nested load is deliberately ignored: an include that cannot be read
// contributes nothing.
void FollowInclude(const char* name, std::string& text, IncludeChain& chain) {
  if (name[0] == '\0') return;
  if (chain.Open.size() > static_cast<std::size_t>(MaxIncludeDepth)) return;
  if (chain.BytesRead >= MaxConfigBytes) return;
  if (chain.Includes >= MaxIncludes) return;
  ++chain.Includes;
  std::optional<std::string> expanded = chain.System.ExpandEnvironment(name, ConfLineSize - 1);
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
  int32_t error = 0;
  const std::unique_ptr<IReadableFile> file = chain.System.OpenForReading(fileName, error);
  if (!file) return error != 0 ? error : -1;

  const TFileIdentity identity = file->Identity();
  for (const TFileIdentity& open : chain.Open) {
    // Already being read: an include loop. Only an include line gets here,
    // and its result is not looked at.
    if (open == identity) return -1;
  }
  chain.Open.push_back(identity);
  struct PopOnExit {
    IncludeChain& Chain;
    ~PopOnExit() { Chain.Open.pop_back(); }
  } pop{chain};

  std::array<uint8_t, 4096> buffer{};
  int64_t offset = 0;
  std::string line;
  bool afterCarriageReturn = false;
  bool ended = false;
  bool cut = false;  // the read budget ran out before the file did
  while (!ended) {
    const std::size_t allowed = std::min(buffer.size(), MaxConfigBytes - std::min(chain.BytesRead, MaxConfigBytes));
    if (allowed == 0) {
      cut = true;
      break;
    }
    const TReadResult got = file->ReadAt(offset, std::span<uint8_t>(buffer.data(), allowed));
    if (got.Error != 0) throw std::system_error(got.Error, std::system_category(), "reading " + fileName);
    if (got.Count == 0) break;
    offset += static_cast<int64_t>(got.Count);
    chain.BytesRead += got.Count;
    const char* bytes = reinterpret_cast<const char*>(buffer.data());
    std::size_t i = 0;
    while (i < got.Count) {
      if (afterCarriageReturn) {
        afterCarriageReturn = false;
        if (bytes[i] == '\n') {  // CR LF is one line end
          ++i;
          continue;
        }
      }
      // The line runs on to the next carriage return or Ctrl+Z.
      std::size_t end = i;
      while (end < got.Count && bytes[end] != '\r' && bytes[end] != CtrlZ) ++end;
      line.append(bytes + i, end - i);
      if (end == got.Count) break;
      if (bytes[end] == CtrlZ) {
        ended = true;
        break;
      }
      TakeFileLine(line, text, chain);
      line.clear();
      afterCarriageReturn = true;
      i = end + 1;
    }
  }
  if (!line.empty() && !cut) TakeFileLine(line, text, chain);
  return 0;
}

}  // namespace

const char* TConfLine::Value(int32_t index) const {
  if (index < 0 || index >= ValueCount || Values[static_cast<std::size_t>(index)] == nullptr) return "";
  return Values[static_cast<std::size_t>(index)];
}

int32_t LoadConfigText(IOperatingSystem& system, const std::string& fileName, std::string& text) {
  IncludeChain chain{system, {}};
  return LoadFile(fileName, text, chain);
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

TConfFile::TConfFile(IOperatingSystem& system, const std::string& fileName) {
  LoadError = LoadConfigText(system, fileName, ConfText);
}

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
