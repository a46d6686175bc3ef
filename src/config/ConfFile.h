#pragma once
// Line-oriented configuration files: "keyword value, value, ..." per line,
// "#" comments in the first column and "@Include" lines that pull in other files.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "framework/OperatingSystem.h"

namespace mova {

constexpr int MaxConfigValues = 64;
constexpr std::size_t ConfLineSize = 1024;  // 1023 characters and a zero byte
// Includes nest at most this deep; a deeper include line is skipped.
constexpr int MaxIncludeDepth = 16;
// At most this many include lines are followed for one configuration, found
// or not: an include of an empty or missing file reads nothing, so the read
// budget alone would let a key map of a few kilobytes make hundreds of
// thousands of opens.
constexpr int MaxIncludes = 256;
// At most this many bytes are read for one configuration, the files and
// their includes together: a key map is a few kilobytes, and a huge file (or
// a few that include each other over and over without a cycle) must not hold
// up the start or fill the memory. Reading stops there; the lines read whole
// before it are kept, the line it cuts is dropped, and later includes are
// skipped.
constexpr std::size_t MaxConfigBytes = 4u * 1024u * 1024u;

// The current line of a configuration file. The texts point into the owning
// TConfFile's buffers and stay valid until its next NextLine call.
class TConfLine {
 public:
  const char* Keyword = nullptr;
  std::array<char*, MaxConfigValues> Values{};
  int32_t ValueCount = 0;  // 0 to MaxConfigValues

  // The value at `index`, or an empty text when the line has no such value.
  const char* Value(int32_t index) const;
};

// Appends the lines of `fileName`, with its "@Include" files resolved in
// place, to `text`; every kept line is followed by one line feed. Files are
// opened and include names expanded through `system`.
// Returns 0 when the file was opened, otherwise the system's error number of
// the failed open (2 for a missing file); `text` is then unchanged. An
// include file that cannot be opened, that is already being read (directly
// or through other includes), that lies deeper than MaxIncludeDepth or that
// comes after MaxIncludes include lines or MaxConfigBytes have been read
// contributes nothing.
// Throws std::system_error when reading fails after a successful open.
int32_t LoadConfigText(IOperatingSystem& system, const std::string& fileName, std::string& text);

// One tokenizer step over a zero-terminated text: moves `cursor` over spaces
// and tabs onto the token, ends the token with a zero byte in place of the
// blank that follows it and returns the position after that blank (or the
// position of the terminating zero when the token ends the text).
char* NextToken(char*& cursor);

// Splits the zero-terminated `line` (modified in place) into a keyword, copied
// into `keywordOut` (at most keywordCapacity - 1 characters and a zero byte),
// and comma-separated values written into `valueBuffer` with their starts in
// `valuesOut`. Blanks outside double quotes are dropped; a value that starts
// with a quote runs to the next quote. At most valuesOut.size() values are
// stored; further ones are dropped. Returns the number of values stored.
int32_t SplitConfigLine(char* line, char* keywordOut, std::size_t keywordCapacity,
                        std::span<char*> valuesOut, std::size_t valueBufferSize, char* valueBuffer);

// A configuration file read whole at construction and handed out line by
// line. Comments, empty lines and include lines never reach NextLine.
class TConfFile {
 public:
  // Reads the file and its includes; LoadError tells whether it was opened.
  // Throws std::system_error when reading fails after a successful open.
  TConfFile(IOperatingSystem& system, const std::string& fileName);
  virtual ~TConfFile() = default;
  TConfFile(const TConfFile&) = delete;
  TConfFile& operator=(const TConfFile&) = delete;

  // Advances to the next line and parses it into Line; false when no line
  // remains or the file was not opened. A line longer than 1023 characters is
  // handed out cut to its first 1023; the rest of it is dropped.
  bool NextLine();

  std::array<char, ConfLineSize> KeywordBuffer{};
  std::array<char, ConfLineSize> ValueBuffer{};
  std::string ConfText;
  std::size_t ReadPos = 0;  // characters of ConfText consumed so far
  int32_t LoadError = 0;
  TConfLine Line;
};

}  // namespace mova
