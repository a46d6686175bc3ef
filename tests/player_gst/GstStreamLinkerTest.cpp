// Where the decoded streams of a graph go.
#include <gtest/gtest.h>

#include <gst/app/gstappsrc.h>

#include <string>

#include "platform/gstreamer/GstHandles.h"
#include "platform/gstreamer/GstStreamLinker.h"
#include "player_gst/GstTestSupport.h"

namespace mova::test {
namespace {

std::string FactoryOf(GstElement* element) {
  GstElementFactory* factory = element != nullptr ? gst_element_get_factory(element) : nullptr;
  return factory != nullptr ? GST_OBJECT_NAME(factory) : "";
}

// The element the pad of `source` named "src" is linked to, or null.
gsthandles::ElementPtr Downstream(GstElement* element) {
  const gsthandles::PadPtr pad(gst_element_get_static_pad(element, "src"));
  if (!pad) return nullptr;
  const gsthandles::PadPtr peer(gst_pad_get_peer(pad.get()));
  return gsthandles::ElementPtr(peer ? gst_pad_get_parent_element(peer.get()) : nullptr);
}

// The factories from `element` down to the end of its chain.
std::string ChainFrom(GstElement* element) {
  std::string chain = FactoryOf(element);
  gsthandles::ElementPtr next = Downstream(element);
  while (next) {
    chain += " " + FactoryOf(next.get());
    next = Downstream(next.get());
  }
  return chain;
}

// A decoder's pad that nothing plays: unlinked, yet what is pushed into it is
// taken without the not-linked error that would stop its decoder.
void ExpectSwallowed(GstPad* pad) {
  EXPECT_FALSE(gst_pad_is_linked(pad));
  ASSERT_TRUE(gst_pad_set_active(pad, TRUE));
  EXPECT_EQ(gst_pad_push(pad, gst_buffer_new_allocate(nullptr, 16, nullptr)), GST_FLOW_OK);
  EXPECT_TRUE(gst_pad_push_event(pad, gst_event_new_eos()));
  gst_pad_set_active(pad, FALSE);
}

// A pad of a decoder that gives `caps`.
gsthandles::PadPtr DecoderPad(const char* caps) {
  gsthandles::CapsPtr format(gst_caps_from_string(caps));
  GstPadTemplate* templ = gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, format.get());
  gsthandles::PadPtr pad(GST_PAD(gst_object_ref_sink(gst_pad_new_from_template(templ, "src"))));
  gst_object_unref(templ);
  return pad;
}

class GstStreamLinkerTest : public ::testing::Test {
 protected:
  GstStreamLinkerTest() {
    EXPECT_TRUE(Platform().Ready());
    Pipeline.reset(GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr))));
    VideoSink = gst_element_factory_make("appsink", "frames");
    AudioSink = gst_element_factory_make("fakesink", "sound");
    g_object_set(VideoSink, "caps", gsthandles::CapsPtr(gst_caps_from_string("video/x-raw,format=I420")).get(),
                 nullptr);
    Linker = std::make_unique<TGstStreamLinker>(Pipeline.get(), VideoSink, AudioSink);
  }
  ~GstStreamLinkerTest() override {
    if (Pipeline) gst_element_set_state(Pipeline.get(), GST_STATE_NULL);
  }

  // A source in the pipeline whose pad the linker is handed, as a decoder's would be.
  GstElement* Source(const char* factory, const char* caps = nullptr) {
    GstElement* source = gst_element_factory_make(factory, nullptr);
    if (caps != nullptr)
      g_object_set(source, "caps", gsthandles::CapsPtr(gst_caps_from_string(caps)).get(), "format",
                   GST_FORMAT_TIME, nullptr);
    gst_bin_add(GST_BIN(Pipeline.get()), source);
    const gsthandles::PadPtr pad(gst_element_get_static_pad(source, "src"));
    Linker->Link(pad.get());
    return source;
  }

  gsthandles::ElementPtr Pipeline;
  GstElement* VideoSink = nullptr;  // owned by the linker, then by the pipeline
  GstElement* AudioSink = nullptr;
  std::unique_ptr<TGstStreamLinker> Linker;
};

TEST_F(GstStreamLinkerTest, TheFirstStreamOfEachKindPlaysAndEveryOtherStreamIsSwallowed) {
  GstElement* pictures = Source("videotestsrc");
  GstElement* sound = Source("audiotestsrc");
  const gsthandles::PadPtr subtitles = DecoderPad("text/x-raw,format=utf8");
  const gsthandles::PadPtr secondPictures = DecoderPad("video/x-raw,format=I420,width=64,height=48");
  const gsthandles::PadPtr secondSound = DecoderPad("audio/x-raw,format=S16LE,rate=8000,channels=1,layout=interleaved");
  const gsthandles::PadPtr secondSubtitles = DecoderPad("subpicture/x-dvd");
  for (GstPad* pad : {subtitles.get(), secondPictures.get(), secondSound.get(), secondSubtitles.get()})
    Linker->Link(pad);

  EXPECT_EQ(ChainFrom(pictures),
            "videotestsrc queue deinterlace videoconvert videoflip subtitleoverlay videobalance videoconvert appsink");
  EXPECT_EQ(ChainFrom(sound), "audiotestsrc audioconvert scaletempo audioconvert audioresample volume fakesink");
  // Every subtitle stream goes into the selector in front of the picture
  // chain's overlay, and the first is the one it passes on.
  const gsthandles::PadPtr selectorInput(gst_pad_get_peer(subtitles.get()));
  ASSERT_TRUE(selectorInput);
  const gsthandles::ElementPtr selector(gst_pad_get_parent_element(selectorInput.get()));
  EXPECT_EQ(FactoryOf(selector.get()), "input-selector");
  EXPECT_EQ(ChainFrom(selector.get()), "input-selector subtitleoverlay videobalance videoconvert appsink");
  const gsthandles::PadPtr secondInput(gst_pad_get_peer(secondSubtitles.get()));
  ASSERT_TRUE(secondInput);
  EXPECT_EQ(GST_OBJECT_PARENT(secondInput.get()), GST_OBJECT(selector.get()));
  GstPad* active = nullptr;
  g_object_get(selector.get(), "active-pad", &active, nullptr);
  EXPECT_EQ(active, selectorInput.get());
  if (active != nullptr) gst_object_unref(active);
  for (GstPad* pad : {secondPictures.get(), secondSound.get()}) ExpectSwallowed(pad);
  // One picture waits between the decoder and the sink, no more.
  const gsthandles::ElementPtr queue = Downstream(pictures);
  guint buffers = 0;
  g_object_get(queue.get(), "max-size-buffers", &buffers, nullptr);
  EXPECT_EQ(buffers, 1u);
}

TEST_F(GstStreamLinkerTest, SubtitleChoicesGoRoundTheFilesStreamsAFileBesideItAndNone) {
  using Change = TGstStreamLinker::TSubtitleChange;
  EXPECT_EQ(Linker->ChooseNextSubtitle(), Change::Unchanged) << "nothing to choose yet";
  // A subtitle file's stream comes first, and waits for the file's own.
  const gsthandles::PadPtr file = DecoderPad("text/x-raw,format=utf8");
  Linker->LinkSubtitleFile(file.get());
  Source("videotestsrc");
  const gsthandles::PadPtr own = DecoderPad("text/x-raw,format=pango-markup");
  const gsthandles::PadPtr secondOwn = DecoderPad("text/x-raw,format=utf8");
  Linker->Link(own.get());
  Linker->Link(secondOwn.get());
  EXPECT_FALSE(gst_pad_is_linked(file.get()));
  Linker->AllStreamsLinked();
  const gsthandles::PadPtr fileInput(gst_pad_get_peer(file.get()));
  ASSERT_TRUE(fileInput) << "the file joins once the file's own streams are known";
  const gsthandles::ElementPtr selector(gst_pad_get_parent_element(fileInput.get()));
  const gsthandles::ElementPtr overlay = Downstream(selector.get());
  // The stream drawn.
  auto shown = [&]() -> GstPad* {
    GstPad* active = nullptr;
    g_object_get(selector.get(), "active-pad", &active, nullptr);
    gboolean silent = TRUE;
    g_object_get(overlay.get(), "silent", &silent, nullptr);
    const gsthandles::PadPtr held(active);
    if (silent || !active) return nullptr;
    const gsthandles::PadPtr peer(gst_pad_get_peer(active));
    return peer.get();
  };
  // The file's own streams first, in their order, then the file, then none.
  EXPECT_EQ(shown(), own.get());
  EXPECT_EQ(Linker->ChooseNextSubtitle(), Change::Switched);
  EXPECT_EQ(shown(), secondOwn.get());
  EXPECT_EQ(Linker->ChooseNextSubtitle(), Change::Switched);
  EXPECT_EQ(shown(), file.get());
  EXPECT_EQ(Linker->ChooseNextSubtitle(), Change::Redraw);
  EXPECT_EQ(shown(), nullptr);
  EXPECT_EQ(Linker->ChooseNextSubtitle(), Change::Switched);
  EXPECT_EQ(shown(), own.get());
  EXPECT_EQ(Linker->ChooseNextSubtitle(), Change::Switched);
  EXPECT_EQ(Linker->ChooseNextSubtitle(), Change::Switched);
  EXPECT_EQ(shown(), file.get());
  // Hiding them all is apart from the choice, which stays.
  Linker->SetSubtitlesVisible(false);
  EXPECT_EQ(shown(), nullptr);
  Linker->SetSubtitlesVisible(true);
  EXPECT_EQ(shown(), file.get());
}

TEST_F(GstStreamLinkerTest, SubtitlesBeforeAnyPictureAreSwallowed) {
  const gsthandles::PadPtr subtitles = DecoderPad("text/x-raw,format=utf8");
  Linker->Link(subtitles.get());
  ExpectSwallowed(subtitles.get());
}

TEST_F(GstStreamLinkerTest, TheVolumeIsKeptForTheSoundStreamAndFollowsLaterChanges) {
  Linker->SetVolume(0.25);
  GstElement* sound = Source("audiotestsrc");
  gsthandles::ElementPtr element = Downstream(sound);
  while (element && FactoryOf(element.get()) != "volume") element = Downstream(element.get());
  ASSERT_TRUE(element);
  gdouble volume = -1.0;
  g_object_get(element.get(), "volume", &volume, nullptr);
  EXPECT_DOUBLE_EQ(volume, 0.25);
  Linker->SetVolume(0.0);
  g_object_get(element.get(), "volume", &volume, nullptr);
  EXPECT_DOUBLE_EQ(volume, 0.0);
}

TEST_F(GstStreamLinkerTest, ThePictureFormatIsKnownOnceTheStreamIsNegotiated) {
  EXPECT_FALSE(Linker->VideoCaps()) << "no picture stream yet";
  GstElement* pictures = Source("videotestsrc");
  g_object_set(pictures, "num-buffers", 5, nullptr);
  gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED);
  ASSERT_EQ(gst_element_get_state(Pipeline.get(), nullptr, nullptr, 5 * GST_SECOND), GST_STATE_CHANGE_SUCCESS);
  const gsthandles::CapsPtr caps = Linker->VideoCaps();
  ASSERT_TRUE(caps);
  gint width = 0;
  gint height = 0;
  const GstStructure* format = gst_caps_get_structure(caps.get(), 0);
  EXPECT_TRUE(gst_structure_get_int(format, "width", &width));
  EXPECT_TRUE(gst_structure_get_int(format, "height", &height));
  EXPECT_EQ(width, 320);  // videotestsrc's own size
  EXPECT_EQ(height, 240);
}

TEST_F(GstStreamLinkerTest, AStreamOfAnotherKindIsSwallowedAndTheSinksStayFree) {
  const gsthandles::PadPtr unknown = DecoderPad("application/x-unknown");
  Linker->Link(unknown.get());
  ExpectSwallowed(unknown.get());
  // The frame and sound sinks stay free for the streams that come later.
  GstElement* pictures = Source("videotestsrc");
  GstElement* sound = Source("audiotestsrc");
  EXPECT_EQ(ChainFrom(pictures),
            "videotestsrc queue deinterlace videoconvert videoflip subtitleoverlay videobalance videoconvert appsink");
  EXPECT_EQ(ChainFrom(sound), "audiotestsrc audioconvert scaletempo audioconvert audioresample volume fakesink");
}

TEST_F(GstStreamLinkerTest, ANewStreamTakesTheChainOfOneThatHasGone) {
  // The next part of a chained file comes from new decoders; the old ones
  // go away with their pads.
  GstElement* pictures = Source("videotestsrc");
  GstElement* sound = Source("audiotestsrc");
  const gsthandles::ElementPtr pictureEntry = Downstream(pictures);
  const gsthandles::ElementPtr soundEntry = Downstream(sound);
  gst_bin_remove(GST_BIN(Pipeline.get()), pictures);
  gst_bin_remove(GST_BIN(Pipeline.get()), sound);

  GstElement* nextPictures = Source("videotestsrc");
  GstElement* nextSound = Source("audiotestsrc");
  EXPECT_EQ(Downstream(nextPictures).get(), pictureEntry.get());
  EXPECT_EQ(Downstream(nextSound).get(), soundEntry.get());
  // While those play, another stream of either kind is still dropped.
  const gsthandles::PadPtr extra = DecoderPad("video/x-raw,format=I420,width=64,height=48");
  Linker->Link(extra.get());
  ExpectSwallowed(extra.get());
}

}  // namespace
}  // namespace mova::test
