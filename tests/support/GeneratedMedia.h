#pragma once
// Test media made on the fly by tools we did not write (ffmpeg, gst-launch).
#include <string>

namespace mova::test {

// Returns the path of the generated file `name` in the test-media folder,
// creating it first when it is missing. `command` is a shell command that
// writes the file named by the placeholder {OUT}; it runs with a temporary
// name that is renamed into place only when the command succeeded, so
// parallel test processes never see a half-written file. Returns "" when the
// command failed.
std::string GeneratedMedia(const std::string& name, const std::string& command);

// The path of the file `name` that the build made for the core's tests
// (support/CoreMedia.cmake); "" when it is missing.
std::string BuiltMedia(const std::string& name);

// A text no other test process uses at the same time, for names of files.
std::string UniqueToken();

// Writes `bytes` to the test-media folder under `name` (always rewritten) and
// returns the path.
std::string WriteTestFile(const std::string& name, const std::string& bytes);

// The test-media folder, without a trailing separator.
std::string TestMediaDir();

}  // namespace mova::test
