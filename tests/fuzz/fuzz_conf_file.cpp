// Feeds arbitrary bytes to the configuration reader and the key table as the
// content of a file: loading must end, never crash, and keep its bounds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "platform/posix/PosixSystem.h"
#include "app/ProgramTables.h"
#include "config/ConfFile.h"
#include "config/KeyTable.h"

namespace {

// An in-memory file with a name the reader can open.
class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("fuzz-conf", MFD_CLOEXEC)) {
    if (fd_ < 0) std::abort();
    size_t done = 0;
    while (done < size) {
      ssize_t n = write(fd_, data + done, size - done);
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
    name_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { close(fd_); }
  const std::string& Name() const { return name_; }

 private:
  int fd_;
  std::string name_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFile file(data, size);
  try {
    static mova::TPosixSystem system;
    mova::TConfFile conf(system, file.Name());
    if (conf.LoadError != 0) std::abort();
    while (conf.NextLine()) {
      if (conf.Line.ValueCount < 0 || conf.Line.ValueCount > mova::MaxConfigValues) std::abort();
      if (std::strlen(conf.Line.Keyword) >= mova::ConfLineSize) std::abort();
      for (int32_t i = 0; i < conf.Line.ValueCount; ++i) {
        if (std::strlen(conf.Line.Values[static_cast<size_t>(i)]) >= mova::ConfLineSize) std::abort();
      }
    }
    if (conf.ReadPos != conf.ConfText.size()) std::abort();

    mova::TKeyTable keys(mova::CommandTable, mova::DefaultBindings, system, file.Name());
    if (keys.AccelCount < 1 || keys.AccelCount > mova::MaxBindings) std::abort();
    for (int32_t id : mova::MenuLayout) {
      if (id != mova::MenuSeparator && keys.MenuText(id).find('\t') == std::string::npos) std::abort();
    }
  } catch (const std::system_error&) {
    // An include may name something unreadable (a /proc file); that is reported, not a fault.
  }
  return 0;
}
