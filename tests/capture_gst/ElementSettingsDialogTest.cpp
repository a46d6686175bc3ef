#include "platform/gstreamer/ElementSettingsDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>

#include "capture_gst/SettingsTestElement.h"

namespace mova {
namespace {

using gsthandles::ElementPtr;

// One application object for the whole binary, on the off-screen platform so
// no display is needed.
class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    App = std::make_unique<QApplication>(Argc, Argv);
    gst_init(nullptr, nullptr);
  }
  void TearDown() override { App.reset(); }

 private:
  int Argc = 1;
  char Name[16] = "settings_tests";
  char* Argv[2] = {Name, nullptr};
  std::unique_ptr<QApplication> App;
};
[[maybe_unused]] const auto* const Registered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class ElementSettingsDialogTest : public ::testing::Test {
 protected:
  ElementSettingsDialogTest() : Pipeline(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)))) {
    Probe = test::NewSettingsTestElement("probe");
    gst_bin_add(GST_BIN(Pipeline.get()), Probe);
  }
  ~ElementSettingsDialogTest() override { gst_element_set_state(Pipeline.get(), GST_STATE_NULL); }

  template <typename Editor>
  Editor* EditorOf(ElementSettingsDialog& dialog, const char* name) {
    auto* editor = qobject_cast<Editor*>(dialog.EditorFor(name));
    EXPECT_NE(editor, nullptr) << name;
    return editor;
  }

  ElementPtr Pipeline;
  GstElement* Probe;  // owned by the pipeline
  QWidget Owner;
};

TEST_F(ElementSettingsDialogTest, IsCaptionedWithTheNameOwnedByTheGivenWindowAndListsEverySetting) {
  std::unique_ptr<ElementSettingsDialog> dialog = CreateElementSettingsDialog(Pipeline.get(), "probe", &Owner);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "probe");
  EXPECT_EQ(dialog->parentWidget(), &Owner);
  for (const TElementSetting& setting : dialog->Model().Settings()) {
    EXPECT_NE(dialog->EditorFor(setting.Name), nullptr) << setting.Name;
  }
  EXPECT_EQ(dialog->EditorFor("options"), nullptr);
  EXPECT_EQ(dialog->EditorFor("name"), nullptr);
}

TEST_F(ElementSettingsDialogTest, EachKindGetsAFittingEditorShowingTheCurrentValue) {
  ElementSettingsDialog dialog(Probe, "probe", &Owner);
  EXPECT_TRUE(EditorOf<QCheckBox>(dialog, "flag")->isChecked());
  QSpinBox* count = EditorOf<QSpinBox>(dialog, "count");
  EXPECT_EQ(count->minimum(), -5);
  EXPECT_EQ(count->maximum(), 50);
  EXPECT_EQ(count->value(), 10);
  EXPECT_EQ(EditorOf<QSpinBox>(dialog, "tiny")->minimum(), -100);
  EXPECT_EQ(EditorOf<QSpinBox>(dialog, "utiny")->value(), 9);
  QDoubleSpinBox* gain = EditorOf<QDoubleSpinBox>(dialog, "gain");
  EXPECT_EQ(gain->maximum(), 10.0);
  EXPECT_EQ(gain->value(), 1.5);
  // Too wide for a 32-bit spin box: typed as text.
  EXPECT_EQ(EditorOf<QLineEdit>(dialog, "ucount")->text(), "4000000000");
  EXPECT_EQ(EditorOf<QLineEdit>(dialog, "ubig")->text(), "18446744073709551615");
  EXPECT_EQ(EditorOf<QLineEdit>(dialog, "wide")->text(), "-12");
  EXPECT_EQ(EditorOf<QLineEdit>(dialog, "big")->text(), "-1");
  QComboBox* shape = EditorOf<QComboBox>(dialog, "shape");
  ASSERT_EQ(shape->count(), 3);
  EXPECT_EQ(shape->currentText(), "round");
  EXPECT_EQ(EditorOf<QLineEdit>(dialog, "label")->text(), "start");
}

TEST_F(ElementSettingsDialogTest, EveryChangeReachesTheElementAtOnce) {
  ElementSettingsDialog dialog(Probe, "probe", &Owner);
  EditorOf<QCheckBox>(dialog, "flag")->setChecked(false);
  EditorOf<QSpinBox>(dialog, "count")->setValue(42);
  EditorOf<QDoubleSpinBox>(dialog, "gain")->setValue(7.25);
  EditorOf<QComboBox>(dialog, "shape")->setCurrentIndex(2);
  QLineEdit* big = EditorOf<QLineEdit>(dialog, "big");
  big->setText("-9000000000");
  emit big->editingFinished();
  QLineEdit* label = EditorOf<QLineEdit>(dialog, "label");
  label->setText("new text");
  emit label->editingFinished();

  gboolean flag = TRUE;
  gint count = 0;
  gdouble gain = 0;
  gint shape = 0;
  gint64 bigValue = 0;
  gchar* text = nullptr;
  g_object_get(Probe, "flag", &flag, "count", &count, "gain", &gain, "shape", &shape, "big", &bigValue, "label",
               &text, nullptr);
  EXPECT_FALSE(flag);
  EXPECT_EQ(count, 42);
  EXPECT_EQ(gain, 7.25);
  EXPECT_EQ(shape, -3);
  EXPECT_EQ(bigValue, -9000000000);
  EXPECT_STREQ(text, "new text");
  g_free(text);
}

TEST_F(ElementSettingsDialogTest, TextThatIsNoValidValueIsReplacedByTheCurrentOne) {
  ElementSettingsDialog dialog(Probe, "probe", &Owner);
  QLineEdit* ucount = EditorOf<QLineEdit>(dialog, "ucount");
  for (const char* typed : {"-1", "4294967296", "lots", ""}) {
    ucount->setText(typed);
    emit ucount->editingFinished();
    EXPECT_EQ(ucount->text(), "4000000000") << typed;
  }
  guint value = 0;
  g_object_get(Probe, "ucount", &value, nullptr);
  EXPECT_EQ(value, 4000000000u);
}

TEST_F(ElementSettingsDialogTest, ASettingLockedInTheCurrentStateCannotBeEdited) {
  ASSERT_NE(gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED), GST_STATE_CHANGE_FAILURE);
  ElementSettingsDialog dialog(Probe, "probe", &Owner);
  EXPECT_FALSE(dialog.EditorFor("source")->isEnabled());
  EXPECT_TRUE(dialog.EditorFor("label")->isEnabled());
}

TEST_F(ElementSettingsDialogTest, ARunningElementChangesThroughItsEditor) {
  GError* error = nullptr;
  ElementPtr running(GST_ELEMENT(gst_object_ref_sink(gst_parse_launch(
      "videotestsrc is-live=true ! video/x-raw,width=16,height=16,framerate=10/1 ! videobalance name=balance"
      " ! fakesink sync=true",
      &error))));
  ASSERT_TRUE(running) << (error != nullptr ? error->message : "");
  ASSERT_NE(gst_element_set_state(running.get(), GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
  std::unique_ptr<ElementSettingsDialog> dialog = CreateElementSettingsDialog(running.get(), "balance", &Owner);
  ASSERT_NE(dialog, nullptr);
  QDoubleSpinBox* contrast = EditorOf<QDoubleSpinBox>(*dialog, "contrast");
  ASSERT_NE(contrast, nullptr);
  EXPECT_EQ(contrast->minimum(), 0.0);
  EXPECT_EQ(contrast->maximum(), 2.0);
  EXPECT_EQ(contrast->value(), 1.0);
  contrast->setValue(1.5);
  GstElement* balance = gst_bin_get_by_name(GST_BIN(running.get()), "balance");
  gdouble now = 0;
  g_object_get(balance, "contrast", &now, nullptr);
  gst_object_unref(balance);
  EXPECT_EQ(now, 1.5);
  gst_element_set_state(running.get(), GST_STATE_NULL);
}

TEST_F(ElementSettingsDialogTest, NoMatchingElementShowsNothing) {
  gst_bin_add(GST_BIN(Pipeline.get()), gst_element_factory_make("avidemux", "demux"));
  EXPECT_EQ(CreateElementSettingsDialog(Pipeline.get(), "demux", &Owner), nullptr);  // no settings
  EXPECT_EQ(CreateElementSettingsDialog(Pipeline.get(), "absent", &Owner), nullptr);
  bool anyShown = false;
  QTimer::singleShot(0, [&anyShown] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      anyShown = true;
      modal->close();
    }
  });
  EXPECT_FALSE(ShowElementSettings(Pipeline.get(), "absent", &Owner));
  QApplication::processEvents();
  EXPECT_FALSE(anyShown);
}

TEST_F(ElementSettingsDialogTest, ShowingIsModalAndReturnsWhenTheUserClosesTheDialog) {
  QString seenTitle;
  QWidget* seenParent = nullptr;
  bool seenModal = false;
  // Closes the dialog as a user would, once the modal loop runs; gives up
  // after a few tries so a dialog that never appears cannot hang the test.
  int tries = 0;
  std::function<void()> closeIt = [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      seenTitle = dialog->windowTitle();
      seenParent = dialog->parentWidget();
      seenModal = dialog->isModal();
      dialog->reject();
    } else if (++tries < 50) {
      QTimer::singleShot(20, closeIt);
    }
  };
  QTimer::singleShot(0, closeIt);
  EXPECT_TRUE(ShowElementSettings(Pipeline.get(), "probe", &Owner));
  EXPECT_EQ(seenTitle, "probe");
  EXPECT_EQ(seenParent, &Owner);
  EXPECT_TRUE(seenModal);
}

}  // namespace
}  // namespace mova
