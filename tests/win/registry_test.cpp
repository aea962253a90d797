// CPVRegistry against the registry of the running system.
#include <gtest/gtest.h>

#include <cstring>

#include "support/registry.h"
#include "tests/win/win_test_support.h"

namespace {

const char kAlreadyOpen[] =
    "[CPVRegistry::~CPVRegistry]すでに開いているレジストリを開こうとしました。\n";
const char kOpenFailed[] = "[CPVRegistry::CPVRegistry]レジストリのオープンに失敗しました。\n";
const char kNotClosed[] = "[CPVRegistry::~CPVRegistry]レジストリが閉じられていません。\n";

TEST(Registry, MissingValueReadsZeroAndLeavesSubKeyCreated) {
  ScratchSubKey sub;
  ASSERT_FALSE(sub.Exists());
  unsigned char buffer[16];
  std::memset(buffer, 0xAB, sizeof(buffer));
  CPVRegistry registry;
  ASSERT_TRUE(registry.Open(sub.path(), false, true, HKEY_CURRENT_USER));
  EXPECT_EQ(registry.Read("Missing", buffer, sizeof(buffer)), 0u);
  registry.Close();
  EXPECT_TRUE(sub.Exists());
  for (unsigned char b : buffer) EXPECT_EQ(b, 0xAB);
}

TEST(Registry, OpenWithoutCreateFailsOnMissingSubKey) {
  ScratchSubKey sub;
  DebugCapture capture;
  {
    CPVRegistry registry;
    EXPECT_FALSE(registry.Open(sub.path(), false, false, HKEY_CURRENT_USER));
    char buffer[4];
    EXPECT_EQ(registry.Read("x", buffer, sizeof(buffer)), 0u);
    EXPECT_FALSE(registry.Write("x", REG_BINARY, "ab", 2));
  }
  EXPECT_FALSE(sub.Exists());
  ASSERT_EQ(capture.lines().size(), 1u);
  EXPECT_EQ(capture.lines()[0], kOpenFailed);
}

// The value is copied only when it fits; then its full byte count comes back
// and the buffer beyond it is left alone.
TEST(Registry, ReadNeedsRoomForTheWholeValue) {
  ScratchSubKey sub;
  unsigned char stored[20];
  for (int i = 0; i < 20; ++i) stored[i] = static_cast<unsigned char>(i + 1);
  sub.Set("Twenty", REG_BINARY, stored, sizeof(stored));
  struct Case {
    uint32_t size;
    uint32_t expected;
  };
  const Case cases[] = {{16, 0}, {19, 0}, {20, 20}, {32, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    unsigned char buffer[32];
    std::memset(buffer, 0xEE, sizeof(buffer));
    CPVRegistry registry;
    ASSERT_TRUE(registry.Open(sub.path(), false, true, HKEY_CURRENT_USER));
    EXPECT_EQ(registry.Read("Twenty", buffer, c.size), c.expected);
    registry.Close();
    if (c.expected) {
      EXPECT_EQ(std::memcmp(buffer, stored, 20), 0);
    }
    for (uint32_t i = c.expected ? 20 : c.size; i < sizeof(buffer); ++i) EXPECT_EQ(buffer[i], 0xEE);
  }
}

TEST(Registry, ValuesOfAnyTypeComeBackAsRawBytes) {
  ScratchSubKey sub;
  const DWORD number = 0x01020304;
  sub.Set("Text", REG_SZ, "abc", 4);
  sub.Set("Number", REG_DWORD, &number, sizeof(number));
  sub.Set("Binary", REG_BINARY, "\x00\xFF\x10", 3);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"Text", std::string("abc\0", 4)},
      {"Number", std::string("\x04\x03\x02\x01", 4)},
      {"Binary", std::string("\x00\xFF\x10", 3)},
  };
  CPVRegistry registry;
  ASSERT_TRUE(registry.Open(sub.path(), false, true, HKEY_CURRENT_USER));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[16] = {};
    uint32_t count = registry.Read(c.name, buffer, sizeof(buffer));
    EXPECT_EQ(std::string(buffer, count), c.bytes);
  }
  registry.Close();
}

TEST(Registry, WriteStoresTypedValueAndReplacesEarlierOne) {
  ScratchSubKey sub;
  CPVRegistry registry;
  ASSERT_TRUE(registry.Open(sub.path(), true, true, HKEY_CURRENT_USER));
  EXPECT_TRUE(registry.Write("Value", REG_BINARY, "longer value", 12));
  EXPECT_TRUE(registry.Write("Value", REG_BINARY, "\x01\x00\x02", 3));
  EXPECT_TRUE(registry.Write("Text", REG_SZ, "hi", 3));
  registry.Close();
  DWORD type = 0;
  EXPECT_EQ(sub.Get("Value", &type), std::string("\x01\x00\x02", 3));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(sub.Get("Text", &type), std::string("hi\0", 3));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST(Registry, ClosedObjectNeitherReadsNorWrites) {
  ScratchSubKey sub;
  sub.Set("Value", REG_BINARY, "ab", 2);
  CPVRegistry registry;
  char buffer[4];
  EXPECT_EQ(registry.Read("Value", buffer, sizeof(buffer)), 0u);
  EXPECT_FALSE(registry.Write("Value", REG_BINARY, "cd", 2));
  ASSERT_TRUE(registry.Open(sub.path(), true, true, HKEY_CURRENT_USER));
  registry.Close();
  EXPECT_FALSE(registry.Write("Value", REG_BINARY, "cd", 2));
  EXPECT_EQ(sub.Get("Value"), "ab");
}

TEST(Registry, ReadAccessRefusesWrites) {
  ScratchSubKey sub;
  CPVRegistry registry;
  ASSERT_TRUE(registry.Open(sub.path(), false, true, HKEY_CURRENT_USER));
  EXPECT_FALSE(registry.Write("Value", REG_BINARY, "ab", 2));
  registry.Close();
  EXPECT_FALSE(sub.Has("Value"));
}

TEST(Registry, ReopeningReportsOnceAndOpensTheNewKey) {
  ScratchSubKey first, second;
  DebugCapture capture;
  {
    CPVRegistry registry;
    ASSERT_TRUE(registry.Open(first.path(), true, true, HKEY_CURRENT_USER));
    ASSERT_TRUE(registry.Open(second.path(), true, true, HKEY_CURRENT_USER));
    EXPECT_TRUE(registry.Write("Where", REG_BINARY, "2", 1));
    registry.Close();
  }
  EXPECT_FALSE(first.Has("Where"));
  EXPECT_EQ(second.Get("Where"), "2");
  ASSERT_EQ(capture.lines().size(), 1u);
  EXPECT_EQ(capture.lines()[0], kAlreadyOpen);
}

TEST(Registry, FailedReopenLeavesObjectClosed) {
  ScratchSubKey open, missing;
  DebugCapture capture;
  {
    CPVRegistry registry;
    ASSERT_TRUE(registry.Open(open.path(), true, true, HKEY_CURRENT_USER));
    EXPECT_FALSE(registry.Open(missing.path(), false, false, HKEY_CURRENT_USER));
    EXPECT_FALSE(registry.Write("Value", REG_BINARY, "ab", 2));
  }
  EXPECT_FALSE(open.Has("Value"));
  ASSERT_EQ(capture.lines().size(), 2u);
  EXPECT_EQ(capture.lines()[0], kAlreadyOpen);
  EXPECT_EQ(capture.lines()[1], kOpenFailed);
}

TEST(Registry, DestroyingAnOpenObjectReportsOnceAndClosesIt) {
  ScratchSubKey sub;
  DebugCapture capture;
  {
    CPVRegistry registry;
    ASSERT_TRUE(registry.Open(sub.path(), true, true, HKEY_CURRENT_USER));
    EXPECT_TRUE(registry.Write("Value", REG_BINARY, "ab", 2));
  }
  {
    CPVRegistry registry;
    ASSERT_TRUE(registry.Open(sub.path(), true, true, HKEY_CURRENT_USER));
    registry.Close();
  }
  ASSERT_EQ(capture.lines().size(), 1u);
  EXPECT_EQ(capture.lines()[0], kNotClosed);
}

}  // namespace
