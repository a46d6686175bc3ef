#include "platform/directshow/DShowFrameDetector.h"

#include <cmath>
#include <vector>

#include "platform/directshow/DShowCom.h"
#include "platform/directshow/DShowFrameConvert.h"
#include "platform/directshow/DShowFrameGrabber.h"
#include "platform/directshow/DShowQedit.h"

namespace mova {

namespace {

using dshow::TBstr;
using dshow::TComPtr;

// Selects the detector's first video stream; false when it has none.
bool SelectFirstVideoStream(IMediaDet* detector) {
  long streams = 0;
  if (FAILED(detector->get_OutputStreams(&streams))) return false;
  for (long i = 0; i < streams; ++i) {
    if (FAILED(detector->put_CurrentStream(i))) continue;
    GUID type{};
    if (SUCCEEDED(detector->get_StreamType(&type)) && IsEqualGUID(type, MEDIATYPE_Video)) return true;
  }
  return false;
}

// A file name of its own in the temporary folder, created empty; "" when none.
std::wstring TemporaryFileName() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return {};
  wchar_t name[MAX_PATH + 1] = {};
  if (GetTempFileNameW(folder, L"mva", 0, name) == 0) return {};
  return name;
}

bool ReadWholeFile(const std::wstring& fileName, std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool read = GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31);
  if (read) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    read = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
  }
  CloseHandle(file);
  return read;
}

enum class TWriteResult { Written, NotImplemented, Failed };

// Lets the detector write the frame to a temporary bitmap and reads it back.
TWriteResult WriteAndReadBitmap(IMediaDet* detector, double seconds, int32_t width, int32_t height, TRgbImage& frame) {
  const std::wstring temporary = TemporaryFileName();
  if (temporary.empty()) return TWriteResult::Failed;
  TBstr target(temporary);
  const HRESULT hr = target ? detector->WriteBitmapBits(seconds, width, height, target.Get()) : E_OUTOFMEMORY;
  bool decoded = false;
  std::vector<uint8_t> bytes;
  if (hr == S_OK && ReadWholeFile(temporary, bytes)) {
    dshow::TBgrPicture picture;
    // Scaled once more only should the writer have chosen another size.
    decoded = dshow::ReadBitmapPicture(bytes, picture) && dshow::ScaleToRgb(picture, width, height, frame);
  }
  DeleteFileW(temporary.c_str());
  if (hr == E_NOTIMPL) return TWriteResult::NotImplemented;
  return decoded ? TWriteResult::Written : TWriteResult::Failed;
}

}  // namespace

bool TDShowFrameDetector::DecodeFrame(const std::string& fileName, double seconds, int32_t width, int32_t height,
                                      TRgbImage& frame) {
  if (width <= 0 || height <= 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + Options.Timeout;
  if (!(seconds > 0.0)) seconds = 0.0;  // negative, or not a number
  const std::wstring wideName = dshow::WideFromAnsi(fileName);
  if (wideName.empty()) return false;

  TComPtr<IMediaDet> detector;
  if (FAILED(CoCreateInstance(CLSID_MediaDet, nullptr, CLSCTX_INPROC_SERVER, IID_IMediaDet, detector.PutVoid())) ||
      !detector) {
    return false;
  }
  TBstr name(wideName);
  if (!name || FAILED(detector->put_Filename(name.Get()))) return false;
  if (!SelectFirstVideoStream(detector.Get())) return false;

  switch (WriteAndReadBitmap(detector.Get(), seconds, width, height, frame)) {
    case TWriteResult::Written:
      return true;
    case TWriteResult::Failed:
      return false;
    case TWriteResult::NotImplemented:
      break;  // Wine's detector writes no bitmaps: the frame is decoded here
  }
  // The detector holds the file open; it goes before the file is opened again.
  detector.Reset();
  return dshow::GrabFrame(wideName, seconds, width, height, deadline, frame);
}

}  // namespace mova
