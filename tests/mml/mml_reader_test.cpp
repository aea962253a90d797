// The MML reader: what small texts play and where broken ones fail. (The
// converter's own output is read back by --check and the --to-midi stage.)
#include <gtest/gtest.h>

#include <string>

#include "mml/mml_reader.h"
#include "tests/kit/os_double.h"

namespace {

const int32_t kTicks480[6] = {1920, 960, 480, 240, 120, 60};

const char kMacroBlock[] =
    "; Rhythm Macro\r\n!!bg @6  V125 ?o4c\r\n!!Sg @7  V115 ?o4c\r\n!!sg @8  V120 ?o4c\r\n"
    "!!og @9  V90 ?o4c\r\n!!hg @10 V90 ?o4c\r\n!!cg @11 V110 ?o4c\r\n!!tg @13 V110 ?o4c\r\n"
    "!!ug @14 V110 ?o4c\r\n!!vg @15 V110 ?o4c\r\n!!Cg @16 V1 ?o4c\r\n\r\n";

struct Reading {
  std::string items;  // "M<macro>:<volume>", "<part>[=]:<volume>", "T<bpm>@<tick>",
                      // "<key>@<tick>+<length>", "/<end>", blank-separated
  int result = 0;
  MmlError error;
};

Reading Read(const std::string& text, const int32_t* ticks = kTicks480) {
  OsDouble os;
  os.ServeFromMemory(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  CPVFile file;
  file.Open("song.mml", CPVFile::kRead);
  MmlReader reader;
  reader.Start(&file, ticks);
  Reading r;
  MmlItem it;
  char one[48];
  while ((r.result = reader.Next(&it)) == 1) {
    switch (it.kind) {
      case kMmlMacro: std::snprintf(one, sizeof one, "M%d:%d ", it.key, it.value); break;
      case kMmlPartStart:
        std::snprintf(one, sizeof one, "%c%s:%d ", it.part, it.rhythm ? "=" : "", it.value);
        break;
      case kMmlTempo: std::snprintf(one, sizeof one, "T%d@%d ", it.value, it.tick); break;
      case kMmlNote: std::snprintf(one, sizeof one, "%d@%d+%d ", it.key, it.tick, it.length); break;
      default: std::snprintf(one, sizeof one, "/%d ", it.tick); break;
    }
    r.items += one;
  }
  r.error = reader.error();
  return r;
}

const std::string kMacros = "M0:125 M1:115 M2:120 M3:90 M4:90 M5:110 M6:110 M7:110 M8:110 M9:1 ";

TEST(MmlReader, WhatValidTextsPlay) {
  struct Case {
    std::string text, items;
  } cases[] = {
      {"", ""},
      {kMacroBlock, kMacros},
      // The reference song: a chord's first note, a tempo before the note pending at its change,
      // a note tied across a bar line, drum hits with "g" for the macro last called.
      {std::string(kMacroBlock) + "A T120V120@0Ll4\r\nA o4cegr8T150a8&\r\nA a>c\r\n\r\n"
                                  "B =1\r\nB Ll8\r\nB !bg r!sg r!bg rgr\r\nB r2\r\n\r\n",
       kMacros + "A:120 T120@0 60@0+480 64@480+480 67@960+480 T150@1680 69@1680+720 72@2400+480 /2880 "
                 "B=:-1 0@0+240 2@480+240 0@960+240 0@1440+240 /2880 "},
      {"A T90V60@0Ll8\r\nA o3c+4&\r\nA c+<b>>d16r\r\nA \r\n\r\nB V7@0Ll32\r\nB o0cr1o7b\r\n\r\n",
       "A:60 T90@0 49@0+720 47@720+240 62@960+120 /1320 B:7 12@0+60 107@1980+60 /2040 "},
      // A drum piece is a hit of its own: "!bg 4" then "g" are two.
      {std::string(kMacroBlock) + "A =1\r\nA T60Ll8\r\nA !bg 4g!Cg 16r1\r\n\r\n",
       kMacros + "A=:-1 T60@0 0@0+480 0@480+240 9@720+120 /2760 "},
  };
  for (const Case& c : cases) {
    Reading r = Read(c.text);
    EXPECT_EQ(r.result, 0) << c.text << "\n" << r.error.line << ":" << r.error.column << " " << r.error.text;
    EXPECT_EQ(r.items, c.items) << c.text;
  }
}

TEST(MmlReader, BrokenTextsFailAtTheirLineAndColumn) {
  const std::string head = "A T120V120@0Ll4\r\n", drums = std::string(kMacroBlock) + "A =1\r\nA T120Ll8\r\n";
  const int32_t kHuge[6] = {1 << 30, 1 << 29, 1 << 28, 1 << 27, 1 << 26, 1 << 25};
  struct Case {
    std::string text, where;
    const int32_t* ticks = kTicks480;
  } cases[] = {
      {"; Rhythm macro\r\n", "1:10"},
      {std::string(kMacroBlock, 46) + "128 ?o4c\r\n", "3:11"},         // a volume past 127
      {"A =1\r\nA T120Ll8\r\nA r\r\n\r\n", "1:3"},                    // drums without the macro block
      {drums + "A rg\r\n\r\n", "15:4"},                                 // "g" before any macro call
      {drums + "A !bg 4&\r\n\r\n", "15:8"},                             // drums are never tied
      {"A V120@0Ll4\r\n", "1:3"},                                       // part A without its tempo
      {"A T120V120@0Ll3\r\n", "1:15"},
      {head + "A c\r\n\r\n", "2:3"},                                    // a note before any octave
      {head + "A o4e+\r\n\r\n", "2:6"},
      {head + "A o7b>c\r\n\r\n", "2:6"},
      {head + "A o4c&d\r\n\r\n", "2:7"},                                // a tie to another note
      {head + "A o4c&\r\n\r\n", "3:1"},                                 // a tie at the part's end
      {head + "A o4c\n\r\n", "2:6"},
      {head + "A o4c\r\n", "3:1"},                                      // no empty line after the part
      {head + "A r\r\n\r\nB V1@0Ll4\r\nB T120\r\n\r\n", "5:3"},      // a tempo outside part A
      {head + "A r1r1\r\n\r\n", "2:5", kHuge},                           // past 2^31 - 1 ticks
      {head + "A \r\n\r\nB V1@0Ll4\r\nB \r\n\r\nC V1@0Ll4\r\nC \r\n\r\nD V1@0Ll4\r\nD \r\n\r\n"
              "E V1@0Ll4\r\nE \r\n\r\nF V1@0Ll4\r\nF \r\n\r\nG V1@0Ll4\r\n",
       "19:1"},
  };
  for (const Case& c : cases) {
    Reading r = Read(c.text, c.ticks);
    EXPECT_EQ(r.result, -1) << c.text;
    EXPECT_EQ(std::to_string(r.error.line) + ":" + std::to_string(r.error.column), c.where)
        << c.text << "\n" << r.error.text;
  }
}

}  // namespace
