#include "framework/CommandLine.h"

#include <gtest/gtest.h>

#include "framework/PathNames.h"

namespace mova {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, ControlCodesAndBlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(SplitCommandLine("mova.exe clip.avi second"), (Args{"mova.exe", "clip.avi", "second"}));
  EXPECT_EQ(SplitCommandLine("  a\tb\x01\x1f" "c\r\nd  "), (Args{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\mova.exe\" \"/prof=C:\\my cfg\""),
            (Args{"C:\\Program Files\\mova.exe", "/prof=C:\\my cfg"}));
  EXPECT_EQ(SplitCommandLine("a\"b c\"d e"), (Args{"ab cd", "e"}));
  EXPECT_EQ(SplitCommandLine("x \"\" y \"unclosed rest"), (Args{"x", "y", "unclosed rest"}));
  EXPECT_EQ(SplitCommandLine("caf\xe9 \xa0"), (Args{"caf\xe9", "\xa0"})) << "bytes above 127 are text";
  EXPECT_EQ(SplitCommandLine(""), Args{});
}

TEST(PathNames, TheNamePartStartsAfterTheLastSeparator) {
  const TPathRules posix{'/', false};
  const TPathRules windows{'\\', true};
  EXPECT_EQ(FileNameStart("/a/b.avi", posix), 3u);
  EXPECT_EQ(FileNameStart("c:b.avi", posix), 0u);
  EXPECT_EQ(FileNameStart("c:b.avi", windows), 2u);
  EXPECT_EQ(FileNameStart("C:\\x\\b.avi", windows), 5u);
  EXPECT_EQ(WithTrailingSeparator("C:\\cfg", windows), "C:\\cfg\\");
  EXPECT_EQ(WithTrailingSeparator("C:\\cfg\\", windows), "C:\\cfg\\");
  EXPECT_EQ(WithTrailingSeparator("x/", windows), "x/\\");
}

}  // namespace
}  // namespace mova
