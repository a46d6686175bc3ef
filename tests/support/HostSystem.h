#pragma once
// The real operating-system seam of the system the tests run on, for tests
// that need real files (in a temporary folder).
#include "framework/OperatingSystem.h"

namespace mova::test {

IOperatingSystem& HostSystem();

}  // namespace mova::test
