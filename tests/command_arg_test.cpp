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
      {"TRELVIO.exe first second", 260, 1, "first"},
      {"\"a b\".exe x", 260, 1, "x"},
  };
  for (const Case& c : cases) {
    char dst[260] = "untouched";
    EXPECT_EQ(PVParseCommandArg(c.line, dst, c.size) != 0, c.result != 0) << c.line;
    EXPECT_EQ(std::string(dst), c.arg ? c.arg : "untouched") << c.line;
  }
}

TEST(CommandArg, ArgumentMustFitWithItsTerminator) {
  std::string fits(259, 'x');
  std::string tooLong(260, 'x');
  char dst[260];
  EXPECT_EQ(PVParseCommandArg(("p " + fits).c_str(), dst, 260), 1);
  EXPECT_EQ(std::string(dst), fits);
  EXPECT_EQ(PVParseCommandArg(("p " + tooLong).c_str(), dst, 260), 0);
  EXPECT_EQ(std::string(dst), "");
}

}  // namespace
