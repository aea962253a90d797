#include "support/path.h"

#include <cstring>

namespace {

// Copies count bytes of src, cut to what a path buffer holds, and terminates.
void CopyPart(char* dst, const char* src, size_t count) {
  if (count > kPVPathSize - 1) count = kPVPathSize - 1;
  std::memcpy(dst, src, count);
  dst[count] = '\0';
}

// The last position, searching from the end, where the separator starts a
// character; -1 when there is none.
int32_t LastSeparator(const PVTextFacts& facts, const char* path, int32_t length) {
  for (int32_t pos = length - 1; pos >= 0; --pos) {
    if (PVIsCharAt(facts, path, facts.separator, pos)) return pos;
  }
  return -1;
}

}  // namespace

int PVIsCharAt(const PVTextFacts& facts, const char* text, int value, int32_t position) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  if (bytes[position] != static_cast<unsigned char>(value)) return 0;
  // Walk from the start: a lead byte makes the next byte its trail byte.
  int atCharStart = 1;
  for (int32_t i = 0; i < position; ++i) {
    if (atCharStart && facts.isLeadByte(bytes[i])) {
      atCharStart = 0;
    } else {
      atCharStart = 1;
    }
  }
  return atCharStart;
}

void PVGetDirName(const PVTextFacts& facts, char* dst, const char* path) {
  int32_t length = static_cast<int32_t>(std::strlen(path));
  int32_t separator = LastSeparator(facts, path, length);
  CopyPart(dst, path, static_cast<size_t>(separator + 1));
}

void PVGetFileName(const PVTextFacts& facts, char* dst, const char* path) {
  int32_t length = static_cast<int32_t>(std::strlen(path));
  int32_t start = LastSeparator(facts, path, length) + 1;
  CopyPart(dst, path + start, static_cast<size_t>(length - start));
}

void PVGetBaseName(const PVTextFacts& facts, char* dst, const char* path) {
  int32_t length = static_cast<int32_t>(std::strlen(path));
  int32_t end = length;
  int32_t start = 0;
  // Every dot met on the way back moves the end, so the base name ends at the
  // first dot of the file name: live.2002.mid gives live.
  for (int32_t pos = length - 1; pos >= 0; --pos) {
    if (PVIsCharAt(facts, path, '.', pos)) end = pos;
    if (PVIsCharAt(facts, path, facts.separator, pos)) {
      start = pos + 1;
      break;
    }
  }
  CopyPart(dst, path + start, static_cast<size_t>(end - start));
}

int PVIsCharAt(const char* text, int value, int32_t position) {
  return PVIsCharAt(PVHostTextFacts(), text, value, position);
}

void PVGetDirName(char* dst, const char* path) { PVGetDirName(PVHostTextFacts(), dst, path); }

void PVGetFileName(char* dst, const char* path) { PVGetFileName(PVHostTextFacts(), dst, path); }

void PVGetBaseName(char* dst, const char* path) { PVGetBaseName(PVHostTextFacts(), dst, path); }

void PVUseSeparator(const PVTextFacts& facts, char* path) {
  if (facts.separator == '/') return;
  int atCharStart = 1;
  for (unsigned char* p = reinterpret_cast<unsigned char*>(path); *p; ++p) {
    if (!atCharStart) {
      atCharStart = 1;
      continue;
    }
    if (*p == '/') *p = static_cast<unsigned char>(facts.separator);
    else if (facts.isLeadByte(*p)) atCharStart = 0;
  }
}
