#include "config/KeyTable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <tuple>

#include "support/HostSystem.h"
#include "support/TempDir.h"
#include "app/ProgramTables.h"

namespace mova {
namespace {

using testing::TempDir;

std::unique_ptr<TKeyTable> KeysFrom(const std::string& keyMapFile) {
  return std::make_unique<TKeyTable>(CommandTable, DefaultBindings, test::HostSystem(), keyMapFile);
}

std::vector<std::string> DisplayTexts(const TKeyTable& keys) {
  std::vector<std::string> texts;
  for (int32_t i = 0; i < keys.AccelCount; ++i) texts.push_back(keys.KeyDisplayText(keys.Accels[i]));
  return texts;
}

void ExpectDefaults(const TKeyTable& keys) {
  ASSERT_EQ(keys.AccelCount, 23);
  EXPECT_EQ(DisplayTexts(keys),
            (std::vector<std::string>{"Enter", "Esc", "Space", "Left", "Right", "Num1", "Num2", "Num3", "Num4", "Num5",
                                      "1", "2", "3", "4", "5", "A", "M", "N", "O", "Q", "R", "T", "W"}));
  const std::vector<uint16_t> commands{116, 101, 100, 111, 110, 1100, 1200, 1300, 1400, 1050, 1100, 1200,
                                       1300, 1400, 1050, 121, 113, 112, 117, 1150, 118, 115, 120};
  for (int32_t i = 0; i < keys.AccelCount; ++i) {
    EXPECT_EQ(keys.Accels[i].Flags, F::VIRTKEY) << i;
    EXPECT_EQ(keys.Accels[i].Cmd, commands[i]) << i;
  }
}

TEST(KeyText, PrefixesKeyNamesAndSingleCharacters) {
  struct Case {
    std::string Text;
    bool Alt, Ctrl, Shift;
    int32_t Code;
  };
  const std::vector<Case> cases{
      {"CS-F1", false, true, true, 0x70},     {"Ctrl-Left", false, true, false, 0x25},
      {"A-Num+", true, false, false, 0x6B},   {"Ctrl+Shift-X", false, true, true, 'X'},
      {"ACS-Del", true, true, true, 0x2E},    {"ctrl-X", false, false, false, 'X'},
      {"O", false, false, false, 0x4F},       {"a", false, false, false, 0x61},
      {"7", false, false, false, 0x37},       {"enter", false, false, false, 0x65},
      {"-", false, false, false, 0x2D},       {"-Num-", false, false, false, 0x6D},
      {"C-Num-", false, true, false, 0x6D},   {"Alt+X", false, false, false, 'A'},
      {"\xE9", false, false, false, 0xE9},    {"Space", false, false, false, 0x20},
      {"C-", false, true, false, 0},          {"Num-", false, false, false, 0},
      {"", false, false, false, 0},
  };
  for (const Case& c : cases) {
    KeyText key = ParseKeyText(c.Text);
    EXPECT_EQ(std::tie(key.Alt, key.Ctrl, key.Shift, key.Code), std::tie(c.Alt, c.Ctrl, c.Shift, c.Code)) << c.Text;
  }
}

TEST(KeyText, DisplayFormPutsShiftBeforeCtrlAndNamesKnownKeys) {
  auto keys = KeysFrom("");
  EXPECT_EQ(keys->KeyDisplayText(keys->ParseBinding("ACS-F1", "Pause")), "Alt+Shift+Ctrl+F1");
  EXPECT_EQ(keys->KeyDisplayText(keys->ParseBinding("CS-X", "Pause")), "Shift+Ctrl+X");
  EXPECT_EQ(keys->KeyDisplayText(keys->ParseBinding("-", "Mute")), "Ins");
  EXPECT_EQ(keys->KeyDisplayText(keys->ParseBinding("a", "Mute")), "Num1");
}

TEST(KeyBinding, CommandNamesIgnoreLetterCaseAndUnknownOnesGiveZero) {
  auto keys = KeysFrom("");
  EXPECT_EQ(keys->ParseBinding("Space", "pause").Cmd, 100);
  EXPECT_EQ(keys->ParseBinding("Right", "SEEKforward").Cmd, 110);
  EXPECT_EQ(keys->ParseBinding("Right", "Seek").Cmd, 0);
  EXPECT_EQ(keys->ParseBinding("Right", "").Cmd, 0);
  AccelEntry entry = keys->ParseBinding("CS-F1", "Zoom400");
  EXPECT_EQ(std::tie(entry.Flags, entry.Key, entry.Cmd), std::make_tuple(uint8_t{F::VIRTKEY | F::CONTROL | F::SHIFT}, uint16_t{0x70}, uint16_t{1400}));
}

TEST(KeyMap, WithoutAUsableFileTheDefaultsStay) {
  TempDir dir;
  ExpectDefaults(*KeysFrom(dir.Path("keymap")));
  ExpectDefaults(*KeysFrom(dir.Write("comments", "# only\r\r@Include " + dir.Path("nothing") + "\r")));
  ExpectDefaults(*KeysFrom(dir.Write("nokey", "C- Stop\r   \rNum- Mute\r")));
  ExpectDefaults(*KeysFrom(dir.Path("")));
  std::filesystem::create_directory(dir.Path("folder"));
  ExpectDefaults(*KeysFrom(dir.Path("folder")));
}

TEST(KeyMap, OneBindingReplacesEveryDefault) {
  TempDir dir;
  auto keys = KeysFrom(dir.Write("keymap", "C-O Stop\r"));
  ASSERT_EQ(keys->AccelCount, 1);
  EXPECT_EQ(keys->Lookup(0x20, false, false, false), std::nullopt) << "Space no longer pauses";
  EXPECT_EQ(keys->Lookup('O', false, true, false), 101);
}

TEST(KeyMap, LinesAreReadInOrderSkippingThoseWithoutAKey) {
  TempDir dir;
  auto keys = KeysFrom(dir.Write("keymap", "Space pause\r\nC- Stop\r\nenter FullScreen\r\nRight Seek Forward\r\nX Nothing\r\n"
                                           "- Mute\r\n"));
  EXPECT_EQ(DisplayTexts(*keys), (std::vector<std::string>{"Space", "Num5", "Right", "X", "Ins"}));
  EXPECT_EQ(keys->Accels[1].Cmd, 116);
  EXPECT_EQ(keys->Accels[2].Cmd, 110);
  EXPECT_EQ(keys->Lookup('X', false, false, false), 0) << "an unknown command still takes its key";
}

TEST(KeyMap, AtMost256BindingsAreKept) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 300; ++i) text += (i == 255 ? "F12" : "F1") + std::string(" Stop\r");
  auto keys = KeysFrom(dir.Write("keymap", text));
  EXPECT_EQ(keys->AccelCount, MaxBindings);
  EXPECT_EQ(keys->Accels[255].Key, 0x7B);

  std::vector<std::string> defaults;
  for (int i = 0; i < 301; ++i) defaults.insert(defaults.end(), {"F2", "Mute"});
  defaults.push_back("F3");  // unpaired
  TKeyTable many(CommandTable, defaults, test::HostSystem(), dir.Path("missing"));
  EXPECT_EQ(many.AccelCount, MaxBindings);
  TKeyTable odd(CommandTable, std::vector<std::string>{"F3", "Mute", "F4"}, test::HostSystem(), dir.Path("missing"));
  EXPECT_EQ(odd.AccelCount, 1);
}

TEST(KeyLookup, ModifiersMustMatchExactlyAndTheFirstEntryWins) {
  TempDir dir;
  auto keys = KeysFrom(dir.Write("keymap", "C-O Stop\rO Mute\rO Pause\rCS-F1 Exit\rA-Num+ Zoom200\r"));
  EXPECT_EQ(keys->Lookup('O', false, true, false), 101);
  EXPECT_EQ(keys->Lookup('O', false, false, false), 113);
  EXPECT_EQ(keys->Lookup('O', false, true, true), std::nullopt);
  EXPECT_EQ(keys->Lookup('O', true, false, false), std::nullopt);
  EXPECT_EQ(keys->Lookup(0x70, false, true, true), 199);
  EXPECT_EQ(keys->Lookup(0x70, false, true, false), std::nullopt);
  EXPECT_EQ(keys->Lookup(0x6B, true, false, false), 1200);
  EXPECT_EQ(keys->Lookup('P', false, false, false), std::nullopt);
}

// Loads `content` as a key map: it must end quickly and leave either the
// defaults or bindings that each name a key.
void ExpectSaneLoad(const std::string& content) {
  TempDir dir;
  auto start = std::chrono::steady_clock::now();
  auto keys = KeysFrom(dir.Write("keymap", content));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_GE(keys->AccelCount, 1);
  ASSERT_LE(keys->AccelCount, MaxBindings);
  for (int32_t i = 0; i < keys->AccelCount; ++i) EXPECT_NE(keys->Accels[i].Key, 0);
}

TEST(KeyMapBadInput, GarbageHugeFilesLongLinesAndZeroBytesLoadSafely) {
  std::mt19937 random(12345);
  std::string garbage(1 << 16, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  ExpectSaneLoad(garbage);

  std::string huge;
  while (huge.size() < 10u * 1024 * 1024) huge += "Space Pause\r#comment\r" + std::string(40, 'z') + "\n";
  ExpectSaneLoad(huge);
  ExpectSaneLoad(std::string(100000, 'k') + " Stop\r");
  ExpectSaneLoad(std::string(4096, '\0'));
  ExpectSaneLoad(std::string("\0 Stop\rM\0ute Mute\r", 18));
}

}  // namespace
}  // namespace mova
