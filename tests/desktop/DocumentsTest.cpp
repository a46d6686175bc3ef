// The README, the manual page and the text in the Windows zip name the
// program's commands and its default keys by hand; these tests hold them to
// the command table and the default bindings, so that none of them drifts.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/ProgramTables.h"

namespace mova::test {
namespace {

using Names = std::set<std::string>;
using Bindings = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> Lines(const std::string& name) {
  std::ifstream in(std::string(MOVA_SOURCE_DIR) + "/" + name);
  EXPECT_TRUE(in.good()) << name;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

Names TableNames() {
  Names names;
  for (const TCmd& command : CommandTable) names.insert(command.Name);
  return names;
}

Bindings TableDefaults() {
  Bindings bindings;
  for (size_t i = 0; i + 1 < AllDefaultBindings.size(); i += 2)
    bindings.emplace_back(AllDefaultBindings[i], AllDefaultBindings[i + 1]);
  std::sort(bindings.begin(), bindings.end());
  return bindings;
}

// README.md: the words in backticks of the list item "Command names ...",
// whose backticks may open on one line and close on the next.
Names ReadmeNames() {
  std::string item;
  for (const std::string& line : Lines("README.md")) {
    if (StartsWith(line, "- Command names")) {
      item = line;
    } else if (!item.empty() && (line.empty() || StartsWith(line, "- "))) {
      break;
    } else if (!item.empty()) {
      item += " " + line;
    }
  }
  Names names;
  for (size_t open = item.find('`'); open != std::string::npos; open = item.find('`', open)) {
    const size_t close = item.find('`', open + 1);
    if (close == std::string::npos) break;
    for (const std::string& word : Words(item.substr(open + 1, close - open - 1))) names.insert(word);
    open = close + 1;
  }
  return names;
}

// The lines of the manual page's subsection `title`, up to the next heading.
std::vector<std::string> ManSection(const std::string& title) {
  std::vector<std::string> section;
  bool inSection = false;
  for (const std::string& line : Lines("docs/mova.1.in")) {
    if (line == ".SS " + title) {
      inSection = true;
    } else if (inSection && (StartsWith(line, ".SS") || StartsWith(line, ".SH"))) {
      break;
    } else if (inSection) {
      section.push_back(line);
    }
  }
  return section;
}

// ".TP", ".B term", then the text: the terms with the first word of their text.
Bindings ManTerms(const std::string& title) {
  const std::vector<std::string> lines = ManSection(title);
  Bindings terms;
  for (size_t i = 0; i + 2 < lines.size(); ++i) {
    if (StartsWith(lines[i], ".TP") && StartsWith(lines[i + 1], ".B ")) {
      const std::vector<std::string> text = Words(lines[i + 2]);
      terms.emplace_back(lines[i + 1].substr(3), text.empty() ? "" : text.front());
    }
  }
  return terms;
}

// The Windows text: the first two words of each line of the indented list
// under the line `title`.
Bindings WindowsList(const std::string& title) {
  const std::vector<std::string> lines = Lines("resources/mova-windows.txt.in");
  Bindings list;
  auto line = std::find(lines.begin(), lines.end(), title);
  EXPECT_NE(line, lines.end()) << title;
  if (line == lines.end()) return list;
  for (++line; line != lines.end() && StartsWith(*line, "  "); ++line) {
    const std::vector<std::string> words = Words(*line);
    list.emplace_back(words.at(0), words.size() > 1 ? words[1] : "");
  }
  return list;
}

Names FirstOfEach(const Bindings& list) {
  Names names;
  for (const auto& [first, second] : list) names.insert(first);
  return names;
}

Bindings Sorted(Bindings list) {
  std::sort(list.begin(), list.end());
  return list;
}

TEST(Documents, EveryCommandOfTheTableIsNamedInTheReadmeTheManualPageAndTheWindowsTextAndNoOther) {
  const Names table = TableNames();
  ASSERT_EQ(table.size(), CommandTable.size());
  EXPECT_EQ(ReadmeNames(), table) << "README.md, the list item \"Command names\"";
  EXPECT_EQ(FirstOfEach(ManTerms("Commands")), table) << "docs/mova.1.in, .SS Commands";
  EXPECT_EQ(FirstOfEach(WindowsList("Commands:")), table) << "resources/mova-windows.txt.in, Commands:";
}

TEST(Documents, TheManualPageAndTheWindowsTextGiveTheDefaultKeysOfTheTable) {
  const Bindings table = TableDefaults();
  ASSERT_EQ(table.size(), AllDefaultBindings.size() / 2);
  EXPECT_EQ(Sorted(ManTerms("Default keys")), table) << "docs/mova.1.in, .SS Default keys";
  EXPECT_EQ(Sorted(WindowsList("Default keys:")), table) << "resources/mova-windows.txt.in, Default keys:";
}

}  // namespace
}  // namespace mova::test
