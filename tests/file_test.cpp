// The buffered file object and the memory functions, over real files and
// over a counting double at the OS seam.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file.h"
#include "support/memory.h"
#include "support/os.h"
#include "tests/support/harness.h"

namespace {

// Counts the platform reads and keeps the debugger lines, passing everything
// else to the real platform.
struct SeamSpy {
  static int reads;
  static std::string debug;
  static int Read(PVOsFile f, void* dst, uint32_t n, uint32_t* done) {
    ++reads;
    return PVOsPlatform()->read(f, dst, n, done);
  }
  static void Debug(const char* text) { debug += text; }

  SeamSpy() {
    reads = 0;
    debug.clear();
    methods = *PVOsPlatform();
    methods.read = Read;
    methods.debugOutput = Debug;
    PVOsSwap(&methods);
  }
  ~SeamSpy() { PVOsSwap(nullptr); }
  PVOsMethods methods;
};
int SeamSpy::reads = 0;
std::string SeamSpy::debug;

Bytes Sequence(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + 1);
  return b;
}

TEST(CPVFile, ReadsNumbersInBothByteOrders) {
  ScratchDir dir;
  WriteFileBytes(dir.Path("f"), {'M', 'T', 'h', 'd', 0x01, 0x02});
  CPVFile f;
  ASSERT_EQ(f.Open(dir.Path("f").c_str(), 0), 1);
  EXPECT_EQ(f.ReadDword(0), 0x6468544Du);
  ASSERT_EQ(f.Seek(0, 0), 1);
  EXPECT_EQ(f.ReadDword(1), 0x4D546864u);
  EXPECT_EQ(f.ReadWord(1), 0x0102u);
  ASSERT_EQ(f.Seek(-2, 1), 1);
  EXPECT_EQ(f.ReadWord(0), 0x0201u);
  f.Close();
}

TEST(CPVFile, ShortFileReadsZeroAtTheEnd) {
  ScratchDir dir;
  WriteFileBytes(dir.Path("f"), {1, 2, 3});
  CPVFile f;
  ASSERT_EQ(f.Open(dir.Path("f").c_str(), 0), 1);
  EXPECT_EQ(f.ReadDword(1), 0u);
  EXPECT_EQ(f.ReadByte(), 0);
  uint8_t b;
  EXPECT_EQ(f.NextByte(&b), 0);
  f.Close();
}

TEST(CPVFile, TellAndStepBackKeepTheBuffer) {
  ScratchDir dir;
  Bytes data = Sequence(20000);
  WriteFileBytes(dir.Path("f"), data);
  SeamSpy spy;
  CPVFile f;
  ASSERT_EQ(f.Open(dir.Path("f").c_str(), 0), 1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(f.ReadByte(), data[i]);
  EXPECT_EQ(f.Tell(), 10);
  ASSERT_EQ(f.Seek(-1, 1), 1);
  EXPECT_EQ(f.Tell(), 9);
  EXPECT_EQ(f.ReadByte(), data[9]);
  EXPECT_EQ(SeamSpy::reads, 1) << "a step back inside the block re-reads nothing";
  ASSERT_EQ(f.Seek(100, 1), 1);
  EXPECT_EQ(f.ReadByte(), data[110]);
  ASSERT_EQ(f.Seek(9000, 1), 1);  // past the block: read again from the file
  EXPECT_EQ(f.Tell(), 9111);
  EXPECT_EQ(f.ReadByte(), data[9111]);
  EXPECT_EQ(SeamSpy::reads, 2);
  ASSERT_EQ(f.Seek(-9000, 1), 1);  // before the block
  EXPECT_EQ(f.ReadByte(), data[112]);
  ASSERT_EQ(f.Seek(19999, 0), 1);
  EXPECT_EQ(f.ReadByte(), data[19999]);
  EXPECT_EQ(f.ReadByte(), 0);
  f.Close();
  EXPECT_EQ(SeamSpy::debug, "");
}

TEST(CPVFile, WritesInWholeBlocks) {
  ScratchDir dir;
  std::string path = dir.Path("out");
  Bytes data = Sequence(8193);
  CPVFile f;
  ASSERT_EQ(f.Open(path.c_str(), 1), 1);
  ASSERT_EQ(f.Write(data.data(), 8192), 1);
  // The size on disk, asked without opening the file: on Windows the object
  // shares its open file with writers only, so a reader could not open it.
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(f.Tell(), 8192);
  ASSERT_EQ(f.Write(data.data() + 8192, 1), 1);
  EXPECT_EQ(std::filesystem::file_size(path), 8192u);
  ASSERT_EQ(f.Close(), 1);
  EXPECT_EQ(ReadFileText(path), std::string(data.begin(), data.end()));

  // Creating again truncates.
  ASSERT_EQ(f.Open(path.c_str(), 1), 1);
  ASSERT_EQ(f.Write("ab", 2), 1);
  ASSERT_EQ(f.Close(), 1);
  EXPECT_EQ(ReadFileText(path), "ab");

  // Keeping an existing file writes over its start.
  ASSERT_EQ(f.Open(path.c_str(), 3), 1);
  ASSERT_EQ(f.Write("X", 1), 1);
  ASSERT_EQ(f.Close(), 1);
  EXPECT_EQ(ReadFileText(path), "Xb");
}

TEST(CPVFile, CreateNewRefusesAnExistingName) {
  ScratchDir dir;
  WriteFileBytes(dir.Path("taken"), {1});
  CPVFile f;
  EXPECT_EQ(f.Open(dir.Path("taken").c_str(), CPVFile::kWrite | CPVFile::kCreateNew), 0);
  EXPECT_EQ(f.IsOpen(), 0);
  ASSERT_EQ(f.Open(dir.Path("fresh").c_str(), CPVFile::kWrite | CPVFile::kCreateNew), 1);
  f.Close();
}

TEST(CPVFile, ClosedObjectsAndLeftOpenObjects) {
  ScratchDir dir;
  SeamSpy spy;
  {
    CPVFile missing;
    EXPECT_EQ(missing.Open(dir.Path("nothing-here").c_str(), 0), 0);
    EXPECT_EQ(missing.Open(dir.path().c_str(), 0), 0) << "a folder is not a file";
    EXPECT_EQ(missing.Tell(), 0);
    EXPECT_EQ(missing.ReadByte(), 0);
    EXPECT_EQ(missing.Write("x", 1), 0);
    missing.Close();
  }
  EXPECT_EQ(SeamSpy::debug, "");
  {
    CPVFile open;
    ASSERT_EQ(open.Open(dir.Path("left-open").c_str(), 1), 1);
    open.Write("abc", 3);
  }
  EXPECT_EQ(SeamSpy::debug, "クローズされていないファイルがあります。\n");
  EXPECT_EQ(ReadFileText(dir.Path("left-open")), "abc");
}

TEST(PVMemory, RoundsZeroFillsAndReports) {
  SeamSpy spy;
  struct Case {
    int32_t size;
    bool ok;
    const char* debug;
  } cases[] = {
      {1, true, ""},
      {8, true, ""},
      {9, true, ""},
      {0, false, "[PVMemoryAlloc]不正なサイズでメモリが要求されました。\n"},
      {-3, false, "[PVMemoryAlloc]不正なサイズでメモリが要求されました。\n"},
      {-8, false, "[PVMemoryAlloc]メモリを確保出来ません。\n"},
  };
  for (const Case& c : cases) {
    SeamSpy::debug.clear();
    void* block = PVMemoryAlloc(c.size, "test", __LINE__);
    EXPECT_EQ(block != nullptr, c.ok) << c.size;
    EXPECT_EQ(SeamSpy::debug, c.debug) << c.size;
    if (block) {
      int32_t rounded = (c.size + 7) & ~7;
      std::vector<uint8_t> zero(rounded, 0);
      EXPECT_EQ(std::memcmp(block, zero.data(), rounded), 0) << c.size;
    }
    PVMemoryFree(block, "test", __LINE__);
  }
  SeamSpy::debug.clear();
  PVMemoryFree(nullptr, "test", __LINE__);
  EXPECT_EQ(SeamSpy::debug, "");
}

}  // namespace
