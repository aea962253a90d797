// The two builds' text facts: which bytes start a double-byte character.
#include <gtest/gtest.h>

#include "support/text_facts.h"

namespace {

TEST(TextFacts, ShiftJisLeadBytesAreTheTwoRanges) {
  struct Case {
    unsigned char byte;
    bool lead;
  };
  const Case cases[] = {
      {0x00, false}, {0x2F, false}, {0x5C, false}, {0x7F, false}, {0x80, false},
      {0x81, true},  {0x9F, true},  {0xA0, false}, {0xB2, false}, {0xDF, false},
      {0xE0, true},  {0xFC, true},  {0xFD, false}, {0xFF, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kShiftJisTextFacts.isLeadByte(c.byte) != 0, c.lead) << std::hex << int(c.byte);
  }
  EXPECT_EQ(kShiftJisTextFacts.separator, '\\');
}

TEST(TextFacts, Utf8HasNoLeadBytes) {
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(kUtf8TextFacts.isLeadByte(static_cast<unsigned char>(byte)), 0) << byte;
  }
  EXPECT_EQ(kUtf8TextFacts.separator, '/');
}

TEST(TextFacts, HostFactsMatchTheBuild) {
#ifdef _WIN32
  EXPECT_EQ(&PVHostTextFacts(), &kShiftJisTextFacts);
#else
  EXPECT_EQ(&PVHostTextFacts(), &kUtf8TextFacts);
#endif
}

}  // namespace
