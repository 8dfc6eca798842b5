#include "schedule/text_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/errors.h"

namespace tollvane {
namespace {

void ExpectNotAnInteger(const std::string& text) {
  try {
    StrToInt32(text);
    ADD_FAILURE() << "accepted '" << text << "'";
  } catch (const ConversionError& e) {
    EXPECT_EQ(std::string(e.what()), "'" + text + "' は整数ではありません");
  }
}

TEST(StrToInt32, DecimalWithLeadingBlanksAndSign) {
  EXPECT_EQ(StrToInt32("8"), 8);
  EXPECT_EQ(StrToInt32("0"), 0);
  EXPECT_EQ(StrToInt32("00"), 0);
  EXPECT_EQ(StrToInt32("-0"), 0);
  EXPECT_EQ(StrToInt32("+8"), 8);
  EXPECT_EQ(StrToInt32("-3"), -3);
  EXPECT_EQ(StrToInt32(" 9"), 9);
  EXPECT_EQ(StrToInt32("   -12"), -12);
  EXPECT_EQ(StrToInt32("0000000000000000000000000055"), 55);
}

TEST(StrToInt32, Int32LimitsAndOneBeyond) {
  EXPECT_EQ(StrToInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(StrToInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt32("+2147483647"), INT32_MAX);
  ExpectNotAnInteger("2147483648");
  ExpectNotAnInteger("-2147483649");
  ExpectNotAnInteger("4294967296");
  ExpectNotAnInteger("99999999999999999999999999999");
}

TEST(StrToInt32, HexadecimalForms) {
  EXPECT_EQ(StrToInt32("$1F"), 31);
  EXPECT_EQ(StrToInt32("$1f"), 31);
  EXPECT_EQ(StrToInt32("x10"), 16);
  EXPECT_EQ(StrToInt32("X10"), 16);
  EXPECT_EQ(StrToInt32("0x10"), 16);
  EXPECT_EQ(StrToInt32("0XfF"), 255);
  EXPECT_EQ(StrToInt32(" $A"), 10);
  EXPECT_EQ(StrToInt32("-$10"), -16);
  EXPECT_EQ(StrToInt32("+0x7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(StrToInt32("-$80000000"), INT32_MIN);
  ExpectNotAnInteger("$80000000");
  ExpectNotAnInteger("0xFFFFFFFF");
  ExpectNotAnInteger("$");
  ExpectNotAnInteger("0x");
  ExpectNotAnInteger("x");
  ExpectNotAnInteger("0x1G");
  ExpectNotAnInteger("$-1");
  ExpectNotAnInteger("0$1");
  ExpectNotAnInteger("1F");
}

TEST(StrToInt32, RejectsEverythingElse) {
  ExpectNotAnInteger("");
  ExpectNotAnInteger(" ");
  ExpectNotAnInteger("   ");
  ExpectNotAnInteger("9 ");
  ExpectNotAnInteger("-");
  ExpectNotAnInteger("+");
  ExpectNotAnInteger("- 1");
  ExpectNotAnInteger("--1");
  ExpectNotAnInteger("+-1");
  ExpectNotAnInteger("abc");
  ExpectNotAnInteger("1.5");
  ExpectNotAnInteger("1e3");
  ExpectNotAnInteger("8\r");
  ExpectNotAnInteger("９");    // full-width digit
  ExpectNotAnInteger("１０");  // full-width digits
  ExpectNotAnInteger(
      "\xEF\xBB\xBF"
      "8");  // byte-order mark in front
}

TEST(TextToNumber, EmptyTextIsZeroOtherwiseStrict) {
  EXPECT_THROW(TextToNumber(std::string("8\0", 2)), ConversionError);
  EXPECT_EQ(TextToNumber(""), 0);
  EXPECT_EQ(TextToNumber("18"), 18);
  EXPECT_EQ(TextToNumber("-7"), -7);
  EXPECT_THROW(TextToNumber(" "), ConversionError);
  EXPECT_THROW(TextToNumber("9 "), ConversionError);
}

TEST(TextToSoundNumber, EmptyOrZeroIsOneOtherValuesUnchanged) {
  EXPECT_EQ(TextToSoundNumber(""), 1);
  EXPECT_EQ(TextToSoundNumber("0"), 1);
  EXPECT_EQ(TextToSoundNumber("00"), 1);
  EXPECT_EQ(TextToSoundNumber("-0"), 1);
  EXPECT_EQ(TextToSoundNumber("$0"), 1);
  EXPECT_EQ(TextToSoundNumber("3"), 3);
  EXPECT_EQ(TextToSoundNumber("11"), 11);
  EXPECT_EQ(TextToSoundNumber("-2"), -2);
  EXPECT_THROW(TextToSoundNumber(" "), ConversionError);
  EXPECT_THROW(TextToSoundNumber("1 "), ConversionError);
}

}  // namespace
}  // namespace tollvane
