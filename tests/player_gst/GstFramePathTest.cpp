// The way a decoded picture takes to the video window: its size follows a
// smaller window, and a painted picture outlives the graph that made it.
#include <gtest/gtest.h>

#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "platform/gstreamer/GstMediaGraph.h"
#include "platform/qt/QtHandles.h"
#include "player_gst/GstTestSupport.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<TGstMediaGraph> PlacedGraph(const TClip& clip, QWidget& owner) {
  TGstGraphOptions options;
  options.SilentAudio = true;
  auto graph = std::make_unique<TGstMediaGraph>(options);
  if (clip.Path.empty() || !Platform().Ready() || !graph->RenderFile(clip.Path)) return nullptr;
  graph->SetVideoOwner(HandleFromWidget(&owner));
  return graph;
}

// The mean difference of two pictures of one size, per colour channel.
double MeanDifference(const QImage& a, const QImage& b) {
  long long total = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
    }
  return static_cast<double>(total) / (3.0 * a.width() * a.height());
}

// A new picture at the current place: a paused graph makes one on a seek.
bool NewPictureOfSize(TGstMediaGraph& graph, QSize size) {
  graph.SetPosition(0);
  return WaitUntil([&] { return graph.NewestFrame().size() == size; }, 3s);
}

TEST(GstFramePathTest, PicturesFollowAWindowSmallerThanThePictureAndComeBackWhenItGrows) {
  QWidget owner;
  owner.resize(400, 300);
  const TClip clip = Mp4Clip();
  auto graph = PlacedGraph(clip, owner);
  ASSERT_TRUE(graph);
  const QSize native(clip.Width, clip.Height);
  ASSERT_TRUE(WaitUntil([&] { return graph->NewestFrame().size() == native; }, 3s));
  const QImage whole = graph->NewestFrame().convertToFormat(QImage::Format_RGB32);

  // Half the size: the pipeline delivers pictures of the window's size...
  graph->SetVideoPosition(5, 5, native.width() / 2, native.height() / 2);
  ASSERT_TRUE(NewPictureOfSize(*graph, native / 2));
  const QImage frame = graph->NewestFrame().convertToFormat(QImage::Format_RGB32);
  // ...that look like the same picture smoothly scaled by Qt: no shifted
  // rows, swapped colour planes or skipped pixels...
  const QImage reference = whole.scaled(native / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  EXPECT_LT(MeanDifference(frame, reference), 6.0);
  // ...and the window shows exactly that picture, not a black or shifted one.
  const QImage shown = graph->VideoWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), frame.size());
  EXPECT_EQ(shown, frame);

  // One pixel smaller in one direction only is still smaller.
  graph->SetVideoPosition(0, 0, native.width(), native.height() - 1);
  EXPECT_TRUE(NewPictureOfSize(*graph, QSize(native.width(), native.height() - 1)));

  // Larger than the picture: native pictures again, scaled up when painted.
  graph->SetVideoPosition(0, 0, native.width() * 2, native.height() * 2);
  EXPECT_TRUE(NewPictureOfSize(*graph, native));
  EXPECT_EQ(graph->VideoWidget()->grab().size(), native * 2);

  // An empty window asks for nothing odd: the native size stays.
  graph->SetVideoPosition(0, 0, 0, 0);
  EXPECT_TRUE(NewPictureOfSize(*graph, native));
}

TEST(GstFramePathTest, APictureWrittenStraightIntoAnImageLandsAtTheWidgetsPlaceOnly) {
  QWidget owner;
  owner.resize(400, 300);
  const TClip clip = Mp4Clip();
  auto graph = PlacedGraph(clip, owner);
  ASSERT_TRUE(graph);
  const QSize half(clip.Width / 2, clip.Height / 2);
  graph->SetVideoPosition(0, 0, half.width(), half.height());
  ASSERT_TRUE(WaitUntil([&] { return !graph->NewestFrame().isNull(); }, 3s));
  const QImage expected = graph->NewestFrame().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(expected.size(), half);
  // A back buffer larger than the widget, the widget painted at an offset.
  for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
    QImage buffer(half.width() + 37, half.height() + 21, format);
    buffer.fill(QColor(1, 2, 3));
    const QPoint offset(13, 7);
    graph->VideoWidget()->render(&buffer, offset);
    for (int y = 0; y < buffer.height(); ++y)
      for (int x = 0; x < buffer.width(); ++x) {
        const QPoint inside = QPoint(x, y) - offset;
        const QRgb want = QRect(QPoint(0, 0), half).contains(inside) ? expected.pixel(inside) : qRgb(1, 2, 3);
        ASSERT_EQ(buffer.pixel(x, y), want) << x << "," << y << " format " << format;
      }
  }
}

TEST(GstFramePathTest, APictureHeldByThePainterOutlivesItsGraph) {
  QWidget owner;
  owner.resize(400, 300);
  auto graph = PlacedGraph(AviClip(), owner);
  ASSERT_TRUE(graph);
  ASSERT_TRUE(WaitUntil([&] { return !graph->NewestFrame().isNull(); }, 3s));
  const QImage held = graph->NewestFrame();
  const QImage copy = held.copy();  // pixels of its own
  graph->Run();
  Spin(200ms);  // the pipeline moves on to other buffers
  graph.reset();
  // The picture still reads its own buffer, unchanged.
  EXPECT_EQ(held, copy);
}

}  // namespace
}  // namespace mova::test
