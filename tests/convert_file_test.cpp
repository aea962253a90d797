// The conversion job: naming, the log of each outcome, and the files it
// leaves: a target only after a whole success, an existing target kept by
// every failure, no temporary file, the source untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "converter/convert_file.h"
#include "support/text_facts.h"
#include "tests/support/harness.h"
#include "tests/support/os_double.h"

namespace fs = std::filesystem;

namespace {

const char kRequest[] = "song.mid->song.mml\n";
const char kSucceeded[] = "Track:1\n変換に成功しました。\n\n";
const char kSourceFailed[] = "変換元ファイルが開けません。\n変換に失敗しました。\n\n";
const char kCreateFailed[] = "変換先ファイルを作成できません。\n変換に失敗しました。\n\n";
const char kWriteFailed[] = "Track:1\n変換先ファイルに書き込めません。\n変換に失敗しました。\n\n";
const char kReplaceFailed[] =
    "Track:1\n変換先ファイルを置き換えられません。\n変換に失敗しました。\n\n";
const char kNotSmfFailed[] =
    "スタンダードMIDIファイルではありません。\n変換に失敗しました。\n\n";
const char kOldTarget[] = "an MML file written earlier\r\n";
const char kPreviousLastFile[] = "previous.mid";

Bytes ShortSong() {
  TrackBuilder melody;
  melody.Note(0, 480, 60).Note(480, 960, 64).EndOfTrack(960);
  return SmfFile(480, {melody});
}

// A song whose MML passes several 8192-byte blocks, so that writes happen
// while the conversion runs and not only when the target is closed.
Bytes LongSong() {
  TrackBuilder melody;
  int32_t tick = 0;
  for (int i = 0; i < 10000; ++i, tick += 120) melody.Note(tick, tick + 120, i % 2 ? 36 : 96);
  melody.EndOfTrack(tick);
  return SmfFile(480, {melody});
}

Bytes NotASong() { return {'n', 'o', 't', ' ', 'M', 'I', 'D', 'I'}; }

std::string Text(const char* s) { return s; }

void WriteOldTarget(const std::string& path) {
  WriteFileBytes(path, Bytes(kOldTarget, kOldTarget + sizeof kOldTarget - 1));
}

class ConvertFileTest : public ::testing::Test {
 protected:
  ConvertFileTest() {
    std::memset(lastFile, 0, sizeof lastFile);
    std::strcpy(lastFile, kPreviousLastFile);
  }

  int Convert(const std::string& source) {
    int result = ConvertFile(state, log, source.c_str(), lastFile, nullptr);
    EXPECT_FALSE(state.sourceFile.IsOpen());
    EXPECT_FALSE(state.targetFile.IsOpen());
    EXPECT_EQ(state.tracks, nullptr);
    EXPECT_FALSE(log.badRepaint());
    return result;
  }

  // The names in the scratch directory, sorted.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  void ExpectLastFileUnchanged() const {
    EXPECT_STREQ(lastFile, kPreviousLastFile);
  }

  ScratchDir dir;
  StringLog log;
  ConversionState state;
  char lastFile[260];
};

TEST_F(ConvertFileTest, SuccessReplacesTheTargetAndRemembersTheSource) {
  const std::string source = dir.Path("song.mid");
  WriteFileBytes(source, ShortSong());
  WriteOldTarget(dir.Path("song.mml"));
  std::memset(lastFile, 'x', sizeof lastFile);

  EXPECT_NE(Convert(source), 0);
  EXPECT_EQ(log.text(), Text(kRequest) + kSucceeded);
  EXPECT_EQ(ReadFileText(dir.Path("song.mml")), RunConverter(ShortSong()).mml);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"song.mid", "song.mml"}));
  // lastFile holds the source, and every byte after it is zero.
  EXPECT_EQ(std::string(lastFile), source);
  EXPECT_EQ(std::count(lastFile + source.size(), lastFile + sizeof lastFile, '\0'),
            static_cast<std::ptrdiff_t>(sizeof lastFile - source.size()));
}

// Failures on real files: what is logged after the request line, and that an
// existing target, the source and lastFile stay as they were.
TEST_F(ConvertFileTest, FailuresKeepEverythingAsItWas) {
  enum SourceKind { kMissing, kFolder, kBroken, kEmpty };
  struct Case {
    const char* label;
    SourceKind source;
    bool targetExists;
    const char* logged;
  };
  const Case cases[] = {
      {"missing source", kMissing, false, kSourceFailed},
      {"missing source, target exists", kMissing, true, kSourceFailed},
      {"folder as source", kFolder, false, kSourceFailed},
      {"not a MIDI file", kBroken, false, kNotSmfFailed},
      {"not a MIDI file, target exists", kBroken, true, kNotSmfFailed},
      {"empty file, target exists", kEmpty, true, kNotSmfFailed},
  };
  for (const Case& c : cases) {
    ScratchDir caseDir;
    StringLog caseLog;
    const std::string source = caseDir.Path("song.mid");
    const std::string target = caseDir.Path("song.mml");
    if (c.source == kFolder) fs::create_directory(source);
    if (c.source == kBroken) WriteFileBytes(source, NotASong());
    if (c.source == kEmpty) WriteFileBytes(source, {});
    if (c.targetExists) WriteOldTarget(target);
    const std::string sourceBefore = c.source == kFolder ? "" : ReadFileText(source);

    EXPECT_EQ(ConvertFile(state, caseLog, source.c_str(), lastFile, nullptr), 0) << c.label;
    EXPECT_EQ(caseLog.text(), Text(kRequest) + c.logged) << c.label;
    EXPECT_EQ(FileExists(target), c.targetExists) << c.label;
    if (c.targetExists) {
      EXPECT_EQ(ReadFileText(target), kOldTarget) << c.label;
    }
    if (c.source != kFolder) {
      EXPECT_EQ(ReadFileText(source), sourceBefore) << c.label;
    }
    EXPECT_FALSE(FileExists(caseDir.Path("song.tmp"))) << c.label;
    EXPECT_FALSE(state.sourceFile.IsOpen()) << c.label;
    ExpectLastFileUnchanged();
  }
}

TEST_F(ConvertFileTest, SourceThatIsItsOwnTargetIsRefused) {
  const std::string source = dir.Path("x.mml");
  WriteFileBytes(source, ShortSong());
  EXPECT_EQ(Convert(source), 0);
  EXPECT_EQ(log.text(), Text("x.mml->x.mml\n") + kCreateFailed);
  const Bytes song = ShortSong();
  EXPECT_EQ(ReadFileText(source), std::string(song.begin(), song.end()));
  EXPECT_EQ(Listing(), std::vector<std::string>{"x.mml"});
  ExpectLastFileUnchanged();
}

TEST_F(ConvertFileTest, TakenTemporaryNamesAreNeverOverwritten) {
  WriteFileBytes(dir.Path("song.mid"), ShortSong());
  WriteFileBytes(dir.Path("song.tmp"), NotASong());
  EXPECT_NE(Convert(dir.Path("song.mid")), 0);
  EXPECT_EQ(ReadFileText(dir.Path("song.tmp")), "not MIDI");
  EXPECT_EQ(Listing(), (std::vector<std::string>{"song.mid", "song.mml", "song.tmp"}));

  // With every temporary name taken there is nowhere to write.
  const char* const suffixes[] = {"tm1", "tm2", "tm3", "tm4", "tm5", "tm6", "tm7", "tm8", "tm9"};
  for (const char* suffix : suffixes) WriteFileBytes(dir.Path(std::string("song.") + suffix), NotASong());
  const std::vector<std::string> before = Listing();
  StringLog second;
  EXPECT_EQ(ConvertFile(state, second, dir.Path("song.mid").c_str(), lastFile, nullptr), 0);
  EXPECT_EQ(second.text(), Text(kRequest) + kCreateFailed);
  EXPECT_EQ(Listing(), before);
  for (const char* suffix : suffixes)
    EXPECT_EQ(ReadFileText(dir.Path(std::string("song.") + suffix)), "not MIDI");
}

TEST_F(ConvertFileTest, NullPathDoesNothing) {
  EXPECT_EQ(ConvertFile(state, log, nullptr, lastFile, nullptr), 0);
  EXPECT_EQ(log.text(), "");
  EXPECT_TRUE(Listing().empty());
  ExpectLastFileUnchanged();
}

// Platform faults through the OS double: a folder that refuses new files, a
// disk that fills up early or at the final write, a write that stops short,
// a refused move. Each must fail the job, remove the temporary file and keep
// the existing target.
TEST_F(ConvertFileTest, PlatformFaultsFailTheJobAndKeepTheTarget) {
  ASSERT_GT(RunConverter(LongSong()).mml.size(), 3u * 8192);
  struct Case {
    const char* label;
    Bytes song;
    OsFaults faults;
    const char* logged;
  };
  auto faults = [](void (*set)(OsFaults&)) {
    OsFaults f;
    set(f);
    return f;
  };
  const Case cases[] = {
      {"target cannot be created", ShortSong(), faults([](OsFaults& f) { f.refuseCreate = true; }),
       kCreateFailed},
      {"disk full at the final write", ShortSong(),
       faults([](OsFaults& f) { f.writesBeforeFull = 0; }), kWriteFailed},
      {"disk full while converting", LongSong(),
       faults([](OsFaults& f) { f.writesBeforeFull = 1; }), kWriteFailed},
      {"short write", LongSong(),
       faults([](OsFaults& f) {
         f.writesBeforeFull = 2;
         f.shortWrites = true;
       }),
       kWriteFailed},
      // The lost bytes stay lost although the later writes and the final
      // one succeed.
      {"one short write, then room again", LongSong(),
       faults([](OsFaults& f) {
         f.writesBeforeFull = 1;
         f.failingWrites = 1;
         f.shortWrites = true;
       }),
       kWriteFailed},
      {"move refused", ShortSong(), faults([](OsFaults& f) { f.refuseReplace = true; }),
       kReplaceFailed},
  };
  for (const Case& c : cases) {
    ScratchDir caseDir;
    StringLog caseLog;
    const std::string source = caseDir.Path("song.mid");
    const std::string target = caseDir.Path("song.mml");
    WriteFileBytes(source, c.song);
    WriteOldTarget(target);
    {
      OsDouble os;
      os.faults = c.faults;
      EXPECT_EQ(ConvertFile(state, caseLog, source.c_str(), lastFile, nullptr), 0) << c.label;
    }
    EXPECT_EQ(caseLog.text(), Text(kRequest) + c.logged) << c.label;
    EXPECT_EQ(ReadFileText(target), kOldTarget) << c.label;
    EXPECT_EQ(ReadFileText(source), std::string(c.song.begin(), c.song.end())) << c.label;
    EXPECT_FALSE(FileExists(caseDir.Path("song.tmp"))) << c.label;
    EXPECT_FALSE(state.sourceFile.IsOpen()) << c.label;
    EXPECT_FALSE(state.targetFile.IsOpen()) << c.label;
    EXPECT_EQ(state.tracks, nullptr) << c.label;
    ExpectLastFileUnchanged();
  }
}

// Paths past the 260-byte buffers: a source path is refused as a source that
// cannot be opened, a target path as one that cannot be created; neither is
// cut short or written past. The double opens a real song for any read, so
// the long names need not exist.
TEST_F(ConvertFileTest, PathsPastTheBufferAreRefused) {
  WriteFileBytes(dir.Path("song.mid"), ShortSong());
  const char separator = PVHostTextFacts().separator;
  const std::string longDir = std::string(250, 'd') + separator;
  // 259 bytes without a dot: the source fits, its target (259 + 4) does not.
  const std::string longSource = longDir + "aaaaaaaa";
  ASSERT_EQ(longSource.size(), 259u);
  const std::string tooLongSource = longDir + std::string(20, 'b') + ".mid";
  OsDouble os;
  os.faults.readsFrom = dir.Path("song.mid");

  StringLog targetLog;
  EXPECT_EQ(ConvertFile(state, targetLog, longSource.c_str(), lastFile, nullptr), 0);
  EXPECT_EQ(targetLog.text(), Text("aaaaaaaa->aaaaaaaa.mml\n") + kCreateFailed);
  EXPECT_EQ(os.faults.createCalls, 0);

  StringLog sourceLog;
  EXPECT_EQ(ConvertFile(state, sourceLog, tooLongSource.c_str(), lastFile, nullptr), 0);
  EXPECT_EQ(sourceLog.text(), std::string(20, 'b') + ".mid->" + std::string(20, 'b') + ".mml\n" +
                                  kSourceFailed);
  EXPECT_EQ(os.faults.createCalls, 0);
  EXPECT_FALSE(state.sourceFile.IsOpen());
  ExpectLastFileUnchanged();
}

}  // namespace
