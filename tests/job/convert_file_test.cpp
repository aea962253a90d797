// The conversion job: its names on both sides of the encoding seam, its log,
// and the files it leaves after the faults of the OS double: the target only
// after a whole success, every file as it was after a failure.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "job/convert_file.h"
#include "job/job_names.h"
#include "job/job_messages.h"
#include "tests/kit/harness.h"
#include "tests/kit/os_double.h"

namespace {

const PVTextFacts* const kSjis = &kShiftJisTextFacts;
const PVTextFacts* const kUtf8 = &kUtf8TextFacts;

TEST(JobNames, TargetBesideTheSourceAndRequestLine) {
  struct Case {
    const PVTextFacts* facts;
    const char *source, *target, *requestLine;
  } cases[] = {
      {kSjis, "C:\\music\\live.2002.mid", "C:\\music\\live.mml", "live.2002.mid->live.mml\n"},
      // 表 (0x95 0x5C) ends in the backslash's code; 曲 is 0x8B 0xC8.
      {kSjis, "C:\\\x95\x5C\\\x8B\xC8.mid", "C:\\\x95\x5C\\\x8B\xC8.mml", "\x8B\xC8.mid->\x8B\xC8.mml\n"},
      {kSjis, "C:\\\x95\x5C.mid", "C:\\\x95\x5C.mml", "\x95\x5C.mid->\x95\x5C.mml\n"},
      {kUtf8, "/m/x.mml", "/m/x.mml", "x.mml->x.mml\n"},
  };
  JobNames names;
  for (const Case& c : cases) {
    NameJob(*c.facts, c.source, nullptr, nullptr, &names);
    EXPECT_TRUE(names.targetFits) << c.source;
    EXPECT_EQ(std::string(names.target) + " " + names.requestLine, std::string(c.target) + " " + c.requestLine);
  }
  // Without a dot the target is four bytes longer than the source.
  const size_t longest = kPVPathSize - 5;
  for (size_t length : {longest, longest + 1}) {
    const std::string source = "d/" + std::string(length - 2, 'a');
    NameJob(*kUtf8, source.c_str(), nullptr, nullptr, &names);
    EXPECT_EQ(std::string(names.target), length == longest ? source + ".mml" : "") << length;
    EXPECT_EQ(names.targetFits != 0, length == longest) << length;
  }
  // Temporary names are as long as the target, told apart by two letters.
  const uint32_t tags[] = {0, 37, 1295 + 1296};
  char temp[3][kPVPathSize];
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(NameTempFile(*kUtf8, "d/live.mml", tags[i], temp[i]));
  EXPECT_EQ(std::string(temp[0]) + temp[1] + temp[2], "d/live.~00d/live.~11d/live.~zz");
}

typedef std::map<std::string, std::string> Files;

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes ShortSong() {
  TrackBuilder melody;
  return SmfFile(480, {melody.Note(0, 480, 60).Note(480, 960, 64)});
}

// A song whose MML passes several 8192-byte blocks, so that writes happen
// while the conversion runs and not only when the target is closed.
Bytes LongSong() {
  TrackBuilder melody;
  for (int32_t tick = 0; tick < 1200000; tick += 120) melody.Note(tick, tick + 120, tick % 240 ? 36 : 96);
  return SmfFile(480, {melody});
}

// One job on a file of a scratch folder, with the folder's files and bytes.
struct Job {
  int Run(const std::string& name, char* lastFile) {
    int result = ConvertFile(state, log, dir.Path(name).c_str(), lastFile, nullptr);
    EXPECT_FALSE(state.sourceFile.IsOpen() || state.targetFile.IsOpen() || state.tracks);
    return result;
  }
  void Put(const std::string& name, const std::string& text) {
    WriteFileBytes(dir.Path(name), Bytes(text.begin(), text.end()));
  }
  Files Folder() const {
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
      files[entry.path().filename().string()] = ReadFileText(entry.path().string());
    return files;
  }
  ScratchDir dir;
  StringLog log;
  ConversionState state;
};

TEST(ConvertFile, SuccessReplacesTheTargetDurablyAndRemembersTheSource) {
  Job job;
  job.Put("song.mid", Text(ShortSong()));
  job.Put("song.mml", "an MML file written earlier\r\n");
  char lastFile[kPVPathSize];
  std::memset(lastFile, 'x', sizeof lastFile);
  {
    OsDouble os;
    EXPECT_NE(job.Run("song.mid", lastFile), 0);
    // The data and the mode reach the disk before the rename, the folder after.
    EXPECT_EQ(os.trace, "close keep sync close replace sync-folder ");
  }
  EXPECT_EQ(job.log.text(), std::string("song.mid->song.mml\nTrack:1\n") + msg::kConversionSucceeded);
  EXPECT_EQ(job.Folder(), (Files{{"song.mid", Text(ShortSong())}, {"song.mml", RunConverter(ShortSong()).mml}}));
  // lastFile holds the source, and every byte after it is zero.
  const std::string source = job.dir.Path("song.mid");
  EXPECT_EQ(std::string(lastFile, sizeof lastFile), source + std::string(kPVPathSize - source.size(), '\0'));
}

TEST(ConvertFile, FailuresKeepEveryFileAsItWas) {
  ASSERT_GT(RunConverter(LongSong()).mml.size(), 3u * 8192);
  const std::string track = "Track:1\n", shortSong = Text(ShortSong()), longSong = Text(LongSong());
  const std::string longName = std::string(kPVPathSize - 24, 's') + ".mid";
  struct Case {
    const char* source;  // beside an existing song.mml
    std::string bytes;   // of the source; empty: there is none
    void (*faults)(OsDouble&);
    std::string logged;  // after the request line
  } cases[] = {
      {longName.c_str(), "", [](OsDouble&) {}, msg::kPathTooLong},  // with the folder, too long
      {"x.mml", shortSong, [](OsDouble&) {}, msg::kTargetCreateFailed},  // its own target
      {"song.mid", shortSong, [](OsDouble& os) { os.refuseCreate = true; }, msg::kTargetCreateFailed},
      {"song.mid", shortSong, [](OsDouble& os) { os.writesBeforeFull = 0; },  // at the final flush
       track + msg::kTargetWriteFailed},
      {"song.mid", longSong, [](OsDouble& os) { os.writesBeforeFull = 1; }, track + msg::kTargetWriteFailed},
      // The lost bytes stay lost although the later writes succeed.
      {"song.mid", longSong,
       [](OsDouble& os) { os.writesBeforeFull = 1; os.fullWrites = 1; os.shortWrites = true; },
       track + msg::kTargetWriteFailed},
      {"song.mid", shortSong, [](OsDouble& os) { os.refuseSync = true; }, track + msg::kTargetWriteFailed},
      {"song.mid", shortSong, [](OsDouble& os) { os.refuseReplace = true; }, track + msg::kTargetReplaceFailed},
  };
  for (const Case& c : cases) {
    Job job;
    const std::string source = c.source, base = source.substr(0, source.size() - 4);
    job.Put("song.mml", "an MML file written earlier\r\n");
    if (!c.bytes.empty()) job.Put(source, c.bytes);
    const Files before = job.Folder();
    char lastFile[kPVPathSize] = "previous.mid";
    {
      OsDouble os;
      c.faults(os);
      EXPECT_EQ(job.Run(source, lastFile), 0) << c.logged;
    }
    EXPECT_EQ(job.log.text(), source + "->" + base + ".mml\n" + c.logged + msg::kConversionFailed);
    EXPECT_EQ(job.Folder(), before) << c.logged;
    EXPECT_STREQ(lastFile, "previous.mid");
  }
}

}  // namespace
