// The path splitters on both sides of the encoding seam: code page 932 paths
// split on the backslash and skip Shift-JIS trail bytes; UTF-8 paths split on
// '/' and test every byte on its own.
#include <gtest/gtest.h>

#include <string>

#include "support/path.h"

namespace {

const PVTextFacts* const kSjis = &kShiftJisTextFacts;
const PVTextFacts* const kUtf8 = &kUtf8TextFacts;

// Each path's directory, file name and base name, then the path with its
// forward slashes made separators. A part longer than a path buffer is cut
// to the buffer (259 bytes in the Windows build) instead of running past it.
TEST(PathSplitters, DirectoryFileAndBaseNameAndSeparators) {
  const std::string aLong(kPVPathSize + 140, 'a'), aCut(kPVPathSize - 1, 'a'), longPath = "d/" + aLong + "/" + aLong;
  struct Case {
    const PVTextFacts* facts;
    std::string path, parts;
  } cases[] = {
      {kSjis, "C:\\a.b\\song", "C:\\a.b\\|song|song|C:\\a.b\\song"},
      {kSjis, "song.mid", "|song.mid|song|song.mid"},
      {kSjis, "C:\\music\\.mid", "C:\\music\\|.mid||C:\\music\\.mid"},
      {kSjis, "C:\\music\\", "C:\\music\\|||C:\\music\\"},
      {kSjis, "C:/a\\b/c.mid", "C:/a\\|b/c.mid|b/c|C:\\a\\b\\c.mid"},
      // 表 has the backslash's code for its trail byte; a slash's code after a
      // lead byte is a trail byte too.
      {kSjis, "\x95\x5C", "|\x95\x5C|\x95\x5C|\x95\x5C"},
      {kSjis, "\x95\x2F/a", "|\x95\x2F/a|\x95\x2F/a|\x95\x2F\\a"},
      {kUtf8, "a.b/song", "a.b/|song|song|a.b/song"},
      {kUtf8, "./.mid", "./|.mid||./.mid"},
      {kUtf8, "dir\\song.mid", "|dir\\song.mid|dir\\song|dir\\song.mid"},
      {kUtf8, longPath, longPath.substr(0, kPVPathSize - 1) + "|" + aCut + "|" + aCut + "|" + longPath},
  };
  for (const Case& c : cases) {
    char directory[kPVPathSize], fileName[kPVPathSize], baseName[kPVPathSize];
    PVGetDirName(*c.facts, directory, c.path.c_str());
    PVGetFileName(*c.facts, fileName, c.path.c_str());
    PVGetBaseName(*c.facts, baseName, c.path.c_str());
    std::string separated = c.path;
    PVUseSeparator(*c.facts, &separated[0]);
    EXPECT_EQ(std::string(directory) + "|" + fileName + "|" + baseName + "|" + separated, c.parts) << c.path;
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

}  // namespace
