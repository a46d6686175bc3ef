#pragma once
// Media clips made for the backend tests, the shared platform, and waiting
// on the Qt event loop.
#include <chrono>
#include <functional>
#include <string>

#include "platform/gstreamer/GstMediaPlatform.h"

namespace mova::test {

// Two-second clips (1.5 s for the timing tests) of small size.
struct TClip {
  std::string Name;   // for test names and messages
  std::string Path;   // "" when the tools could not make it
  bool HasVideo = false;
  int32_t Width = 0;
  int32_t Height = 0;
  double FrameRate = 0.0;       // 0 for audio-only clips
  int32_t DurationMs = 0;
  std::string DecoderHint;      // part of the name of the element that decodes the main stream
};

TClip AviClip();    // MJPEG 160x120 at 25 fps + PCM
TClip MpegClip();   // MPEG-1 program stream 160x120 at 25 fps + MP2
TClip Mp4Clip();    // H.264 160x120 at 25 fps + AAC
TClip WebmClip();   // VP8 160x120 at 25 fps + Vorbis
TClip WavClip();    // PCM only
TClip Mp3Clip();    // MP3 only
TClip ShortAviClip();  // MJPEG + PCM, 1.5 s
TClip ShortWavClip();  // PCM, 1.5 s
TClip MultiStreamMkvClip();  // MJPEG plain blue + two PCM soundtracks + SRT subtitles, 1.5 s
// Streams whose length is not known when they are opened, 1.5 s each.
TClip RawH264Clip();        // an H.264 elementary stream, as cameras write it
TClip RawMjpegClip();       // JPEG pictures one after the other, without times
TClip UnindexedMkvClip();   // H.264 + AAC in Matroska written to a pipe: no length, no index
TClip MultiStreamMkvClipWithoutSubtitles();  // the same without the subtitles
TClip TwoSubtitlesMkvClip();  // MJPEG plain blue, 6 s, with a short and a wide text from 0.2 s on

// An AVI file whose video four-character code no decoder knows.
std::string UnknownCodecAvi();

// The one GStreamer platform of the test run.
TGstMediaPlatform& Platform();

// Runs the Qt event loop until `done` holds or `timeout` passes; true when it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// Runs the Qt event loop for `time`.
void Spin(std::chrono::milliseconds time);

}  // namespace mova::test
