// The test fake against the media seam's contract, so that what the player's
// tests learn from it holds for the real graphs too. Its graphs learn each
// contract medium's facts when they render it, and play on a clock of their
// own that the loop advances.
#include "contract/MediaGraphContract.h"
#include "support/FakeMedia.h"

namespace mova::test {
namespace {

using namespace std::chrono_literals;

constexpr int64_t PerMillisecond = 10'000;  // media time

FakeMediaPlatform& Platform() {
  static FakeMediaPlatform platform = [] {
    FakeMediaPlatform made;
    made.Script.ScriptFile = [](const std::string& fileName, FakeGraphState& state) {
      state.RenderResult = false;
      for (const TContractMedium* medium : {&ContractClip(), &ContractSound()}) {
        if (fileName != medium->Name) continue;
        state.RenderResult = true;
        state.HasVideo = state.HasFrameTime = medium->HasVideo;
        state.Width = medium->Width;
        state.Height = medium->Height;
        state.FrameTime = medium->FrameTime;
        state.Duration = medium->Duration;
        state.Filters = {{"source", false}, {"demuxer", false}, {"decoder", true}};
        state.Facts = TStreamFacts{medium->AudioTag, 1, medium->SamplesPerSecond, medium->SamplesPerSecond * 2,
                                   medium->VideoCode};
      }
    };
    return made;
  }();
  return platform;
}

bool RunFakeClock(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  constexpr auto step = 10ms;
  for (auto passed = 0ms; passed < timeout; passed += step) {
    if (done()) return true;
    for (const auto& graph : Platform().Graphs) graph->Advance(step.count() * PerMillisecond);
  }
  return done();
}

const TGraphBackend Fake{
    .Id = "Fake",
    .Name = "the fake graph",
    .CreateGraph = [] { return Platform().CreateGraph(); },
    .Path = [](const TContractMedium& medium) { return medium.Name; },
    .RunUntil = RunFakeClock,
};

INSTANTIATE_TEST_SUITE_P(Graph, MediaGraphContract, testing::Values(&Fake), BackendId);

}  // namespace
}  // namespace mova::test
