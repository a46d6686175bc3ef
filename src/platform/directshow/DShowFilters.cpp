#include "platform/directshow/DShowFilters.h"

#include <olectl.h>
#include <strmif.h>

#include <vector>

#include "platform/directshow/DShowCom.h"

namespace mova::dshow {

namespace {

// The filter's name, and the graph reference that the record carries released.
std::wstring QueryName(IBaseFilter* filter) {
  FILTER_INFO info{};
  if (FAILED(filter->QueryFilterInfo(&info))) return {};
  if (info.pGraph != nullptr) info.pGraph->Release();
  return FilterInfoName(info);
}

// The filter's page ids (to be freed with CoTaskMemFree); empty without pages.
CAUUID QueryPages(IBaseFilter* filter) {
  CAUUID pages{0, nullptr};
  TComPtr<ISpecifyPropertyPages> specify;
  if (FAILED(filter->QueryInterface(IID_ISpecifyPropertyPages, specify.PutVoid()))) return pages;
  if (FAILED(specify->GetPages(&pages))) pages = CAUUID{0, nullptr};
  if (pages.cElems == 0 && pages.pElems != nullptr) {
    CoTaskMemFree(pages.pElems);
    pages.pElems = nullptr;
  }
  return pages;
}

// Calls `visit` with each filter of the graph until it returns false.
template <class Visit>
void ForEachFilter(IFilterGraph* graph, Visit visit) {
  if (graph == nullptr) return;
  TComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(filters.Put())) || !filters) return;
  for (;;) {
    TComPtr<IBaseFilter> filter;
    if (filters->Next(1, filter.Put(), nullptr) != S_OK || !filter) return;
    if (!visit(filter.Get())) return;
  }
}

}  // namespace

std::vector<TFilterInfo> ListFilters(IFilterGraph* graph) {
  std::vector<TFilterInfo> list;
  ForEachFilter(graph, [&list](IBaseFilter* filter) {
    const std::wstring name = QueryName(filter);
    TFilterInfo entry;
    entry.Name = AnsiFromWide(name.data(), name.size());
    const CAUUID pages = QueryPages(filter);
    entry.HasSettings = pages.cElems > 0;
    CoTaskMemFree(pages.pElems);
    list.push_back(std::move(entry));
    return true;
  });
  return list;
}

void ShowFilterPages(IFilterGraph* graph, const std::string& name, HWND owner) {
  const std::wstring wanted = WideFromAnsi(name);
  if (wanted.empty()) return;
  ForEachFilter(graph, [&](IBaseFilter* filter) {
    if (QueryName(filter) != wanted) return true;
    CAUUID pages = QueryPages(filter);
    if (pages.cElems == 0) return true;
    IUnknown* object = filter;
    OleCreatePropertyFrame(owner, 0, 0, wanted.c_str(), 1, &object, pages.cElems, pages.pElems, 0, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    return false;
  });
}

bool SelectNextSoundStream(IFilterGraph* graph) {
  TComPtr<IEnumFilters> filters;
  if (graph == nullptr || FAILED(graph->EnumFilters(filters.Put())) || !filters) return false;
  for (;;) {
    TComPtr<IBaseFilter> filter;
    if (filters->Next(1, filter.Put(), nullptr) != S_OK || !filter) return false;
    TComPtr<IAMStreamSelect> select;
    DWORD count = 0;
    if (FAILED(filter.Query(IID_IAMStreamSelect, select)) || FAILED(select->Count(&count))) continue;
    // The sound streams, and which of them is enabled.
    std::vector<long> sounds;
    int enabled = -1;
    for (DWORD i = 0; i < count; ++i) {
      AM_MEDIA_TYPE* type = nullptr;
      DWORD flags = 0;
      if (FAILED(select->Info(static_cast<long>(i), &type, &flags, nullptr, nullptr, nullptr, nullptr, nullptr)))
        continue;
      const bool sound = type != nullptr && type->majortype == MEDIATYPE_Audio;
      if (type != nullptr) {
        FreeMediaTypeContents(*type);
        CoTaskMemFree(type);
      }
      if (!sound) continue;
      if ((flags & (AMSTREAMSELECTINFO_ENABLED | AMSTREAMSELECTINFO_EXCLUSIVE)) != 0)
        enabled = static_cast<int>(sounds.size());
      sounds.push_back(static_cast<long>(i));
    }
    if (sounds.size() < 2) continue;
    const long next = sounds[static_cast<size_t>(enabled + 1) % sounds.size()];
    return SUCCEEDED(select->Enable(next, AMSTREAMSELECTENABLE_ENABLE));
  }
}

}  // namespace mova::dshow
