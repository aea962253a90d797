// The drum map and the scaled volumes of the rhythm macro block.
#include <gtest/gtest.h>

#include <vector>

#include "converter/rhythm_kit.h"
#include "tests/support/harness.h"

namespace {

TEST(RhythmKit, VolumesScaleToTheLoudestPart) {
  struct Case {
    int32_t rhythm, max;
    std::vector<int32_t> volumes;
  } cases[] = {
      {100, 100, {127, 127, 127, 112, 112, 127, 127, 127, 127, 127}},
      {1, 1, {127, 127, 127, 112, 112, 127, 127, 127, 127, 127}},
      {80, 100, {125, 115, 120, 90, 90, 110, 110, 110, 110, 120}},
      {100, 127, {122, 112, 117, 87, 87, 107, 107, 107, 107, 117}},
      {64, 127, {77, 71, 75, 56, 56, 68, 68, 68, 68, 75}},
      {1, 100, {1, 1, 1, 0, 0, 1, 1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> got;
    for (int k = 0; k < 10; ++k) got.push_back(MacroVolume(k, c.rhythm, c.max));
    EXPECT_EQ(got, c.volumes) << c.rhythm << "/" << c.max;
  }
}

TEST(RhythmKit, DrumMapCoversTheGeneralMidiKit) {
  struct Case {
    int key;
    const char* call;  // null: no macro
  } cases[] = {
      {34, nullptr}, {35, "!bg "}, {36, "!bg "}, {37, nullptr}, {38, "!sg "}, {39, "!Cg "},
      {40, "!Sg "},  {41, "!vg "}, {42, "!hg "}, {43, "!tg "},  {44, "!hg "}, {45, "!vg "},
      {46, "!og "},  {47, "!ug "}, {48, "!ug "}, {49, "!cg "},  {50, nullptr}, {51, "!cg "},
      {52, "!cg "},  {53, nullptr}, {54, nullptr}, {55, "!cg "}, {56, nullptr}, {57, "!cg "},
      {58, nullptr}, {59, "!cg "}, {60, nullptr}, {81, nullptr}, {82, nullptr}, {-1, nullptr},
  };
  for (const Case& c : cases) {
    int macro = DrumMacro(c.key);
    if (!c.call) {
      EXPECT_EQ(macro, -1) << c.key;
      continue;
    }
    ASSERT_GE(macro, 0) << c.key;
    EXPECT_STREQ(macroNames[macro], c.call) << c.key;
  }
}

TEST(RhythmKit, BlockIsWrittenOnlyWithChannelTenNotes) {
  TrackBuilder melody;
  melody.Note(0, 480, 60);
  EXPECT_EQ(RunConverter(SmfFile(480, {melody})).mml.find("; Rhythm Macro"), std::string::npos);

  // Channel 10 only in a track whose every key is unmapped: silent, yet the
  // block is written, with the rhythm volume at 1.
  TrackBuilder loud, unmapped;
  loud.Volume(0, 100).Note(0, 480, 60);
  unmapped.Note(0, 480, 60, 9);
  Conversion c = RunConverter(SmfFile(480, {loud, unmapped}));
  ASSERT_EQ(c.result, 1) << c.log;
  EXPECT_EQ(c.mml.substr(0, c.mml.find("A ")),
            "; Rhythm Macro\r\n"
            "!!bg @6  V1 ?o4c\r\n!!Sg @7  V1 ?o4c\r\n!!sg @8  V1 ?o4c\r\n"
            "!!og @9  V0 ?o4c\r\n!!hg @10 V0 ?o4c\r\n!!cg @11 V1 ?o4c\r\n"
            "!!tg @13 V1 ?o4c\r\n!!ug @14 V1 ?o4c\r\n!!vg @15 V1 ?o4c\r\n"
            "!!Cg @16 V1 ?o4c\r\n\r\n");
}

}  // namespace
