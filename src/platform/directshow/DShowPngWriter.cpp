#include "platform/directshow/DShowPngWriter.h"

#include <windows.h>
#include <objidl.h>
#include <wincodec.h>

#include <cstring>

#include "platform/directshow/DShowCom.h"

namespace mova::dshow {

namespace {

// Named here rather than taken from a library, so that nothing beyond ole32
// is imported: the factory is created through COM.
constexpr CLSID ImagingFactory = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr IID ImagingFactoryInterface = {0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
constexpr GUID PngContainer = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID Bgr24 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

}  // namespace

bool EncodePngWithWic(const TRgbImage& picture, std::vector<uint8_t>& bytes) {
  const size_t rowBytes = static_cast<size_t>(picture.Width) * 3;
  if (picture.Width <= 0 || picture.Height <= 0 || picture.Pixels.size() < rowBytes * static_cast<size_t>(picture.Height))
    return false;
  TComPtr<IWICImagingFactory> factory;
  TComPtr<IStream> stream;
  TComPtr<IWICBitmapEncoder> encoder;
  TComPtr<IWICBitmapFrameEncode> frame;
  if (FAILED(CoCreateInstance(ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, ImagingFactoryInterface,
                              factory.PutVoid())) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) ||
      FAILED(factory->CreateEncoder(PngContainer, nullptr, encoder.Put())) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
      FAILED(frame->SetSize(static_cast<UINT>(picture.Width), static_cast<UINT>(picture.Height)))) {
    return false;
  }
  WICPixelFormatGUID format = Bgr24;
  if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, Bgr24)) return false;
  // The encoder takes blue, green, red; the picture is red, green, blue.
  std::vector<BYTE> rows(picture.Pixels.begin(), picture.Pixels.begin() + rowBytes * picture.Height);
  for (size_t i = 0; i + 2 < rows.size(); i += 3) std::swap(rows[i], rows[i + 2]);
  if (FAILED(frame->WritePixels(static_cast<UINT>(picture.Height), static_cast<UINT>(rowBytes),
                                static_cast<UINT>(rows.size()), rows.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return false;
  }
  HGLOBAL memory = nullptr;
  if (FAILED(GetHGlobalFromStream(stream.Get(), &memory))) return false;
  STATSTG about{};
  if (FAILED(stream->Stat(&about, STATFLAG_NONAME))) return false;
  const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
  if (data == nullptr) return false;
  bytes.assign(data, data + about.cbSize.QuadPart);
  GlobalUnlock(memory);
  return !bytes.empty();
}

}  // namespace mova::dshow
