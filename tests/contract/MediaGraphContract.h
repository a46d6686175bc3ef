#pragma once
// One set of checks of the media seam (player/MediaGraph.h), run against
// every implementation on the same media: the test fake, the GStreamer graph
// and the DirectShow graph. Each test binary instantiates the suite for its
// own backend:
//
//   INSTANTIATE_TEST_SUITE_P(Graph, MediaGraphContract, ::testing::Values(&backend), BackendId);
//
// A check that a backend cannot meet is skipped with its reason, named in the
// backend's `Unmet`.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "player/MediaGraph.h"

namespace mova::test {

// A medium of the contract: made by the build (support/CoreMedia.cmake).
struct TContractMedium {
  std::string Name;
  bool Renders = true;
  bool HasVideo = false;
  int32_t Width = 0;
  int32_t Height = 0;
  double FrameTime = 0.0;  // seconds
  int64_t Duration = 0;    // media time
  // The formats its streams state (mono PCM at 22050 Hz; MJPEG pictures).
  uint16_t AudioTag = 0;
  uint32_t SamplesPerSecond = 0;
  std::string VideoCode = "";
};
// Pictures and sound (MJPEG and PCM in AVI, 352x240 at 25 frames a second, 2 s).
const TContractMedium& ContractClip();
// Sound alone (PCM in WAV, 1 s).
const TContractMedium& ContractSound();
// Bytes that are no medium at all.
const TContractMedium& ContractNoise();

struct TGraphBackend {
  std::string Id;    // a word, for the tests' names
  std::string Name;  // for messages
  // A new, empty graph.
  std::function<std::unique_ptr<IMediaGraph>()> CreateGraph;
  // The path of a contract medium as this backend's graph opens it.
  std::function<std::string(const TContractMedium&)> Path;
  // Runs the backend's event loop (the fake: its clock) until `done` holds
  // or `timeout` has passed; `done`'s last answer.
  std::function<bool(const std::function<bool()>& done, std::chrono::milliseconds timeout)> RunUntil;
  // How far a position or length may be from the medium's: the fake is
  // exact, a real decoder is off by up to a picture.
  int64_t Tolerance = 0;
  // The checks this backend cannot meet, by test name, with the reason.
  std::map<std::string, std::string> Unmet = {};
  // Run before and after each check (COM on the test thread, for DirectShow).
  std::function<void()> SetUp = nullptr;
  std::function<void()> TearDown = nullptr;
};

// The tests' names and messages say which backend ran them.
inline std::string BackendId(const ::testing::TestParamInfo<const TGraphBackend*>& info) { return info.param->Id; }
inline void PrintTo(const TGraphBackend* backend, std::ostream* out) { *out << backend->Name; }

class MediaGraphContract : public ::testing::TestWithParam<const TGraphBackend*> {
 protected:
  void SetUp() override;
  void TearDown() override;

  const TGraphBackend& Backend() const { return *GetParam(); }
  // A graph that has rendered `medium`; the test fails when it did not.
  std::unique_ptr<IMediaGraph> Rendered(const TContractMedium& medium);
  // Counts the graph's end notifications, and those that came from inside
  // one of its operations rather than from the event loop.
  void CountEnds(IMediaGraph& graph);
  // A silent graph that has rendered `medium`, its ends counted, and its
  // length; null (and the test failed) when it did not render or tells none.
  std::unique_ptr<IMediaGraph> Counted(const TContractMedium& medium, int64_t& duration);
  bool RunUntilEnds(int count, std::chrono::milliseconds timeout);
  void RunFor(std::chrono::milliseconds time);

  int Ends = 0;
  int EndsOutsideTheLoop = 0;

 private:
  bool InLoop = false;
};

}  // namespace mova::test
