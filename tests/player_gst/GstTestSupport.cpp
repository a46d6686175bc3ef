#include "player_gst/GstTestSupport.h"

#include <QCoreApplication>
#include <QThread>

#include <fstream>
#include <iterator>

#include "support/GeneratedMedia.h"

namespace mova::test {

namespace {

std::string Pictures(double seconds) {
  return "-f lavfi -i testsrc=size=160x120:rate=25:duration=" + std::to_string(seconds) + " ";
}

std::string Tone(double seconds) {
  return "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds) + " ";
}

std::string Ffmpeg(const std::string& arguments) { return "ffmpeg -nostdin -v error -y " + arguments + " {OUT}"; }

}  // namespace

TClip AviClip() {
  return {"avi", GeneratedMedia("engine-mjpeg-pcm.avi", Ffmpeg(Pictures(2) + Tone(2) + "-c:v mjpeg -q:v 5 -c:a pcm_s16le")),
          true, 160, 120, 25.0, 2000, "jpegdec"};
}

TClip MpegClip() {
  return {"mpeg", GeneratedMedia("engine-mpeg1.mpg", Ffmpeg(Pictures(2) + Tone(2) + "-c:v mpeg1video -b:v 400k -c:a mp2 -muxdelay 0 -muxpreload 0 -f mpeg")),
          true, 160, 120, 25.0, 2000, "mpeg"};
}

// H.264 through a GStreamer encoder, for an ffmpeg built without libx264.
std::string GstH264Command(const std::string& encoder) {
  return "gst-launch-1.0 -q -e videotestsrc num-buffers=50 ! video/x-raw,width=160,height=120,framerate=25/1 ! "
         "videoconvert ! " + encoder + " ! h264parse ! mp4mux name=mux ! filesink location={OUT} "
         "audiotestsrc num-buffers=86 ! audioconvert ! avenc_aac ! aacparse ! mux.";
}

TClip Mp4Clip() {
  const char* name = "engine-h264-aac.mp4";
  std::string path = GeneratedMedia(
      name, Ffmpeg(Pictures(2) + Tone(2) + "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -shortest"));
  if (path.empty()) path = GeneratedMedia(name, GstH264Command("x264enc"));
  if (path.empty()) path = GeneratedMedia(name, GstH264Command("openh264enc"));
  return {"mp4", path, true, 160, 120, 25.0, 2000, "h264"};
}

TClip WebmClip() {
  return {"webm",
          GeneratedMedia("engine-vp8-vorbis.webm",
                         Ffmpeg(Pictures(2) + Tone(2) + "-c:v libvpx -deadline realtime -b:v 200k -c:a libvorbis")),
          true, 160, 120, 25.0, 2000, "vp8"};
}

TClip WavClip() {
  return {"wav", GeneratedMedia("engine-pcm.wav", Ffmpeg(Tone(2))), false, 0, 0, 0.0, 2000, "wavparse"};
}

TClip Mp3Clip() {
  return {"mp3", GeneratedMedia("engine-audio.mp3", Ffmpeg(Tone(2) + "-c:a libmp3lame -b:a 64k")), false, 0, 0, 0.0,
          2000, "mp"};
}

TClip ShortAviClip() {
  return {"short-avi",
          GeneratedMedia("engine-short.avi", Ffmpeg(Pictures(1.5) + Tone(1.5) + "-c:v mjpeg -q:v 5 -c:a pcm_s16le")),
          true, 160, 120, 25.0, 1500, "jpegdec"};
}

TClip RawH264Clip() {
  return {"raw-h264",
          GeneratedMedia("engine-raw.h264", Ffmpeg(Pictures(1.5) + "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -f h264")),
          true, 160, 120, 25.0, 1500, "h264"};
}

TClip RawMjpegClip() {
  return {"raw-mjpeg", GeneratedMedia("engine-raw.mjpeg", Ffmpeg(Pictures(1.5) + "-c:v mjpeg -q:v 5 -f mjpeg")), true,
          160, 120, 0.0, 1500, "jpegdec"};
}

TClip UnindexedMkvClip() {
  return {"unindexed-mkv",
          GeneratedMedia("engine-unindexed.mkv",
                         "{ ffmpeg -nostdin -v error -y " + Pictures(1.5) + Tone(1.5) +
                             "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -f matroska pipe: > {OUT}; }"),
          true, 160, 120, 25.0, 1500, "h264"};
}

TClip ShortWavClip() {
  return {"short-wav", GeneratedMedia("engine-short.wav", Ffmpeg(Tone(1.5))), false, 0, 0, 0.0, 1500, "wavparse"};
}

namespace {

// Two soundtracks and, when asked for, a subtitle track beside a plain blue
// picture, on which any text stands out.
TClip MultiStreamMkv(bool withSubtitles) {
  const std::string subtitles =
      WriteTestFile("engine-subtitles.srt", "1\n00:00:00,200 --> 00:00:01,400\nHello\n\n");
  const std::string arguments =
      "-f lavfi -i color=c=blue:size=160x120:rate=25:duration=1.5 " + Tone(1.5) +
      "-f lavfi -i sine=frequency=880:sample_rate=44100:duration=1.5 " +
      (withSubtitles ? "-i " + subtitles + " -map 3:s -c:s srt " : std::string()) +
      "-map 0:v -map 1:a -map 2:a -c:v mjpeg -q:v 5 -c:a pcm_s16le";
  return {withSubtitles ? "multi-mkv" : "multi-mkv-no-subtitles",
          GeneratedMedia(withSubtitles ? "engine-multi.mkv" : "engine-multi-no-subtitles.mkv", Ffmpeg(arguments)),
          true, 160, 120, 25.0, 1500, "jpegdec"};
}

}  // namespace

TClip MultiStreamMkvClip() { return MultiStreamMkv(true); }

TClip MultiStreamMkvClipWithoutSubtitles() { return MultiStreamMkv(false); }

TClip TwoSubtitlesMkvClip() {
  const std::string shortText = WriteTestFile("engine-short-text.srt", "1\n00:00:00,200 --> 00:00:06,000\nHi\n\n");
  const std::string wideText =
      WriteTestFile("engine-wide-text.srt", "1\n00:00:00,200 --> 00:00:06,000\nWWWWWWWWWW\n\n");
  const std::string arguments = "-f lavfi -i color=c=blue:size=160x120:rate=25:duration=6 -i " + shortText + " -i " +
                                wideText + " -map 0:v -map 1:s -map 2:s -c:v mjpeg -q:v 5 -c:s srt";
  return {"two-subtitles-mkv", GeneratedMedia("engine-two-subtitles.mkv", Ffmpeg(arguments)), true, 160, 120, 25.0,
          6000, "jpegdec"};
}

std::string UnknownCodecAvi() {
  const std::string source = AviClip().Path;
  if (source.empty()) return "";
  std::ifstream in(source, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The stream header's handler and the bitmap header's compression code.
  int replaced = 0;
  for (size_t at = 0; (at = bytes.find("MJPG", at)) != std::string::npos; at += 4, ++replaced) bytes.replace(at, 4, "QZQZ");
  if (replaced == 0) return "";
  return WriteTestFile("engine-unknown-codec.avi", bytes);
}

TGstMediaPlatform& Platform() {
  // Lives until the process ends, so its warm-up is waited for at once.
  static TGstMediaPlatform* platform = [] {
    auto* made = new TGstMediaPlatform();
    made->FinishWarmUp();
    return made;
  }();
  return *platform;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

void Spin(std::chrono::milliseconds time) {
  WaitUntil([] { return false; }, time);
}

}  // namespace mova::test
