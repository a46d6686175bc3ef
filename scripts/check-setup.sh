#!/usr/bin/env bash
# The set-up check that runs before every other test: every GStreamer element
# that the graph, the frame detector and the tests build, and every program
# the tests start, is installed. Prints one line for each one missing, naming
# the Debian package that brings it (scripts/deps.sh installs them all), and
# fails.
set -uo pipefail

elements=(
  # The playing graph: the decoder bin, and what plays each decoded stream.
  "uridecodebin gstreamer1.0-plugins-base" "queue libgstreamer1.0-0"
  "deinterlace gstreamer1.0-plugins-good" "subtitleoverlay gstreamer1.0-plugins-base"
  "textoverlay gstreamer1.0-x"  # what the subtitle overlay draws text subtitles with
  "videobalance gstreamer1.0-plugins-good" "videoconvert gstreamer1.0-plugins-base"
  "appsink gstreamer1.0-plugins-base" "audioconvert gstreamer1.0-plugins-base"
  "audioresample gstreamer1.0-plugins-base" "volume gstreamer1.0-plugins-base"
  "autoaudiosink gstreamer1.0-plugins-good" "fakesink libgstreamer1.0-0"
  "videoflip gstreamer1.0-plugins-good" "scaletempo gstreamer1.0-plugins-good"
  "subparse gstreamer1.0-plugins-base"  # turned pictures, speed at pitch, subtitle files
  # The frame detector.
  "filesrc libgstreamer1.0-0" "decodebin gstreamer1.0-plugins-base" "videoscale gstreamer1.0-plugins-base"
  # The containers, parsers and decoders of the test media.
  "avidemux gstreamer1.0-plugins-good" "matroskademux gstreamer1.0-plugins-good"
  "qtdemux gstreamer1.0-plugins-good" "mpegpsdemux gstreamer1.0-plugins-bad"
  "wavparse gstreamer1.0-plugins-good" "id3demux gstreamer1.0-plugins-good"
  "h264parse gstreamer1.0-plugins-bad" "mpegvideoparse gstreamer1.0-plugins-bad"
  "aacparse gstreamer1.0-plugins-good" "mpegaudioparse gstreamer1.0-plugins-good"
  "jpegdec gstreamer1.0-plugins-good" "vp8dec gstreamer1.0-plugins-good" "vorbisdec gstreamer1.0-plugins-base"
  "avdec_h264 gstreamer1.0-libav" "avdec_aac gstreamer1.0-libav" "avdec_mp2float gstreamer1.0-libav"
  "avdec_mp3 gstreamer1.0-libav"
  # What the tests build themselves, in their own pipelines and with gst-launch.
  "videotestsrc gstreamer1.0-plugins-base" "audiotestsrc gstreamer1.0-plugins-base"
  "identity libgstreamer1.0-0" "jpegenc gstreamer1.0-plugins-good" "avimux gstreamer1.0-plugins-good"
  "filesink libgstreamer1.0-0"
  # The containers and decoders of the desktop entry's types, beyond the ones above.
  "tsdemux gstreamer1.0-plugins-bad" "flvdemux gstreamer1.0-plugins-good" "asfdemux gstreamer1.0-plugins-ugly"
  "dvdemux gstreamer1.0-plugins-good" "oggdemux gstreamer1.0-plugins-base" "theoradec gstreamer1.0-plugins-base"
  "opusdec gstreamer1.0-plugins-base" "speexdec gstreamer1.0-plugins-good" "flacparse gstreamer1.0-plugins-good"
  "wavpackdec gstreamer1.0-plugins-good" "aiffparse gstreamer1.0-plugins-bad" "auparse gstreamer1.0-plugins-good"
  "a52dec gstreamer1.0-plugins-ugly" "jpegparse gstreamer1.0-plugins-bad" "avdec_wmv2 gstreamer1.0-libav"
)
programs=(
  "gst-inspect-1.0 gstreamer1.0-tools"  # lists the elements for this check
  "gst-launch-1.0 gstreamer1.0-tools" "ffmpeg ffmpeg"  # make the test media
  "xdotool xdotool" "xwininfo x11-utils" "import imagemagick"  # find, size and read the player's windows
  "rsvg-convert librsvg2-bin" "gzip gzip"  # the build renders the icons and packs the manual page
  "dpkg-shlibdeps dpkg-dev" "dpkg-deb dpkg"  # the Debian package: its dependencies, then reading it
  "desktop-file-validate desktop-file-utils" "update-desktop-database desktop-file-utils"
  "appstreamcli appstream" "xdg-mime xdg-utils" "xdg-open xdg-utils" "file file" "gio libglib2.0-bin"
  "man man-db" "identify imagemagick" "unzip unzip"  # check the installed files and the zip as their users read them
  "weston weston" "weston-screenshooter weston" "pkg-config pkg-config"  # the Wayland test's compositor
)

missing=0
for entry in "${programs[@]}"; do
  read -r name package <<<"$entry"
  command -v "$name" >/dev/null || { echo "missing program $name: install $package"; missing=$((missing + 1)); }
done
if command -v gst-inspect-1.0 >/dev/null; then
  # "plugin:  element: description", one line for each element GStreamer can load.
  installed=" $(gst-inspect-1.0 2>/dev/null | awk -F': +' 'NF >= 3 {print $2}' | tr '\n' ' ') "
  for entry in "${elements[@]}"; do
    read -r name package <<<"$entry"
    [[ $installed == *" $name "* ]] || { echo "missing GStreamer element $name: install $package"; missing=$((missing + 1)); }
  done
fi
# What is not a program: Qt's Wayland plugin and the headers the Wayland
# test's keyboard module for weston is built against.
if ! compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null; then
  echo "missing Qt's Wayland platform plugin: install qt6-wayland"
  missing=$((missing + 1))
fi
if command -v pkg-config >/dev/null && ! pkg-config --exists libweston-10; then
  echo "missing the libweston headers: install libweston-10-dev"
  missing=$((missing + 1))
fi
[ $missing -eq 0 ] || exit 1
echo "all ${#elements[@]} GStreamer elements and ${#programs[@]} programs are installed"
