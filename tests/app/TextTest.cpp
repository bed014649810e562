#include <gtest/gtest.h>

#include "base/Text.h"

TEST(Text, UpperCaseFollowsTheCodePage) {
    EXPECT_EQ(UpperCase("bob Smith 42!"), "BOB SMITH 42!");
    // e acute, y diaeresis, s caron, oe ligature, z caron: the code page's own capitals.
    EXPECT_EQ(UpperCase("\xE9\xFF\x9A\x9C\x9E"), "\xC9\x9F\x8A\x8C\x8E");
    // Sharp s, division sign and micro sign have no capital in the code page.
    EXPECT_EQ(UpperCase("\xDF\xF7\xB5"), "\xDF\xF7\xB5");
    // Capitals and punctuation in the upper half stay as they are.
    EXPECT_EQ(UpperCase("\xC9\x8A\xA9"), "\xC9\x8A\xA9");
}

TEST(Text, TrimBlanksRemovesTheSixBlanksAtBothEnds) {
    EXPECT_EQ(TrimBlanks(" \t\r\n\v\fAnn Lee \t\r\n\v\f"), "Ann Lee");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    // A no-break space is not a blank.
    EXPECT_EQ(TrimBlanks("\xA0x\xA0"), "\xA0x\xA0");
}

TEST(Text, EveryCodePageByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");  // é and the euro sign
}

TEST(Text, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("\xE6\x97\xA5\xE6\x9C\xAC."), "\x3F\x3F.");  // two CJK characters
    EXPECT_EQ(Utf8ToCp1252("a\xF0\x9F\x98\x80z"), "a?z");               // an emoji
    EXPECT_EQ(Utf8ToCp1252("\xC3\xA9t\xC3\xA9"), "\xE9t\xE9");
    EXPECT_EQ(Utf8ToCp1252("bad \xFF byte"), "bad ? byte");  // not UTF-8 at all
}
