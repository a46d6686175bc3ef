#include "contract/SystemContract.h"

#include <vector>

#include "player/FileReader.h"

namespace mova::test {

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The file's bytes as the system reads them; nothing when it cannot open it.
std::optional<std::string> ReadAll(IOperatingSystem& system, const std::string& name) {
  int32_t error = 0;
  auto file = system.OpenForReading(name, error);
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(file->Size()));
  bytes.resize(file->ReadAt(0, bytes).Count);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

void SystemContract::SetUp() {
  std::string check = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  check = check.substr(0, check.find('/'));
  if (const auto unmet = GetParam()->Unmet.find(check); unmet != GetParam()->Unmet.end())
    GTEST_SKIP() << GetParam()->Name << " cannot meet this: " << unmet->second;
  Place = GetParam()->NewPlace();
}

TEST_P(SystemContract, AMissingFileIsErrorTwoAndAFolderIsNoFile) {
  int32_t error = 0;
  EXPECT_EQ(Place->System().OpenForReading(Place->Path("missing.avi"), error), nullptr);
  EXPECT_EQ(error, 2);
  Place->MakeFolder("clips");
  error = 0;
  EXPECT_EQ(Place->System().OpenForReading(Place->Path("clips"), error), nullptr);
  EXPECT_NE(error, 0);
}

TEST_P(SystemContract, ReadsAreWholeAndShortOnlyAtTheEnd) {
  Place->Write("ten", "0123456789");
  int32_t error = -1;
  auto file = Place->System().OpenForReading(Place->Path("ten"), error);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(file->Size(), 10);
  uint8_t buffer[4]{};
  TReadResult got = file->ReadAt(3, buffer);
  EXPECT_EQ(got.Count, 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "3456");
  got = file->ReadAt(8, buffer);
  EXPECT_EQ(got.Count, 2u);
  EXPECT_EQ(got.Error, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 2), "89");
  for (const int64_t past : {int64_t{10}, int64_t{1} << 40}) {
    got = file->ReadAt(past, buffer);
    EXPECT_EQ(got.Count, 0u);
    EXPECT_EQ(got.Error, 0) << "reading at or past the end is no error";
  }
}

TEST_P(SystemContract, AFileOverTwoGibibytesIsReadAtItsEnd) {
  const int64_t size = (int64_t{5} << 30) / 2;  // 2.5 GiB, sparse: nothing but the tail is written
  Place->MakeSparse("big.bin", size, "TAILDATA");
  int32_t error = 0;
  auto file = Place->System().OpenForReading(Place->Path("big.bin"), error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(file->Size(), size);
  uint8_t tail[16]{};
  const TReadResult got = file->ReadAt(size - 8, tail);
  EXPECT_EQ(got.Error, 0);
  ASSERT_EQ(got.Count, 8u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(tail), 8), "TAILDATA");
  EXPECT_EQ(file->ReadAt(size, tail).Count, 0u);

  // The probes' reader seeks there too.
  auto reader = OpenFileReader(Place->System(), Place->Path("big.bin"));
  ASSERT_NE(reader, nullptr);
  ASSERT_TRUE(reader->Seek(size - 4));
  char last[4];
  ASSERT_TRUE(reader->ReadExact(last, 4));
  EXPECT_EQ(std::string(last, 4), "DATA");
}

TEST_P(SystemContract, TwoNamesOfOneFileHaveOneIdentityAndOthersAnother) {
  Place->Write("a", "one");
  Place->Write("b", "one");
  Place->Link("a", "link");
  IOperatingSystem& system = Place->System();
  int32_t error = 0;
  auto a = system.OpenForReading(Place->Path("a"), error);
  auto link = system.OpenForReading(Place->Path("link"), error);  // while `a` is open: others may read
  auto b = system.OpenForReading(Place->Path("b"), error);
  ASSERT_TRUE(a && link && b);
  EXPECT_EQ(a->Identity(), link->Identity());
  EXPECT_NE(a->Identity(), b->Identity());
}

TEST_P(SystemContract, AWriteInOneStepReplacesTheFileWholeAndAFolderStays) {
  Place->Write("shot.bmp", std::string(5000, 'o'));
  ASSERT_EQ(Place->System().WriteFileAtomically(Place->Path("shot.bmp"), Bytes("new")), 0);
  EXPECT_EQ(ReadAll(Place->System(), Place->Path("shot.bmp")), "new");
  ASSERT_EQ(Place->System().WriteFileAtomically(Place->Path("fresh.bmp"), Bytes("made")), 0);
  EXPECT_EQ(ReadAll(Place->System(), Place->Path("fresh.bmp")), "made");

  Place->MakeFolder("taken.bmp");
  EXPECT_NE(Place->System().WriteFileAtomically(Place->Path("taken.bmp"), Bytes("x")), 0);
  int32_t error = 0;
  EXPECT_EQ(Place->System().OpenForReading(Place->Path("taken.bmp"), error), nullptr) << "still a folder";
  EXPECT_EQ(Place->Entries(), 3) << "no temporary file is left behind";
}

TEST_P(SystemContract, AWriteIntoAMissingFolderFailsAndMakesNothing) {
  const std::string name = Place->Path("missing") + Place->System().PathRules().Separator + "x.bmp";
  EXPECT_NE(Place->System().WriteFileAtomically(name, Bytes("x")), 0);
  EXPECT_EQ(Place->Entries(), 0);
}

TEST_P(SystemContract, TheEnvironmentIsReadWholeAndExpandedWithinItsLimit) {
  IOperatingSystem& system = Place->System();
  const std::string longValue(300, 'v');
  Place->SetEnvironment("MOVA_CONTRACT_LONG", longValue);
  Place->SetEnvironment("MOVA_CONTRACT_DIR", "keys");
  Place->SetEnvironment("MOVA_CONTRACT_UNSET", std::nullopt);
  EXPECT_EQ(system.GetEnvironment("MOVA_CONTRACT_LONG"), longValue) << "read whole; the caller applies its limit";
  EXPECT_EQ(system.GetEnvironment("MOVA_CONTRACT_DIR"), "keys");
  EXPECT_EQ(system.GetEnvironment("MOVA_CONTRACT_UNSET"), std::nullopt);
  EXPECT_EQ(system.ExpandEnvironment("%MOVA_CONTRACT_DIR%/extra %MOVA_CONTRACT_UNSET%", 1023),
            "keys/extra %MOVA_CONTRACT_UNSET%");
  EXPECT_EQ(system.ExpandEnvironment("%MOVA_CONTRACT_LONG%%MOVA_CONTRACT_LONG%", 500), std::nullopt);
}

TEST_P(SystemContract, AFullPathIsAbsoluteAndStaysAsItIs) {
  IOperatingSystem& system = Place->System();
  const std::string full = system.FullPath("clip.avi");
  ASSERT_GT(full.size(), std::string("clip.avi").size());
  EXPECT_EQ(full.substr(full.size() - 9), std::string(1, system.PathRules().Separator) + "clip.avi");
  EXPECT_EQ(system.FullPath(full), full);
}

}  // namespace mova::test
