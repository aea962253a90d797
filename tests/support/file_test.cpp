// The buffered file object and the memory functions, over real files, with
// the OS double counting the platform's reads and blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file.h"
#include "support/memory.h"
#include "tests/kit/harness.h"
#include "tests/kit/os_double.h"

namespace {

TEST(CPVFile, ReadsBothByteOrdersTellsAndStepsInsideTheBlockWithoutReadingAgain) {
  ScratchDir dir;
  Bytes data(20000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);  // 01 08 0F 16 1D ...
  WriteFileBytes(dir.Path("f"), data);
  OsDouble os;
  CPVFile f;
  ASSERT_EQ(f.Open(dir.Path("f").c_str(), CPVFile::kRead), 1);
  const std::vector<uint32_t> values = {f.ReadDword(1), f.ReadWord(0), f.ReadDword(0), f.ReadWord(1)};
  EXPECT_EQ(values, std::vector<uint32_t>({0x01080F16u, 0x241Du, 0x4039322Bu, 0x474Eu}));
  EXPECT_EQ(f.Tell(), 12);
  // (offset, origin, Tell afterwards, platform reads once the byte there is read)
  const int32_t steps[][4] = {{0, 1, 12, 1},       {-2, 1, 11, 1},      {100, 1, 112, 1},
                              {9000, 1, 9113, 2},  {-9000, 1, 114, 3},  {19999, 0, 19999, 4}};
  for (const auto& s : steps) {
    ASSERT_EQ(f.Seek(s[0], s[1]), 1);
    EXPECT_EQ(f.Tell(), s[2]);
    EXPECT_EQ(f.ReadByte(), data[s[2]]) << s[2];
    EXPECT_EQ(os.reads, s[3]) << s[2];
  }
  EXPECT_EQ(f.ReadByte(), 0);
  ASSERT_EQ(f.Seek(-2, 2), 1);
  EXPECT_EQ(f.ReadDword(1), 0u) << "two bytes are left";
  f.Close();
  EXPECT_EQ(os.debug, "");
}

TEST(CPVFile, WritesInWholeBlocks) {
  ScratchDir dir;
  const std::string path = dir.Path("out");
  const std::string data(8190, 'd');
  CPVFile f;
  ASSERT_EQ(f.Open(path.c_str(), CPVFile::kWrite), 1);
  ASSERT_EQ(f.Write(data.data(), 8190), 1);
  uint8_t* room = nullptr;
  EXPECT_EQ(f.Room(&room), 2u) << "only the room the buffer has now";
  std::memcpy(room, "xy", 2);
  f.Commit(2);
  EXPECT_EQ(f.Tell(), 8192);
  // The size on disk, asked without opening the file (Windows shares it with writers only).
  EXPECT_EQ(std::filesystem::file_size(path), 0u) << "a full buffer waits for the next byte";
  ASSERT_EQ(f.Write("z", 1), 1);
  EXPECT_EQ(std::filesystem::file_size(path), 8192u);
  ASSERT_EQ(f.Close(), 1);
  EXPECT_EQ(ReadFileText(path), data + "xyz");
  ASSERT_TRUE(f.Open(path.c_str(), CPVFile::kWrite) && f.Write("ab", 2) && f.Close());
  EXPECT_EQ(ReadFileText(path), "ab") << "opening for writing again truncates";
}

TEST(CPVFile, CreateNewMissingFilesAndObjectsLeftOpen) {
  ScratchDir dir;
  WriteFileBytes(dir.Path("taken"), {'t'});
  OsDouble os;
  {
    CPVFile f;
    EXPECT_EQ(f.Open(dir.Path("taken").c_str(), CPVFile::kWrite | CPVFile::kCreateNew), 0);
    EXPECT_EQ(f.Open(dir.path.c_str(), CPVFile::kRead), 0) << "a folder is not a file";
    EXPECT_EQ(f.Write("x", 1), 0);
    ASSERT_EQ(f.Open(dir.Path("fresh").c_str(), CPVFile::kWrite | CPVFile::kCreateNew), 1);
    f.Write("abc", 3);
  }  // left open: written and closed, with a line on the debugger channel
  EXPECT_EQ(ReadFileText(dir.Path("taken")), "t");
  EXPECT_EQ(ReadFileText(dir.Path("fresh")), "abc");
  EXPECT_EQ(os.debug, "クローズされていないファイルがあります。\n");
  EXPECT_EQ(os.openFiles + os.liveBlocks, 0);
}

TEST(PVMemory, RoundsUpToEightZeroFillsAndReportsFailures) {
  const char* kBadSize = "[PVMemoryAlloc]不正なサイズでメモリが要求されました。\n";
  const char* kNoMemory = "[PVMemoryAlloc]メモリを確保出来ません。\n";
  struct Case {
    int32_t size;
    uint32_t asked;  // of the platform; 0: nothing
    const char* debug;
  } cases[] = {{1, 8, ""}, {8, 8, ""}, {9, 16, ""}, {0, 0, kBadSize}, {-3, 0, kBadSize}, {-8, 0xFFFFFFF8u, kNoMemory}};
  for (const Case& c : cases) {
    OsDouble os;
    uint8_t* block = static_cast<uint8_t*>(PVMemoryAlloc(c.size, "test", __LINE__));
    EXPECT_EQ(os.lastBlockSize, c.asked) << c.size;
    EXPECT_EQ(block != nullptr, *c.debug == '\0') << c.size;
    EXPECT_TRUE(!block || std::all_of(block, block + c.asked, [](uint8_t b) { return b == 0; })) << c.size;
    PVMemoryFree(block, "test", __LINE__);
    PVMemoryFree(nullptr, "test", __LINE__);
    EXPECT_EQ(os.liveBlocks, 0) << c.size;
    EXPECT_EQ(os.debug, c.debug) << c.size;
  }
}

}  // namespace
