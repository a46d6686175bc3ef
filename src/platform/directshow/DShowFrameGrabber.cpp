#include "platform/directshow/DShowFrameGrabber.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/directshow/DShowCom.h"
#include "platform/directshow/DShowFrameConvert.h"
#include "platform/directshow/DShowQedit.h"

namespace mova::dshow {

namespace {

TComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION wanted) {
  TComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Put())) || !pins) return {};
  for (;;) {
    TComPtr<IPin> pin;
    if (pins->Next(1, pin.Put(), nullptr) != S_OK || !pin) return {};
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == wanted) return pin;
  }
}

// Connects the first output of the source that leads, through whatever
// splitter and decoders the graph finds, to the grabber's input.
bool ConnectVideo(IGraphBuilder* graph, IBaseFilter* source, IPin* grabberInput) {
  TComPtr<IEnumPins> pins;
  if (FAILED(source->EnumPins(pins.Put())) || !pins) return false;
  for (;;) {
    TComPtr<IPin> pin;
    if (pins->Next(1, pin.Put(), nullptr) != S_OK || !pin) return false;
    PIN_DIRECTION direction = PINDIR_INPUT;
    if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) continue;
    if (SUCCEEDED(graph->Connect(pin.Get(), grabberInput))) return true;
  }
}

TComPtr<IBaseFilter> AddFilter(IGraphBuilder* graph, REFCLSID id, const wchar_t* name) {
  TComPtr<IBaseFilter> filter;
  if (FAILED(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, filter.PutVoid())) || !filter) {
    return {};
  }
  if (FAILED(graph->AddFilter(filter.Get(), name))) return {};
  return filter;
}

// The picture layout the grabber was connected with.
bool ConnectedLayout(ISampleGrabber* grabber, TBgrPicture& layout, REFERENCE_TIME& frameTime) {
  AM_MEDIA_TYPE type{};
  if (FAILED(grabber->GetConnectedMediaType(&type))) return false;
  bool known = false;
  if (type.formattype == FORMAT_VideoInfo && type.cbFormat >= sizeof(VIDEOINFOHEADER) && type.pbFormat != nullptr) {
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    const BITMAPINFOHEADER& header = info->bmiHeader;
    layout.Width = header.biWidth;
    layout.Height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    layout.BottomUp = header.biHeight > 0;
    layout.BytesPerPixel = header.biBitCount / 8;
    frameTime = info->AvgTimePerFrame;
    known = header.biWidth > 0 && header.biHeight != 0 && (header.biBitCount == 24 || header.biBitCount == 32);
  }
  FreeMediaTypeContents(type);
  return known;
}

std::chrono::milliseconds Left(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

// The media time to cue: the frame shown at `seconds`, or the last frame for
// a time at or past the end.
LONGLONG CueTime(IMediaSeeking* seeking, double seconds, REFERENCE_TIME frameTime) {
  const double units = std::max(0.0, seconds) * 1e7;
  LONGLONG target = units < 9e18 ? static_cast<LONGLONG>(std::llround(units)) : INT64_MAX;
  LONGLONG duration = 0;
  if (SUCCEEDED(seeking->GetDuration(&duration)) && duration > 0) {
    const LONGLONG lastFrame = duration - std::max<REFERENCE_TIME>(frameTime, 1);
    target = std::min(target, std::max<LONGLONG>(lastFrame, 0));
  }
  return target;
}

}  // namespace

bool GrabFrame(const std::wstring& fileName, double seconds, int32_t width, int32_t height,
               std::chrono::steady_clock::time_point deadline, TRgbImage& frame) {
  if (width <= 0 || height <= 0 || fileName.empty()) return false;
  TComPtr<IGraphBuilder> graph;
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid()))) {
    return false;
  }
  TComPtr<IBaseFilter> source;
  if (FAILED(graph->AddSourceFilter(fileName.c_str(), L"Source", source.Put())) || !source) return false;

  TComPtr<IBaseFilter> grabberFilter = AddFilter(graph.Get(), CLSID_SampleGrabber, L"Sample Grabber");
  TComPtr<ISampleGrabber> grabber;
  if (!grabberFilter || FAILED(grabberFilter.Query(IID_ISampleGrabber, grabber))) return false;
  AM_MEDIA_TYPE wanted{};
  wanted.majortype = MEDIATYPE_Video;
  wanted.subtype = MEDIASUBTYPE_RGB24;
  wanted.formattype = FORMAT_VideoInfo;
  if (FAILED(grabber->SetMediaType(&wanted))) return false;
  grabber->SetBufferSamples(TRUE);
  grabber->SetOneShot(FALSE);
  TComPtr<IBaseFilter> sink = AddFilter(graph.Get(), CLSID_NullRenderer, L"Null Renderer");
  if (!sink) return false;

  TComPtr<IPin> grabberInput = FirstPin(grabberFilter.Get(), PINDIR_INPUT);
  TComPtr<IPin> grabberOutput = FirstPin(grabberFilter.Get(), PINDIR_OUTPUT);
  TComPtr<IPin> sinkInput = FirstPin(sink.Get(), PINDIR_INPUT);
  if (!grabberInput || !grabberOutput || !sinkInput) return false;
  if (!ConnectVideo(graph.Get(), source.Get(), grabberInput.Get())) return false;
  if (FAILED(graph->Connect(grabberOutput.Get(), sinkInput.Get()))) return false;

  TBgrPicture layout;
  REFERENCE_TIME frameTime = 0;
  if (!ConnectedLayout(grabber.Get(), layout, frameTime)) return false;

  TComPtr<IMediaControl> control;
  TComPtr<IMediaSeeking> seeking;
  if (FAILED(graph.Query(IID_IMediaControl, control)) || FAILED(graph.Query(IID_IMediaSeeking, seeking))) return false;
  seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME);
  LONGLONG start = CueTime(seeking.Get(), seconds, frameTime);
  // An exact seek: the decoders drop what precedes the time after starting
  // from the key frame before it.
  LONGLONG stop = 0;
  seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_NoPositioning);

  bool grabbed = false;
  if (SUCCEEDED(control->Pause()) && WaitForState(control.Get(), State_Paused, Left(deadline))) {
    long size = 0;
    if (SUCCEEDED(grabber->GetCurrentBuffer(&size, nullptr)) && size > 0) {
      std::vector<uint8_t> pixels(static_cast<size_t>(size));
      if (SUCCEEDED(grabber->GetCurrentBuffer(&size, reinterpret_cast<long*>(pixels.data())))) {
        layout.Bits = pixels.data();
        layout.Size = std::min(pixels.size(), static_cast<size_t>(size));
        grabbed = ScaleToRgb(layout, width, height, frame);
      }
    }
  }
  control->Stop();
  return grabbed;
}

}  // namespace mova::dshow
