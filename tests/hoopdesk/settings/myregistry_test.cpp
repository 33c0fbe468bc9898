#include "hoopdesk/settings/myregistry.h"

#include <gtest/gtest.h>

#include "storefile.h"

namespace {

struct IntegerCase {
  const char* stored;  // the line's text after "Value="
  std::int32_t expected;
};

class ReadIntegerDef : public testing::TestWithParam<IntegerCase> {};

TEST_P(ReadIntegerDef, ReadsOnlyPlainDecimalIntegers) {
  StoreFile store;
  store.Write({QStringLiteral("Value=") + QString::fromUtf8(GetParam().stored)});
  TMyRegistry reg(store.Path());
  ASSERT_TRUE(reg.OpenKeyReadOnly());
  EXPECT_EQ(reg.ReadIntegerDef(QStringLiteral("Value"), 77), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadIntegerDef,
    testing::Values(IntegerCase{"9600", 9600}, IntegerCase{"-1", -1}, IntegerCase{"0", 0},
                    IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"abc", 77},
                    IntegerCase{"12abc", 77}, IntegerCase{"", 77}, IntegerCase{"-", 77},
                    IntegerCase{"+5", 77}, IntegerCase{"0x10", 77}, IntegerCase{"1.5", 77},
                    IntegerCase{"2147483648", 77}, IntegerCase{"-2147483649", 77},
                    IntegerCase{"99999999999999999999", 77}, IntegerCase{"1,2", 77},
                    IntegerCase{"@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", 5}));

TEST(MyRegistry, ReadsStringsAndRefusesOtherTypes) {
  StoreFile store;
  store.Write({"Plain=/home/op/designs", "Quoted=\"/a,b\"", "List=a, b", "Number=12"});
  TMyRegistry reg(store.Path());
  ASSERT_TRUE(reg.OpenKeyReadOnly());
  EXPECT_EQ(reg.ReadStringDef("Plain", "def"), "/home/op/designs");
  EXPECT_EQ(reg.ReadStringDef("Quoted", "def"), "/a,b");
  EXPECT_EQ(reg.ReadStringDef("List", "def"), "def");
  EXPECT_EQ(reg.ReadStringDef("Number", "def"), "12");
  EXPECT_EQ(reg.ReadStringDef("Missing", "def"), "def");
  EXPECT_EQ(reg.ReadIntegerDef("Missing", -4), -4);
}

TEST(MyRegistry, AMissingOrEmptyStoreDoesNotOpenForReading) {
  StoreFile store;
  TMyRegistry missing(store.Path());
  EXPECT_FALSE(missing.OpenKeyReadOnly());
  EXPECT_EQ(missing.ReadIntegerDef("Any", 3), 3);

  store.Write({});
  TMyRegistry empty(store.Path());
  EXPECT_FALSE(empty.OpenKeyReadOnly());
}

TEST(MyRegistry, WritesIntegersThatReadBackAndDeletesValues) {
  StoreFile store;
  {
    TMyRegistry reg(store.Path());
    ASSERT_TRUE(reg.OpenKey());
    reg.WriteInteger("A", -1);
    reg.WriteInteger("B", 38400);
    reg.WriteString("C", "x,y");
    ASSERT_TRUE(reg.CloseKey());
  }
  {
    TMyRegistry reg(store.Path());
    ASSERT_TRUE(reg.OpenKey());
    reg.DeleteValue("B");
    ASSERT_TRUE(reg.CloseKey());
  }
  TMyRegistry reg(store.Path());
  ASSERT_TRUE(reg.OpenKeyReadOnly());
  EXPECT_EQ(reg.ReadIntegerDef("A", 0), -1);
  EXPECT_EQ(reg.ReadIntegerDef("B", 0), 0);
  EXPECT_EQ(reg.ReadStringDef("C", ""), "x,y");
}

}  // namespace
