#include <gtest/gtest.h>

#include "app/SmsPreview.h"
#include "delivery/SmsCount.h"

namespace {

std::string Times(std::string_view piece, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += piece;
    return text;
}

// The boundaries of both encodings, the characters that count two, and what forces UCS-2.
TEST(SmsCount, CountsAsTheNetworkDoes) {
    struct Case {
        std::string text;
        bool ucs2;
        int units;
        int parts;
    };
    const Case cases[] = {
        {"", false, 0, 0},
        {Times("a", 160), false, 160, 1},
        {Times("a", 161), false, 161, 2},
        {Times("a", 306), false, 306, 2},
        {Times("a", 307), false, 307, 3},
        {Times("{", 80), false, 160, 1},
        {Times("\u20AC", 81), false, 162, 2},
        {"\u00E9\u00E8\u00F1\u00DC\u00DF\u0394@$_\n", false, 10, 1},
        {Times("\u0416", 70), true, 70, 1},
        {Times("\u0416", 71), true, 71, 2},
        {Times("\U0001F600", 35), true, 70, 1},
        {Times("\U0001F600", 36), true, 72, 2},
        {Times("a", 134) + "\u00EA", true, 135, 3},
        {"back`tick", true, 9, 1},
    };
    for (const Case& c : cases) {
        const SmsCount count = CountSms(c.text);
        EXPECT_EQ(count.ucs2, c.ucs2) << c.text;
        EXPECT_EQ(count.units, c.units) << c.text;
        EXPECT_EQ(count.parts, c.parts) << c.text;
    }
}

TEST(SmsPreview, NamesWhatForcesUcs2AndWhatItCosts) {
    struct Case {
        std::string typed;
        std::string text;
        std::string toolTip;
        bool warning;
    };
    const Case cases[] = {
        {"", "", "", false},
        {"Hi {you}", "8/1", "8 characters in 1 text (GSM 7-bit)", false},
        {Times("a", 100) + "\u263A", "101/2",
         "101 characters in 2 texts (UCS-2)\n\u263A makes this 2 texts instead of 1", false},
        {"\u263A\u2014\u263A", "3/1",
         "3 characters in 1 text (UCS-2)\n\u263A \u2014 need UCS-2 but cost no extra text",
         false},
        {Times("a", 1531), "\u26A0 1531/11",
         "1531 characters in 11 texts (GSM 7-bit)\nMore than 10 texts: the modem will not send "
         "it",
         true},
    };
    for (const Case& c : cases) {
        const PreviewReadOut out = MakeSmsReadOut(c.typed);
        EXPECT_EQ(out.text, c.text);
        EXPECT_EQ(out.toolTip, c.toolTip);
        EXPECT_EQ(out.warning, c.warning) << c.typed;
    }
}

TEST(SmsPreview, ReplacingOnTheModemRouteKeepsWhatGsmHas) {
    // The code page has the dash and the bullet, GSM 7-bit has neither; both have the e-acute.
    const std::string typed = "\u263A \u2013 \u00E9 \u25CF \u2212";
    EXPECT_EQ(ReplaceForRoute(RouteCarrierForms, typed), ":) \u2013 \u00E9 \u2022 -");
    EXPECT_EQ(ReplaceForRoute(RouteModem, typed), ":) \u2013 \u00E9 \u25CF -");
    EXPECT_EQ(ReplaceActionText(RouteModem), "Replace characters that cost extra texts");
}

}  // namespace
