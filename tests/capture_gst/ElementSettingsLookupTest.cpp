#include "platform/gstreamer/ElementSettingsLookup.h"

#include <gtest/gtest.h>

#include "capture_gst/SettingsTestElement.h"
#include "platform/gstreamer/ElementSettings.h"
#include "platform/gstreamer/GstElementList.h"

namespace mova {
namespace {

using gsthandles::ElementPtr;

class ElementLookupTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

  ElementLookupTest() : Pipeline(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new("graph")))) {}
  ~ElementLookupTest() override { gst_element_set_state(Pipeline.get(), GST_STATE_NULL); }

  // Adds a settings test element whose "label" tells it apart.
  GstElement* AddProbe(GstElement* bin, const char* name, const char* label) {
    GstElement* element = test::NewSettingsTestElement(name);
    g_object_set(element, "label", label, nullptr);
    gst_bin_add(GST_BIN(bin), element);
    return element;
  }
  GstElement* AddBin(GstElement* bin, const char* name) {
    GstElement* inner = gst_bin_new(name);
    gst_bin_add(GST_BIN(bin), inner);
    return inner;
  }

  std::string FoundLabel(const std::string& name) {
    ElementPtr found = FindElementWithSettings(Pipeline.get(), name);
    if (!found) return "<none>";
    gchar* label = nullptr;
    g_object_get(found.get(), "label", &label, nullptr);
    std::string text = label != nullptr ? label : "";
    g_free(label);
    return text;
  }

  ElementPtr Pipeline;
};

TEST_F(ElementLookupTest, AnElementOfTheSameNameWithoutSettingsIsPassedOver) {
  gst_bin_add(GST_BIN(Pipeline.get()), gst_element_factory_make("avidemux", "dup"));  // first, no settings
  AddProbe(AddBin(Pipeline.get(), "inner"), "dup", "nested");
  EXPECT_EQ(FoundLabel("dup"), "nested");
}

TEST_F(ElementLookupTest, OfTwoWithSettingsTheFirstInMenuOrderIsChosen) {
  AddProbe(Pipeline.get(), "twin", "outer");
  AddProbe(AddBin(Pipeline.get(), "inner"), "twin", "nested");
  EXPECT_EQ(FoundLabel("twin"), "outer");

  ElementPtr other(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))));
  Pipeline.swap(other);
  AddProbe(AddBin(Pipeline.get(), "inner"), "twin", "nested");  // now the bin comes first
  AddProbe(Pipeline.get(), "twin", "outer");
  EXPECT_EQ(FoundLabel("twin"), "nested");
}

TEST_F(ElementLookupTest, NamesMatchExactlyOrNotAtAll) {
  AddProbe(Pipeline.get(), "Mixer", "m");
  EXPECT_EQ(FoundLabel("Mixer"), "m");
  EXPECT_EQ(FoundLabel("mixer"), "<none>");
  EXPECT_EQ(FoundLabel("Mixer "), "<none>");
  EXPECT_EQ(FoundLabel("Mix"), "<none>");
  EXPECT_EQ(FoundLabel(""), "<none>");
  EXPECT_EQ(FoundLabel("graph"), "<none>");  // the pipeline itself is not one of its elements
  EXPECT_FALSE(FindElementWithSettings(nullptr, "Mixer"));
  ElementPtr lone(GST_ELEMENT(gst_object_ref_sink(test::NewSettingsTestElement("Mixer"))));
  EXPECT_FALSE(FindElementWithSettings(lone.get(), "Mixer"));  // not a bin
}

TEST_F(ElementLookupTest, LongNamesMatchTheirMenuNameCutAt128Characters) {
  const std::string ascii(200, 'x');
  std::string accented;
  for (int i = 0; i < 130; ++i) accented += "é";
  AddProbe(Pipeline.get(), ascii.c_str(), "ascii");
  AddProbe(Pipeline.get(), accented.c_str(), "accented");
  EXPECT_EQ(FoundLabel(std::string(128, 'x')), "ascii");
  EXPECT_EQ(FoundLabel(ascii), "<none>");
  EXPECT_EQ(FoundLabel(accented.substr(0, 256)), "accented");  // 128 two-byte characters
  EXPECT_EQ(FoundLabel(accented.substr(0, 254)), "<none>");
}

TEST_F(ElementLookupTest, TheOrderIsTheFilterMenusOrder) {
  AddProbe(Pipeline.get(), "a", "");
  GstElement* inner = AddBin(Pipeline.get(), "b");
  AddProbe(inner, "b1", "");
  AddProbe(AddBin(inner, "b2"), "b2x", "");
  gst_bin_add(GST_BIN(Pipeline.get()), gst_element_factory_make("avidemux", "c"));
  std::vector<std::string> ours;
  for (const ElementPtr& element : ElementsInMenuOrder(Pipeline.get())) ours.push_back(ElementMenuName(element.get()));
  EXPECT_EQ(ours, (std::vector<std::string>{"a", "b", "b1", "b2", "b2x", "c"}));
  std::vector<std::string> menu;
  for (const TFilterInfo& filter : ListElements(GST_BIN(Pipeline.get()))) menu.push_back(filter.Name);
  EXPECT_EQ(ours, menu);
}

TEST_F(ElementLookupTest, AChangeReachesTheRunningElement) {
  GError* error = nullptr;
  ElementPtr running(GST_ELEMENT(gst_object_ref_sink(gst_parse_launch(
      "audiotestsrc is-live=true samplesperbuffer=441 ! volume name=vol volume=0.5 ! fakesink sync=true", &error))));
  ASSERT_TRUE(running) << (error != nullptr ? error->message : "");
  ASSERT_NE(gst_element_set_state(running.get(), GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
  GstState state = GST_STATE_NULL;
  gst_element_get_state(running.get(), &state, nullptr, 5 * GST_SECOND);
  ASSERT_EQ(state, GST_STATE_PLAYING);

  ElementPtr volume = FindElementWithSettings(running.get(), "vol");
  ASSERT_TRUE(volume);
  TElementSettings settings(volume.get());
  const TElementSetting* level = settings.Find("volume");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->Kind, SettingKind::Double);
  EXPECT_EQ(level->DoubleMin, 0.0);
  EXPECT_EQ(level->DoubleMax, 10.0);
  EXPECT_EQ(settings.Get("volume"), TSettingValue(0.5));
  EXPECT_TRUE(settings.Set("volume", 0.25));
  EXPECT_TRUE(settings.Set("mute", true));
  gdouble now = 0;
  gboolean muted = FALSE;
  g_object_get(volume.get(), "volume", &now, "mute", &muted, nullptr);
  EXPECT_EQ(now, 0.25);
  EXPECT_TRUE(muted);
  gst_element_set_state(running.get(), GST_STATE_NULL);
}

}  // namespace
}  // namespace mova
