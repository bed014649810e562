// The readers the web-service route relies on, on their own: JSON, the service's error text
// and the sender's number.

#include <gtest/gtest.h>

#include "base/JsonValue.h"
#include "delivery/routes/WebAnswer.h"
#include "delivery/routes/WebFailures.h"
#include "delivery/routes/WebRouteCheck.h"

namespace {

std::string Nested(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

TEST(WebJson, ReadsWhatServicesAnswerAndRefusesTheRest) {
    struct Case {
        std::string text;
        const char* path;    // nullptr: the text is not JSON
        std::string scalar;  // what ScalarAt(path) gives
    };
    const std::vector<Case> cases = {
        {R"({"sid":"SM1","status":"queued"})", "sid", "SM1"},
        {R"( {"data": {"id": 42, "x": [1, -2.5e+3, true, null]}} )", "data.id", "42"},
        {R"({"a":"\u00e9\ud83d\ude00\n\"\\\/"})", "a", "\u00E9\U0001F600\n\"\\/"},
        {R"({"a":{"b":1}})", "a", ""},  // an object is no scalar
        {R"({"a":1})", "b", ""},
        {R"({"a":1,"a":2})", "a", "1"},
        {Nested(CJsonValue::kMaxDepth), "", ""},
        {Nested(CJsonValue::kMaxDepth + 1), nullptr, ""},
        {"{\"a\":\"\xF0\x9F\x98\x80\"}", "a", "\U0001F600"},
        {R"({"a":"\ud83d"})", nullptr, ""},
        {R"({"a":"\ude00"})", nullptr, ""},
        {"{\"a\":\"tab\there\"}", nullptr, ""},
        {R"({"a":01})", nullptr, ""},
        {R"({"a":1,})", nullptr, ""},
        {R"({"a" 1})", nullptr, ""},
        {R"([1] [2])", nullptr, ""},
        {R"({"a":tru})", nullptr, ""},
        {R"("unterminated)", nullptr, ""},
        {"", nullptr, ""},
        {"<html>Sent</html>", nullptr, ""},
        {"\"" + std::string(CJsonValue::kMaxSize, 'x') + "\"", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        const auto json = CJsonValue::Parse(c.text);
        ASSERT_EQ(json.has_value(), c.path != nullptr);
        if (json && *c.path) {
            EXPECT_EQ(json->ScalarAt(c.path), c.scalar);
        }
    }
}

TEST(WebJson, AQuotedTextReadsBackAsItWas) {
    for (std::string text : {std::string("plain"), std::string("\"q\" \\ / \x01\x1F\x7F"),
                             std::string("Привет \U0001F600\r\n\t")}) {
        const auto json = CJsonValue::Parse(JsonQuoted(text));
        ASSERT_TRUE(json) << JsonQuoted(text);
        EXPECT_EQ(json->Scalar(), text);
    }
}

TEST(WebAnswerText, TheServicesOwnWordsOnOneLine) {
    const std::string kCutAt(web_failure::kMaxServiceText - 1, 'a');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"message":"Invalid 'To' number"})", "Invalid 'To' number"},
        {R"({"error":"quota exceeded"})", "quota exceeded"},
        {R"({"error":{"message":"bad sender","code":21}})", "bad sender"},
        {R"({"code":21})", ""},
        {"plain text\r\nsecond line", "plain text"},
        {"\n\nafter blank lines\tand a tab", "after blank lines and a tab"},
        {"<html><body>Bad Request</body></html>", ""},
        // Cut before a character that would not fit whole.
        {kCutAt + "\u00E9\u00E9", kCutAt + "..."},
        // In the code page: from UTF-8 with look-alikes, or as it came in another charset.
        {R"({"message":"num\u00e9ro \u201cinvalide\u201d \u263a"})", "num\xE9ro \x93invalide\x94 :)"},
        {"num\xE9ro invalide", "num\xE9ro invalide"},
    };
    for (const auto& [body, text] : cases) EXPECT_EQ(ServiceErrorText(body), text) << body;
}

TEST(WebSender, NumbersGoOutWithTheirCountryCode) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"(555) 010-0999", "+15550100999"},
        {"555.010.0999", "+15550100999"},
        {"+44 20 7946 0958", "+442079460958"},
        {"+1234567", ""},
        {"5550100", ""},
        {"555-010-0999 x2", ""},
        {"1+5550100999", ""},
        {"++15550100999", ""},
        {"", ""},
    };
    for (const auto& [sender, address] : cases)
        EXPECT_EQ(WebSenderAddress(sender, "1"), address) << sender;
}

}  // namespace
