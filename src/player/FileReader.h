#pragma once
#include <memory>
#include <string>

#include "player/ByteReader.h"

namespace mova {

// Opens `path` read-only for the probes, with buffered reads. nullptr when it
// cannot be opened for reading or is not a regular file (a folder, say).
std::unique_ptr<ByteReader> OpenFileReader(const std::string& path);

}  // namespace mova
