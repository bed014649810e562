// The client's form encoder against the lab's strict decoder, both ways: any fields the client
// writes decode to themselves, and any body the decoder accepts is exactly what the encoder
// would write for what it decoded.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "carrier-lab/FormBody.h"
#include "net/FormRequest.h"
#include "res/StringTable.h"

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// Fields from the input: NUL bytes separate the texts, which pair up as name and value.
Fields FieldsOf(std::string_view input) {
    Fields fields;
    std::vector<std::string> texts;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        texts.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2)
        fields.emplace_back(texts[i], texts[i + 1]);
    return fields;
}

// The body the client writes for these fields.
std::string BodyOf(const Fields& fields) {
    CFormRequest form(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, VerbPost, kFormContentType, false);
    for (const auto& [name, value] : fields) form.AddField(name, value);
    return form.Body();
}

void EncodedFieldsDecodeToThemselves(std::string_view input) {
    const Fields fields = FieldsOf(input);
    FUZZ_CHECK(lab::FormBody::Parse(BodyOf(fields)).Fields() == fields);
}

void AcceptedBodiesAreWhatTheEncoderWrites(std::string_view body) {
    try {
        FUZZ_CHECK(BodyOf(lab::FormBody::Parse(body).Fields()) == body);
    } catch (const lab::ProtocolError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    EncodedFieldsDecodeToThemselves(input);
    AcceptedBodiesAreWhatTheEncoderWrites(input);
    return 0;
}
