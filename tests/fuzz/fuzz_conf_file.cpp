// Feeds arbitrary bytes to the configuration reader and the key table as the
// content of a key map and the files it includes: loading must end, never
// crash, and keep its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/ProgramTables.h"
#include "config/ConfFile.h"
#include "config/KeyTable.h"
#include "support/MemorySystem.h"

namespace {

// The input is up to three files, split at zero bytes: the key map itself,
// "extra" and "%HOME%/more", so that includes find each other. They are read
// from memory: reading never fails there, so any exception is a fault.
mova::test::TMemorySystem& FilesOf(const uint8_t* data, size_t size) {
  static mova::test::TMemorySystem system;
  system.Environment["HOME"] = "/home/user";
  const char* names[] = {"keymap", "extra", "/home/user/more"};
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t from = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t end = i == 2 ? std::string::npos : input.find('\0', from);
    system.Files[names[i]] = from > input.size() ? std::string() : input.substr(from, end - from);
    from = end == std::string::npos ? input.size() + 1 : end + 1;
  }
  return system;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mova::test::TMemorySystem& system = FilesOf(data, size);
  {
    mova::TConfFile conf(system, "keymap");
    if (conf.LoadError != 0) std::abort();
    while (conf.NextLine()) {
      if (conf.Line.ValueCount < 0 || conf.Line.ValueCount > mova::MaxConfigValues) std::abort();
      if (std::strlen(conf.Line.Keyword) >= mova::ConfLineSize) std::abort();
      for (int32_t i = 0; i < conf.Line.ValueCount; ++i) {
        if (std::strlen(conf.Line.Values[static_cast<size_t>(i)]) >= mova::ConfLineSize) std::abort();
      }
    }
    if (conf.ReadPos != conf.ConfText.size()) std::abort();

    mova::TKeyTable keys(mova::CommandTable, mova::DefaultBindings, system, "keymap");
    if (keys.AccelCount < 1 || keys.AccelCount > mova::MaxBindings) std::abort();
    for (int32_t id : mova::MenuLayout) {
      if (id != mova::MenuSeparator && keys.MenuText(id).find('\t') == std::string::npos) std::abort();
    }
  }
  return 0;
}
