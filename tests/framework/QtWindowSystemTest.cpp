// The Qt window system on the offscreen platform: event translation, the
// status-bar painter and the key-code table.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/OffscreenApp.h"
#include "framework/SForm.h"
#include "platform/qt/QtKeyCodes.h"
#include "platform/qt/QtPainter.h"
#include "platform/qt/QtWindowSystem.h"

namespace mova {
namespace {

QApplication& App() { return OffscreenApp(); }

class LoggingForm : public TSForm {
 public:
  using TSForm::TSForm;
  std::vector<FormMessage> Log;
  void HandleMessage(FormMessage& message) override {
    Log.push_back(message);
    TSForm::HandleMessage(message);
  }
  const FormMessage* Last(uint32_t msg) const {
    for (auto it = Log.rbegin(); it != Log.rend(); ++it)
      if (it->Msg == msg) return &*it;
    return nullptr;
  }
};

TEST(QtKeyCodes, KeypadAndMainKeyboardDigitsDiffer) {
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_1, true), 0x61);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_1, false), 0x31);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Plus, true), 0x6B);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Plus, false), 0xBB);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter, true), 0x0D);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_A, false), 'A');
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Exclam, false), '1');  // Shift+1
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F12, false), 0x7B);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Space, false), 0x20);
  EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Escape, false), 0x1B);
  EXPECT_FALSE(VirtualKeyFromQtKey(Qt::Key_Shift, false).has_value());
}

TEST(QtPainter, DrawsFramesFillsAndCyanTextIntoTheImage) {
  App();
  TQtImagePainter image(200, 13);
  image.FrameRect(TRect{0, 0, 200, 13}, TColor{128, 128, 128});
  image.FillRect(TRect{0, 1, 200, 13}, TColor{0, 0, 0});
  image.DrawTextLine("00:00:01 / 00:00:10 ", TRect{0, 1, 200, 13}, DT::SINGLELINE | DT::VCENTER | DT::RIGHT,
                 TColor{0, 255, 255});
  const QImage& pixels = image.GetImage();
  EXPECT_EQ(pixels.pixelColor(5, 0), QColor(128, 128, 128));
  EXPECT_EQ(pixels.pixelColor(5, 12), QColor(0, 0, 0));
  int cyan = 0;
  int cyanLeftHalf = 0;
  for (int y = 1; y < 13; ++y)
    for (int x = 0; x < 200; ++x)
      if (pixels.pixelColor(x, y) == QColor(0, 255, 255)) {
        ++cyan;
        if (x < 60) ++cyanLeftHalf;
      }
  EXPECT_GT(cyan, 40);
  EXPECT_EQ(cyanLeftHalf, 0);  // right-aligned
}

TEST(QtWindowSystem, MouseWheelSizeAndCloseBecomeTheFormsMessages) {
  App();
  TQtWindowSystem windows;
  LoggingForm form(windows, "QtTest");
  form.CreateHandle(CW::USEDEFAULT, CW::USEDEFAULT, 320, 240);
  ASSERT_NE(form.Handle, 0u);
  form.Show();
  QWidget* widget = reinterpret_cast<QWidget*>(form.Handle);
  EXPECT_EQ(widget->size(), QSize(320, 240));

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(17, 230), widget->mapToGlobal(QPointF(17, 230)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  ASSERT_NE(form.Last(WM::LBUTTONDOWN), nullptr);
  EXPECT_EQ(LoWord(form.Last(WM::LBUTTONDOWN)->LParam), 17);
  EXPECT_EQ(HiWord(form.Last(WM::LBUTTONDOWN)->LParam), 230);
  EXPECT_EQ(form.Last(WM::LBUTTONDOWN)->WParam & MK::LBUTTON, MK::LBUTTON);

  QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
  ASSERT_NE(form.Last(WM::MOUSEWHEEL), nullptr);
  EXPECT_LT(static_cast<int32_t>(form.Last(WM::MOUSEWHEEL)->WParam), 0);  // toward the user

  form.SetSize(400, 313);
  ASSERT_NE(form.Last(WM::SIZE), nullptr);
  EXPECT_EQ(LoWord(form.Last(WM::SIZE)->LParam), 400);
  EXPECT_EQ(HiWord(form.Last(WM::SIZE)->LParam), 313);
  EXPECT_EQ(form.ClientRect(), (TRect{0, 0, 400, 313}));

  widget->close();  // the close button: the form's default handling destroys the window
  EXPECT_NE(form.Last(WM::CLOSE), nullptr);
  EXPECT_NE(form.Last(WM::DESTROY), nullptr);
  EXPECT_FALSE(form.HasWindow());
}

TEST(QtWindowSystem, ClassNamesAreUniqueAndTheLoopReturnsTheQuitCode) {
  App();
  TQtWindowSystem windows;
  LoggingForm first(windows, "Twice");
  first.CreateHandle(0, 0, 100, 100);
  LoggingForm second(windows, "Twice");
  second.CreateHandle(0, 0, 100, 100);
  EXPECT_NE(first.Handle, 0u);
  EXPECT_EQ(second.Handle, 0u);
  windows.PostQuitMessage(3);
  EXPECT_EQ(windows.RunMessageLoop([](const TKeyPress&) { return false; }), 3);
}

// Loading Qt's image plugins (GIF, ICO, JPEG and their libraries) at start-up
// would only delay the window: the program's own icon is a PNG.
TEST(QtWindowSystem, TheProgramIconIsTheWindowsIconAndNeedsNoImagePlugin) {
  App();
  TQtWindowSystem windows;
  LoggingForm form(windows, "IconTest");
  form.CreateHandle(0, 0, 100, 100);
  ASSERT_NE(form.Handle, 0u);
  const QIcon icon = reinterpret_cast<QWidget*>(form.Handle)->windowIcon();
  ASSERT_FALSE(icon.isNull());
  const QImage picture = icon.pixmap(64, 64).toImage();
  EXPECT_EQ(picture.size(), QSize(64, 64));
  int opaque = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixelColor(x, y).alpha() == 255) ++opaque;
  EXPECT_GT(opaque, 64 * 64 / 4);

  std::ifstream maps("/proc/self/maps");
  const std::string mapped((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
  EXPECT_EQ(mapped.find("/imageformats/"), std::string::npos);
}

}  // namespace
}  // namespace mova
