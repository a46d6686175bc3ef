#include "support/HostSystem.h"

#ifdef _WIN32
#include "platform/win32/Win32System.h"
#else
#include "platform/posix/PosixSystem.h"
#endif

namespace mova::test {

IOperatingSystem& HostSystem() {
#ifdef _WIN32
  static TWin32System system;
#else
  static TPosixSystem system;
#endif
  return system;
}

}  // namespace mova::test
