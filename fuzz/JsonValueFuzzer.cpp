// The JSON reader of web-service answers, fed anything: it must not fail on any input, what it
// reads back out of a string must quote back to itself, and the error text it gives a person
// must be one short line.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "base/JsonValue.h"
#include "delivery/routes/WebAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto json = CJsonValue::Parse(text)) {
        for (const char* path : {"sid", "data.id", "id", "error.message"}) json->ScalarAt(path);
        if (json->GetKind() == CJsonValue::String) {
            const auto again = CJsonValue::Parse(JsonQuoted(json->Scalar()));
            FUZZ_CHECK(again && again->Scalar() == json->Scalar());
        }
    }
    const std::string line = ServiceErrorText(text);
    FUZZ_CHECK(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
    FUZZ_CHECK(line.size() <= 200);
    return 0;
}
