#include "platform/gstreamer/GstMediaGraph.h"

#include <gst/pbutils/missing-plugins.h>
#include <gst/video/video.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

#include "platform/gstreamer/ElementSettingsDialog.h"
#include "platform/gstreamer/GstFrameConverter.h"
#include "platform/gstreamer/GstElementList.h"
#include "platform/qt/QtHandles.h"

namespace mova {

namespace {

constexpr int64_t NanosecondsPerUnit = 100;  // GStreamer time to 100-ns media time
// A seek whose completion the bus never confirms is trusted no longer than this.
constexpr std::chrono::milliseconds SeekPatience{2000};

bool IsMissingDecoder(GstMessage* message) {
  if (gst_is_missing_plugin_message(message)) return true;
  if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_WARNING) return false;
  GError* error = nullptr;
  gst_message_parse_warning(message, &error, nullptr);
  const gsthandles::ErrorPtr owned(error);
  return error != nullptr && (g_error_matches(error, GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND) ||
                              g_error_matches(error, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN));
}

GstElement* MakeAudioSink(bool silent) {
  // autoaudiosink falls back to a fake sink of its own when no device opens;
  // either way the sink keeps the clock, so playback runs in real time.
  GstElement* sink = silent ? nullptr : gst_element_factory_make("autoaudiosink", nullptr);
  if (sink == nullptr) sink = gst_element_factory_make("fakesink", nullptr);
  if (sink != nullptr) g_object_set(sink, "sync", TRUE, nullptr);
  return sink;
}

GstElement* MakeAppSink(GstAppSinkCallbacks* callbacks, gpointer self) {
  GstElement* sink = gst_element_factory_make("appsink", nullptr);
  if (sink == nullptr) return nullptr;
  // I420, what most decoders give, is converted (and scaled) to RGB32 in one
  // pass when the window paints it; BGRx is QImage's RGB32 on a little-endian
  // machine and may well be painted as it is.
  gsthandles::CapsPtr caps(gst_caps_from_string("video/x-raw,format={ I420, BGRx }"));
  // One picture waits at most: a late one is replaced, not queued. The sink
  // keeps no last picture of its own: the frame slot holds the newest one.
  g_object_set(sink, "caps", caps.get(), "sync", TRUE, "max-buffers", 1u, "drop", TRUE, "enable-last-sample", FALSE,
               nullptr);
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), callbacks, self, nullptr);
  return sink;
}

// Pictures up to 1080p at 30 frames a second are decoded on one thread: such
// a stream needs a fraction of one core, while every further thread of the
// decoder holds pictures of its own (25 MB more at 1080p) and delays the
// first picture by one. Larger or faster streams keep the decoder's choice.
constexpr double SingleThreadPixelRate = 1920.0 * 1088.0 * 30.0;

GstPadProbeReturn OnDecoderCaps(GstPad*, GstPadProbeInfo* info, gpointer decoder) {
  GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
  if (event == nullptr || GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
  GstCaps* caps = nullptr;
  gst_event_parse_caps(event, &caps);
  const GstStructure* format = caps != nullptr && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0)
                                                                              : nullptr;
  gint width = 0;
  gint height = 0;
  if (format == nullptr || !gst_structure_get_int(format, "width", &width) ||
      !gst_structure_get_int(format, "height", &height) || width <= 0 || height <= 0)
    return GST_PAD_PROBE_OK;
  gint numerator = 0;
  gint denominator = 0;
  double rate = 30.0;  // a stream that states no rate counts as an ordinary one
  if (gst_structure_get_fraction(format, "framerate", &numerator, &denominator) && numerator > 0 &&
      denominator > 0)
    rate = static_cast<double>(numerator) / denominator;
  const bool light = static_cast<double>(width) * height * rate <= SingleThreadPixelRate;
  // Read by the decoder when it opens its codec for these caps, just after.
  g_object_set(decoder, "max-threads", light ? 1 : 0, nullptr);
  return GST_PAD_PROBE_OK;
}

// Called for every element added anywhere in the graph, on the thread that
// adds it.
void OnElementAdded(GstBin*, GstBin*, GstElement* element, gpointer) {
  GstElementFactory* factory = gst_element_get_factory(element);
  if (factory == nullptr || !gst_element_factory_list_is_type(factory, GST_ELEMENT_FACTORY_TYPE_DECODER |
                                                                           GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO))
    return;
  GParamSpec* threads = g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads");
  if (threads == nullptr || threads->value_type != G_TYPE_INT) return;
  const gsthandles::PadPtr pad(gst_element_get_static_pad(element, "sink"));
  // The decoder outlives its own pad, so the probe may keep a plain pointer.
  if (pad) gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &OnDecoderCaps, element, nullptr);
}

void OnDecodedPad(GstElement*, GstPad* pad, gpointer streams) { static_cast<TGstStreamLinker*>(streams)->Link(pad); }

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

bool TGstMediaGraph::RenderFile(const std::string& fileName) {
  if (Pipeline) return false;  // one file per graph
  GError* uriError = nullptr;
  gsthandles::CharPtr uri(gst_filename_to_uri(fileName.c_str(), &uriError));
  if (uriError != nullptr) g_error_free(uriError);
  if (!uri) return false;

  // The decoder bin finds the container and decoders; what plays each
  // decoded stream is linked behind it as its pads appear.
  GstElement* pipeline = gst_pipeline_new(nullptr);
  if (pipeline == nullptr) return false;
  Pipeline.reset(GST_ELEMENT(gst_object_ref_sink(pipeline)));
  GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
  if (source == nullptr) return false;
  g_object_set(source, "uri", uri.get(), nullptr);

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
  g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(&OnElementAdded), nullptr);
  g_signal_connect(source, "pad-added", G_CALLBACK(&OnDecodedPad), Streams.get());
  gst_bin_add(GST_BIN(pipeline), source);
  Bus.reset(gst_element_get_bus(pipeline));

  if (!Cue()) {
    gst_element_set_state(pipeline, GST_STATE_NULL);
    return false;
  }
  ReadStreamFacts();
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

// Brings the pipeline to paused on its first picture. Fails on any error, on
// a stream that no decoder takes, and when the cue takes too long.
bool TGstMediaGraph::Cue() {
  const GstStateChangeReturn change = gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED);
  if (change == GST_STATE_CHANGE_FAILURE) return false;
  const auto deadline = std::chrono::steady_clock::now() + Options.CueTimeout;
  const auto types = static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_WARNING | GST_MESSAGE_ELEMENT |
                                                 GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_EOS);
  bool cued = change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL;
  while (!cued) {
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    gsthandles::MessagePtr message(gst_bus_timed_pop_filtered(Bus.get(), left.count(), types));
    if (!message) return false;  // timed out
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR || IsMissingDecoder(message.get())) return false;
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) Ended = true;
    cued = GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE;
  }
  // A stream found undecodable while the others were cued still fails.
  while (gsthandles::MessagePtr message{gst_bus_pop_filtered(Bus.get(), types)}) {
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR || IsMissingDecoder(message.get())) return false;
    if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) Ended = true;
  }
  return true;
}

void TGstMediaGraph::ReadStreamFacts() {
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
    }
    gint numerator = 0;
    gint denominator = 0;
    if (gst_structure_get_fraction(format, "framerate", &numerator, &denominator) && numerator > 0 &&
        denominator > 0) {
      FrameTime = static_cast<double>(denominator) / numerator;
    }
  }
  gint64 duration = -1;
  if (gst_element_query_duration(Pipeline.get(), GST_FORMAT_TIME, &duration) && duration >= 0) {
    HasDuration = true;
    Duration = duration / NanosecondsPerUnit;
  } else {
    // Not known at the cue (a raw stream, a file without an index): what the
    // framework says of it later is an estimate until the end.
    DurationEstimated = true;
  }
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
  if (Ended) return;
  Ended = true;
  DurationFinal = true;
  if (DurationEstimated) {
    // An estimated length becomes where the stream ended.
    gint64 position = -1;
    if (gst_element_query_position(Pipeline.get(), GST_FORMAT_TIME, &position) && position >= 0)
      LastPosition = position / NanosecondsPerUnit;
    HasDuration = true;
    Duration = LastPosition;
    DurationEstimated = false;
  }
  if (QCoreApplication::instance() == nullptr) return;
  // Queued on a long-lived object and never run from inside a graph
  // operation: the handler may well destroy this graph.
  std::weak_ptr<char> alive = Alive;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [this, alive] {
        // A seek made since has left that end.
        if (alive.expired() || !Ended) return;
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

bool TGstMediaGraph::GetDuration(int64_t& duration) {
  if (DurationEstimated) {
    // The framework's latest estimate: a parser's, from the bit rate so
    // far, or a demuxer's, from what it has read of the file.
    gint64 estimate = -1;
    if (gst_element_query_duration(Pipeline.get(), GST_FORMAT_TIME, &estimate) && estimate >= 0) {
      HasDuration = true;
      Duration = estimate / NanosecondsPerUnit;
    }
  }
  if (!HasDuration) return false;
  duration = Duration;
  return true;
}

bool TGstMediaGraph::DurationIsEstimate() {
  DrainBus();  // an end waiting there makes the length exact
  return DurationEstimated;
}

void TGstMediaGraph::WatchDuration() {
  if (DurationEstimated || DurationFinal || !HasDuration) return;
  // A length that changes while the file plays (a Matroska file written
  // without its length, which the demuxer guesses and corrects as it reads)
  // was an estimate after all.
  gint64 now = -1;
  if (gst_element_query_duration(Pipeline.get(), GST_FORMAT_TIME, &now) && now >= 0 &&
      now / NanosecondsPerUnit != Duration)
    DurationEstimated = true;
}

int64_t TGstMediaGraph::GetCurrentPosition() {
  if (!Rendered) return 0;
  DrainBus();
  if (Ended) return HasDuration ? Duration : LastPosition;
  if (SeekPending && std::chrono::steady_clock::now() - SeekTime < SeekPatience) return SeekTarget;
  gint64 position = -1;
  if (gst_element_query_position(Pipeline.get(), GST_FORMAT_TIME, &position) && position >= 0) {
    LastPosition = position / NanosecondsPerUnit;
    WatchDuration();
    if (HasDuration && !DurationEstimated) LastPosition = std::min(LastPosition, Duration);
  }
  return LastPosition;
}

void TGstMediaGraph::SetPosition(int64_t position) {
  if (!Rendered) return;
  position = std::max<int64_t>(position, 0);
  const bool atEnd = HasDuration && !DurationEstimated && position >= Duration;
  if (atEnd) position = Duration;
  DrainBus();
  const uint32_t seqnum = gst_util_seqnum_next();
  const auto seek = [this, seqnum](GstFormat format, int64_t target) {
    GstEvent* event = gst_event_new_seek(1.0, format,
                                         static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                         GST_SEEK_TYPE_SET, target, GST_SEEK_TYPE_NONE, -1);
    gst_event_set_seqnum(event, seqnum);
    return gst_element_send_event(Pipeline.get(), event) != FALSE;
  };
  Frames->NoteSeek();
  // A stream that cannot seek by time (a raw MJPEG stream) can still go back
  // to its start, which is what stop and repeat need.
  if (!seek(GST_FORMAT_TIME, position * NanosecondsPerUnit) && !(position == 0 && seek(GST_FORMAT_BYTES, 0))) return;
  SeekSeqnum = seqnum;
  SeekPending = true;
  SeekTarget = position;
  SeekTime = std::chrono::steady_clock::now();
  LastPosition = position;
  Ended = false;
  // The flush is done; an end still waiting on the bus is an old one.
  DrainBus();
  if (atEnd) {
    // Sitting on the end is the end, whatever the pipeline makes of it.
    SeekPending = false;
    Ended = true;
  }
}

void TGstMediaGraph::Run() {
  if (Rendered) gst_element_set_state(Pipeline.get(), GST_STATE_PLAYING);
}

void TGstMediaGraph::Pause() {
  if (Rendered) gst_element_set_state(Pipeline.get(), GST_STATE_PAUSED);
}

// A stopped graph stays paused: it keeps its cued picture and can still seek
// and answer its position.
void TGstMediaGraph::Stop() { Pause(); }

void TGstMediaGraph::StopWhenReady() { Pause(); }

void TGstMediaGraph::SetVolume(int32_t volume) {
  Volume = LinearVolume(volume);
  if (Streams) Streams->SetVolume(Volume);
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
