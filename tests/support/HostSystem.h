#pragma once
// The real operating-system seam of the system the tests run on, for tests
// that need real files (in a temporary folder).
#include <optional>
#include <string>

#include "framework/OperatingSystem.h"

namespace mova::test {

IOperatingSystem& HostSystem();

// Sets (or, with nothing, unsets) one of this process's environment variables
// by the system's own call.
void SetHostEnvironment(const std::string& name, const std::optional<std::string>& value);

}  // namespace mova::test
