// The GStreamer graph against the media seam's contract, on the media the
// build made, with the Qt event loop as its loop.
#include "contract/MediaGraphContract.h"
#include "player_gst/GstTestSupport.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

const TGraphBackend GStreamer{
    .Id = "GStreamer",
    .Name = "the GStreamer graph",
    // Made by the platform, so the graphs get its choice of sound output.
    .CreateGraph = [] { return Platform().CreateGraph(); },
    .Path = [](const TContractMedium& medium) { return BuiltMedia(medium.Name); },
    .RunUntil = WaitUntil,
    .Tolerance = 400'000,  // one picture
};

INSTANTIATE_TEST_SUITE_P(Graph, MediaGraphContract, testing::Values(&GStreamer), BackendId);

}  // namespace
}  // namespace mova::test
