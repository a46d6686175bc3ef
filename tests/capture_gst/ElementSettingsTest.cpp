#include "platform/gstreamer/ElementSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "capture_gst/SettingsTestElement.h"
#include "platform/gstreamer/GstHandles.h"

namespace mova {
namespace {

using gsthandles::ElementPtr;

class ElementSettingsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

  // A test element, held here and released at the end of the test.
  GstElement* TestElement(const char* name = "probe") {
    Owned.emplace_back(GST_ELEMENT(gst_object_ref_sink(test::NewSettingsTestElement(name))));
    return Owned.back().get();
  }

  std::vector<ElementPtr> Owned;
};

std::vector<std::string> Names(const TElementSettings& settings) {
  std::vector<std::string> names;
  for (const TElementSetting& s : settings.Settings()) names.push_back(s.Name);
  return names;
}

TEST_F(ElementSettingsTest, ListsEveryReadableWritableSettingOfASimpleKindAndNothingElse) {
  const TElementSettings settings(TestElement());
  std::vector<std::string> names = Names(settings);
  std::sort(names.begin(), names.end());
  // Not listed: the object's name and parent, flags, caps, the construct-only,
  // read-only and write-only properties.
  const std::vector<std::string> expected{"big",   "count", "flag",  "gain",   "label", "ratio", "shape",
                                          "source", "tiny",  "ubig", "ucount", "utiny", "uwide", "wide"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(settings.Find("name"), nullptr);
  EXPECT_EQ(settings.Find("options"), nullptr);
}

TEST_F(ElementSettingsTest, EveryIntegerWidthKeepsItsSignAndRange) {
  const TElementSettings settings(TestElement());
  struct TExpect {
    const char* Name;
    SettingKind Kind;
    int64_t Min, Max;
    uint64_t UMin, UMax;
  };
  for (const TExpect& e : {TExpect{"tiny", SettingKind::Int, -100, 100, 0, 0},
                           TExpect{"count", SettingKind::Int, -5, 50, 0, 0},
                           TExpect{"wide", SettingKind::Int, G_MINLONG, G_MAXLONG, 0, 0},
                           TExpect{"big", SettingKind::Int, G_MININT64, G_MAXINT64, 0, 0},
                           TExpect{"utiny", SettingKind::UInt, 0, 0, 2, 200},
                           TExpect{"ucount", SettingKind::UInt, 0, 0, 0, G_MAXUINT},
                           TExpect{"uwide", SettingKind::UInt, 0, 0, 1, G_MAXULONG},
                           TExpect{"ubig", SettingKind::UInt, 0, 0, 0, G_MAXUINT64}}) {
    SCOPED_TRACE(e.Name);
    const TElementSetting* s = settings.Find(e.Name);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Kind, e.Kind);
    if (e.Kind == SettingKind::Int) {
      EXPECT_EQ(s->IntMin, e.Min);
      EXPECT_EQ(s->IntMax, e.Max);
    } else {
      EXPECT_EQ(s->UIntMin, e.UMin);
      EXPECT_EQ(s->UIntMax, e.UMax);
    }
  }
}

TEST_F(ElementSettingsTest, RealsEnumsAndStringsAreDescribed) {
  const TElementSettings settings(TestElement());
  const TElementSetting* ratio = settings.Find("ratio");
  ASSERT_NE(ratio, nullptr);
  EXPECT_EQ(ratio->Kind, SettingKind::Double);
  EXPECT_TRUE(ratio->SinglePrecision);
  EXPECT_EQ(ratio->DoubleMin, -1.0);
  EXPECT_EQ(ratio->DoubleMax, 1.0);
  const TElementSetting* gain = settings.Find("gain");
  ASSERT_NE(gain, nullptr);
  EXPECT_FALSE(gain->SinglePrecision);
  EXPECT_EQ(gain->DoubleMax, 10.0);
  const TElementSetting* shape = settings.Find("shape");
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->Kind, SettingKind::Enum);
  const std::vector<std::pair<int64_t, std::string>> values{{1, "square"}, {5, "round"}, {-3, "odd"}};
  EXPECT_EQ(shape->EnumValues, values);
  EXPECT_EQ(settings.Find("label")->Kind, SettingKind::String);
  EXPECT_EQ(settings.Find("label")->Blurb, "a string");
}

TEST_F(ElementSettingsTest, ReadsAndWritesEachKindThroughToTheElement) {
  GstElement* element = TestElement();
  TElementSettings settings(element);
  EXPECT_EQ(settings.Get("ucount"), TSettingValue(uint64_t{4000000000u}));
  EXPECT_EQ(settings.Get("ubig"), TSettingValue(uint64_t{G_MAXUINT64}));
  EXPECT_EQ(settings.Get("shape"), TSettingValue(int64_t{5}));
  EXPECT_EQ(settings.Get("label"), TSettingValue(std::string("start")));

  EXPECT_TRUE(settings.Set("flag", false));
  EXPECT_TRUE(settings.Set("tiny", int64_t{-100}));
  EXPECT_TRUE(settings.Set("utiny", uint64_t{200}));
  EXPECT_TRUE(settings.Set("wide", int64_t{G_MINLONG}));
  EXPECT_TRUE(settings.Set("big", int64_t{G_MAXINT64}));
  EXPECT_TRUE(settings.Set("ucount", uint64_t{G_MAXUINT}));
  EXPECT_TRUE(settings.Set("ratio", -0.25));
  EXPECT_TRUE(settings.Set("shape", int64_t{-3}));
  EXPECT_TRUE(settings.Set("label", std::string("café")));

  gboolean flag = TRUE;
  gint8 tiny = 0;
  guchar utiny = 0;
  glong wide = 0;
  gint64 big = 0;
  guint ucount = 0;
  gfloat ratio = 0;
  gint shape = 0;
  gchar* label = nullptr;
  g_object_get(element, "flag", &flag, "tiny", &tiny, "utiny", &utiny, "wide", &wide, "big", &big, "ucount",
               &ucount, "ratio", &ratio, "shape", &shape, "label", &label, nullptr);
  EXPECT_FALSE(flag);
  EXPECT_EQ(tiny, -100);
  EXPECT_EQ(utiny, 200);
  EXPECT_EQ(wide, G_MINLONG);
  EXPECT_EQ(big, G_MAXINT64);
  EXPECT_EQ(ucount, G_MAXUINT);
  EXPECT_EQ(ratio, -0.25f);
  EXPECT_EQ(shape, -3);
  EXPECT_STREQ(label, "café");
  g_free(label);
}

TEST_F(ElementSettingsTest, RefusedWritesLeaveTheElementUnchanged) {
  GstElement* element = TestElement();
  TElementSettings settings(element);
  EXPECT_FALSE(settings.Set("count", int64_t{51}));        // above the maximum
  EXPECT_FALSE(settings.Set("count", int64_t{-6}));        // below the minimum
  EXPECT_FALSE(settings.Set("count", uint64_t{20}));       // wrong kind
  EXPECT_FALSE(settings.Set("utiny", uint64_t{1}));        // below an unsigned minimum
  EXPECT_FALSE(settings.Set("shape", int64_t{2}));         // inside the range, but no such value
  EXPECT_FALSE(settings.Set("gain", 10.5));
  EXPECT_FALSE(settings.Set("gain", std::nan("")));
  EXPECT_FALSE(settings.Set("measured", int64_t{1}));      // read-only
  EXPECT_FALSE(settings.Set("name", std::string("other")));  // the name is not a setting
  EXPECT_FALSE(settings.Set("nonexistent", true));
  EXPECT_EQ(settings.Get("count"), TSettingValue(int64_t{10}));
  EXPECT_EQ(settings.Get("shape"), TSettingValue(int64_t{5}));
  EXPECT_EQ(settings.Get("gain"), TSettingValue(1.5));
  EXPECT_EQ(std::string(GST_OBJECT_NAME(element)), "probe");
  EXPECT_FALSE(settings.Get("measured").has_value());
}

TEST_F(ElementSettingsTest, ASettingChangeableOnlyUntilReadyIsLockedOnceTheElementRuns) {
  GstElement* element = TestElement();
  TElementSettings settings(element);
  EXPECT_TRUE(settings.ChangeableNow("source"));
  EXPECT_TRUE(settings.Set("source", std::string("a")));
  ASSERT_NE(gst_element_set_state(element, GST_STATE_PAUSED), GST_STATE_CHANGE_FAILURE);
  EXPECT_FALSE(settings.ChangeableNow("source"));
  EXPECT_FALSE(settings.Set("source", std::string("b")));
  EXPECT_TRUE(settings.ChangeableNow("label"));
  EXPECT_TRUE(settings.Set("label", std::string("live")));
  EXPECT_EQ(settings.Get("source"), TSettingValue(std::string("a")));
  gst_element_set_state(element, GST_STATE_NULL);
  EXPECT_TRUE(settings.Set("source", std::string("b")));
}

TEST_F(ElementSettingsTest, TypedTextIsReadInRangeOnly) {
  const TElementSettings settings(TestElement());
  auto parse = [&settings](const char* name, const std::string& text) {
    return TElementSettings::Parse(*settings.Find(name), text);
  };
  EXPECT_EQ(parse("big", " -9223372036854775808 "), TSettingValue(int64_t{G_MININT64}));
  EXPECT_EQ(parse("ubig", "18446744073709551615"), TSettingValue(uint64_t{G_MAXUINT64}));
  EXPECT_FALSE(parse("ubig", "18446744073709551616"));  // one past the largest
  EXPECT_FALSE(parse("ucount", "-1"));
  EXPECT_FALSE(parse("count", "12x"));
  EXPECT_FALSE(parse("count", ""));
  EXPECT_FALSE(parse("count", "51"));
  EXPECT_EQ(parse("gain", "2.5"), TSettingValue(2.5));
  EXPECT_FALSE(parse("gain", "nan"));
  EXPECT_FALSE(parse("gain", "inf"));
  EXPECT_EQ(parse("flag", "TRUE"), TSettingValue(true));
  EXPECT_EQ(parse("flag", "0"), TSettingValue(false));
  EXPECT_FALSE(parse("flag", "maybe"));
  EXPECT_EQ(parse("shape", "odd"), TSettingValue(int64_t{-3}));
  EXPECT_EQ(parse("shape", "1"), TSettingValue(int64_t{1}));
  EXPECT_FALSE(parse("shape", "2"));
  EXPECT_FALSE(parse("shape", "Shape odd"));
  EXPECT_EQ(parse("label", "  spaced  "), TSettingValue(std::string("  spaced  ")));  // strings as typed
}

TEST_F(ElementSettingsTest, FormattedValuesReadBackUnchanged) {
  TElementSettings settings(TestElement());
  ASSERT_TRUE(settings.Set("ratio", 0.1));  // a float: 0.1 is not exact
  for (const char* name : {"big", "ubig", "ucount", "ratio", "gain", "shape", "flag", "label", "wide"}) {
    SCOPED_TRACE(name);
    const TElementSetting& setting = *settings.Find(name);
    const TSettingValue value = *settings.Get(name);
    const std::string text = TElementSettings::Format(setting, value);
    const std::optional<TSettingValue> back = TElementSettings::Parse(setting, text);
    ASSERT_TRUE(back.has_value()) << text;
    if (setting.SinglePrecision) {
      EXPECT_EQ(static_cast<float>(std::get<double>(*back)), static_cast<float>(std::get<double>(value)));
    } else {
      EXPECT_EQ(*back, value);
    }
  }
  EXPECT_EQ(TElementSettings::Format(*settings.Find("ratio"), *settings.Get("ratio")), "0.1");
  EXPECT_EQ(TElementSettings::Format(*settings.Find("shape"), TSettingValue(int64_t{5})), "round");
}

TEST_F(ElementSettingsTest, AnElementWithOnlyGenericOrUnsupportedPropertiesHasNoSettings) {
  ElementPtr demuxer(GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("avidemux", nullptr))));
  ElementPtr bin(GST_ELEMENT(gst_object_ref_sink(gst_bin_new(nullptr))));
  ElementPtr balance(GST_ELEMENT(gst_object_ref_sink(gst_element_factory_make("videobalance", nullptr))));
  ASSERT_TRUE(demuxer && bin && balance);
  EXPECT_FALSE(ElementHasSettings(demuxer.get()));
  EXPECT_FALSE(ElementHasSettings(bin.get()));  // async handling and message forwarding are the bin's own
  EXPECT_TRUE(ElementHasSettings(balance.get()));
  EXPECT_TRUE(ElementHasSettings(TestElement()));
  EXPECT_FALSE(ElementHasSettings(nullptr));
  EXPECT_TRUE(TElementSettings(demuxer.get()).Settings().empty());
}

}  // namespace
}  // namespace mova
