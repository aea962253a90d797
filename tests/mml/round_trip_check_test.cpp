// The round-trip check against texts that play something else than meant.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "converter/length_grid.h"
#include "mml/mml_reader.h"
#include "mml/round_trip_check.h"
#include "tests/kit/harness.h"
#include "tests/kit/watched_run.h"

namespace {


// The check against a text that plays something else: the first
// disagreement, with its part, bar and beat, or the place the reader stopped.
TEST(RoundTripCheck, NamesTheFirstDisagreement) {
  const std::vector<IntendedItem> meant = {
      {kMmlPartStart, 0, 0, 'A'}, {kMmlTempo, 0, 0, 120}, {kMmlNote, 0, 480, 60}, {kMmlNote, 480, 720, 62},
      {kMmlPartEnd, 1920, 0, 0},  {kMmlPartStart, 0, 1, 'B'}, {kMmlNote, 0, 720, 0}, {kMmlPartEnd, 720, 0, 0}};
  const std::string drums = RunConverter(SmfFile(480, {TrackBuilder().Note(0, 480, 36, 9)})).mml;
  const std::string macros = drums.substr(0, drums.find("\r\n\r\n") + 4);
  const std::string partB = "B =1\r\nB Ll4\r\nB !bg g8\r\n\r\n";
  struct Case {
    std::string partA, fault;
  } cases[] = {
      {"A T120V120@0Ll4\r\nA o4cd&d8rr8\r\n\r\n", ""},
      {"A T120V120@0Ll4\r\nA o4ce&e8rr8\r\n\r\n",
       "part A, bar 1 beat 2: expected key 62 at tick 480 for 720 ticks, found key 64 at tick 480 for 720 ticks"},
      {"A T120V120@0Ll4\r\nA o4cd&d8rr8r\r\n\r\n",
       "part A, bar 2 beat 1: expected the part's end at tick 1920, found the part's end at tick 2400"},
      {"A T120V120@0Ll4\r\nA o4cd&d8q\r\n\r\n", "the MML cannot be read back: line 14, column 10: "},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string mml = dir.Path("song.mml");
    WriteFileBytes(mml, Bytes(macros.begin(), macros.end()));
    std::ofstream(mml, std::ios::binary | std::ios::app) << c.partA << partB;
    MemoryQueue queue;
    for (const IntendedItem& item : meant) queue.Append(&item, sizeof item);
    ConversionState s;
    SetLengthTicks(s, 480);
    char fault[320] = "";
    EXPECT_EQ(CheckRoundTrip(s, 480, mml.c_str(), queue, fault, sizeof fault), c.fault.empty() ? 1 : 0);
    EXPECT_EQ(std::string(fault).substr(0, c.fault.size()), c.fault);
  }
}

}  // namespace
