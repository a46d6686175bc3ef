#include "platform/directshow/DShowCom.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

namespace mova::dshow {

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string AnsiFromWide(const wchar_t* text, size_t length) {
  if (length == 0) return {};
  const int size = static_cast<int>(length);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, size, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

std::wstring FilterInfoName(const FILTER_INFO& info) {
  constexpr size_t capacity = sizeof(info.achName) / sizeof(info.achName[0]);
  return std::wstring(info.achName, wcsnlen(info.achName, capacity));
}

bool WaitForState(IMediaControl* control, OAFilterState wanted, std::chrono::milliseconds timeout) {
  if (control == nullptr) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    // Asked in short slices, so that a change that never completes is given
    // up on time even where one call would wait longer than asked.
    const LONG slice = static_cast<LONG>(std::max<int64_t>(0, std::min<int64_t>(left.count(), 100)));
    OAFilterState state = State_Stopped;
    const HRESULT hr = control->GetState(slice, &state);
    if (hr == S_OK || hr == VFW_S_CANT_CUE) return state == wanted;
    if (FAILED(hr)) return false;
    if (left.count() <= 0) return false;  // still VFW_S_STATE_INTERMEDIATE
  }
}

void FreeMediaTypeContents(AM_MEDIA_TYPE& type) {
  if (type.cbFormat != 0) CoTaskMemFree(type.pbFormat);
  type.cbFormat = 0;
  type.pbFormat = nullptr;
  if (type.pUnk != nullptr) {
    type.pUnk->Release();
    type.pUnk = nullptr;
  }
}

}  // namespace mova::dshow
