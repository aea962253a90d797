// The path splitters on both sides of the encoding seam: code page 932 paths
// split on the backslash and skip Shift-JIS trail bytes; UTF-8 paths split on
// '/' and test every byte on its own. (The job's names, in convert_file_test,
// split more paths: first dots, 表 and 曲 in Shift-JIS, 曲/あ in UTF-8.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/path.h"

namespace {

const PVTextFacts* const kSjis = &kShiftJisTextFacts;
const PVTextFacts* const kUtf8 = &kUtf8TextFacts;

TEST(PathSplitters, DirectoryFileAndBaseName) {
  struct Case {
    const PVTextFacts* facts;
    const char *path, *directory, *fileName, *baseName;
  } cases[] = {
      {kSjis, "C:\\a.b\\song", "C:\\a.b\\", "song", "song"},
      {kSjis, "song.mid", "", "song.mid", "song"},
      {kSjis, "C:\\music\\.mid", "C:\\music\\", ".mid", ""},
      {kSjis, "C:\\music\\", "C:\\music\\", "", ""},
      {kSjis, "C:/a\\b/c.mid", "C:/a\\", "b/c.mid", "b/c"},
      {kSjis, "\x95\x5C", "", "\x95\x5C", "\x95\x5C"},  // 表: its trail byte is the backslash's code
      {kUtf8, "a.b/song", "a.b/", "song", "song"},
      {kUtf8, "./.mid", "./", ".mid", ""},
      {kUtf8, "dir\\song.mid", "", "dir\\song.mid", "dir\\song"},
      // あ is E3 81 82: a lead-byte walk would take the slash after it for a trail byte.
      {kUtf8, u8"あ/曲.mid", u8"あ/", u8"曲.mid", u8"曲"},
  };
  for (const Case& c : cases) {
    char directory[kPVPathSize], fileName[kPVPathSize], baseName[kPVPathSize];
    PVGetDirName(*c.facts, directory, c.path);
    PVGetFileName(*c.facts, fileName, c.path);
    PVGetBaseName(*c.facts, baseName, c.path);
    EXPECT_EQ(std::string(directory) + "|" + fileName + "|" + baseName,
              std::string(c.directory) + "|" + c.fileName + "|" + c.baseName) << c.path;
  }
}

TEST(PathSplitters, IsCharAtSkipsTrailBytes) {
  EXPECT_NE(PVIsCharAt(*kSjis, "\x83\x5C", 0x83, 0), 0) << "position 0 starts a character";
  EXPECT_NE(PVIsCharAt(*kSjis, "\x83\x5C\x5C", 0x15C, 2), 0) << "only the low 8 bits count";
  EXPECT_NE(PVIsCharAt(*kSjis, "\x83\x83\x5C", '\\', 2), 0) << "0x83 0x83 is one character";
  EXPECT_EQ(PVIsCharAt(*kSjis, "\x83\x83\x83\x5C", '\\', 3), 0);
  // Shift-JIS lead bytes are 0x81-0x9F and 0xE0-0xFC; UTF-8 has none.
  for (int byte = 1; byte < 256; ++byte) {
    const char text[] = {static_cast<char>(byte), '\\', '\0'};
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    EXPECT_EQ(PVIsCharAt(*kSjis, text, '\\', 1) != 0, !lead) << std::hex << byte;
    EXPECT_NE(PVIsCharAt(*kUtf8, text, '\\', 1), 0) << std::hex << byte;
  }
}

// A part longer than a path buffer is cut at 259 bytes instead of running
// past the 260-byte destination.
TEST(PathSplitters, LongPartsAreCutToThePathBuffer) {
  const std::string name(kPVPathSize + 140, 'a'), path = "d/" + name + "/" + name;
  std::vector<char> part(kPVPathSize, 'x');
  PVGetFileName(*kUtf8, part.data(), path.c_str());
  EXPECT_EQ(std::string(part.data()), name.substr(0, kPVPathSize - 1));
  PVGetBaseName(*kUtf8, part.data(), path.c_str());
  EXPECT_EQ(std::string(part.data()), name.substr(0, kPVPathSize - 1));
  PVGetDirName(*kUtf8, part.data(), path.c_str());
  EXPECT_EQ(std::string(part.data()), path.substr(0, kPVPathSize - 1));
}

TEST(PathSplitters, ForwardSlashesBecomeTheSeparator) {
  struct Case {
    const PVTextFacts* facts;
    const char *path, *expected;
  } cases[] = {
      {kSjis, "C:/music\\x/y.mid", "C:\\music\\x\\y.mid"},
      {kSjis, "\x95\x2F/a", "\x95\x2F\\a"},  // a trail byte stays
      {kUtf8, "./a/b.mid", "./a/b.mid"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    PVUseSeparator(*c.facts, &path[0]);
    EXPECT_EQ(path, c.expected) << c.path;
  }
}

}  // namespace
