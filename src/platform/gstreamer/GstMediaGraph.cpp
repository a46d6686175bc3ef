#include "platform/gstreamer/GstMediaGraph.h"

#include <gst/video/video.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

#include "platform/gstreamer/ElementSettingsDialog.h"
#include "platform/gstreamer/GstCue.h"
#include "platform/gstreamer/GstDecoderThreads.h"
#include "platform/gstreamer/GstElementList.h"
#include "platform/gstreamer/GstFrameConverter.h"
#include "platform/gstreamer/GstSinks.h"
#include "platform/gstreamer/GstStreamFacts.h"
#include "platform/qt/QtHandles.h"

namespace mova {

namespace {

constexpr int64_t NanosecondsPerUnit = 100;  // GStreamer time to 100-ns media time
// A seek whose completion the bus never confirms is trusted no longer than this.
constexpr std::chrono::milliseconds SeekPatience{2000};

void OnDecodedPad(GstElement*, GstPad* pad, gpointer streams) { static_cast<TGstStreamLinker*>(streams)->Link(pad); }
void OnLastDecodedPad(GstElement*, gpointer streams) { static_cast<TGstStreamLinker*>(streams)->AllStreamsLinked(); }


}  // namespace

double LinearVolume(int32_t volume) {
  volume = std::clamp(volume, -10000, 0);
  return volume == -10000 ? 0.0 : std::pow(10.0, volume / 2000.0);
}

TGstMediaGraph::TGstMediaGraph(TGstGraphOptions options) : Options(options) {}

TGstMediaGraph::~TGstMediaGraph() {
  // Stopping the pipeline joins its streaming threads: no picture callback
  // can reach this object once it is gone.
  BusNotifier.reset();
  if (Pipeline) gst_element_set_state(Pipeline.get(), GST_STATE_NULL);
  if (Widget) delete Widget.data();
}

bool TGstMediaGraph::BuildPipeline(const char* uri) {
  // The decoder bin finds the container and decoders; what plays each
  // decoded stream is linked behind it as its pads appear.
  GstElement* pipeline = gst_pipeline_new(nullptr);
  if (pipeline == nullptr) return false;
  Pipeline.reset(GST_ELEMENT(gst_object_ref_sink(pipeline)));
  GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
  if (source == nullptr) return false;
  g_object_set(source, "uri", uri, nullptr);

  static GstAppSinkCallbacks callbacks = [] {
    GstAppSinkCallbacks table{};
    table.new_preroll = &TGstMediaGraph::OnNewPreroll;
    table.new_sample = &TGstMediaGraph::OnNewSample;
    return table;
  }();
  GstElement* videoSink = MakeAppSink(&callbacks, this);
  GstElement* audioSink = MakeAudioSink(Options.SilentAudio);
  if (videoSink == nullptr || audioSink == nullptr) {
    if (videoSink != nullptr) gst_object_unref(gst_object_ref_sink(videoSink));
    if (audioSink != nullptr) gst_object_unref(gst_object_ref_sink(audioSink));
    gst_object_unref(gst_object_ref_sink(source));
    return false;
  }
  Streams = std::make_unique<TGstStreamLinker>(pipeline, videoSink, audioSink);
  Streams->SetVolume(Volume);
  LimitDecoderThreads(pipeline);
  g_signal_connect(source, "pad-added", G_CALLBACK(&OnDecodedPad), Streams.get());
  g_signal_connect(source, "no-more-pads", G_CALLBACK(&OnLastDecodedPad), Streams.get());
  gst_bin_add(GST_BIN(pipeline), source);
  Decoder = source;
  VideoSink = videoSink;
  AddSubtitleFile(pipeline);
  Bus.reset(gst_element_get_bus(pipeline));
  return true;
}

bool TGstMediaGraph::RenderFile(const std::string& fileName) {
  if (Pipeline) return false;  // one file per graph
  GError* uriError = nullptr;
  gsthandles::CharPtr uri(gst_filename_to_uri(fileName.c_str(), &uriError));
  if (uriError != nullptr) g_error_free(uriError);
  if (!uri) return false;

  TCueResult cue;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!BuildPipeline(uri.get())) return false;
    cue = CuePipeline(Pipeline.get(), Bus.get(), Options.CueTimeout, SubtitleDecoder);
    // A parser that pushes as soon as it starts (AIFF's) can beat the
    // decoder bin to showing its pad, and stops before anything could link
    // it: such a file is built and cued once more.
    if (cue.Cued || !cue.Unlinked || attempt > 0) break;
    gst_element_set_state(Pipeline.get(), GST_STATE_NULL);
    Bus.reset();
    Decoder = VideoSink = SubtitleDecoder = nullptr;
    Streams.reset();
    Pipeline.reset();
  }
  if (!cue.Cued) {
    gst_element_set_state(Pipeline.get(), GST_STATE_NULL);
    return false;
  }
  ReadStreamFacts();
  if (cue.Ended) Timeline.EndReached(QueryPosition());
  Rendered = true;

  // The bus's descriptor is readable while messages wait, so the window
  // thread learns of the end without anybody asking for the position.
  if (QCoreApplication::instance() != nullptr) {
    GPollFD poll{};
    gst_bus_get_pollfd(Bus.get(), &poll);
    BusNotifier = std::make_unique<QSocketNotifier>(poll.fd, QSocketNotifier::Read);
    connect(BusNotifier.get(), &QSocketNotifier::activated, this, [this] { DrainBus(); });
  }
  DrainBus();
  return true;
}

void TGstMediaGraph::AddSubtitleFile(GstElement* pipeline) {
  if (SubtitleFile.empty()) return;
  // The parser finds the format from the text itself (too short a file for
  // the decoder bin's type finder is still a subtitle file). A file it
  // cannot read ends its stream with an error that fails nothing else.
  GstElement* bin = gst_bin_new(nullptr);
  GstElement* file = gst_element_factory_make("filesrc", nullptr);
  GstElement* parser = gst_element_factory_make("subparse", nullptr);
  if (file == nullptr || parser == nullptr) {
    for (GstElement* element : {bin, file, parser})
      if (element != nullptr) gst_object_unref(gst_object_ref_sink(element));
    return;
  }
  g_object_set(file, "location", SubtitleFile.c_str(), nullptr);
  gst_bin_add_many(GST_BIN(bin), file, parser, nullptr);
  gst_element_link(file, parser);
  gsthandles::PadPtr text(gst_element_get_static_pad(parser, "src"));
  GstPad* exit = gst_ghost_pad_new("src", text.get());
  gst_element_add_pad(bin, exit);
  gst_bin_add(GST_BIN(pipeline), bin);
  SubtitleDecoder = bin;
  Streams->LinkSubtitleFile(exit);
}

void TGstMediaGraph::ReadStreamFacts() {
  gint64 first = -1;
  if (gst_element_query_position(Pipeline.get(), GST_FORMAT_TIME, &first) && first > 0)
    Origin = first / NanosecondsPerUnit;
  const gsthandles::CapsPtr caps = Streams->VideoCaps();
  if (caps && gst_caps_get_size(caps.get()) > 0) {
    const GstStructure* format = gst_caps_get_structure(caps.get(), 0);
    gint width = 0;
    gint height = 0;
    if (gst_structure_get_int(format, "width", &width) && gst_structure_get_int(format, "height", &height) &&
        width > 0 && height > 0) {
      HasVideo = true;
      Width = width;
      Height = height;
      Streams->SetSubtitleSize(width, height);
    }
  }
  if (const gsthandles::PadPtr sound = Streams->DecodedAudio()) ReadSoundFacts(sound.get(), Facts);
  if (const gsthandles::PadPtr pictures = Streams->DecodedVideo()) {
    ReadPictureFacts(pictures.get(), caps.get(), Facts);
    // The rate of the pictures as decoded: the deinterlacer may show each
    // field of an interlaced picture on its own.
    const gsthandles::CapsPtr decoded(gst_pad_get_current_caps(pictures.get()));
    gint numerator = 0;
    gint denominator = 0;
    if (decoded && gst_caps_get_size(decoded.get()) > 0 &&
        gst_structure_get_fraction(gst_caps_get_structure(decoded.get(), 0), "framerate", &numerator,
                                   &denominator) &&
        numerator > 0 && denominator > 0) {
      FrameTime = static_cast<double>(denominator) / numerator;
    }
  } else {
    Facts.Cover = ShowCover();
  }
  Facts.Title = TitleTag();
  // Not known at the cue (a raw stream, a file without an index), the length
  // is an estimate until the end.
  Timeline.Cued(QueryDuration());
}

bool TGstMediaGraph::ShowCover() {
  const gsthandles::PadPtr sound = Streams->DecodedAudio();
  GstTagList* tags = sound ? StreamTags(sound.get()) : nullptr;
  const QImage cover = CoverPicture(tags);
  if (tags != nullptr) gst_tag_list_unref(tags);
  const gsthandles::SamplePtr sample = SampleOfImage(cover);
  if (!sample) return false;
  Frames->Store(sample.get());
  HasVideo = true;
  Width = cover.width();
  Height = cover.height();
  return true;
}

std::string TGstMediaGraph::TitleTag() const {
  // The container's tags travel with every stream; the sound's first, as
  // a song's title is there.
  for (const gsthandles::PadPtr& pad : {Streams->DecodedAudio(), Streams->DecodedVideo()}) {
    GstTagList* tags = pad ? StreamTags(pad.get()) : nullptr;
    if (tags == nullptr) continue;
    gchar* title = nullptr;
    const bool found = gst_tag_list_get_string(tags, GST_TAG_TITLE, &title) && title != nullptr && *title != '\0';
    std::string text = found ? title : "";
    g_free(title);
    gst_tag_list_unref(tags);
    if (found) return text;
  }
  return "";
}

std::optional<int64_t> TGstMediaGraph::QueryPosition() const {
  gint64 position = -1;
  if (!gst_element_query_position(Pipeline.get(), GST_FORMAT_TIME, &position) || position < 0) return std::nullopt;
  return std::max<int64_t>(position / NanosecondsPerUnit - Origin, 0);
}

// A parser's estimate, from the bit rate so far, or a demuxer's, from what it
// has read of the file, while the length is not known for sure.
std::optional<int64_t> TGstMediaGraph::QueryDuration() const {
  gint64 duration = -1;
  if (!gst_element_query_duration(Pipeline.get(), GST_FORMAT_TIME, &duration) || duration < 0) return std::nullopt;
  return duration / NanosecondsPerUnit;
}

std::optional<int64_t> TGstMediaGraph::EstimateFromBytes() const {
  GstElement* file = nullptr;
  if (Decoder != nullptr) g_object_get(Decoder, "source", &file, nullptr);
  if (file == nullptr) return std::nullopt;
  const gsthandles::ElementPtr owned(file);
  gint64 read = -1;
  gint64 size = -1;
  const std::optional<int64_t> position = QueryPosition();
  if (!position || *position <= 0 || !gst_element_query_position(file, GST_FORMAT_BYTES, &read) ||
      !gst_element_query_duration(file, GST_FORMAT_BYTES, &size) || read <= 0 || size <= 0) {
    return std::nullopt;
  }
  // The pictures so far took `read` bytes of the file; the rest of it holds
  // as many to the byte.
  return static_cast<int64_t>(static_cast<double>(*position) * static_cast<double>(size) / static_cast<double>(read));
}

void TGstMediaGraph::DrainBus() {
  if (!Bus) return;
  while (gsthandles::MessagePtr message{gst_bus_pop(Bus.get())}) HandleMessage(message.get());
}

void TGstMediaGraph::HandleMessage(GstMessage* message) {
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
      // An end posted before the latest seek belongs to the old position.
      if (SeekSeqnum != GST_SEQNUM_INVALID && gst_message_get_seqnum(message) != SeekSeqnum && SeekPending) break;
      EndStream();
      break;
    case GST_MESSAGE_ERROR:
      // A subtitle file that cannot be read has ended its own stream; the
      // rest plays on.
      if (IsFrom(message, SubtitleDecoder)) break;
      // Playback cannot go on: the stream counts as ended, so the player
      // stops instead of waiting for ever.
      EndStream();
      break;
    case GST_MESSAGE_ASYNC_DONE:
      SeekPending = false;
      break;
    default:
      break;
  }
}

void TGstMediaGraph::EndStream() {
  SeekPending = false;
  if (!Timeline.EndReached(QueryPosition())) return;
  if (QCoreApplication::instance() == nullptr) return;
  // Queued on a long-lived object and never run from inside a graph
  // operation: the handler may well destroy this graph.
  std::weak_ptr<char> alive = Alive;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [this, alive] {
        // A seek made since has left that end.
        if (alive.expired() || !Timeline.Ended()) return;
        const std::function<void()> handler = EndOfStreamHandler;
        if (handler) handler();
      },
      Qt::QueuedConnection);
}

void TGstMediaGraph::SetVideoOwner(WindowHandle owner) {
  QWidget* parent = WidgetFromHandle(owner);
  if (parent == nullptr) {
    if (Widget) {
      Widget->hide();
      Widget->setParent(nullptr);
    }
    return;
  }
  if (!HasVideo) return;
  if (!Widget) {
    Widget = new TGstVideoWidget(Frames, parent);  // owned by its parent, or deleted with the graph
    Widget->setGeometry(0, 0, Width, Height);
  } else if (Widget->parentWidget() != parent) {
    Widget->setParent(parent);
  }
  Widget->show();
}

void TGstMediaGraph::SetVideoVisible(bool visible) {
  if (Widget) Widget->setVisible(visible);
}

int32_t TGstMediaGraph::SetVideoPosition(int32_t left, int32_t top, int32_t width, int32_t height) {
  if (!Widget) return -1;
  Widget->setGeometry(left, top, std::max(width, 0), std::max(height, 0));
  return 0;
}

QImage TGstMediaGraph::NewestFrame() const {
  const TFrameSlot::TNewest newest = Frames->Newest();
  if (!newest.Sample) return {};
  QSize shown;
  if (Widget) shown = (QSizeF(Widget->size()) * Widget->devicePixelRatioF()).toSize();
  TFrameConverter converter;
  return converter.Convert(newest.Sample.get(), shown);
}

bool TGstMediaGraph::GetVideoSize(int32_t& width, int32_t& height) {
  if (!HasVideo) return false;
  width = Width;
  height = Height;
  return true;
}

bool TGstMediaGraph::GetAvgTimePerFrame(double& seconds) {
  if (FrameTime <= 0.0) return false;
  seconds = FrameTime;
  return true;
}

TStreamFacts TGstMediaGraph::GetStreamFacts() { return Facts; }

bool TGstMediaGraph::GetDuration(int64_t& duration) {
  if (Timeline.LengthIsEstimate()) {
    std::optional<int64_t> estimate = QueryDuration();
    if (!estimate) estimate = EstimateFromBytes();
    Timeline.Estimate(estimate);
  }
  if (!Timeline.HasLength()) return false;
  duration = Timeline.Length();
  return true;
}

bool TGstMediaGraph::DurationIsEstimate() {
  DrainBus();  // an end waiting there makes the length exact
  return Timeline.LengthIsEstimate();
}

int64_t TGstMediaGraph::GetCurrentPosition() {
  if (!Rendered) return 0;
  DrainBus();
  // Until the pipeline confirms a seek, it may still answer the old position.
  if (!Timeline.FollowsFramework() || (SeekPending && std::chrono::steady_clock::now() - SeekTime < SeekPatience))
    return Timeline.Position(std::nullopt);
  const std::optional<int64_t> position = QueryPosition();
  if (position && Timeline.LengthMayChange()) {
    if (const std::optional<int64_t> length = QueryDuration()) Timeline.LengthRead(*length);
  }
  return Timeline.Position(position);
}

void TGstMediaGraph::SetPosition(int64_t position) {
  if (!Rendered) return;
  const int64_t target = Timeline.SeekTarget(position);
  DrainBus();
  const uint32_t seqnum = gst_util_seqnum_next();
  const auto seek = [this, seqnum](GstFormat format, int64_t where) {
    GstEvent* event = gst_event_new_seek(Timeline.Rate(), format,
                                         static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                         GST_SEEK_TYPE_SET, where, GST_SEEK_TYPE_NONE, -1);
    gst_event_set_seqnum(event, seqnum);
    return gst_element_send_event(Pipeline.get(), event) != FALSE;
  };
  Frames->NoteSeek();
  // A stream that cannot seek by time (a raw MJPEG stream) can still go back
  // to its start, which is what stop and repeat need.
  if (!seek(GST_FORMAT_TIME, (target + Origin) * NanosecondsPerUnit) && !(target == 0 && seek(GST_FORMAT_BYTES, 0)))
    return;
  SeekSeqnum = seqnum;
  SeekPending = true;
  SeekTime = std::chrono::steady_clock::now();
  Timeline.Sought(target);
  // The flush is done; an end still waiting on the bus is an old one.
  DrainBus();
  // Sitting on the end is the end, whatever the pipeline makes of it.
  if (Timeline.Ended()) SeekPending = false;
}

void TGstMediaGraph::Run() {
  if (!Rendered) return;
  gst_element_set_state(Pipeline.get(), GST_STATE_PLAYING);
  Timeline.Resumed();
}

void TGstMediaGraph::Pause() {
  if (!Rendered) return;
  gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED);
  Timeline.Resumed();
}

// A stopped graph stays paused: it keeps its cued picture and can still seek
// and answer its position.
void TGstMediaGraph::Stop() {
  if (!Rendered) return;
  const int64_t position = GetCurrentPosition();
  gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED);
  Timeline.Stopped(position);
}

void TGstMediaGraph::StopWhenReady() {
  if (Rendered) gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED);
}

void TGstMediaGraph::SetVolume(int32_t volume) {
  Volume = LinearVolume(volume);
  if (Streams) Streams->SetVolume(Volume);
}

bool TGstMediaGraph::SetRate(double rate) {
  if (!Rendered) return false;
  Timeline.SetRate(rate);
  // A seek where it is, at the new rate; the position stays.
  SetPosition(GetCurrentPosition());
  return true;
}

bool TGstMediaGraph::StepFrame(bool forward) {
  // A cover has no other picture to step to.
  if (!Rendered || !HasVideo || VideoSink == nullptr || !Streams->DecodedVideo()) return false;
  const int64_t frame = static_cast<int64_t>((FrameTime > 0.0 ? FrameTime : 0.04) * 10'000'000);
  gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED);
  gst_element_get_state(Pipeline.get(), nullptr, nullptr, 2 * GST_SECOND);
  Timeline.Resumed();
  if (!forward) {
    SetPosition(GetCurrentPosition() - frame);
    return true;
  }
  if (Timeline.Ended()) return false;
  // The frame sink shows the next picture and stays paused.
  Frames->NoteSeek();
  gst_element_send_event(VideoSink, gst_event_new_step(GST_FORMAT_BUFFERS, 1, 1.0, TRUE, FALSE));
  if (Timeline.Stepped(frame)) EndStream();
  return true;
}

bool TGstMediaGraph::NextStream(TStreamKind kind) {
  if (!Rendered) return false;
  if (kind == TStreamKind::Subtitle) {
    switch (Streams->ChooseNextSubtitle()) {
      case TGstStreamLinker::TSubtitleChange::Unchanged:
        return false;
      case TGstStreamLinker::TSubtitleChange::Redraw:
        RedrawPaused();
        return true;
      case TGstStreamLinker::TSubtitleChange::Switched:
        // The new stream's text of the moment comes again.
        SetPosition(GetCurrentPosition());
        return true;
    }
  }
  if (!Streams->LinkNextSound()) return false;
  // The new stream joins where the others are.
  SetPosition(GetCurrentPosition());
  return true;
}

void TGstMediaGraph::RedrawPaused() {
  // A paused picture is drawn again at once, with or without its text; a
  // pause still under way (a key right after the pause key) is waited for
  // a moment, or its picture keeps the old text.
  if (!Rendered) return;
  GstState state = GST_STATE_VOID_PENDING;
  const GstStateChangeReturn settled = gst_element_get_state(Pipeline.get(), &state, nullptr, 500 * GST_MSECOND);
  if (settled == GST_STATE_CHANGE_SUCCESS && state == GST_STATE_PAUSED && !Timeline.Ended())
    SetPosition(GetCurrentPosition());
}

void TGstMediaGraph::SetSubtitlesVisible(bool visible) {
  if (!Streams) return;
  Streams->SetSubtitlesVisible(visible);
  RedrawPaused();
}

void TGstMediaGraph::SetSubtitleFile(const std::string& fileName) {
  if (!Pipeline) SubtitleFile = fileName;
}

std::vector<TFilterInfo> TGstMediaGraph::EnumFilters() {
  if (!Pipeline) return {};
  return ListElements(GST_BIN(Pipeline.get()));
}

void TGstMediaGraph::ShowFilterSettings(const std::string& name, WindowHandle owner) {
  if (!Pipeline) return;
  ShowElementSettings(Pipeline.get(), name, WidgetFromHandle(owner));
}

void TGstMediaGraph::SetEndOfStreamHandler(std::function<void()> handler) {
  EndOfStreamHandler = std::move(handler);
}

// Called on a streaming thread: the picture is converted when the widget
// paints it on its own thread, at the size it is shown.
void TGstMediaGraph::TakeFrame(GstSample* sample) {
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  if (buffer == nullptr) return;
  const GstClockTime time = GST_BUFFER_PTS(buffer);
  Frames->Store(sample, GST_CLOCK_TIME_IS_VALID(time) ? static_cast<int64_t>(time) : -1);
  QMetaObject::invokeMethod(this, "RepaintVideo", Qt::QueuedConnection);
}

void TGstMediaGraph::RepaintVideo() {
  if (Widget) Widget->update();
}

GstFlowReturn TGstMediaGraph::OnNewPreroll(GstAppSink* sink, gpointer self) {
  const gsthandles::SamplePtr sample(gst_app_sink_pull_preroll(sink));
  if (sample) static_cast<TGstMediaGraph*>(self)->TakeFrame(sample.get());
  return GST_FLOW_OK;
}

GstFlowReturn TGstMediaGraph::OnNewSample(GstAppSink* sink, gpointer self) {
  const gsthandles::SamplePtr sample(gst_app_sink_pull_sample(sink));
  if (sample) static_cast<TGstMediaGraph*>(self)->TakeFrame(sample.get());
  return GST_FLOW_OK;
}

}  // namespace mova
