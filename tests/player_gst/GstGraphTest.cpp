// The GStreamer graph on its own: its video window and its settings.
#include <gtest/gtest.h>

#include <QSet>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>

#include "platform/gstreamer/GstCue.h"
#include "platform/gstreamer/GstElementList.h"
#include "platform/gstreamer/GstMediaGraph.h"
#include "platform/qt/QtHandles.h"
#include "player_gst/GstTestSupport.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<TGstMediaGraph> RenderedGraph(const std::string& path) {
  // Made by the platform, so the graphs get its choice of audio sink.
  std::unique_ptr<IMediaGraph> made = Platform().CreateGraph();
  std::unique_ptr<TGstMediaGraph> graph(dynamic_cast<TGstMediaGraph*>(made.get()));
  if (!graph) return nullptr;
  made.release();
  if (!graph->RenderFile(path)) return nullptr;
  return graph;
}

TEST(GstGraphTest, TheVideoWindowIsAPlacedChildThatLetsTheMouseThrough) {
  QWidget owner;
  owner.resize(400, 300);
  owner.show();
  auto graph = RenderedGraph(AviClip().Path);
  ASSERT_TRUE(graph);
  graph->SetVideoOwner(HandleFromWidget(&owner));
  QWidget* video = graph->VideoWidget();
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->parentWidget(), &owner);
  EXPECT_TRUE(video->isVisible());
  EXPECT_TRUE(video->testAttribute(Qt::WA_TransparentForMouseEvents));

  EXPECT_EQ(graph->SetVideoPosition(10, 20, 240, 180), 0);
  EXPECT_EQ(video->geometry(), QRect(10, 20, 240, 180));
  // Mouse input over the picture reaches the main window.
  EXPECT_EQ(owner.childAt(50, 50), nullptr);

  // The cued picture arrives at its native size.
  ASSERT_TRUE(WaitUntil([&] { return !graph->NewestFrame().isNull(); }, 3s));
  EXPECT_EQ(graph->NewestFrame().size(), QSize(160, 120));

  graph->SetVideoVisible(false);
  graph->SetVideoOwner(0);
  EXPECT_FALSE(video->isVisible());
  EXPECT_EQ(video->parentWidget(), nullptr);
  EXPECT_TRUE(owner.findChildren<QWidget*>().empty());
}

TEST(GstGraphTest, TheVideoWindowPaintsTheFrameScaledSmoothly) {
  QWidget owner;
  owner.resize(320, 240);
  auto graph = RenderedGraph(AviClip().Path);
  ASSERT_TRUE(graph);
  graph->SetVideoOwner(HandleFromWidget(&owner));
  graph->SetVideoPosition(0, 0, 320, 240);
  ASSERT_TRUE(WaitUntil([&] { return !graph->NewestFrame().isNull(); }, 3s));
  const QImage shown = graph->VideoWidget()->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(320, 240));
  // The test picture has hard colour edges; smooth scaling blends them, so the
  // doubled picture holds colours that nearest-neighbour scaling would not make.
  const QImage frame = graph->NewestFrame().convertToFormat(QImage::Format_RGB32);
  QSet<QRgb> source;
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) source.insert(frame.pixel(x, y));
  int blended = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) blended += source.contains(shown.pixel(x, y)) ? 0 : 1;
  EXPECT_GT(blended, shown.width() * shown.height() / 50);
}

TEST(GstGraphTest, AnAudioOnlyGraphHasNoVideoWindow) {
  QWidget owner;
  auto graph = RenderedGraph(WavClip().Path);
  ASSERT_TRUE(graph);
  graph->SetVideoOwner(HandleFromWidget(&owner));
  EXPECT_EQ(graph->VideoWidget(), nullptr);
  EXPECT_NE(graph->SetVideoPosition(0, 0, 10, 10), 0);
  int32_t width = -1;
  int32_t height = -1;
  EXPECT_FALSE(graph->GetVideoSize(width, height));
  EXPECT_EQ(width, -1);
  double frameTime = -1.0;
  EXPECT_FALSE(graph->GetAvgTimePerFrame(frameTime));
  EXPECT_EQ(frameTime, -1.0);
}

TEST(GstGraphTest, ACueThatTakesTooLongFailsTheRender) {
  ASSERT_TRUE(Platform().Ready());
  TGstGraphOptions impatient;
  impatient.CueTimeout = std::chrono::milliseconds(1);
  impatient.SilentAudio = true;
  TGstMediaGraph graph(impatient);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(graph.RenderFile(Mp4Clip().Path));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(graph.GetCurrentPosition(), 0);
}

TEST(GstGraphTest, AGraphRendersOneFileOnly) {
  auto graph = RenderedGraph(WavClip().Path);
  ASSERT_TRUE(graph);
  EXPECT_FALSE(graph->RenderFile(WavClip().Path));
}

TEST(GstGraphTest, VolumeInHundredthsOfADecibelBecomesALinearFactor) {
  EXPECT_DOUBLE_EQ(LinearVolume(0), 1.0);
  EXPECT_DOUBLE_EQ(LinearVolume(-2000), 0.1);
  EXPECT_NEAR(LinearVolume(-600), 0.501, 0.001);
  EXPECT_EQ(LinearVolume(-10000), 0.0);
  EXPECT_EQ(LinearVolume(-20000), 0.0);
  EXPECT_EQ(LinearVolume(500), 1.0);
}

// That the list is the same every time is the media seam's contract
// (contract/MediaGraphContract); its order is the pipeline's.
TEST(GstGraphTest, ElementsAreListedInTheOrderThePicturesFlowThrough) {
  auto graph = RenderedGraph(AviClip().Path);
  ASSERT_TRUE(graph);
  const std::vector<TFilterInfo> first = graph->EnumFilters();
  ASSERT_FALSE(first.empty());
  // The source comes before the demuxer, the demuxer before the decoder.
  auto index = [&](const std::string& part) {
    for (size_t i = 0; i < first.size(); ++i)
      if (first[i].Name.find(part) != std::string::npos) return static_cast<int>(i);
    return -1;
  };
  EXPECT_GE(index("source"), 0);
  EXPECT_LT(index("source"), index("avidemux"));
  EXPECT_LT(index("avidemux"), index("jpegdec"));
}

// Where text stands on a plain blue picture: the box of the pixels far from
// blue; right and bottom are -1 when there are none.
struct TextBox {
  int Left, Top, Right = -1, Bottom = -1;
};
TextBox TextIn(const QImage& picture) {
  TextBox box{picture.width(), picture.height()};
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const QColor pixel = picture.pixelColor(x, y);
      if (pixel.red() + pixel.green() + (255 - pixel.blue()) > 150) {
        box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y)};
      }
    }
  return box;
}

std::pair<int, int> TextRows(const QImage& picture) {
  const TextBox box = TextIn(picture);
  return {box.Top, box.Bottom};
}

// The text rows of the first picture with text while `path` plays, if any.
std::pair<int, int> TextWhilePlaying(const std::string& path) {
  auto graph = RenderedGraph(path);
  if (!graph) return {0, -1};
  graph->SetVolume(-10000);
  graph->Run();
  std::pair<int, int> rows{0, -1};
  WaitUntil(
      [&] {
        const QImage shown = graph->NewestFrame();
        if (!shown.isNull()) rows = TextRows(shown);
        return rows.second >= 0;
      },
      2s);
  graph->Pause();
  return rows;
}

TEST(GstGraphTest, SubtitlesAreDrawnOntoTheLowerPartOfThePictures) {
  const TClip with = MultiStreamMkvClip();
  const TClip without = MultiStreamMkvClipWithoutSubtitles();
  ASSERT_FALSE(with.Path.empty());
  ASSERT_FALSE(without.Path.empty());
  const auto [top, bottom] = TextWhilePlaying(with.Path);
  ASSERT_GE(bottom, 0) << "no subtitle drawn";
  EXPECT_GE(top, with.Height / 2) << "text above the lower half";
  EXPECT_LT(bottom, with.Height);
  // The same picture without subtitles shows no text at all.
  EXPECT_LT(TextWhilePlaying(without.Path).second, 0);
}

// How wide the text on a plain blue picture is, in pixels; 0 without text.
int TextWidth(const QImage& picture) {
  const TextBox box = TextIn(picture);
  return box.Right < 0 ? 0 : box.Right - box.Left + 1;
}

TEST(GstGraphTest, TheNextSubtitleStreamIsDrawnInTurnThenNoneThenTheFirstAgain) {
  const TClip clip = TwoSubtitlesMkvClip();
  ASSERT_FALSE(clip.Path.empty());
  auto graph = RenderedGraph(clip.Path);
  ASSERT_TRUE(graph);
  graph->Run();
  // Waits for a picture drawn after the choice whose text `fits`.
  auto shows = [&](auto fits) {
    int width = -1;
    const bool seen = WaitUntil(
        [&] {
          const QImage shown = graph->NewestFrame();
          return !shown.isNull() && fits(width = TextWidth(shown));
        },
        2s);
    return seen ? width : -width - 1000;
  };
  const int first = shows([](int width) { return width > 0; });
  ASSERT_GT(first, 0) << "the first stream's text is not drawn";
  ASSERT_TRUE(graph->NextStream(TStreamKind::Subtitle));
  const int second = shows([&](int width) { return width > 2 * first; });
  EXPECT_GT(second, 2 * first) << "the second stream's wider text is not drawn";
  ASSERT_TRUE(graph->NextStream(TStreamKind::Subtitle));
  EXPECT_EQ(shows([](int width) { return width == 0; }), 0) << "text still drawn after none was chosen";
  ASSERT_TRUE(graph->NextStream(TStreamKind::Subtitle));
  const int again = shows([](int width) { return width > 0; });
  EXPECT_GT(again, 0);
  EXPECT_LT(again, 2 * first) << "the first stream's text does not come back";
  graph->Pause();
}

TEST(GstGraphTest, ACueThatFailsBecauseAStreamHadNoPeerSaysSo) {
  // What the decoder bin's race with a parser that pushes at once looks
  // like: a source pushing into a pad nobody linked, while a sink waits.
  ASSERT_TRUE(Platform().Ready());
  const gsthandles::ElementPtr pipeline(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))));
  gst_bin_add_many(GST_BIN(pipeline.get()), gst_element_factory_make("audiotestsrc", nullptr),
                   gst_element_factory_make("fakesink", nullptr), nullptr);
  const gsthandles::BusPtr bus(gst_element_get_bus(pipeline.get()));
  const TCueResult unlinked = CuePipeline(pipeline.get(), bus.get(), 3s);
  gst_element_set_state(pipeline.get(), GST_STATE_NULL);
  EXPECT_FALSE(unlinked.Cued);
  EXPECT_TRUE(unlinked.Unlinked);

  // Any other failure is not taken for it.
  const gsthandles::ElementPtr broken(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))));
  GstElement* file = gst_element_factory_make("filesrc", nullptr);
  g_object_set(file, "location", "/nonexistent/clip.avi", nullptr);
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  gst_bin_add_many(GST_BIN(broken.get()), file, sink, nullptr);
  ASSERT_TRUE(gst_element_link(file, sink));
  const gsthandles::BusPtr brokenBus(gst_element_get_bus(broken.get()));
  const TCueResult missing = CuePipeline(broken.get(), brokenBus.get(), 3s);
  gst_element_set_state(broken.get(), GST_STATE_NULL);
  EXPECT_FALSE(missing.Cued);
  EXPECT_FALSE(missing.Unlinked);
}

TEST(GstGraphTest, OnlyUserSettingsCount) {
  ASSERT_TRUE(Platform().Ready());
  GstElement* identity = gst_element_factory_make("identity", nullptr);  // has its own settings
  GstElement* bin = gst_bin_new(nullptr);                                 // only the generic ones
  ASSERT_NE(identity, nullptr);
  EXPECT_TRUE(HasUserSettings(identity));
  EXPECT_FALSE(HasUserSettings(bin));
  gst_object_unref(gst_object_ref_sink(identity));
  gst_object_unref(gst_object_ref_sink(bin));
}

}  // namespace
}  // namespace mova::test
