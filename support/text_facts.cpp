#include "support/text_facts.h"

namespace {

int IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int NoLeadByte(unsigned char) { return 0; }

}  // namespace

const PVTextFacts kShiftJisTextFacts = {'\\', IsShiftJisLeadByte};
const PVTextFacts kUtf8TextFacts = {'/', NoLeadByte};
