#include "platform/win32/Win32System.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdio>

#include "framework/CommandLine.h"

namespace mova {

namespace {

// Paths and the environment value go through buffers of 260 characters and
// a terminating zero.
constexpr DWORD PathBufferSize = 261;

int32_t LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<int32_t>(error) : static_cast<int32_t>(ERROR_GEN_FAILURE);
}

class Win32File final : public IReadableFile {
 public:
  Win32File(HANDLE handle, int64_t size, const TFileIdentity& identity)
      : handle_(handle), size_(size), identity_(identity) {}
  ~Win32File() override { CloseHandle(handle_); }
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  TReadResult ReadAt(int64_t offset, std::span<uint8_t> buffer) override {
    TReadResult result;
    while (result.Count < buffer.size()) {
      // The offset travels with each read, so the handle's own position
      // never matters.
      const uint64_t at = static_cast<uint64_t>(offset) + result.Count;
      OVERLAPPED where{};
      where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      const std::size_t left = buffer.size() - result.Count;
      const DWORD ask = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
      DWORD got = 0;
      if (!ReadFile(handle_, buffer.data() + result.Count, ask, &got, &where)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        result.Error = LastError();
        break;
      }
      if (got == 0) break;
      result.Count += got;
    }
    return result;
  }

  int64_t Size() const override { return size_; }
  TFileIdentity Identity() const override { return identity_; }

 private:
  HANDLE handle_;
  int64_t size_;
  TFileIdentity identity_;
};

// The folder part of `path`, with its separator; empty for a bare name.
std::string FolderPart(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/:");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

bool WriteAll(HANDLE handle, std::span<const uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD ask = left > 0x10000000u ? 0x10000000u : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + done, ask, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

std::unique_ptr<IReadableFile> TWin32System::OpenForReading(const std::string& name, int32_t& error) {
  const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = LastError();
    return nullptr;
  }
  // Only files on a disk: a console, a printer port or a pipe is no file to read.
  BY_HANDLE_FILE_INFORMATION info{};
  LARGE_INTEGER size{};
  error = 0;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    error = ERROR_BAD_FILE_TYPE;
  } else if (!GetFileInformationByHandle(handle, &info) || !GetFileSizeEx(handle, &size)) {
    error = LastError();
  }
  if (error != 0) {
    CloseHandle(handle);
    return nullptr;
  }
  const TFileIdentity identity{info.dwVolumeSerialNumber,
                               (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return std::make_unique<Win32File>(handle, static_cast<int64_t>(size.QuadPart), identity);
}

int32_t TWin32System::WriteFileAtomically(const std::string& name, std::span<const uint8_t> bytes) {
  if (name.empty()) return ERROR_FILE_NOT_FOUND;
  static std::atomic<uint32_t> counter{0};
  const std::string folder = FolderPart(name);
  std::string tempName;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    char unique[64];
    std::snprintf(unique, sizeof unique, ".movacapt-%lu-%u-%lx.tmp", GetCurrentProcessId(), counter.fetch_add(1),
                  GetTickCount());
    tempName = folder + unique;
    // CREATE_NEW: never an existing file, so nothing planted there is followed.
    handle = CreateFileA(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return LastError();
  }
  if (handle == INVALID_HANDLE_VALUE) return ERROR_FILE_EXISTS;

  int32_t error = 0;
  // The data must be on disk before the move makes it the file's contents.
  if (!WriteAll(handle, bytes) || !FlushFileBuffers(handle)) error = LastError();
  if (!CloseHandle(handle) && error == 0) error = LastError();
  if (error == 0 &&
      !MoveFileExA(tempName.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastError();
  }
  if (error != 0) DeleteFileA(tempName.c_str());
  return error;
}

std::optional<std::string> TWin32System::GetEnvironment(const std::string& name) {
  std::array<char, PathBufferSize> buffer{};
  SetLastError(0);
  const DWORD length = GetEnvironmentVariableA(name.c_str(), buffer.data(), PathBufferSize);
  if (length == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  if (length < PathBufferSize) return std::string(buffer.data(), length);
  // Too long for the buffer: `length` is the size it needs. The caller
  // decides what a long value means.
  std::string value(length, '\0');
  const DWORD got = GetEnvironmentVariableA(name.c_str(), value.data(), length);
  if (got == 0 || got >= length) return std::nullopt;
  value.resize(got);
  return value;
}

std::optional<std::string> TWin32System::ExpandEnvironment(const std::string& text, std::size_t limit) {
  std::string buffer(limit + 1, '\0');
  const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  // `needed` counts the terminating zero; 0 is a failure.
  if (needed == 0 || needed > buffer.size()) return std::nullopt;
  buffer.resize(needed - 1);
  return buffer;
}

std::vector<std::string> TWin32System::Arguments() {
  std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

std::string TWin32System::ExecutablePath() {
  std::array<char, PathBufferSize> buffer{};
  const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), PathBufferSize);
  if (length == 0 || length >= PathBufferSize) return std::string();
  return std::string(buffer.data(), length);
}

std::string TWin32System::FullPath(const std::string& name) {
  std::array<char, PathBufferSize> buffer{};
  char* filePart = nullptr;
  const DWORD length = GetFullPathNameA(name.c_str(), PathBufferSize, buffer.data(), &filePart);
  if (length == 0 || length >= PathBufferSize) return name;
  return std::string(buffer.data(), length);
}

std::vector<std::string> TWin32System::ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  std::string pattern = folder.empty() ? std::string(".") : folder;
  if (pattern.back() != '\\' && pattern.back() != '/' && pattern.back() != ':') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace mova
