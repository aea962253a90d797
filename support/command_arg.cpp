#include "support/command_arg.h"

namespace {

// One parser for both widths of the command line.
template <typename Char>
int ParseCommandArg(const Char* commandLine, Char* dst, int32_t size) {
  if (!commandLine) return 0;
  const Char* p = commandLine;
  bool quoted = false;
  // The program name ends at the first space outside quotes.
  for (;; ++p) {
    if (*p == '\0') return 0;
    if (*p == '"') quoted = !quoted;
    else if (*p == ' ' && !quoted) break;
  }
  ++p;
  if (*p == '\0') return 0;
  int32_t stored = 0;
  dst[0] = '\0';
  for (; *p != '\0'; ++p) {
    if (*p == '"') {
      quoted = !quoted;
      if (!quoted) break;
      continue;
    }
    if (*p == ' ' && !quoted) break;
    if (stored + 1 >= size) {
      dst[0] = '\0';
      return 0;
    }
    dst[stored++] = *p;
  }
  dst[stored] = '\0';
  return stored > 0;
}

}  // namespace

int PVParseCommandArg(const char* commandLine, char* dst, int32_t size) {
  return ParseCommandArg(commandLine, dst, size);
}

int PVParseCommandArg(const wchar_t* commandLine, wchar_t* dst, int32_t size) {
  return ParseCommandArg(commandLine, dst, size);
}
