// The DirectShow graph against the media seam's contract, on the media the
// build made, with COM on the test thread and its message loop as the loop.
#include <objbase.h>

#include "DShowTestSupport.h"
#include "contract/MediaGraphContract.h"
#include "platform/directshow/DShowMediaPlatform.h"
#include "support/GeneratedMedia.h"

namespace mova::test {
namespace {

TDShowMediaPlatform& Platform() {
  static TDShowMediaPlatform platform;
  return platform;
}

const TGraphBackend DirectShow{
    .Id = "DirectShow",
    .Name = "the DirectShow graph",
    .CreateGraph = [] { return Platform().CreateGraph(); },
    .Path = [](const TContractMedium& medium) { return BuiltMedia(medium.Name); },
    .RunUntil = PumpUntil,
    .Tolerance = 400'000,  // one picture
    .Unmet = {{"AnElementOfAPlayingGraphHasSettingsAUserCanChange",
               "Wine's filters have no property pages, so under Wine the filter menu stays empty"},
              {"TellsTheFormatsItsStreamsWereStoredIn",
               "Wine's splitter hands on decoded pictures, so no MJPEG type lies on the way to the renderer "
               "(the sound's format is checked by the DirectShow graph's own tests)"}},
    .SetUp = [] { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); },
    .TearDown = [] { CoUninitialize(); },
};

INSTANTIATE_TEST_SUITE_P(Graph, MediaGraphContract, testing::Values(&DirectShow), BackendId);

}  // namespace
}  // namespace mova::test
