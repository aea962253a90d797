// How a job names its target, its request line and its temporary files, on
// both sides of the encoding seam.
#include <gtest/gtest.h>

#include <string>

#include "converter/job_names.h"

namespace {

struct NamingCase {
  const PVTextFacts* facts;
  const char* source;
  const char* target;
  const char* requestLine;
};

const NamingCase kNamingCases[] = {
    {&kShiftJisTextFacts, "C:\\music\\song.mid", "C:\\music\\song.mml", "song.mid->song.mml\n"},
    {&kShiftJisTextFacts, "C:\\music\\live.2002.mid", "C:\\music\\live.mml",
     "live.2002.mid->live.mml\n"},
    {&kShiftJisTextFacts, "C:\\a.b\\song", "C:\\a.b\\song.mml", "song->song.mml\n"},
    {&kShiftJisTextFacts, "song.mid", "song.mml", "song.mid->song.mml\n"},
    {&kShiftJisTextFacts, "C:\\music\\.mid", "C:\\music\\.mml", ".mid->.mml\n"},
    {&kShiftJisTextFacts, "C:\\\x95\x5C\\\x8B\xC8.mid", "C:\\\x95\x5C\\\x8B\xC8.mml",
     "\x8B\xC8.mid->\x8B\xC8.mml\n"},
    {&kShiftJisTextFacts, "C:\\\x95\x5C.mid", "C:\\\x95\x5C.mml", "\x95\x5C.mid->\x95\x5C.mml\n"},
    {&kUtf8TextFacts, "dir/live.2002.mid", "dir/live.mml", "live.2002.mid->live.mml\n"},
    {&kUtf8TextFacts, u8"曲/あ.mid", u8"曲/あ.mml", u8"あ.mid->あ.mml\n"},
    {&kUtf8TextFacts, "/m/x.mml", "/m/x.mml", "x.mml->x.mml\n"},
};

TEST(JobNames, TargetBesideTheSourceAndRequestLine) {
  for (const NamingCase& c : kNamingCases) {
    JobNames names;
    NameJob(*c.facts, c.source, nullptr, nullptr, &names);
    EXPECT_TRUE(names.targetFits) << c.source;
    EXPECT_STREQ(names.target, c.target) << c.source;
    EXPECT_STREQ(names.requestLine, c.requestLine) << c.source;
  }
}

TEST(JobNames, TargetMustFitInAPathBuffer) {
  // Without a dot the target is four bytes longer than the source.
  struct Case {
    size_t sourceLength;
    bool fits;
  };
  const Case cases[] = {{255, true}, {256, false}, {259, false}};
  for (const Case& c : cases) {
    const std::string source = "d/" + std::string(c.sourceLength - 2, 'a');
    JobNames names;
    NameJob(kUtf8TextFacts, source.c_str(), nullptr, nullptr, &names);
    EXPECT_EQ(names.targetFits != 0, c.fits) << c.sourceLength;
    EXPECT_EQ(std::string(names.target), c.fits ? source + ".mml" : "") << c.sourceLength;
  }
}

TEST(JobNames, ExplicitTargetIsNamedInTheRequestLine) {
  JobNames names;
  NameJob(kUtf8TextFacts, "in/song.mid", "out/my.take.mml", nullptr, &names);
  EXPECT_STREQ(names.target, "out/my.take.mml");
  EXPECT_STREQ(names.requestLine, "song.mid->my.take.mml\n");
  NameJob(kUtf8TextFacts, "in/song.mid", "/tmp/x.mml", "<stdout>", &names);
  EXPECT_STREQ(names.target, "/tmp/x.mml");
  EXPECT_STREQ(names.requestLine, "song.mid-><stdout>\n");
}

TEST(JobNames, TemporaryNamesBesideTheTarget) {
  struct Case {
    const PVTextFacts* facts;
    const char* target;
    int attempt;
    const char* expected;  // null: no name
  };
  const Case cases[] = {
      {&kShiftJisTextFacts, "C:\\m\\song.mml", 0, "C:\\m\\song.tmp"},
      {&kShiftJisTextFacts, "C:\\m\\song.mml", 1, "C:\\m\\song.tm1"},
      {&kShiftJisTextFacts, "C:\\m\\song.mml", 9, "C:\\m\\song.tm9"},
      {&kShiftJisTextFacts, "C:\\m\\song.mml", 10, nullptr},
      {&kShiftJisTextFacts, "C:\\\x95\x5C\\a.mml", 0, "C:\\\x95\x5C\\a.tmp"},
      {&kUtf8TextFacts, "a.b/live.mml", 0, "a.b/live.tmp"},
      {&kUtf8TextFacts, "out", 0, "out.tmp"},
  };
  for (const Case& c : cases) {
    char temp[kPVPathSize] = "unchanged";
    int made = NameTempFile(*c.facts, c.target, c.attempt, temp);
    EXPECT_EQ(made != 0, c.expected != nullptr) << c.target << " " << c.attempt;
    if (c.expected) {
      EXPECT_STREQ(temp, c.expected) << c.target << " " << c.attempt;
    }
  }
  // A default target of the longest length still has room for its temporary
  // name; an explicit one without a dot may not.
  const std::string longest = "d/" + std::string(253, 'a') + ".mml";
  char temp[kPVPathSize];
  EXPECT_NE(NameTempFile(kUtf8TextFacts, longest.c_str(), 0, temp), 0);
  EXPECT_EQ(std::string(temp).size(), longest.size());
  const std::string noDot = "d/" + std::string(255, 'a');
  EXPECT_EQ(NameTempFile(kUtf8TextFacts, noDot.c_str(), 0, temp), 0);
}

}  // namespace
