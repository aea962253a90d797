// CPVRegistry against the registry of the running system.
#include <gtest/gtest.h>

#include "support/registry.h"
#include "tests/win/win_test_support.h"

namespace {

// Values come back as raw bytes, whatever their type, only when they fit; a
// missing one reads 0 bytes. Opening with create makes the subkey.
TEST(Registry, ReadsWholeValuesAsRawBytes) {
  RegKey key;
  ASSERT_FALSE(key.Exists());
  CPVRegistry registry;
  ASSERT_TRUE(registry.Open(key.path(), false, true, HKEY_CURRENT_USER));
  EXPECT_TRUE(key.Exists());
  const DWORD number = 0x01020304;
  key.Set("Text", REG_SZ, "abc", 4);
  key.Set("Number", REG_DWORD, &number, sizeof number);
  key.Set("Twenty", REG_BINARY, "0123456789abcdefghij", 20);
  struct Case { const char* name; uint32_t size; std::string bytes; };
  const Case cases[] = {
      {"Missing", 16, ""},
      {"Text", 16, std::string("abc\0", 4)},
      {"Number", 4, "\x04\x03\x02\x01"},
      {"Twenty", 19, ""},
      {"Twenty", 20, "0123456789abcdefghij"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + std::to_string(c.size));
    char buffer[32] = {};
    EXPECT_EQ(std::string(buffer, registry.Read(c.name, buffer, c.size)), c.bytes);
  }
  registry.Close();
}

// Reopening and destroying an open object, and a failed open, report once.
TEST(Registry, MisuseIsReportedOnceEach) {
  RegKey first, second, missing;
  DebugCapture capture;
  {
    CPVRegistry registry;
    ASSERT_TRUE(registry.Open(first.path(), true, true, HKEY_CURRENT_USER));
    ASSERT_TRUE(registry.Open(second.path(), true, true, HKEY_CURRENT_USER));
    EXPECT_TRUE(registry.Write("Where", REG_BINARY, "2", 1));
  }
  CPVRegistry registry;
  EXPECT_FALSE(registry.Open(missing.path(), false, false, HKEY_CURRENT_USER));
  EXPECT_EQ(first.Get("Where") + "|" + second.Get("Where"), "|2");
  EXPECT_EQ(capture.lines,
            (Lines{"[CPVRegistry::~CPVRegistry]すでに開いているレジストリを開こうとしました。\n",
                   "[CPVRegistry::~CPVRegistry]レジストリが閉じられていません。\n",
                   "[CPVRegistry::CPVRegistry]レジストリのオープンに失敗しました。\n"}));
}

}  // namespace
