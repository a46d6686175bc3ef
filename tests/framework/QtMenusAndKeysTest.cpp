// The Qt side of the commands on the offscreen platform: the popup menu, the
// save dialog and the keys that reach the accelerator lookup.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/KeyNames.h"
#include "framework/OffscreenApp.h"
#include "framework/SForm.h"
#include "platform/qt/QtKeyCodes.h"
#include "platform/qt/QtWindowSystem.h"

namespace mova {
namespace {

QApplication& App() { return OffscreenApp(); }

// Runs `step` once the modal loop of a menu or dialog has started.
void WhenOpen(std::function<void()> step) { QTimer::singleShot(0, qApp, std::move(step)); }

class QtCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    windows = std::make_unique<TQtWindowSystem>();
    form = std::make_unique<TSForm>(*windows, "QtCommandTest");
    form->CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);
    ASSERT_NE(form->Handle, 0u);
    form->Show();
  }
  void TearDown() override {
    form.reset();
    windows.reset();
  }
  QWidget* Widget() { return reinterpret_cast<QWidget*>(form->Handle); }

  std::unique_ptr<TQtWindowSystem> windows;
  std::unique_ptr<TSForm> form;
};

TEST_F(QtCommands, TheMenuShowsTheItemsWithKeyColumnMarksAndGreyAndAnswersTheChoice) {
  TPopupMenu menu;
  menu.AppendCommandItem(100, "&Play / Pause\tSpace");
  menu.AppendSeparator();
  menu.AppendCommandItem(113, "&Mute\tM");
  menu.AppendCommandItem(116, "Full &Screen\tEnter");
  TPopupMenu* filters = menu.InsertSubmenuBefore(116, std::make_unique<TPopupMenu>(), "&Filter Properties");
  filters->AppendCommandItem(4000, "decoder");
  filters->AppendCommandItem(4001, "sink");
  menu.CheckMenuItem(113, MF::CHECKED);
  menu.EnableMenuItem(100, MF::BYCOMMAND | MF::GRAYED);

  QStringList texts;
  std::vector<bool> enabled, checked;
  QStringList subTexts;
  QWidget* parent = nullptr;
  WhenOpen([&] {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    parent = popup->parentWidget();
    for (QAction* action : popup->actions()) {
      texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
      enabled.push_back(action->isEnabled());
      checked.push_back(action->isChecked());
      if (action->menu())
        for (QAction* sub : action->menu()->actions()) subTexts << sub->text();
    }
    popup->actions().at(3)->menu()->actions().at(1)->trigger();
  });
  const int32_t chosen = windows->TrackPopupMenu(menu, TPoint{40, 50}, form->Handle);
  EXPECT_EQ(chosen, 4001);
  EXPECT_EQ(parent, Widget());
  EXPECT_EQ(texts,
            (QStringList{"&Play / Pause\tSpace", "-", "&Mute\tM", "&Filter Properties", "Full &Screen\tEnter"}));
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, true, true, true}));
  EXPECT_EQ(checked, (std::vector<bool>{false, false, true, false, false}));
  EXPECT_EQ(subTexts, (QStringList{"decoder", "sink"}));
}

TEST_F(QtCommands, AMenuClosedWithoutAChoiceAnswersZero) {
  TPopupMenu menu;
  menu.AppendCommandItem(113, "&Mute\tM");
  WhenOpen([] {
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QApplication::activePopupWidget()->close();
  });
  EXPECT_EQ(windows->TrackPopupMenu(menu, TPoint{0, 0}, form->Handle), 0);
}

TEST_F(QtCommands, TheSaveDialogStartsWithTheNameAndAllFilesAndAnswersTheFullPath) {
  const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "qt-save-dialog";
  std::filesystem::create_directories(folder);
  TSaveFileDialog dialog{form->Handle, "All Files", "*.*", "movacapt.bmp", 1025, OFN::OVERWRITEPROMPT};
  QStringList filters;
  QString startName;
  bool confirms = false;
  bool ownWidgets = false;
  WhenOpen([&] {
    auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    filters = box->nameFilters();
    confirms = !box->testOption(QFileDialog::DontConfirmOverwrite) && box->acceptMode() == QFileDialog::AcceptSave;
    ownWidgets = box->testOption(QFileDialog::DontUseNativeDialog);
    startName = QFileInfo(box->selectedFiles().value(0)).fileName();
    box->setDirectory(QString::fromStdString(folder.string()));
    box->selectFile(QStringLiteral("frame one"));
    QMetaObject::invokeMethod(box, "accept");
    if (box->isVisible()) box->reject();
  });
  ASSERT_TRUE(windows->AskSaveFileName(dialog));
  EXPECT_EQ(filters, QStringList{"All Files (*)"});
  EXPECT_EQ(startName, "movacapt.bmp");
  EXPECT_TRUE(confirms);
  EXPECT_TRUE(ownWidgets);
  EXPECT_EQ(dialog.FileName, (folder / "frame one").string());  // no extension added
}

TEST_F(QtCommands, ACancelledDialogOrATooLongNameAnswersFalseAndKeepsTheName) {
  TSaveFileDialog dialog{form->Handle, "All Files", "*.*", "movacapt.bmp", 1025, OFN::OVERWRITEPROMPT};
  WhenOpen([] {
    auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    box->reject();
  });
  EXPECT_FALSE(windows->AskSaveFileName(dialog));
  EXPECT_EQ(dialog.FileName, "movacapt.bmp");

  // A name of 1024 characters fits, one of 1025 does not. The folders exist,
  // as the dialog wants, with names of an ordinary length.
  for (size_t length : {1024u, 1025u}) {
    std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "long";
    while (folder.string().size() + 1 + 100 < length - 10) folder /= std::string(100, 'd');
    std::filesystem::create_directories(folder);
    const std::string name = folder.string() + "/" + std::string(length - folder.string().size() - 1, 'n');
    ASSERT_EQ(name.size(), length);
    WhenOpen([&] {
      auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      box->selectFile(QString::fromStdString(name));
      QMetaObject::invokeMethod(box, "accept");
      if (box->isVisible()) box->reject();  // the dialog refused the name itself
    });
    dialog.FileName = "movacapt.bmp";
    const bool accepted = windows->AskSaveFileName(dialog);
    EXPECT_EQ(accepted, length == 1024u) << length;
    EXPECT_EQ(dialog.FileName, accepted ? name : std::string("movacapt.bmp"));
  }
}

// The Qt key (with the keypad flag) that a user presses for each key name.
struct NamedKey {
  const char* Name;
  int Key;
  bool Keypad;
};

TEST(QtKeys, EveryKeyNameLettersAndDigitsReachTheirVirtualKeyCodes) {
  const NamedKey keys[] = {
      {"BS", Qt::Key_Backspace, false}, {"Tab", Qt::Key_Tab, false},     {"Enter", Qt::Key_Return, false},
      {"Esc", Qt::Key_Escape, false},   {"Space", Qt::Key_Space, false}, {"PgUp", Qt::Key_PageUp, false},
      {"PgDn", Qt::Key_PageDown, false}, {"End", Qt::Key_End, false},    {"Home", Qt::Key_Home, false},
      {"Left", Qt::Key_Left, false},    {"Up", Qt::Key_Up, false},       {"Right", Qt::Key_Right, false},
      {"Down", Qt::Key_Down, false},    {"Ins", Qt::Key_Insert, false},  {"Del", Qt::Key_Delete, false},
      {"Num0", Qt::Key_0, true},        {"Num1", Qt::Key_1, true},       {"Num2", Qt::Key_2, true},
      {"Num3", Qt::Key_3, true},        {"Num4", Qt::Key_4, true},       {"Num5", Qt::Key_5, true},
      {"Num6", Qt::Key_6, true},        {"Num7", Qt::Key_7, true},       {"Num8", Qt::Key_8, true},
      {"Num9", Qt::Key_9, true},        {"Num*", Qt::Key_Asterisk, true}, {"Num+", Qt::Key_Plus, true},
      {"Num-", Qt::Key_Minus, true},    {"Num.", Qt::Key_Period, true},  {"Num/", Qt::Key_Slash, true},
      {"F1", Qt::Key_F1, false},        {"F2", Qt::Key_F2, false},       {"F3", Qt::Key_F3, false},
      {"F4", Qt::Key_F4, false},        {"F5", Qt::Key_F5, false},       {"F6", Qt::Key_F6, false},
      {"F7", Qt::Key_F7, false},        {"F8", Qt::Key_F8, false},       {"F9", Qt::Key_F9, false},
      {"F10", Qt::Key_F10, false},      {"F11", Qt::Key_F11, false},     {"F12", Qt::Key_F12, false},
      {".", Qt::Key_Period, false},     {",", Qt::Key_Comma, false},     {"[", Qt::Key_BracketLeft, false},
      {"]", Qt::Key_BracketRight, false},
      {"MediaPlayPause", Qt::Key_MediaTogglePlayPause, false}, {"MediaPlay", Qt::Key_MediaPlay, false},
      {"MediaPause", Qt::Key_MediaPause, false}, {"MediaStop", Qt::Key_MediaStop, false},
      {"MediaNext", Qt::Key_MediaNext, false}, {"MediaPrev", Qt::Key_MediaPrevious, false},
      {"VolUp", Qt::Key_VolumeUp, false}, {"VolDown", Qt::Key_VolumeDown, false}, {"VolMute", Qt::Key_VolumeMute, false},
  };
  ASSERT_EQ(std::size(keys), KeyNames.size());
  for (size_t i = 0; i < KeyNames.size(); ++i) {
    ASSERT_EQ(KeyNames[i].Name, keys[i].Name);
    EXPECT_EQ(VirtualKeyFromQtKey(keys[i].Key, keys[i].Keypad), KeyNames[i].Id) << keys[i].Name;
  }
  // The keypad's Enter is the same key as the main one; its digits are not.
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter, true), 0x0D);
  for (int digit = 0; digit <= 9; ++digit) {
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_0 + digit, false), '0' + digit);
    EXPECT_NE(VirtualKeyFromQtKey(Qt::Key_0 + digit, true), '0' + digit);
  }
  for (int letter = 0; letter < 26; ++letter) EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_A + letter, false), 'A' + letter);
}

TEST_F(QtCommands, KeyPressesReachTheLookupWithTheirModifiersAndABoundKeyIsConsumed) {
  std::vector<TKeyPress> offered;
  int reachedWidget = 0;
  struct Counter : QObject {
    int* Count;
    explicit Counter(int* count) : Count(count) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::KeyPress) ++*Count;
      return false;
    }
  } counter(&reachedWidget);
  Widget()->installEventFilter(&counter);
  QTimer::singleShot(0, qApp, [&] {
    QWindow* window = Widget()->windowHandle();
    ASSERT_NE(window, nullptr);
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier, "5");
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, "5");
    QKeyEvent chord(QEvent::KeyPress, Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    QApplication::sendEvent(window, &keypad);
    QApplication::sendEvent(window, &digit);
    QApplication::sendEvent(window, &chord);
    windows->PostQuitMessage(0);
  });
  windows->RunMessageLoop([&](const TKeyPress& key) {
    offered.push_back(key);
    return key.VirtualKey == 0x65;  // only the keypad 5 is bound
  });
  ASSERT_EQ(offered.size(), 3u);
  EXPECT_EQ(offered[0].VirtualKey, 0x65);
  EXPECT_EQ(offered[1].VirtualKey, '5');
  EXPECT_FALSE(offered[1].Alt || offered[1].Ctrl || offered[1].Shift);
  EXPECT_EQ(offered[2].VirtualKey, 0x70);
  EXPECT_TRUE(offered[2].Alt && offered[2].Ctrl && offered[2].Shift);
  EXPECT_EQ(reachedWidget, 2);  // the bound key went no further
}

}  // namespace
}  // namespace mova
