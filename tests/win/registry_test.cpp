// CPVRegistry against the registry of the running system. (Its reads and
// writes are those of every stored setting in the window suites.)
#include <gtest/gtest.h>

#include "support/registry.h"
#include "tests/win/win_test_support.h"

namespace {

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
