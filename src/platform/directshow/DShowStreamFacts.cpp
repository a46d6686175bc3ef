#include "platform/directshow/DShowStreamFacts.h"

#include <mmreg.h>
#include <dvdmedia.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <numeric>
#include <vector>

#include "platform/directshow/DShowCom.h"

namespace mova::dshow {

namespace {

// A media type that frees its format block when it goes.
struct TOwnedType {
  AM_MEDIA_TYPE Type{};
  TOwnedType() = default;
  TOwnedType(const TOwnedType&) = delete;
  TOwnedType& operator=(const TOwnedType&) = delete;
  ~TOwnedType() { FreeMediaTypeContents(Type); }
};

// The connected input pin of a filter, and whether it has an output pin.
TComPtr<IPin> ConnectedInput(IBaseFilter* filter, bool& hasOutput) {
  hasOutput = false;
  TComPtr<IPin> input;
  TComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Put())) || !pins) return input;
  for (;;) {
    TComPtr<IPin> pin;
    if (pins->Next(1, pin.Put(), nullptr) != S_OK || !pin) break;
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    if (FAILED(pin->QueryDirection(&direction))) continue;
    if (direction == PINDIR_OUTPUT) {
      hasOutput = true;
      continue;
    }
    TComPtr<IPin> peer;
    if (!input && SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer) input = std::move(pin);
  }
  return input;
}

// The media types on the way from a renderer's input back to the splitter,
// the renderer's first.
std::vector<std::unique_ptr<TOwnedType>> WayBack(TComPtr<IPin> input) {
  std::vector<std::unique_ptr<TOwnedType>> types;
  // A graph has a few filters between splitter and renderer; the bound
  // keeps a graph with a loop from holding the window thread.
  for (int step = 0; input && step < 16; ++step) {
    auto type = std::make_unique<TOwnedType>();
    if (FAILED(input->ConnectionMediaType(&type->Type))) break;
    types.push_back(std::move(type));
    TComPtr<IPin> output;
    if (FAILED(input->ConnectedTo(output.Put())) || !output) break;
    PIN_INFO info{};
    if (FAILED(output->QueryPinInfo(&info)) || info.pFilter == nullptr) break;
    bool hasOutput = false;
    input = ConnectedInput(info.pFilter, hasOutput);
    info.pFilter->Release();
  }
  return types;
}

bool IsFourCcSubtype(const GUID& subtype) {
  static const uint8_t tail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  return subtype.Data2 == 0x0000 && subtype.Data3 == 0x0010 && std::memcmp(subtype.Data4, tail, 8) == 0;
}

std::string CodeText(uint32_t code) {
  std::string text;
  for (int i = 0; i < 4; ++i) text += static_cast<char>((code >> (8 * i)) & 0xFF);
  return text;
}

const BITMAPINFOHEADER* BitmapHeader(const AM_MEDIA_TYPE& type) {
  if (type.pbFormat == nullptr) return nullptr;
  if ((type.formattype == FORMAT_VideoInfo || type.formattype == FORMAT_MPEGVideo) &&
      type.cbFormat >= sizeof(VIDEOINFOHEADER))
    return &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
  if ((type.formattype == FORMAT_VideoInfo2 || type.formattype == FORMAT_MPEG2Video) &&
      type.cbFormat >= sizeof(VIDEOINFOHEADER2))
    return &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
  return nullptr;
}

void ReadSound(const std::vector<std::unique_ptr<TOwnedType>>& way, TStreamFacts& facts) {
  for (auto type = way.rbegin(); type != way.rend(); ++type) {
    const AM_MEDIA_TYPE& media = (*type)->Type;
    if (media.formattype != FORMAT_WaveFormatEx || media.pbFormat == nullptr || media.cbFormat < sizeof(WAVEFORMATEX))
      continue;
    const auto* wave = reinterpret_cast<const WAVEFORMATEX*>(media.pbFormat);
    facts.AudioTag = wave->wFormatTag;
    if (wave->wFormatTag == WAVE_FORMAT_EXTENSIBLE && media.cbFormat >= sizeof(WAVEFORMATEXTENSIBLE))
      facts.AudioTag = static_cast<uint16_t>(reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(wave)->SubFormat.Data1);
    facts.Channels = wave->nChannels;
    facts.SamplesPerSecond = wave->nSamplesPerSec;
    facts.BytesPerSecond = wave->nAvgBytesPerSec;
    return;
  }
}

void ReadPicture(const std::vector<std::unique_ptr<TOwnedType>>& way, TStreamFacts& facts) {
  for (auto type = way.rbegin(); type != way.rend(); ++type) {
    const AM_MEDIA_TYPE& media = (*type)->Type;
    const BITMAPINFOHEADER* header = BitmapHeader(media);
    if (header == nullptr) continue;
    if (header->biCompression != BI_RGB && header->biCompression != BI_BITFIELDS) {
      facts.VideoCode = CodeText(header->biCompression);
    } else if (media.formattype == FORMAT_MPEGVideo) {
      facts.VideoCode = "MPG1";
    } else if (media.formattype == FORMAT_MPEG2Video) {
      facts.VideoCode = "MPG2";
    } else if (IsFourCcSubtype(media.subtype)) {
      facts.VideoCode = CodeText(media.subtype.Data1);
    }
    break;
  }
  for (const auto& type : way) {
    const AM_MEDIA_TYPE& media = type->Type;
    if ((media.formattype != FORMAT_VideoInfo2 && media.formattype != FORMAT_MPEG2Video) ||
        media.pbFormat == nullptr || media.cbFormat < sizeof(VIDEOINFOHEADER2))
      continue;
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER2*>(media.pbFormat);
    const int64_t width = info->bmiHeader.biWidth;
    const int64_t height = std::llabs(info->bmiHeader.biHeight);
    if (info->dwPictAspectRatioX == 0 || info->dwPictAspectRatioY == 0 || width <= 0 || height <= 0) continue;
    // The picture's shape over its size in pixels is the shape of a pixel.
    int64_t across = int64_t{info->dwPictAspectRatioX} * height;
    int64_t down = int64_t{info->dwPictAspectRatioY} * width;
    const int64_t common = std::gcd(across, down);
    across /= common;
    down /= common;
    if (across > INT32_MAX || down > INT32_MAX) continue;
    facts.PixelWidth = static_cast<int32_t>(across);
    facts.PixelHeight = static_cast<int32_t>(down);
    return;
  }
}

}  // namespace

TStreamFacts ReadStreamFacts(IFilterGraph* graph) {
  TStreamFacts facts;
  TComPtr<IEnumFilters> filters;
  if (graph == nullptr || FAILED(graph->EnumFilters(filters.Put())) || !filters) return facts;
  bool sound = false;
  bool picture = false;
  for (;;) {
    TComPtr<IBaseFilter> filter;
    if (filters->Next(1, filter.Put(), nullptr) != S_OK || !filter) break;
    bool hasOutput = false;
    TComPtr<IPin> input = ConnectedInput(filter.Get(), hasOutput);
    if (hasOutput || !input) continue;  // not a renderer, or one left unconnected
    TOwnedType type;
    if (FAILED(input->ConnectionMediaType(&type.Type))) continue;
    if (type.Type.majortype == MEDIATYPE_Audio && !sound) {
      sound = true;
      ReadSound(WayBack(std::move(input)), facts);
    } else if (type.Type.majortype == MEDIATYPE_Video && !picture) {
      picture = true;
      ReadPicture(WayBack(std::move(input)), facts);
    }
  }
  return facts;
}

}  // namespace mova::dshow
