#include "contract/MediaGraphContract.h"

#include <cstdlib>
#include <thread>
#include <vector>

namespace mova::test {

namespace {

using namespace std::chrono_literals;

constexpr int64_t Second = 10'000'000;  // media time

}  // namespace

const TContractMedium& ContractClip() {
  static const TContractMedium clip{"graph-clip.avi", true, true, 352, 240, 0.04, 2 * Second, 1, 22050, "MJPG"};
  return clip;
}

const TContractMedium& ContractSound() {
  static const TContractMedium sound{"graph-sine.wav", true, false, 0, 0, 0.0, Second, 1, 22050, ""};
  return sound;
}

const TContractMedium& ContractNoise() {
  static const TContractMedium noise{"graph-noise.bin", false};
  return noise;
}

void MediaGraphContract::SetUp() {
  if (Backend().SetUp) Backend().SetUp();
  std::string check = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  check = check.substr(0, check.find('/'));
  if (const auto unmet = Backend().Unmet.find(check); unmet != Backend().Unmet.end())
    GTEST_SKIP() << Backend().Name << " cannot meet this: " << unmet->second;
}

void MediaGraphContract::TearDown() {
  if (Backend().TearDown) Backend().TearDown();
}

std::unique_ptr<IMediaGraph> MediaGraphContract::Rendered(const TContractMedium& medium) {
  std::unique_ptr<IMediaGraph> graph = Backend().CreateGraph();
  const bool rendered = graph != nullptr && graph->RenderFile(Backend().Path(medium));
  EXPECT_TRUE(rendered) << medium.Name << " did not render";
  return rendered ? std::move(graph) : nullptr;
}

void MediaGraphContract::CountEnds(IMediaGraph& graph) {
  graph.SetEndOfStreamHandler([this] {
    ++Ends;
    if (!InLoop) ++EndsOutsideTheLoop;
  });
}

std::unique_ptr<IMediaGraph> MediaGraphContract::Counted(const TContractMedium& medium, int64_t& duration) {
  std::unique_ptr<IMediaGraph> graph = Rendered(medium);
  if (!graph) return nullptr;
  if (!graph->GetDuration(duration)) {
    ADD_FAILURE() << medium.Name << " tells no length";
    return nullptr;
  }
  CountEnds(*graph);
  graph->SetVolume(-10000);
  return graph;
}

bool MediaGraphContract::RunUntilEnds(int count, std::chrono::milliseconds timeout) {
  InLoop = true;
  const bool reached = Backend().RunUntil([&] { return Ends >= count; }, timeout);
  InLoop = false;
  return reached;
}

void MediaGraphContract::RunFor(std::chrono::milliseconds time) {
  InLoop = true;
  Backend().RunUntil([] { return false; }, time);
  InLoop = false;
}

TEST_P(MediaGraphContract, RendersWholeMediaAndRefusesWhatIsNone) {
  EXPECT_NE(Rendered(ContractClip()), nullptr);
  EXPECT_NE(Rendered(ContractSound()), nullptr);
  std::unique_ptr<IMediaGraph> noise = Backend().CreateGraph();
  ASSERT_NE(noise, nullptr);
  EXPECT_FALSE(noise->RenderFile(Backend().Path(ContractNoise())));
  // A graph that could not render answers harmlessly.
  EXPECT_EQ(noise->GetCurrentPosition(), 0);
  noise->SetPosition(Second);
  noise->Run();
  noise->Stop();
  EXPECT_EQ(noise->GetCurrentPosition(), 0);
}

TEST_P(MediaGraphContract, TellsTheSizeFrameTimeAndLengthOfWhatItRendered) {
  for (const TContractMedium* medium : {&ContractClip(), &ContractSound()}) {
    SCOPED_TRACE(medium->Name);
    std::unique_ptr<IMediaGraph> graph = Rendered(*medium);
    ASSERT_NE(graph, nullptr);
    int32_t width = -1;
    int32_t height = -1;
    double frameTime = -1.0;
    EXPECT_EQ(graph->GetVideoSize(width, height), medium->HasVideo);
    EXPECT_EQ(graph->GetAvgTimePerFrame(frameTime), medium->HasVideo);
    if (medium->HasVideo) {
      EXPECT_EQ(width, medium->Width);
      EXPECT_EQ(height, medium->Height);
      EXPECT_NEAR(frameTime, medium->FrameTime, 0.0005);
    } else {
      EXPECT_EQ(width, -1) << "outputs are left untouched";
      EXPECT_EQ(height, -1);
      EXPECT_EQ(frameTime, -1.0);
    }
    int64_t duration = 0;
    ASSERT_TRUE(graph->GetDuration(duration));
    EXPECT_NEAR(static_cast<double>(duration), static_cast<double>(medium->Duration),
                static_cast<double>(Backend().Tolerance));
    EXPECT_FALSE(graph->DurationIsEstimate());
    EXPECT_EQ(graph->GetCurrentPosition(), 0) << "cued at the start";
  }
}

TEST_P(MediaGraphContract, TellsTheFormatsItsStreamsWereStoredIn) {
  for (const TContractMedium* medium : {&ContractClip(), &ContractSound()}) {
    SCOPED_TRACE(medium->Name);
    std::unique_ptr<IMediaGraph> graph = Rendered(*medium);
    ASSERT_NE(graph, nullptr);
    const TStreamFacts facts = graph->GetStreamFacts();
    EXPECT_EQ(facts.AudioTag, medium->AudioTag);
    EXPECT_EQ(facts.Channels, 1);
    EXPECT_EQ(facts.SamplesPerSecond, medium->SamplesPerSecond);
    EXPECT_EQ(facts.BytesPerSecond, medium->SamplesPerSecond * 2) << "16-bit samples";
    EXPECT_EQ(facts.VideoCode, medium->VideoCode);
    EXPECT_EQ(facts.PixelWidth, facts.PixelHeight) << "square pixels, or none stated";
    EXPECT_FALSE(facts.QuarterTurn);
  }
  std::unique_ptr<IMediaGraph> empty = Backend().CreateGraph();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->GetStreamFacts().AudioTag, 0) << "nothing before a render";
}

TEST_P(MediaGraphContract, PlaysToTheEndTellsItOnceFromTheLoopAndStaysThere) {
  int64_t duration = 0;
  std::unique_ptr<IMediaGraph> graph = Counted(ContractClip(), duration);
  ASSERT_NE(graph, nullptr);
  graph->SetPosition(duration - Second / 2);
  graph->Run();
  ASSERT_TRUE(RunUntilEnds(1, 5s)) << "no end notification";
  EXPECT_EQ(graph->GetCurrentPosition(), duration);
  RunFor(300ms);
  EXPECT_EQ(Ends, 1) << "one end, one notification";
  EXPECT_EQ(graph->GetCurrentPosition(), duration);
  graph->Stop();
  EXPECT_EQ(graph->GetCurrentPosition(), duration) << "stopped at the end, it stays there";
  EXPECT_EQ(EndsOutsideTheLoop, 0);

  // Played again from near the end, it ends and tells it once more.
  graph->SetPosition(duration - Second / 4);
  EXPECT_LT(graph->GetCurrentPosition(), duration);
  graph->Run();
  ASSERT_TRUE(RunUntilEnds(2, 5s)) << "no second end notification";
  EXPECT_EQ(graph->GetCurrentPosition(), duration);
  EXPECT_EQ(EndsOutsideTheLoop, 0);
}

TEST_P(MediaGraphContract, SeeksReadBackAtOnceWithinTheLength) {
  std::unique_ptr<IMediaGraph> graph = Rendered(ContractClip());
  ASSERT_NE(graph, nullptr);
  int64_t duration = 0;
  ASSERT_TRUE(graph->GetDuration(duration));
  const double tolerance = static_cast<double>(Backend().Tolerance);
  graph->SetPosition(Second / 2);
  EXPECT_NEAR(static_cast<double>(graph->GetCurrentPosition()), Second / 2, tolerance);
  graph->SetPosition(-Second);
  EXPECT_EQ(graph->GetCurrentPosition(), 0);
  graph->SetPosition(duration + Second);
  EXPECT_EQ(graph->GetCurrentPosition(), duration) << "a seek past the end lands on it";
  RunFor(200ms);
  EXPECT_EQ(graph->GetCurrentPosition(), duration) << "and that is the end until the next seek";
  graph->SetPosition(Second);
  EXPECT_NEAR(static_cast<double>(graph->GetCurrentPosition()), Second, tolerance);

  // While it runs, too.
  graph->SetVolume(-10000);
  graph->Run();
  graph->SetPosition(Second / 4);
  EXPECT_NEAR(static_cast<double>(graph->GetCurrentPosition()), Second / 4, tolerance);
  RunFor(300ms);
  EXPECT_GT(graph->GetCurrentPosition(), Second / 4) << "it plays on from there";
  graph->Pause();
}

TEST_P(MediaGraphContract, PauseAndStopKeepThePositionAndACueStaysStopped) {
  std::unique_ptr<IMediaGraph> graph = Rendered(ContractClip());
  ASSERT_NE(graph, nullptr);
  const double tolerance = static_cast<double>(Backend().Tolerance);
  graph->SetVolume(-10000);
  graph->Run();
  RunFor(400ms);
  graph->Pause();
  const int64_t paused = graph->GetCurrentPosition();
  EXPECT_GT(paused, 0);
  RunFor(200ms);
  EXPECT_NEAR(static_cast<double>(graph->GetCurrentPosition()), static_cast<double>(paused), tolerance);
  graph->Stop();
  EXPECT_NEAR(static_cast<double>(graph->GetCurrentPosition()), static_cast<double>(paused), tolerance);

  graph->SetPosition(Second);
  graph->StopWhenReady();
  RunFor(200ms);
  EXPECT_NEAR(static_cast<double>(graph->GetCurrentPosition()), Second, tolerance) << "cued, not playing";
}

TEST_P(MediaGraphContract, NoEndIsToldAfterASeekLeftItOrOnceTheGraphIsGone) {
  int64_t duration = 0;
  std::unique_ptr<IMediaGraph> graph = Counted(ContractSound(), duration);
  ASSERT_NE(graph, nullptr);
  graph->Run();
  ASSERT_TRUE(RunUntilEnds(1, 5s));
  graph->Pause();
  graph->SetPosition(0);
  EXPECT_EQ(graph->GetCurrentPosition(), 0) << "the seek left the end";
  RunFor(300ms);
  EXPECT_EQ(Ends, 1);

  // The end comes while no loop runs; the graph goes before the loop would
  // tell it. Real time has to pass here for the stream to reach its end.
  graph->SetPosition(duration - Second / 10);
  graph->Run();
  std::this_thread::sleep_for(800ms);
  graph.reset();
  RunFor(300ms);
  EXPECT_EQ(Ends, 1);
}

TEST_P(MediaGraphContract, TheVolumeIsTakenAtAnyTimeAndSilenceStillEndsOnTime) {
  std::unique_ptr<IMediaGraph> graph = Backend().CreateGraph();
  ASSERT_NE(graph, nullptr);
  graph->SetVolume(-10000);  // before the file: kept for it
  ASSERT_TRUE(graph->RenderFile(Backend().Path(ContractSound())));
  graph->SetVolume(0);
  graph->SetVolume(-20000);  // below silence: silence
  graph->SetVolume(500);     // above full: full
  graph->SetVolume(-10000);
  CountEnds(*graph);
  const auto start = std::chrono::steady_clock::now();
  graph->Run();
  ASSERT_TRUE(RunUntilEnds(1, 5s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

TEST_P(MediaGraphContract, ElementsAreListedAlikeEveryTimeAndAnUnknownOneShowsNothing) {
  std::unique_ptr<IMediaGraph> graph = Rendered(ContractClip());
  ASSERT_NE(graph, nullptr);
  const std::vector<TFilterInfo> first = graph->EnumFilters();
  const std::vector<TFilterInfo> second = graph->EnumFilters();
  ASSERT_FALSE(first.empty());
  ASSERT_EQ(first.size(), second.size());
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].Name, second[i].Name);
    EXPECT_EQ(first[i].HasSettings, second[i].HasSettings);
    EXPECT_LE(first[i].Name.size(), 128u);
  }
  const auto start = std::chrono::steady_clock::now();
  graph->ShowFilterSettings("no element has this name", 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s) << "nothing was shown to wait for";
}

TEST_P(MediaGraphContract, AnElementOfAPlayingGraphHasSettingsAUserCanChange) {
  std::unique_ptr<IMediaGraph> graph = Rendered(ContractClip());
  ASSERT_NE(graph, nullptr);
  bool any = false;
  for (const TFilterInfo& element : graph->EnumFilters()) any = any || element.HasSettings;
  EXPECT_TRUE(any) << "the filter menu would be empty";
}

}  // namespace mova::test
