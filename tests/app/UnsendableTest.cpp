#include <gtest/gtest.h>

#include <string>

#include "base/Text.h"
#include "base/Unsendable.h"

namespace {

std::string Utf8(char32_t c) {
    std::string out;
    AppendUtf8(out, c);
    return out;
}

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

}  // namespace

// What is called unsendable is exactly what the conversion to program text turns into '?', and
// every replacement is sendable.
TEST(Unsendable, AgreesWithTheCodePageConversionAndReplacesOnlyWithSendables) {
    int replaced = 0;
    for (char32_t c = 1; c < 0x30000; ++c) {
        if (IsSurrogate(c) || c == '?')
            continue;
        const std::string typed = Utf8(c);
        ASSERT_EQ(IsSendable(c), Utf8ToCp1252(typed) != "?") << std::hex << unsigned(c);
        const std::string replacement = ReplaceUnsendable(typed);
        if (IsSendable(c)) {
            ASSERT_EQ(replacement, typed);
        } else if (replacement != typed) {
            ++replaced;
            ASSERT_EQ(FindUnsendable(replacement).count, 0) << std::hex << unsigned(c);
        }
    }
    EXPECT_GT(replaced, 200);
}

TEST(Unsendable, CountsEveryOccurrenceAndNamesEachOnce) {
    const UnsendableCharacters found =
        FindUnsendable("\u201Cok\u201D \u2014 \u041F\u0440\u0438 \U0001F600\U0001F600 \u0416");
    EXPECT_EQ(found.count, 6);  // the quotes and the dash are the code page's own
    EXPECT_EQ(found.distinct,
              (std::vector<std::string>{"\u041F", "\u0440", "\u0438", "\U0001F600", "\u0416"}));
    EXPECT_EQ(FindUnsendable("caf\u00E9 \u20AC5").count, 0);
}

TEST(Unsendable, ReplacesTheCommonLookAlikesAndLeavesTheRest) {
    const std::pair<const char*, const char*> cases[] = {
        {"\u2032 \u2033 \u201B\u201F", "' \" '\""},          // primes, reversed quotes
        {"a\u2011b \u2012 \u2015 \u2212 1", "a-b - - - 1"},  // hyphens, dashes, minus
        {"1\u202F000\u2009km\u200B!", "1 000 km!"},          // thin spaces, zero width
        {"\u0141\u00F3d\u017A, \u0218tefan, \u0130zmir", "L\u00F3dz, Stefan, Izmir"},
        {"\uFF21\uFF42\uFF43\uFF01 \u2192 \u2264", "Abc! -> <="},  // full width, arrows
        {"\u041F\u0440\u0438 \U0001F600 \u0132", "\u041F\u0440\u0438 \U0001F600 \u0132"},
    };
    for (const auto& [typed, expected] : cases) EXPECT_EQ(ReplaceUnsendable(typed), expected);
}
