// The right-button menu: its items with their key texts, the filter
// submenu, grey items, check marks, and the chosen command.
#include <set>

#include "support/HostSystem.h"
#include "app/MainWindowFixture.h"
#include "app/ProgramTables.h"

namespace mova::test {
namespace {

using Item = FakeWindowSystem::ShownItem;
using Kind = TMenuItem::Kind;

class ContextMenu : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    program.Keys = std::make_unique<TKeyTable>(CommandTable, DefaultBindings, HostSystem(),
                                               ::testing::TempDir() + "no-keymap");
  }
  // Opens the menu as a right-button release does and returns it as shown.
  const std::vector<Item>& Open() {
    windows.Inject(handle, WM::RBUTTONUP, 0, MakePointParam(10, 10));
    EXPECT_FALSE(windows.Menus.empty());
    return windows.Menus.back().Items;
  }
  static std::set<size_t> Positions(const std::vector<Item>& items, bool Item::*flag) {
    std::set<size_t> found;
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].*flag) found.insert(i);
    return found;
  }
};

TEST_F(ContextMenu, WithoutAFileListsEveryItemWithItsKeysAndGreysWhatNeedsAFile) {
  windows.ScreenCursor = {123, 456};
  const auto& items = Open();
  EXPECT_EQ(windows.Menus[0].Owner, handle);
  EXPECT_EQ(windows.Menus[0].At, (TPoint{123, 456}));
  ASSERT_EQ(items.size(), 28u);  // the 26 of the original menu, a separator and "More"
  const std::vector<std::pair<int32_t, std::string>> expected = {
      {CmdPause, "&Play / Pause\tSpace"},   {CmdStop, "&Stop\tEsc"},
      {CmdMute, "&Mute\tM"},                {CmdRepeat, "&Repeat\tR"},
      {0, ""},                              {CmdZoom50, "Zoom &50%\tNum5, 5"},
      {CmdZoom100, "Zoom &100%\tNum1, 1"},  {CmdZoom150, "Zoom 150%(&Q)\tQ"},
      {CmdZoom200, "Zoom &200%\tNum2, 2"},  {CmdZoom300, "Zoom &300%\tNum3, 3"},
      {CmdZoom400, "Zoom &400%\tNum4, 4"},  {0, ""},
      {CmdAspectAuto, "Aspect A&uto\tA"},   {CmdAspectOrg, "Aspect Ori&ginal\tO"},
      {CmdAspect43, "Aspect 4:3(&N)\tN"},   {CmdAspect169, "Aspect 16:9(&W)\tW"},
      {0, ""},                              {CmdFullScreen, "Full &Screen\tEnter"},
      {CmdStayOnTop, "Stay &On Top\tT"},    {0, ""},
      {CmdScreenCapture, "Save Screen &Capture As...\t"}, {0, ""},
      {0, "&Filter Properties"},            {0, ""},
      {CmdAbout, "&About\t"},               {CmdExit, "E&xit\t"}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(items[i].Id, expected[i].first) << "position " << i;
    EXPECT_EQ(items[i].Text, expected[i].second) << "position " << i;
  }
  for (size_t i : {4u, 11u, 16u, 19u, 21u, 23u}) EXPECT_EQ(items[i].Type, Kind::Separator) << i;
  EXPECT_EQ(items[22].Type, Kind::Submenu);
  EXPECT_TRUE(items[22].Submenu.empty());
  EXPECT_EQ(Positions(items, &Item::Grayed), (std::set<size_t>{0, 1, 5, 6, 7, 8, 9, 10, 17, 20, 22}));
  EXPECT_EQ(Positions(items, &Item::Checked), (std::set<size_t>{12}));
  // The key table held the menu only while it was being built.
  EXPECT_EQ(program.Keys->Menu, nullptr);
}

TEST_F(ContextMenu, WithAFileNothingIsGreyAndTheMarksFollowTheWindow) {
  media.Script.Filters = {{"a", true}, {"b", true}, {"c", true}, {"d", true}, {"e", true}};
  OpenVideo(320, 240, 60000);
  window->Mute = true;
  window->Repeat = true;
  window->Aspect = AspectMode::Aspect169;
  window->SetStayOnTop(true);
  const auto& items = Open();
  ASSERT_EQ(items.size(), 28u);  // the 26 of the original menu, a separator and "More"
  EXPECT_TRUE(Positions(items, &Item::Grayed).empty());
  EXPECT_EQ(Positions(items, &Item::Checked), (std::set<size_t>{2, 3, 15, 18}));
  const auto& filters = items[22].Submenu;
  ASSERT_EQ(filters.size(), 5u);
  for (size_t i = 0; i < filters.size(); ++i) {
    EXPECT_EQ(filters[i].Id, 4000 + static_cast<int32_t>(i));
    EXPECT_EQ(filters[i].Text, std::string(1, static_cast<char>('a' + i)));
    EXPECT_FALSE(filters[i].Grayed);
  }
}

TEST_F(ContextMenu, InFullScreenFullScreenAndStayOnTopAreCheckedAndStayOnTopIsGrey) {
  OpenVideo(320, 240, 60000);
  window->Aspect = AspectMode::AspectOrg;
  window->ExecuteCommand(CmdFullScreen);
  const auto& items = Open();
  EXPECT_EQ(Positions(items, &Item::Checked), (std::set<size_t>{13, 17, 18}));
  EXPECT_EQ(Positions(items, &Item::Grayed), (std::set<size_t>{18}));
}

TEST_F(ContextMenu, TheChosenCommandRunsAfterTheMenuHasClosed) {
  media.Script.Filters = {{"a", true}, {"b", true}, {"c", true}};
  OpenVideo(320, 240, 60000);
  size_t shownWhileOpen = 99;
  windows.OnMenu = [&](const FakeWindowSystem::ShownMenu&) {
    shownWhileOpen = media.Last().SettingsShown.size();
    return 4002;
  };
  Open();
  EXPECT_EQ(shownWhileOpen, 0u);
  ASSERT_EQ(media.Last().SettingsShown.size(), 1u);
  EXPECT_EQ(media.Last().SettingsShown[0], "c " + std::to_string(handle));

  windows.OnMenu = [](const FakeWindowSystem::ShownMenu&) { return CmdMute; };
  Open();
  EXPECT_TRUE(window->Mute);
  EXPECT_EQ(window->StateText, " MUTE");

  // Closing the menu without a choice runs nothing.
  windows.OnMenu = nullptr;
  const size_t refreshes = Win().Invalidated.size();
  Open();
  EXPECT_TRUE(window->Mute);
  EXPECT_EQ(Win().Invalidated.size(), refreshes);
}

TEST_F(ContextMenu, EachShowingReflectsTheMomentItOpens) {
  OpenVideo(320, 240, 60000);
  Open();
  window->ExecuteCommand(CmdRepeat);
  window->ExecuteCommand(CmdAspect43);
  const auto& items = Open();
  EXPECT_EQ(Positions(items, &Item::Checked), (std::set<size_t>{3, 14}));
  ASSERT_EQ(windows.Menus.size(), 2u);
}

TEST(MenuCheck, GivesTheCheckFlag) {
  EXPECT_EQ(TMainWindow::MenuCheck(true), 8u);
  EXPECT_EQ(TMainWindow::MenuCheck(false), 0u);
}

TEST(PopupMenu, AddressesItemsByCommandInSubmenusAndByPositionAndRefusesUnknownOnes) {
  TPopupMenu menu;
  menu.AppendCommandItem(1, "one");
  menu.AppendCommandItem(2, "two");
  TPopupMenu* sub = menu.InsertSubmenuBefore(2, std::make_unique<TPopupMenu>(), "sub");
  ASSERT_NE(sub, nullptr);
  sub->AppendCommandItem(7, "seven");
  EXPECT_TRUE(menu.InsertSeparatorBefore(7));  // found in the submenu, inserted there
  EXPECT_EQ(sub->Items().size(), 2u);
  EXPECT_EQ(sub->Items()[0].Type, Kind::Separator);
  EXPECT_TRUE(menu.CheckMenuItem(7, MF::CHECKED));
  EXPECT_TRUE(sub->Items()[1].Checked);
  EXPECT_TRUE(menu.EnableMenuItem(1, MF::BYPOSITION | MF::GRAYED));
  EXPECT_EQ(menu.Items()[1].Type, Kind::Submenu);
  EXPECT_TRUE(menu.Items()[1].Grayed);
  EXPECT_TRUE(menu.EnableMenuItem(1, MF::BYPOSITION | MF::ENABLED));
  EXPECT_FALSE(menu.Items()[1].Grayed);
  EXPECT_FALSE(menu.EnableMenuItem(3, MF::BYPOSITION | MF::GRAYED));
  EXPECT_FALSE(menu.EnableMenuItem(9, MF::BYCOMMAND | MF::GRAYED));
  EXPECT_FALSE(menu.CheckMenuItem(9, MF::CHECKED));
  EXPECT_FALSE(menu.InsertSeparatorBefore(9));
  EXPECT_EQ(menu.InsertSubmenuBefore(9, std::make_unique<TPopupMenu>(), "x"), nullptr);
  EXPECT_EQ(menu.Items().size(), 3u);
}

}  // namespace
}  // namespace mova::test
