#pragma once
// What a graph's decoded streams say of themselves, read from the pipeline:
// the compressed format each decoder was given, the tags that came with the
// stream (bit rate, orientation, cover picture) and the picture's shape.
#include <gst/gst.h>

#include <QImage>

#include <string>

#include "platform/gstreamer/GstHandles.h"
#include "player/MediaGraph.h"

namespace mova {

// The WAVE format tag for a compressed (or raw) sound format; 0 unknown.
uint16_t WaveTagOf(const GstCaps* caps);
// The four-character code for a compressed picture format; "" unknown.
std::string FourCcOf(const GstCaps* caps);

// The format a decoded pad's stream had before it was decoded: the caps of
// the nearest element upstream whose input is not raw; the raw caps of the
// pad itself when nothing upstream is compressed (a WAVE file's PCM).
gsthandles::CapsPtr CompressedCaps(GstPad* decodedPad);

// Every tag the stream that passed `pad` has carried so far, merged (the
// stream's and the file's); null when none.
GstTagList* StreamTags(GstPad* pad);

// The sound facts of a decoded sound pad.
void ReadSoundFacts(GstPad* decodedPad, TStreamFacts& facts);
// The picture facts: its code from the decoded pad, its shape from the caps
// it is shown with, and whether the orientation turns it a quarter.
void ReadPictureFacts(GstPad* decodedPad, const GstCaps* shownCaps, TStreamFacts& facts);

// The picture that came with a sound stream as its tag (a front cover
// first), decoded; null when there is none or it cannot be decoded.
QImage CoverPicture(const GstTagList* tags);
// A sample of `image` as the frame sink's pictures are (BGRx).
gsthandles::SamplePtr SampleOfImage(const QImage& image);

}  // namespace mova
