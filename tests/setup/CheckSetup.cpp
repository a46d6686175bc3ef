// The set-up check: every GStreamer element that the graph, the frame
// detector and the tests build, and every program the tests start, is there.
// Prints one line for each one missing, naming the Debian package that
// brings it, and fails; scripts/deps.sh installs all of these packages.
#include <gst/gst.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>

namespace {

struct Requirement {
  const char* Name;
  const char* Package;
};

constexpr Requirement Elements[] = {
    // The playing graph: the decoder bin, and what plays each decoded stream.
    {"uridecodebin", "gstreamer1.0-plugins-base"},
    {"queue", "libgstreamer1.0-0"},
    {"deinterlace", "gstreamer1.0-plugins-good"},
    {"subtitleoverlay", "gstreamer1.0-plugins-base"},
    {"textoverlay", "gstreamer1.0-x"},  // what the subtitle overlay draws text subtitles with
    {"videobalance", "gstreamer1.0-plugins-good"},
    {"videoconvert", "gstreamer1.0-plugins-base"},
    {"appsink", "gstreamer1.0-plugins-base"},
    {"audioconvert", "gstreamer1.0-plugins-base"},
    {"audioresample", "gstreamer1.0-plugins-base"},
    {"volume", "gstreamer1.0-plugins-base"},
    {"autoaudiosink", "gstreamer1.0-plugins-good"},
    {"fakesink", "libgstreamer1.0-0"},
    // The frame detector.
    {"filesrc", "libgstreamer1.0-0"},
    {"decodebin", "gstreamer1.0-plugins-base"},
    {"videoscale", "gstreamer1.0-plugins-base"},
    // The containers, parsers and decoders of the test media.
    {"avidemux", "gstreamer1.0-plugins-good"},
    {"matroskademux", "gstreamer1.0-plugins-good"},
    {"qtdemux", "gstreamer1.0-plugins-good"},
    {"mpegpsdemux", "gstreamer1.0-plugins-bad"},
    {"wavparse", "gstreamer1.0-plugins-good"},
    {"id3demux", "gstreamer1.0-plugins-good"},
    {"h264parse", "gstreamer1.0-plugins-bad"},
    {"mpegvideoparse", "gstreamer1.0-plugins-bad"},
    {"aacparse", "gstreamer1.0-plugins-good"},
    {"mpegaudioparse", "gstreamer1.0-plugins-good"},
    {"jpegdec", "gstreamer1.0-plugins-good"},
    {"vp8dec", "gstreamer1.0-plugins-good"},
    {"vorbisdec", "gstreamer1.0-plugins-base"},
    {"avdec_h264", "gstreamer1.0-libav"},
    {"avdec_aac", "gstreamer1.0-libav"},
    {"avdec_mp2float", "gstreamer1.0-libav"},
    {"avdec_mp3", "gstreamer1.0-libav"},
    // What the tests build themselves, in their own pipelines and with gst-launch.
    {"videotestsrc", "gstreamer1.0-plugins-base"},
    {"audiotestsrc", "gstreamer1.0-plugins-base"},
    {"identity", "libgstreamer1.0-0"},
    {"jpegenc", "gstreamer1.0-plugins-good"},
    {"avimux", "gstreamer1.0-plugins-good"},
    {"filesink", "libgstreamer1.0-0"},
};

constexpr Requirement Programs[] = {
    {"ffmpeg", "ffmpeg"},                        // makes the test media
    {"gst-launch-1.0", "gstreamer1.0-tools"},    // makes the test media
    {"xdotool", "xdotool"},                      // finds the player's windows and presses keys
    {"xwininfo", "x11-utils"},                   // reads window sizes
    {"import", "imagemagick"},                   // reads window pixels
};

bool OnPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view folders(path);
  while (!folders.empty()) {
    const size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    std::error_code error;
    const std::filesystem::path candidate = std::filesystem::path(folder) / program;
    if (!folder.empty() && std::filesystem::is_regular_file(candidate, error)) return true;
    if (colon == std::string_view::npos) break;
    folders.remove_prefix(colon + 1);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  GError* error = nullptr;
  if (!gst_init_check(&argc, &argv, &error)) {
    std::printf("GStreamer does not start (%s): install libgstreamer1.0-0\n",
                error != nullptr ? error->message : "no reason given");
    return 1;
  }
  int missing = 0;
  for (const Requirement& element : Elements) {
    GstElementFactory* factory = gst_element_factory_find(element.Name);
    if (factory != nullptr) {
      gst_object_unref(factory);
      continue;
    }
    std::printf("missing GStreamer element %s: install %s\n", element.Name, element.Package);
    ++missing;
  }
  for (const Requirement& program : Programs) {
    if (OnPath(program.Name)) continue;
    std::printf("missing program %s: install %s\n", program.Name, program.Package);
    ++missing;
  }
  if (missing == 0) {
    std::printf("all %zu GStreamer elements and %zu programs are installed\n", std::size(Elements),
                std::size(Programs));
  }
  return missing == 0 ? 0 : 1;
}
