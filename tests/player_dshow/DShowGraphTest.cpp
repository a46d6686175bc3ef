// The DirectShow graph against real files, beyond the media seam's contract
// (contract/MediaGraphContract): its video window, and the sound file's length
// to the hundredth of a second.
#include <memory>
#include <string>
#include <vector>

#include "DShowTestSupport.h"
#include "platform/directshow/DShowMediaPlatform.h"

namespace mova {
namespace {

using namespace std::chrono_literals;
using test::Medium;
using test::PumpUntil;

constexpr int64_t Second = 10000000;  // media time

class DShowGraphTest : public test::TComTest {
 protected:
  std::unique_ptr<IMediaGraph> Render(const std::string& medium) {
    std::unique_ptr<IMediaGraph> graph = Platform.CreateGraph();
    const bool rendered = graph != nullptr && graph->RenderFile(Medium(medium));
    EXPECT_TRUE(rendered) << medium << " did not render";
    return rendered ? std::move(graph) : nullptr;
  }

  // Counts end notifications, and that each came from the message loop.
  void CountEnds(IMediaGraph& graph) {
    graph.SetEndOfStreamHandler([this] {
      ++Ends;
      if (!Pumping) ++EndsOutsideTheLoop;
    });
  }
  bool PumpUntilEnds(int count, std::chrono::milliseconds timeout) {
    Pumping = true;
    const bool reached = PumpUntil([&] { return Ends >= count; }, timeout);
    Pumping = false;
    return reached;
  }

  TDShowMediaPlatform Platform;
  int Ends = 0;
  int EndsOutsideTheLoop = 0;
  bool Pumping = false;
};

TEST_F(DShowGraphTest, VideoWindowIsAPlacedChildOfItsOwnerUntilDetached) {
  test::TOwnerWindow owner;
  ASSERT_NE(owner.Handle(), nullptr);
  std::unique_ptr<IMediaGraph> graph = Render("graph-clip.avi");
  ASSERT_NE(graph, nullptr);
  // Cued, but without an owner, the picture is no window of its own.
  EXPECT_EQ(GetWindow(owner.Handle(), GW_CHILD), nullptr);

  graph->SetVideoOwner(reinterpret_cast<WindowHandle>(owner.Handle()));
  EXPECT_EQ(graph->SetVideoPosition(10, 20, 176, 120), 0);
  HWND video = GetWindow(owner.Handle(), GW_CHILD);
  ASSERT_NE(video, nullptr);
  EXPECT_TRUE(GetWindowLongW(video, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowVisible(video));
  RECT placed{};
  GetWindowRect(video, &placed);
  MapWindowPoints(nullptr, owner.Handle(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ((std::vector<LONG>{placed.left, placed.top, placed.right, placed.bottom}),
            (std::vector<LONG>{10, 20, 186, 140}));
  // It shows the cued picture at that size: the test pattern's magenta bar.
  COLORREF bar = 0;
  const auto showsMagenta = [&] {
    HDC dc = GetDC(video);
    bar = GetPixel(dc, 55, 50);
    ReleaseDC(video, dc);
    return GetRValue(bar) > 200 && GetGValue(bar) < 60 && GetBValue(bar) > 200;
  };
  EXPECT_TRUE(PumpUntil(showsMagenta, 2s)) << std::hex << bar;
  // A click on the picture reaches the owner.
  PostMessageW(video, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(PumpUntil([&] { return owner.ButtonPresses() == 1; }, 2s));

  graph->SetVideoVisible(false);
  EXPECT_FALSE(IsWindowVisible(video));
  graph->SetVideoOwner(0);
  EXPECT_EQ(GetWindow(owner.Handle(), GW_CHILD), nullptr);
}

TEST_F(DShowGraphTest, WavHasNoVideoAndPlaysToItsEnd) {
  test::TOwnerWindow owner;
  std::unique_ptr<IMediaGraph> graph = Render("graph-sine.wav");
  ASSERT_NE(graph, nullptr);
  int32_t width = -1;
  int32_t height = -1;
  EXPECT_FALSE(graph->GetVideoSize(width, height));
  EXPECT_EQ(width + height, -2);  // untouched
  double frameTime = 0.0;
  EXPECT_FALSE(graph->GetAvgTimePerFrame(frameTime));
  int64_t duration = 0;
  ASSERT_TRUE(graph->GetDuration(duration));
  EXPECT_NEAR(static_cast<double>(duration), 1.0 * Second, Second / 100);
  // The format text's facts, from the WAVEFORMATEX on the way to the renderer.
  const TStreamFacts facts = graph->GetStreamFacts();
  EXPECT_EQ(facts.AudioTag, 1);
  EXPECT_EQ(facts.Channels, 1);
  EXPECT_EQ(facts.SamplesPerSecond, 22050u);
  EXPECT_EQ(facts.BytesPerSecond, 44100u);
  EXPECT_EQ(facts.VideoCode, "");

  graph->SetVideoOwner(reinterpret_cast<WindowHandle>(owner.Handle()));
  graph->SetVideoPosition(0, 0, 100, 100);
  EXPECT_EQ(GetWindow(owner.Handle(), GW_CHILD), nullptr);
  graph->SetVolume(-10000);
  CountEnds(*graph);
  graph->Run();
  ASSERT_TRUE(PumpUntilEnds(1, 5s));
  EXPECT_EQ(graph->GetCurrentPosition(), duration);
}

TEST_F(DShowGraphTest, RateFrameStepsAndTracksOfTheAddedCommands) {
  std::unique_ptr<IMediaGraph> graph = Render("graph-clip.avi");
  ASSERT_NE(graph, nullptr);
  graph->SetVolume(-10000);
  EXPECT_TRUE(graph->SetRate(2.0));
  graph->SetPosition(Second / 2);
  ASSERT_TRUE(graph->StepFrame(true));
  EXPECT_EQ(graph->GetCurrentPosition(), Second / 2 + Second / 25) << "one picture of 25 a second on";
  ASSERT_TRUE(graph->StepFrame(false));
  ASSERT_TRUE(graph->StepFrame(false));
  EXPECT_EQ(graph->GetCurrentPosition(), Second / 2 - Second / 25);
  // One sound stream, and no subtitles of DirectShow's own: nothing to change.
  EXPECT_FALSE(graph->NextStream(TStreamKind::Sound));
  EXPECT_FALSE(graph->NextStream(TStreamKind::Subtitle));
  graph->SetSubtitlesVisible(false);
  // A sound file has no picture to step to.
  std::unique_ptr<IMediaGraph> sound = Render("graph-sine.wav");
  ASSERT_NE(sound, nullptr);
  EXPECT_FALSE(sound->StepFrame(true));
}

TEST_F(DShowGraphTest, PngCapturesComeFromTheImagingComponent) {
  TRgbImage picture;
  picture.Width = 3;
  picture.Height = 2;
  picture.Pixels = {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(Platform.EncodePng(picture, bytes));
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
  EXPECT_EQ(bytes[19], 3) << "width";
  EXPECT_EQ(bytes[23], 2) << "height";
  picture.Pixels.resize(5);
  EXPECT_FALSE(Platform.EncodePng(picture, bytes)) << "too few pixels for the size";
}

}  // namespace
}  // namespace mova
