#pragma once
#include <memory>
#include <string>

#include "framework/OperatingSystem.h"
#include "player/ByteReader.h"

namespace mova {

// Opens `path` through `system` for the probes, with buffered reads. nullptr
// when it cannot be opened for reading or is not a regular file (a folder, say).
std::unique_ptr<ByteReader> OpenFileReader(IOperatingSystem& system, const std::string& path);

}  // namespace mova
