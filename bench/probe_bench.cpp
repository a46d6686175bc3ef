// Times the header probes on files that are long in chunks or long in bytes:
// the walk costs one step per chunk header, whatever the size of the data.
//
//   probe_bench [folder]   (default: the current folder; files are deleted afterwards)
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/PosixSystem.h"
#include "player/FileReader.h"
#include "player/MediaProbes.h"

namespace {

void Append32(std::string& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
}

void AppendChunkHeader(std::string& bytes, const char* id, uint32_t size) {
  bytes.append(id, 4);
  Append32(bytes, size);
}

// RIFF and hdrl with one video stream, up to the "movi" list's form type.
std::string VideoOnlyHeaders(uint32_t riffSize) {
  std::string bytes;
  AppendChunkHeader(bytes, "RIFF", riffSize);
  bytes += "AVI ";
  AppendChunkHeader(bytes, "LIST", 4 + 64 + 12 + 48);
  bytes += "hdrl";
  AppendChunkHeader(bytes, "avih", 56);
  Append32(bytes, 40000);
  bytes.append(52, '\0');
  AppendChunkHeader(bytes, "LIST", 4 + 48);
  bytes += "strl";
  AppendChunkHeader(bytes, "strf", 40);
  Append32(bytes, 40);
  Append32(bytes, 320);  // width: checked after each probe
  Append32(bytes, 240);
  bytes.append(28, '\0');
  AppendChunkHeader(bytes, "LIST", riffSize);  // the movi list's size is not used by the walk
  bytes += "movi";
  return bytes;
}

bool WriteAll(int fd, const std::string& bytes) {
  return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

// Runs the AVI probe on `path` `rounds` times; returns the mean time in milliseconds.
double TimeProbe(const std::string& path, int rounds) {
  static mova::TPosixSystem system;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    auto file = mova::OpenFileReader(system, path);
    if (!file) {
      std::fprintf(stderr, "cannot open %s\n", path.c_str());
      std::exit(1);
    }
    std::array<uint8_t, 64> aviHeader{};
    std::array<uint8_t, 40> videoFormat{};
    std::array<uint8_t, 14> audioFormat{};
    // Video only: the walk goes to the end looking for a second stream format.
    const bool ok = mova::ProbeAvi(*file, aviHeader, videoFormat, audioFormat);
    if (ok || aviHeader[0] != 'a' || (videoFormat[4] | videoFormat[5] << 8) != 320) {
      std::fprintf(stderr, "the probe misread %s\n", path.c_str());
      std::exit(1);
    }
  }
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / rounds;
}

// A video-only AVI with `frames` small frames: the probe walks every one of
// their chunk headers looking for a second stream format.
std::string MakeManyChunks(const std::string& folder, int frames, uint32_t frameSize) {
  const std::string path = folder + "/probe-bench-chunks.avi";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string bytes = VideoOnlyHeaders(0xFFFFFFF0u);
  const std::string frame(frameSize, '\x5A');
  for (int i = 0; i < frames; ++i) {
    AppendChunkHeader(bytes, i % 2 ? "01wb" : "00dc", frameSize);
    bytes += frame;
  }
  if (fd < 0 || !WriteAll(fd, bytes)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  ::close(fd);
  return path;
}

// A sparse video-only AVI of `chunks` frames of `frameSize` bytes each: only
// the chunk headers are written, the frames' data are holes.
std::string MakeSparse(const std::string& folder, int chunks, uint32_t frameSize) {
  const std::string path = folder + "/probe-bench-sparse.avi";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || !WriteAll(fd, VideoOnlyHeaders(0xFFFFFFF0u))) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  off_t at = ::lseek(fd, 0, SEEK_END);
  for (int i = 0; i < chunks; ++i) {
    std::string header;
    AppendChunkHeader(header, "00dc", frameSize);
    if (::pwrite(fd, header.data(), header.size(), at) != 8) std::exit(1);
    at += 8 + static_cast<off_t>(frameSize);
  }
  if (::ftruncate(fd, at) != 0) std::exit(1);
  ::close(fd);
  return path;
}

void Report(const char* what, int chunks, long long bytes, double ms) {
  std::printf("%-34s %8d %14lld %10.3f %10.0f\n", what, chunks, bytes, ms, ms * 1e6 / chunks);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  std::printf("%-34s %8s %14s %10s %10s\n", "file", "chunks", "bytes", "ms/probe", "ns/chunk");
  for (int frames : {25000, 100000, 400000}) {
    const std::string path = MakeManyChunks(folder, frames, 16);
    Report("video-only AVI, 16-byte frames", frames, frames * 24LL + 144, TimeProbe(path, 5));
    ::unlink(path.c_str());
  }
  // The same number of chunk headers spread over ever more (unwritten) data.
  for (uint32_t frameSize : {16u << 10, 256u << 10, 1u << 20}) {
    const int chunks = 20000;
    const std::string path = MakeSparse(folder, chunks, frameSize);
    char what[64];
    std::snprintf(what, sizeof what, "sparse AVI, %u KiB frames", frameSize >> 10);
    Report(what, chunks, chunks * (8LL + frameSize) + 144, TimeProbe(path, 5));
    ::unlink(path.c_str());
  }
  // Frames of 3 GiB: sizes of 2^31 or more are skipped forward like any other.
  const std::string path = MakeSparse(folder, 4, 3u << 30);
  Report("sparse AVI, 3 GiB frames", 4, 4 * (8LL + (3LL << 30)) + 144, TimeProbe(path, 5));
  ::unlink(path.c_str());
  return 0;
}
