#include "config/ConfFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <system_error>
#include <vector>

#include "framework/EnvironmentRefs.h"
#include "support/HostSystem.h"
#include "support/MemorySystem.h"
#include "support/TempDir.h"

namespace mova {
namespace {

using testing::TempDir;

struct ParsedLine {
  std::string Keyword;
  std::vector<std::string> Values;
  bool operator==(const ParsedLine&) const = default;
};

void PrintTo(const ParsedLine& line, std::ostream* out) {
  *out << '[' << line.Keyword;
  for (const std::string& v : line.Values) *out << " |" << v << '|';
  *out << ']';
}

std::vector<ParsedLine> ReadLines(const std::string& fileName) {
  TConfFile file(test::HostSystem(), fileName);
  std::vector<ParsedLine> lines;
  while (file.NextLine()) {
    ParsedLine line{file.Line.Keyword, {}};
    for (int32_t i = 0; i < file.Line.ValueCount; ++i) line.Values.emplace_back(file.Line.Values[i]);
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Keywords(const std::string& fileName) {
  std::vector<std::string> keywords;
  for (const ParsedLine& line : ReadLines(fileName)) keywords.push_back(line.Keyword);
  return keywords;
}

ParsedLine Split(std::string text) {
  std::array<char, ConfLineSize> keyword{};
  std::array<char, ConfLineSize> values{};
  std::array<char*, MaxConfigValues> pointers{};
  int32_t count = SplitConfigLine(text.data(), keyword.data(), keyword.size(), pointers, values.size(), values.data());
  ParsedLine line{keyword.data(), {}};
  for (int32_t i = 0; i < count; ++i) line.Values.emplace_back(pointers[i]);
  return line;
}

TEST(ConfFileLines, CarriageReturnWithOrWithoutLineFeedEndsALine) {
  TempDir dir;
  std::vector<ParsedLine> expected{{"a", {"1"}}, {"b", {"2"}}, {"c", {"3"}}};
  EXPECT_EQ(ReadLines(dir.Write("crlf", "a 1\r\nb 2\r\n\r\nc 3\r\n")), expected);
  EXPECT_EQ(ReadLines(dir.Write("cr", "a 1\rb 2\r\r\rc 3")), expected);

  TConfFile file(test::HostSystem(), dir.Path("cr"));
  EXPECT_EQ(file.ConfText, "a 1\nb 2\nc 3\n");
}

TEST(ConfFileLines, LineFeedsAloneMakeOneFileLineThatNextLineStillSplits) {
  TempDir dir;
  // The comment test sees only the start of the single file line...
  EXPECT_TRUE(ReadLines(dir.Write("commented", "# note\nSpace Pause\n")).empty());
  // ...while the pieces between line feeds come out one by one, empty ones included.
  std::vector<ParsedLine> expected{{"x", {"1"}}, {"", {}}, {"y", {"2"}}};
  EXPECT_EQ(ReadLines(dir.Write("lf", "x 1\n\ny 2")), expected);
}

TEST(ConfFileLines, CommentsInColumnOneCtrlZAndZeroBytes) {
  TempDir dir;
  EXPECT_EQ(Keywords(dir.Write("comments", "#x 1\r  #y 2\ra#b 3\r")), (std::vector<std::string>{"#y", "a#b"}));
  EXPECT_EQ(Keywords(dir.Write("ctrlz", "a 1\rb 2\x1a c 3\rd 4\r")), (std::vector<std::string>{"a", "b"}));
  const char zeros[] = "ab\0cd 1\rc 2\r\0\r";
  EXPECT_EQ(Keywords(dir.Write("zeros", std::string(zeros, sizeof(zeros) - 1))), (std::vector<std::string>{"ab", "c", ""}));
}

TEST(ConfFileLines, AnOverlongLineIsCutAndItsRestDropped) {
  TempDir dir;
  std::string longLine(100000, 'x');
  std::string name = dir.Write("long", longLine + "\rnext 1\r" + std::string(1500, 'y') + " tail\r");
  TConfFile file(test::HostSystem(), name);
  EXPECT_EQ(file.ConfText.size(), longLine.size() + 1 + 7 + 1500 + 6) << "kept whole while loading";
  std::vector<ParsedLine> lines = ReadLines(name);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Keyword, std::string(1023, 'x'));
  EXPECT_EQ(lines[1], (ParsedLine{"next", {"1"}}));
  EXPECT_EQ(lines[2].Keyword, std::string(1023, 'y'));
}

TEST(ConfFileSplit, KeywordsValuesBlanksAndQuotes) {
  const std::map<std::string, ParsedLine> cases{
      {"Key", {"Key", {}}},
      {"Key ", {"Key", {}}},
      {"Key  ", {"Key", {""}}},  // the rest after the first blank is not empty
      {"  \tKey\tv", {"Key", {"v"}}},
      {"   ", {"", {}}},
      {"Key a,b,", {"Key", {"a", "b", ""}}},
      {"Right Seek Forward", {"Right", {"SeekForward"}}},
      {"Key \"a, b\" , c", {"Key", {"a, b", "c"}}},
      {"Key \"a\"junk,c", {"Key", {"a", "c"}}},
      {"Key a,\"open, c", {"Key", {"a"}}},
      {"Key a\"b c\"d", {"Key", {"a\"b c\"d"}}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Split(text), expected) << text;
}

TEST(ConfFileSplit, ValuesBeyondSixtyFourAreDropped) {
  std::string text = "k ";
  for (int i = 0; i < 70; ++i) text += std::to_string(i) + ",";
  ParsedLine line = Split(text);
  ASSERT_EQ(line.Values.size(), 64u);
  EXPECT_EQ(line.Values[63], "63");
}

TEST(ConfFileSplit, AFullValueBufferStaysTerminated) {
  std::string text = "k abcdefgh,ij";
  std::array<char, 16> keyword{};
  std::array<char, 5> values{};
  std::array<char*, 4> pointers{};
  ASSERT_EQ(SplitConfigLine(text.data(), keyword.data(), keyword.size(), pointers, values.size(), values.data()), 1);
  EXPECT_STREQ(pointers[0], "abcd");

  std::string longKeyword = "abcdefghij v";
  std::array<char, 4> shortKeyword{};
  SplitConfigLine(longKeyword.data(), shortKeyword.data(), shortKeyword.size(), pointers, values.size(), values.data());
  EXPECT_STREQ(shortKeyword.data(), "abc");
}

TEST(ConfFileIncludes, IncludedLinesTakeThePlaceOfTheIncludeLine) {
  TempDir dir;
  dir.Write("inner", "b 2\r@Include\r@Include \"\"\rc 3\r");
  std::string outer = dir.Write("outer", "a 1\r  @Include " + dir.Path("inner") + ", ignored\rd 4\r@include x\r");
  EXPECT_EQ(Keywords(outer), (std::vector<std::string>{"a", "b", "c", "d", "@include"}));
}

TEST(ConfFileIncludes, EnvironmentReferencesInTheNameAreExpandedBySystem) {
  test::TMemorySystem system;
  system.Environment["KEYS"] = "/etc/keys";
  system.Files["/etc/keys/inner"] = "b 2\r";
  system.Files["outer"] = "a 1\r@Include %KEYS%/inner\r@Include %UNSET%/inner\r";
  std::string text;
  EXPECT_EQ(LoadConfigText(system, "outer", text), 0);
  EXPECT_EQ(text, "a 1\nb 2\n");
}

TEST(ConfFileIncludes, FilesThatIncludeThemselvesAreReadOnce) {
  TempDir dir;
  std::string self = dir.Write("self", "a 1\r@Include " + dir.Path("self") + "\rb 2\r");
  EXPECT_EQ(Keywords(self), (std::vector<std::string>{"a", "b"}));

  dir.Write("one", "x 1\r@Include " + dir.Path("two") + "\rx 2\r");
  dir.Write("two", "y 1\r@Include " + dir.Path("one") + "\ry 2\r");
  EXPECT_EQ(Keywords(dir.Path("one")), (std::vector<std::string>{"x", "y", "y", "x"}));
}

TEST(ConfFileIncludes, AFileMayBeIncludedAgainAfterItHasBeenRead) {
  TempDir dir;
  dir.Write("leaf", "k 1\r");
  std::string twice = dir.Write("twice", "@Include " + dir.Path("leaf") + "\r@Include " + dir.Path("leaf") + "\r");
  EXPECT_EQ(Keywords(twice).size(), 2u);
}

TEST(ConfFileIncludes, NestingStopsAtTheDepthLimit) {
  TempDir dir;
  const int files = MaxIncludeDepth + 5;
  for (int i = 0; i < files; ++i) {
    dir.Write("f" + std::to_string(i), "level " + std::to_string(i) + "\r@Include " + dir.Path("f" + std::to_string(i + 1)) + "\r");
  }
  std::vector<ParsedLine> lines = ReadLines(dir.Path("f0"));
  ASSERT_EQ(lines.size(), static_cast<size_t>(MaxIncludeDepth + 1));
  EXPECT_EQ(lines.back().Values, (std::vector<std::string>{std::to_string(MaxIncludeDepth)}));
}

TEST(ConfFileIncludes, MissingFoldersAndOtherUnreadableIncludesContributeNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path("folder"));
  std::string outer = dir.Write("outer", "a 1\r@Include " + dir.Path("missing") + "\r@Include " + dir.Path("folder") +
                                             "\rb 2\r");
  EXPECT_EQ(Keywords(outer), (std::vector<std::string>{"a", "b"}));
}

TEST(ConfFileLimits, ReadingStopsAtTheBudgetKeepingTheWholeLinesBeforeIt) {
  test::TMemorySystem system;
  // Whole lines, then a line the budget cuts, then lines never reached.
  const std::string comments(MaxConfigBytes / 2, '#');
  system.Files["huge"] = "a 1\r" + comments + "\r" + "@Include loop\r" + std::string(MaxConfigBytes, 'x') + "\rz 9\r";
  system.Files["loop"] = "b 2\r" + comments + "\r";  // no cycle, but each include reads it again
  std::string text;
  EXPECT_EQ(LoadConfigText(system, "huge", text), 0);
  EXPECT_EQ(text, "a 1\nb 2\n");

  // Files that include each other over and over stop at the budget too.
  std::string fan;
  for (int i = 0; i < 8; ++i) fan += "@Include loop\r";
  system.Files["fan"] = fan;
  text.clear();
  EXPECT_EQ(LoadConfigText(system, "fan", text), 0);
  EXPECT_EQ(text, "b 2\nb 2\n") << "two passes over the included file fit the budget";
}

TEST(ConfFileLimits, IncludeLinesAreFollowedUpToTheirLimitFoundOrNot) {
  test::TMemorySystem system;
  system.Files["leaf"] = "k 1\r";
  std::string many;
  for (int i = 0; i < 100; ++i) many += "@Include missing\r@Include empty\r";
  system.Files["empty"] = "";
  for (int i = 0; i < MaxIncludes; ++i) many += "@Include leaf\r";
  system.Files["many"] = many + "z 9\r";
  std::string text;
  EXPECT_EQ(LoadConfigText(system, "many", text), 0);
  std::string expected;
  for (int i = 0; i < MaxIncludes - 200; ++i) expected += "k 1\n";
  EXPECT_EQ(text, expected + "z 9\n") << "the missing and empty files count too; the file's own lines stay";
}

TEST(ConfFileErrors, AFileThatCannotBeOpenedLeavesTheTextAndReportsWhy) {
  test::TMemorySystem system;
  system.Folders.insert("folder");
  std::string text = "kept\n";
  EXPECT_EQ(LoadConfigText(system, "missing", text), test::TMemorySystem::NotFound);
  EXPECT_EQ(LoadConfigText(system, "folder", text), test::TMemorySystem::IsFolder);
  EXPECT_EQ(text, "kept\n");

  TConfFile missing(system, "missing");
  EXPECT_EQ(missing.LoadError, 2);
  EXPECT_FALSE(missing.NextLine());
}

TEST(ConfFileErrors, AReadErrorAfterOpeningIsThrown) {
  test::TMemorySystem system;
  system.Files["keymap"] = std::string(10000, 'k');
  system.ReadFailsAt["keymap"] = 5000;  // past the first block
  EXPECT_THROW(TConfFile(system, "keymap"), std::system_error);
}

TEST(ConfFileExpand, ReferencesToSetVariablesAreReplacedOthersKept) {
  auto lookup = [](const std::string& name) -> std::optional<std::string> {
    if (name == "HOME") return std::string("/home/u");
    if (name == "BIG") return std::string(1000, 'b');
    return std::nullopt;
  };
  EXPECT_EQ(ExpandEnvironmentRefs("%HOME%/keys", lookup, 1023), "/home/u/keys");
  EXPECT_EQ(ExpandEnvironmentRefs("%NOPE%/%HOME%", lookup, 1023), "%NOPE%//home/u");
  EXPECT_EQ(ExpandEnvironmentRefs("100%", lookup, 1023), "100%");
  EXPECT_EQ(ExpandEnvironmentRefs("%%HOME%", lookup, 1023), "%/home/u");
  EXPECT_EQ(ExpandEnvironmentRefs("%BIG%", lookup, 1023)->size(), 1000u);
  EXPECT_EQ(ExpandEnvironmentRefs("%BIG%%BIG%", lookup, 1023), std::nullopt) << "longer than 1023 characters";
}

}  // namespace
}  // namespace mova
