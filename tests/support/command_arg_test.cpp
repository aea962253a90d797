// The first argument of a command line, as the window program reads it.
#include <gtest/gtest.h>

#include <string>

#include "support/command_arg.h"

namespace {

TEST(CommandArg, TakesTheFirstArgument) {
  struct Case {
    const char* line;
    int32_t size;
    int result;
    const char* arg;  // null: the destination is left untouched
  } cases[] = {
      {"\"C:\\Program Files\\TRELVIO.exe\" \"C:\\My Music\\song.mid\"", 260, 1, "C:\\My Music\\song.mid"},
      {"TRELVIO.exe C:\\music\\my song.mid", 260, 1, "C:\\music\\my"},
      {"TRELVIO.exe  song.mid", 260, 0, ""},
      {"TRELVIO.exe", 260, 0, nullptr},
      {"TRELVIO.exe ", 260, 0, nullptr},
      {"TRELVIO.exe \"\"", 260, 0, ""},
      {"TRELVIO.exe ab\"c d\"e", 260, 1, "abc d"},
      {"\"a b\".exe x", 260, 1, "x"},
      // The argument must fit with its terminator.
      {"p abc", 4, 1, "abc"},
      {"p abcd", 4, 0, ""},
  };
  for (const Case& c : cases) {
    char dst[260] = "untouched";
    EXPECT_EQ(PVParseCommandArg(c.line, dst, c.size), c.result) << c.line;
    EXPECT_EQ(std::string(dst), c.arg ? c.arg : "untouched") << c.line;
  }
}

}  // namespace
