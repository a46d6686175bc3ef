#include "support/HostSystem.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Win32System.h"
#else
#include <cstdlib>

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

void SetHostEnvironment(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
#else
  if (value)
    ::setenv(name.c_str(), value->c_str(), 1);
  else
    ::unsetenv(name.c_str());
#endif
}

}  // namespace mova::test
