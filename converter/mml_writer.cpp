#include "converter/mml_writer.h"

#include <cstring>

const char* const noteNames[12] = {"c", "c+", "d", "d+", "e", "f", "f+", "g", "g+", "a", "a+", "b"};
const char* const lengthTexts[6] = {"1", "2", "4", "8", "16", "32"};

void WriteRaw(ConversionState& s, const char* text) {
  s.targetFile.Write(text, static_cast<uint32_t>(std::strlen(text)));
}

void WriteToken(ConversionState& s, const char* text) {
  const uint32_t size = static_cast<uint32_t>(std::strlen(text));
  if (s.lineLen == 0) {
    const char prefix[4] = {'\r', '\n', static_cast<char>('A' + s.curPart), ' '};
    s.targetFile.Write(prefix, sizeof prefix);
    s.lineLen = 2;
  }
  s.targetFile.Write(text, size);
  s.lineLen += static_cast<int32_t>(size);
  if (s.barBreak) {
    s.lineLen = 0;
    s.barBreak = 0;
  }
}
