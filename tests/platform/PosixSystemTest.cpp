// What only the POSIX implementation of the seam does.
#include "platform/posix/PosixSystem.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "config/ConfFile.h"
#include "support/TempDir.h"

namespace mova {
namespace {

using testing::TempDir;

TEST(PosixSystem, OnlyRegularFilesOpenAndAFifoDoesNotBlock) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.Path("fifo").c_str(), 0600), 0);
  TPosixSystem system;
  int32_t error = 0;
  EXPECT_EQ(system.OpenForReading(dir.Path("missing"), error), nullptr);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(system.OpenForReading(dir.Path(""), error), nullptr);
  EXPECT_EQ(error, EISDIR);
  EXPECT_EQ(system.OpenForReading(dir.Path("fifo"), error), nullptr);
  EXPECT_EQ(error, EINVAL) << "a FIFO must not block start-up";
}

TEST(PosixSystem, AnIncludeLoopThroughASymbolicLinkIsReadOnce) {
  TempDir dir;
  const std::string keymap = dir.Write("keymap", "a 1\r@Include " + dir.Path("alias") + "\rb 2\r");
  std::filesystem::create_symlink(keymap, dir.Path("alias"));
  TPosixSystem system;
  std::string text;
  EXPECT_EQ(LoadConfigText(system, keymap, text), 0);
  EXPECT_EQ(text, "a 1\nb 2\n");
}

// Makes every write past `limit` bytes of a file fail (EFBIG), as a full disk
// would, for the lifetime of the object; works for root too.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &Saved);
    PreviousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = Saved;
    lowered.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &Saved);
    signal(SIGXFSZ, PreviousHandler);
  }

 private:
  rlimit Saved{};
  sighandler_t PreviousHandler;
};

TEST(PosixSystem, AWriteFailingHalfWayKeepsTheExistingFileOrCreatesNone) {
  TempDir dir;
  const std::string old = "the picture saved before";
  dir.Write("shot.bmp", old);
  const std::vector<uint8_t> bytes(5000, 0x42);
  TPosixSystem system;
  {
    TFileSizeLimit limit(1000);
    EXPECT_EQ(system.WriteFileAtomically(dir.Path("shot.bmp"), bytes), EFBIG);
    EXPECT_EQ(system.WriteFileAtomically(dir.Path("new.bmp"), bytes), EFBIG);
  }
  std::ifstream in(dir.Path("shot.bmp"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path(""))) names.push_back(entry.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"shot.bmp"});
  // The same write succeeds once room is back.
  EXPECT_EQ(system.WriteFileAtomically(dir.Path("shot.bmp"), bytes), 0);
  EXPECT_EQ(std::filesystem::file_size(dir.Path("shot.bmp")), 5000u);
}

TEST(PosixSystem, AFullFileSystemAndAnOverlongNameFailTheWriteAndKeepTheExistingFile) {
  TempDir dir;
  TPosixSystem system;
  const std::vector<uint8_t> bytes(256 * 1024, 0x42);
  EXPECT_EQ(system.WriteFileAtomically(dir.Path(std::string(1024, 'n') + ".bmp"), bytes), ENAMETOOLONG);

  // A file system of 64 KiB: a capture of 256 KiB does not fit.
  const std::string small = dir.Path("small");
  std::filesystem::create_directory(small);
  if (geteuid() != 0 || ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "mounting a small tmpfs needs root";
  struct Unmount {
    std::string Path;
    ~Unmount() { ::umount(Path.c_str()); }
  } unmount{small};
  const std::string old = "the picture saved before";
  std::ofstream(small + "/shot.bmp") << old;
  EXPECT_EQ(system.WriteFileAtomically(small + "/shot.bmp", bytes), ENOSPC);
  std::ifstream in(small + "/shot.bmp", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(small), {}), 1) << "no temporary file is left";
}

}  // namespace
}  // namespace mova
