#pragma once
// Small COM helpers for the DirectShow backend: an owning interface pointer,
// the conversions between the program's byte strings and COM's wide strings,
// and a wait for a graph's state change that never waits without bound.
#include <windows.h>
#include <dshow.h>

#include <chrono>
#include <string>
#include <utility>

namespace mova::dshow {

// Owns one reference to a COM interface and releases it when it goes.
template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  TComPtr(TComPtr&& other) noexcept : Ptr(std::exchange(other.Ptr, nullptr)) {}
  TComPtr& operator=(TComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      Ptr = std::exchange(other.Ptr, nullptr);
    }
    return *this;
  }

  T* Get() const { return Ptr; }
  T* operator->() const { return Ptr; }
  explicit operator bool() const { return Ptr != nullptr; }

  // The address to receive a new reference into; the old one is released.
  T** Put() {
    Reset();
    return &Ptr;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Reset() {
    if (Ptr != nullptr) std::exchange(Ptr, nullptr)->Release();
  }

  // Queries another interface of the same object into `out`.
  template <class U>
  HRESULT Query(REFIID iid, TComPtr<U>& out) const {
    if (Ptr == nullptr) return E_POINTER;
    return Ptr->QueryInterface(iid, out.PutVoid());
  }

 private:
  T* Ptr = nullptr;
};

// A BSTR that is freed when it goes.
class TBstr {
 public:
  explicit TBstr(const std::wstring& text) : Text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~TBstr() { SysFreeString(Text); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  BSTR Get() const { return Text; }
  explicit operator bool() const { return Text != nullptr; }

 private:
  BSTR Text;
};

// File and filter names travel as byte strings in the system's ANSI code page.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const wchar_t* text, size_t length);

// A filter's name from its information record: up to the first NUL, at most
// the record's 128 characters (the name need not be terminated when it fills them).
std::wstring FilterInfoName(const FILTER_INFO& info);

// Waits until the graph has finished its change to a new state, at most
// `timeout`; true when it has and is now in `wanted`. A graph that cannot cue
// (a live source) counts as paused.
bool WaitForState(IMediaControl* control, OAFilterState wanted, std::chrono::milliseconds timeout);

// Frees what an AM_MEDIA_TYPE holds (not the record itself).
void FreeMediaTypeContents(AM_MEDIA_TYPE& type);

}  // namespace mova::dshow
