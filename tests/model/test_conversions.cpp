#include <gtest/gtest.h>

#include "Conversions.h"
#include "Errors.h"
#include "FileUtil.h"

TEST(Conversions, ColoursRoundTripBetweenTextAndValue) {
  const TColor mixed = 0x3C2B1A;  // red 1A, green 2B, blue 3C
  EXPECT_EQ(ColorToHex(mixed), "1A2B3C");
  EXPECT_EQ(HexToColor("1A2B3C"), mixed);
  EXPECT_EQ(ColorToHex(0x0000FF), "FF0000");
  EXPECT_EQ(HexToColor("FF0000"), 0x0000FFu);
  EXPECT_EQ(HexToColor("DBEAF5"), 0xF5EADBu);
  EXPECT_EQ(HexToColor("dbeaf5"), 0xF5EADBu);
  EXPECT_EQ(ColorToHex(0), "000000");
  // Short text: the pieces that exist are reordered.
  EXPECT_EQ(HexToColor("FFF"), 0x00FFFu);

  // System colours are resolved through the lookup the window provides.
  const TColor buttonFace = kSystemColorFlag | 15;
  EXPECT_EQ(ColorToHex(buttonFace, [](TColor) -> TColor { return 0xF0F0F0; }), "F0F0F0");
}

TEST(Conversions, BadColourTextNamesTheReorderedText) {
  try {
    HexToColor("GG0000");
    FAIL() << "no error";
  } catch (const TvConvertError& error) {
    EXPECT_STREQ(error.what(), "'$000000GG' is not a valid integer value");
  }
}

TEST(Conversions, GetFieldFollowsTheSeparatorRules) {
  const std::string sep = "#$@";
  EXPECT_EQ(GetField("a#$@b#$@c#$@", 2, sep), "b");
  EXPECT_EQ(GetField("a#$@b#$@c#$@", 3, sep), "c");
  EXPECT_EQ(GetField("a#$@b#$@c", 3, sep), "");  // text after the last separator is lost
  EXPECT_EQ(GetField("#$@x#$@", 1, sep), "");
  EXPECT_EQ(GetField("#$@x#$@", 2, sep), "x");
  EXPECT_EQ(GetField("a#$@b#$@", 0, sep), "");
  EXPECT_EQ(GetField("a#$@b#$@", -1, sep), "");
  EXPECT_EQ(GetField("a#$@b#$@", 7, sep), "");
  EXPECT_EQ(GetField("", 1, sep), "");
  EXPECT_EQ(GetField("a#$#$@", 1, sep), "a#$");  // a partial separator is text
}

TEST(Conversions, CssPieces) {
  EXPECT_EQ(CssBorderStyle("0"), "none");
  EXPECT_EQ(CssBorderStyle("3"), "solid");
  EXPECT_EQ(CssBorderStyle("8"), "window-inset");
  EXPECT_EQ(CssBorderStyle("9"), "outset");
  EXPECT_EQ(CssBorderStyle("12"), "solid");
  EXPECT_EQ(CssBorderStyle("-1"), "solid");
  EXPECT_THROW(CssBorderStyle(""), TvConvertError);
  EXPECT_THROW(CssBorderStyle("2px"), TvConvertError);
  // Decimal only: hexadecimal forms are no border style.
  EXPECT_THROW(CssBorderStyle("$3"), TvConvertError);
  EXPECT_THROW(CssBorderStyle("0x3"), TvConvertError);
  EXPECT_EQ(CssBorderStyle(" +4"), "double");
  EXPECT_EQ(CssPixels("0"), "0px");
  EXPECT_EQ(CssColor("FFFF00"), "#FFFF00");
}

TEST(Conversions, IntegerParsingAcceptsWholeNumbersOnly) {
  EXPECT_EQ(StrToInt("120"), 120);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt(" 5"), 5);
  EXPECT_EQ(StrToInt("$FF"), 255);
  // A negative hexadecimal number is negated once.
  EXPECT_EQ(StrToInt("-0x10"), -16);
  EXPECT_EQ(StrToInt("-$1"), -1);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  for (const char* bad : {"", " ", "-", "5 ", "1.5", "12a", "2147483648", "alert(1)", "$"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const TvConvertError& error) {
      EXPECT_EQ(error.what(), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}

TEST(Conversions, TextDecoding) {
  EXPECT_TRUE(fileutil::IsValidUtf8("plain"));
  EXPECT_TRUE(fileutil::IsValidUtf8("gr\xC3\xBC\xC3\x9F"));
  EXPECT_FALSE(fileutil::IsValidUtf8("gr\xFC\xDF"));
  EXPECT_FALSE(fileutil::IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(fileutil::IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(fileutil::IsValidUtf8("\xE2\x82"));      // cut short
  EXPECT_EQ(fileutil::Windows1252ToUtf8("gr\xFC\xDF \x80 \x93x\x94"),
            "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D");
  EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
}
