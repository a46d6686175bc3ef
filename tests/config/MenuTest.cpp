#include <gtest/gtest.h>

#include "RecordingMenuSink.h"
#include "support/HostSystem.h"
#include "support/TempDir.h"
#include "app/ProgramTables.h"
#include "config/KeyTable.h"

namespace mova {
namespace {

using testing::RecordingMenuSink;
using testing::TempDir;

std::vector<std::string> BuildTexts(TKeyTable& keys, RecordingMenuSink& sink) {
  keys.Menu = &sink;
  keys.BuildMenu(MenuLayout);
  std::vector<std::string> texts;
  for (const auto& item : sink.Items) texts.push_back(item.Id == MenuSeparator ? "-" : item.Text);
  return texts;
}

TEST(Menu, DefaultBindingsGiveTheFullMenu) {
  TempDir dir;
  TKeyTable keys(CommandTable, DefaultBindings, test::HostSystem(), dir.Path("keymap"));
  RecordingMenuSink sink;
  EXPECT_EQ(BuildTexts(keys, sink), (std::vector<std::string>{
                                        "&Play / Pause\tSpace", "&Stop\tEsc", "&Mute\tM", "&Repeat\tR", "-",
                                        "Zoom &50%\tNum5, 5", "Zoom &100%\tNum1, 1", "Zoom 150%(&Q)\tQ",
                                        "Zoom &200%\tNum2, 2", "Zoom &300%\tNum3, 3", "Zoom &400%\tNum4, 4", "-",
                                        "Aspect A&uto\tA", "Aspect Ori&ginal\tO", "Aspect 4:3(&N)\tN",
                                        "Aspect 16:9(&W)\tW", "-", "Full &Screen\tEnter", "Stay &On Top\tT", "-",
                                        "Save Screen &Capture As...\t", "-", "&About\t", "E&xit\t"}));
  ASSERT_EQ(sink.Items.size(), MenuLayout.size());
  for (size_t i = 0; i < MenuLayout.size(); ++i) EXPECT_EQ(sink.Items[i].Id, MenuLayout[i]);
}

TEST(Menu, ACustomMapListsKeysInFileOrder) {
  TempDir dir;
  TKeyTable keys(CommandTable, DefaultBindings, test::HostSystem(),
                 dir.Write("keymap", "CS-F1 Pause\rSpace Pause\rM Mute\rM Repeat\rZ Nothing\r"));
  EXPECT_EQ(keys.MenuText(100), "&Play / Pause\tShift+Ctrl+F1, Space");
  EXPECT_EQ(keys.MenuText(101), "&Stop\t") << "nothing bound to Stop";
  EXPECT_EQ(keys.MenuText(113), "&Mute\tM");
  EXPECT_EQ(keys.MenuText(118), "&Repeat\tM") << "the same key in two items";
  EXPECT_EQ(keys.MenuText(114), "");
  EXPECT_EQ(keys.MenuText(4000), "");
  EXPECT_EQ(keys.MenuText(0), "") << "bindings to no command appear nowhere";
}

TEST(Menu, NothingIsAppendedWithoutAValidMenu) {
  TempDir dir;
  TKeyTable keys(CommandTable, DefaultBindings, test::HostSystem(), dir.Path("keymap"));
  keys.BuildMenu(MenuLayout);  // no menu set: must simply do nothing
  keys.AppendCommandItem(100);

  RecordingMenuSink invalid;
  invalid.Valid = false;
  keys.Menu = &invalid;
  keys.BuildMenu(MenuLayout);
  EXPECT_TRUE(invalid.Items.empty());

  RecordingMenuSink valid;
  keys.Menu = &valid;
  keys.AppendCommandItem(101);
  ASSERT_EQ(valid.Items.size(), 1u);
  EXPECT_EQ(valid.Items[0].Id, 101);
  EXPECT_EQ(valid.Items[0].Text, "&Stop\tEsc");
}

}  // namespace
}  // namespace mova
