# The media the core's tests read, made by the build on the build machine with
# tools we did not write (ffmpeg, gst-launch), so that the tests themselves
# only read files and run the same under Wine. @OUT@ in a command is the file
# it writes; a file appears under its name only when its command succeeded.
find_program(MOVA_TEST_FFMPEG ffmpeg REQUIRED)
find_program(MOVA_TEST_GST_LAUNCH gst-launch-1.0 REQUIRED)

set(core_media "")
function(mova_core_media name)
  set(out ${MOVA_TEST_MEDIA_DIR}/${name})
  # The extension stays last: the tools pick the container from it.
  set(part ${MOVA_TEST_MEDIA_DIR}/part-${name})
  list(TRANSFORM ARGN REPLACE "@OUT@" ${part})
  add_custom_command(OUTPUT ${out} COMMAND ${ARGN} COMMAND ${CMAKE_COMMAND} -E rename ${part} ${out}
    COMMENT "Test media ${name}" VERBATIM)
  set(core_media ${core_media} ${out} PARENT_SCOPE)
endfunction()

# AVI files for the header probe.
set(video ${MOVA_TEST_FFMPEG} -v error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=0.2)
set(audio -f lavfi -i sine=frequency=440:sample_rate=44100:duration=0.2)
mova_core_media(probe-mjpeg-pcm.avi ${video} ${audio} -ac 2 -c:v mjpeg -c:a pcm_s16le @OUT@)
mova_core_media(probe-mjpeg-mp3.avi ${video} ${audio} -ac 1 -c:v mjpeg -c:a libmp3lame @OUT@)
mova_core_media(probe-video-only.avi ${video} -c:v mjpeg @OUT@)
mova_core_media(probe-avimux.avi ${MOVA_TEST_GST_LAUNCH} -q
  videotestsrc num-buffers=5 ! video/x-raw,width=176,height=144,framerate=25/1 ! jpegenc !
  avimux name=mux ! filesink location=@OUT@
  audiotestsrc num-buffers=5 ! audio/x-raw,format=S16LE,channels=2,rate=48000 ! mux.)

# MPEG streams for the sequence-header probe. ffmpeg's MPEG-1 encoder picks
# the aspect code nearest to the sample aspect.
function(mova_mpeg name size)
  mova_core_media(${name} ${MOVA_TEST_FFMPEG} -v error -y -f lavfi -i testsrc=size=${size}:rate=25:duration=0.12
    ${ARGN} @OUT@)
  set(core_media ${core_media} PARENT_SCOPE)
endfunction()
mova_mpeg(probe-43.mpg 352x288 -c:v mpeg1video -aspect 4:3 -f mpeg)
mova_mpeg(probe-43.m1v 352x288 -c:v mpeg1video -aspect 4:3 -f mpeg1video)
mova_mpeg(probe-sar1.mpg 352x288 -c:v mpeg1video -vf setsar=1 -f mpeg)
mova_mpeg(probe-ntsc.mpg 352x240 -c:v mpeg1video -vf setsar=10/11 -f mpeg)
mova_mpeg(probe-wide.m1v 352x288 -c:v mpeg1video -vf setsar=64/45 -f mpeg1video)
mova_mpeg(probe-pal43.mpg 720x576 -c:v mpeg2video -aspect 4:3 -f mpeg)
mova_mpeg(probe-pal169.mpg 720x576 -c:v mpeg2video -aspect 16:9 -f mpeg)
set(matrix 8)
foreach(i RANGE 1 63)
  math(EXPR entry "8 + ${i} % 40")
  string(APPEND matrix ",${entry}")
endforeach()
mova_mpeg(probe-matrices.m2v 720x576 -c:v mpeg2video -aspect 4:3 -intra_matrix ${matrix} -inter_matrix ${matrix}
  -f mpeg2video)

# Media for the graphs' contract (contract/MediaGraphContract) and the
# DirectShow backend's tests: the test pattern with a tone, a sound without a
# picture, and bytes that are no media at all (a fixed seed, so every build
# makes the same file).
mova_core_media(graph-clip.avi ${MOVA_TEST_FFMPEG} -v error -y
  -f lavfi -i testsrc=size=352x240:rate=25:duration=2 -f lavfi -i sine=frequency=440:sample_rate=22050:duration=2
  -ac 1 -c:v mjpeg -q:v 4 -c:a pcm_s16le @OUT@)
mova_core_media(graph-sine.wav ${MOVA_TEST_FFMPEG} -v error -y
  -f lavfi -i sine=frequency=440:sample_rate=22050:duration=1 -c:a pcm_s16le @OUT@)
mova_core_media(graph-noise.bin ${MOVA_TEST_FFMPEG} -v error -y
  -f lavfi -i anoisesrc=sample_rate=22050:seed=7:duration=0.5 -c:a pcm_s16le -f s16le @OUT@)

add_custom_target(core_test_media DEPENDS ${core_media})
