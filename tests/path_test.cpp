// The path splitters on both sides of the encoding seam: code page 932 paths
// split on the backslash and skip Shift-JIS trail bytes; UTF-8 paths split on
// '/' and test every byte on its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/path.h"

namespace {

struct SplitCase {
  const char* label;
  const PVTextFacts* facts;
  const char* path;
  const char* directory;
  const char* fileName;
  const char* baseName;
};

// Shift-JIS bytes: 表 is 0x95 0x5C (its trail byte is the backslash code),
// 曲 is 0x8B 0xC8.
const SplitCase kSplitCases[] = {
    {"drive path", &kShiftJisTextFacts, "C:\\music\\song.mid", "C:\\music\\", "song.mid", "song"},
    {"first dot", &kShiftJisTextFacts, "C:\\music\\live.2002.mid", "C:\\music\\", "live.2002.mid",
     "live"},
    {"dot in directory", &kShiftJisTextFacts, "C:\\a.b\\song", "C:\\a.b\\", "song", "song"},
    {"no backslash", &kShiftJisTextFacts, "song.mid", "", "song.mid", "song"},
    {"only .mid", &kShiftJisTextFacts, "C:\\music\\.mid", "C:\\music\\", ".mid", ""},
    {"ends in backslash", &kShiftJisTextFacts, "C:\\music\\", "C:\\music\\", "", ""},
    {"slash is ordinary", &kShiftJisTextFacts, "C:/a\\b/c.mid", "C:/a\\", "b/c.mid", "b/c"},
    {"trail byte 0x5C in directory", &kShiftJisTextFacts, "C:\\\x95\x5C\\\x8B\xC8.mid",
     "C:\\\x95\x5C\\", "\x8B\xC8.mid", "\x8B\xC8"},
    {"trail byte 0x5C in file name", &kShiftJisTextFacts, "C:\\\x95\x5C.mid", "C:\\",
     "\x95\x5C.mid", "\x95\x5C"},
    {"trail byte 0x5C, no directory", &kShiftJisTextFacts, "\x95\x5C", "", "\x95\x5C", "\x95\x5C"},
    {"native path", &kUtf8TextFacts, "/home/u/song.mid", "/home/u/", "song.mid", "song"},
    {"native first dot", &kUtf8TextFacts, "dir/live.2002.mid", "dir/", "live.2002.mid", "live"},
    {"native dot in directory", &kUtf8TextFacts, "a.b/song", "a.b/", "song", "song"},
    {"native only .mid", &kUtf8TextFacts, "./.mid", "./", ".mid", ""},
    {"backslash is ordinary", &kUtf8TextFacts, "dir\\song.mid", "", "dir\\song.mid", "dir\\song"},
    // あ is E3 81 82: a lead-byte walk would take the byte after 0x82 (the
    // dot or the slash) as a trail byte.
    {"UTF-8 name", &kUtf8TextFacts, u8"曲/あ.mid", u8"曲/", u8"あ.mid", u8"あ"},
    {"UTF-8 directory", &kUtf8TextFacts, u8"あ/曲.mid", u8"あ/", u8"曲.mid", u8"曲"},
};

TEST(PathSplitters, DirectoryFileAndBaseName) {
  for (const SplitCase& c : kSplitCases) {
    char directory[kPVPathSize], fileName[kPVPathSize], baseName[kPVPathSize];
    PVGetDirName(*c.facts, directory, c.path);
    PVGetFileName(*c.facts, fileName, c.path);
    PVGetBaseName(*c.facts, baseName, c.path);
    EXPECT_STREQ(directory, c.directory) << c.label;
    EXPECT_STREQ(fileName, c.fileName) << c.label;
    EXPECT_STREQ(baseName, c.baseName) << c.label;
  }
}

TEST(PathSplitters, IsCharAtSkipsTrailBytes) {
  struct Case {
    const PVTextFacts* facts;
    const char* text;
    int value;
    int position;
    bool expected;
  };
  const Case cases[] = {
      {&kShiftJisTextFacts, "\x83\x5C\x5C", '\\', 1, false},  // trail byte of 0x83
      {&kShiftJisTextFacts, "\x83\x5C\x5C", '\\', 2, true},
      {&kShiftJisTextFacts, "\x83\x5C\x5C", 0x83, 0, true},   // position 0 starts a character
      {&kShiftJisTextFacts, "\x83\x5C\x5C", '.', 2, false},   // another byte
      {&kShiftJisTextFacts, "\x83\x5C\x5C", 0x15C, 2, true},  // only the low 8 bits count
      {&kShiftJisTextFacts, "\x83\x83\x5C", '\\', 2, true},   // 0x83 0x83 is one character
      {&kShiftJisTextFacts, "\x83\x83\x83\x5C", '\\', 3, false},
      {&kShiftJisTextFacts, "\xB2\x5C", '\\', 1, true},       // half-width kana is one byte
      {&kUtf8TextFacts, "\x83\x5C\x5C", '\\', 1, true},
      {&kUtf8TextFacts, u8"あ/", '/', 3, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PVIsCharAt(*c.facts, c.text, c.value, c.position) != 0, c.expected)
        << c.text << " at " << c.position;
  }
}

TEST(PathSplitters, HostFunctionsUseTheHostSeparator) {
  const char separator = PVHostTextFacts().separator;
  const std::string path = std::string("music") + separator + "live.2002.mid";
  char part[kPVPathSize];
  PVGetDirName(part, path.c_str());
  EXPECT_EQ(std::string(part), std::string("music") + separator);
  PVGetFileName(part, path.c_str());
  EXPECT_STREQ(part, "live.2002.mid");
  PVGetBaseName(part, path.c_str());
  EXPECT_STREQ(part, "live");
  EXPECT_NE(PVIsCharAt(path.c_str(), separator, 5), 0);
}

// A part longer than a path buffer is cut at 259 bytes instead of running
// past the 260-byte destination.
TEST(PathSplitters, LongPartsAreCutToThePathBuffer) {
  const std::string longName(400, 'a');
  const std::string path = std::string("d/") + longName + "/" + longName;
  std::vector<char> part(kPVPathSize, 'x');
  PVGetFileName(kUtf8TextFacts, part.data(), path.c_str());
  EXPECT_EQ(std::string(part.data()), longName.substr(0, kPVPathSize - 1));
  PVGetBaseName(kUtf8TextFacts, part.data(), path.c_str());
  EXPECT_EQ(std::string(part.data()), longName.substr(0, kPVPathSize - 1));
  PVGetDirName(kUtf8TextFacts, part.data(), path.c_str());
  EXPECT_EQ(std::string(part.data()), path.substr(0, kPVPathSize - 1));
}

}  // namespace

TEST(PathSplitters, ForwardSlashesBecomeTheSeparator) {
  struct Case {
    const PVTextFacts* facts;
    const char* path;
    const char* expected;
  } cases[] = {
      {&kShiftJisTextFacts, "./a.mid", ".\\a.mid"},
      {&kShiftJisTextFacts, "C:/music\\x/y.mid", "C:\\music\\x\\y.mid"},
      {&kShiftJisTextFacts, "\x95\x2F/a", "\x95\x2F\\a"},  // a trail byte stays
      {&kUtf8TextFacts, "./a/b.mid", "./a/b.mid"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    PVUseSeparator(*c.facts, &path[0]);
    EXPECT_EQ(path, c.expected) << c.path;
  }
}
