#include "storage/SettingsFormat.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "res/StringTable.h"
#include "storage/AppSettings.h"
#include "storage/ArchiveException.h"
#include "storage/ScrambledArchive.h"
#include "storage/StreamReader.h"
#include "storage/StreamWriter.h"

std::string WriteSettingsStream(const CAppSettings& s) {
    CStreamWriter out;
    out.WriteText(kPrefsVersion12);
    out.WriteInt32(s.MessageCount.load());
    out.WriteInt32(s.AddressBookStartup);
    // The panel as it is now becomes the "last setting" of the next start.
    out.WriteInt32(s.PanelClosed);
    out.WriteInt32(s.SendOnEnter);
    out.WriteInt32(s.WindowX);
    out.WriteInt32(s.WindowY);
    out.WriteText(s.MyName);
    out.WriteText(s.MyNumber);
    out.WriteText(s.MyEmail);
    out.WriteTextList(s.RecentTo);
    out.WriteInt32(s.MyInfoSelectedInRecentFromList);
    out.WriteTextList(s.RecentFrom);
    out.WriteContactList(s.AddressBook);
    out.WriteInt32(s.CounterReported.load());
    return out.Take();
}

int DetectSettingsVersion(std::string_view stream) {
    if (stream.empty())
        return 2;
    CStreamReader in(stream);
    const std::uint32_t length = in.ReadUInt32();
    const std::string_view text = in.ReadBytes(std::min<std::size_t>(length, in.Remaining()));
    if (text.starts_with(kPrefsVersion10))
        return 0;
    if (text.starts_with(kPrefsVersion11))
        return 1;
    return 2;
}

namespace {

void LoadBinary(std::string_view stream, CAppSettings& s, std::string_view version,
                bool withSendOnEnter) {
    if (stream.empty())
        return;
    CStreamReader in(stream);
    if (in.ReadText() != version) {
        throw CArchiveException(CArchiveException::Cause::Damaged, "unknown settings version");
    }
    s.MessageCount = in.ReadInt32();
    s.AddressBookStartup = in.ReadInt32();
    s.AddressBookLastSetting = in.ReadInt32();
    if (withSendOnEnter)
        s.SendOnEnter = in.ReadInt32();
    s.WindowX = in.ReadInt32();
    s.WindowY = in.ReadInt32();
    s.MyName = in.ReadText();
    s.MyNumber = in.ReadText();
    s.MyEmail = in.ReadText();
    s.RecentTo.clear();
    in.ReadTextList(s.RecentTo);
    s.MyInfoSelectedInRecentFromList = in.ReadInt32();
    s.RecentFrom.clear();
    in.ReadTextList(s.RecentFrom);
    s.AddressBook.clear();
    in.ReadContactList(s.AddressBook);
    s.CounterReported = in.ReadInt32();
}

// The oldest format: CR LF lines of key=value after a binary version header.
class CLegacyScanner {
public:
    explicit CLegacyScanner(std::string_view buffer) : m_buffer(buffer) {}

    bool AtEnd() const { return m_pos >= m_buffer.size(); }
    void Skip() { ++m_pos; }

    bool Match(std::string_view key) {
        if (!m_buffer.substr(m_pos).starts_with(key))
            return false;
        m_pos += key.size();
        return true;
    }

    // The bytes up to the next CR LF, which is passed over. A last value without its CR LF
    // runs to the end of the buffer; `terminated` tells which it was.
    std::string Value(bool* terminated = nullptr) {
        const std::size_t end = m_buffer.find("\r\n", m_pos);
        const std::size_t stop = end == std::string_view::npos ? m_buffer.size() : end;
        std::string value(m_buffer.substr(m_pos, stop - m_pos));
        m_pos = end == std::string_view::npos ? m_buffer.size() : end + 2;
        if (terminated != nullptr)
            *terminated = end != std::string_view::npos;
        return value;
    }

private:
    std::string_view m_buffer;
    std::size_t m_pos = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Leading blanks, an optional sign and the leading digits, as atoi reads them; values beyond
// the 32-bit range stop at its ends instead of wrapping.
std::int32_t DecimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    }
    if (negative)
        return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min(value, kLimit - 1));
}

// One character is that digit; two or more are ten times the first plus the second. Old files
// numbered Verizon 8. A carrier text that is not made of digits means Auto-Detect.
std::int32_t LegacyCarrier(std::string_view text) {
    std::int32_t code = 0;
    if (text.size() == 1 && IsDigit(text[0])) {
        code = text[0] - '0';
    } else if (text.size() >= 2 && IsDigit(text[0]) && IsDigit(text[1])) {
        code = 10 * (text[0] - '0') + (text[1] - '0');
    }
    return code == CarrierUSCellular ? CarrierVerizon : code;
}

}  // namespace

void LoadSettings11(std::string_view stream, CAppSettings& settings) {
    LoadBinary(stream, settings, kPrefsVersion11, false);
}

void LoadSettings12(std::string_view stream, CAppSettings& settings) {
    LoadBinary(stream, settings, kPrefsVersion12, true);
}

void LoadSettingsFile(std::string_view file, CAppSettings& settings) {
    // The version check and the reader share one decoded stream. A 1.0 file has no container,
    // so its stream is the file itself; its scan runs over the raw bytes either way.
    const std::string stream = CScrambledArchive(LoadString(IDS_PASSPHRASE)).Decode(file);
    switch (DetectSettingsVersion(stream)) {
        case 0:
            LoadLegacySettings(file, settings);
            break;
        case 1:
            LoadSettings11(stream, settings);
            break;
        default:
            LoadSettings12(stream, settings);
            break;
    }
}

void LoadLegacySettings(std::string_view file, CAppSettings& s) {
    CLegacyScanner scan(file);
    while (!scan.AtEnd()) {
        if (scan.Match("RecentTo=")) {
            s.RecentTo.push_back(scan.Value());
        } else if (scan.Match("RecentFrom=")) {
            s.RecentFrom.push_back(scan.Value());
        } else if (scan.Match("AddressBook=")) {
            CContact contact;
            bool complete = false;
            contact.Name = scan.Value(&complete);
            if (complete)
                contact.AltName = scan.Value(&complete);
            if (complete)
                contact.Number = scan.Value(&complete);
            // An entry whose name or number lines run into the end of the file is dropped.
            if (!complete)
                break;
            contact.Carrier = LegacyCarrier(scan.Value());
            s.AddressBook.push_back(std::move(contact));
        } else if (scan.Match("AddressBookStartup=")) {
            const std::string value = scan.Value();
            if (value == "OPEN")
                s.AddressBookStartup = CAppSettings::StartupOpen;
            if (value == "CLOSED")
                s.AddressBookStartup = CAppSettings::StartupClosed;
            if (value == "LAST")
                s.AddressBookStartup = CAppSettings::StartupLastSetting;
        } else if (scan.Match("MessageCount=")) {
            s.MessageCount = DecimalValue(scan.Value());
        } else if (scan.Match("AddressBookLastSetting=")) {
            s.AddressBookLastSetting = scan.Value() == "OPEN" ? 0 : 1;
        } else if (scan.Match("WindowX=")) {
            s.WindowX = DecimalValue(scan.Value());
        } else if (scan.Match("WindowY=")) {
            s.WindowY = DecimalValue(scan.Value());
        } else if (scan.Match("MyName=")) {
            s.MyName = scan.Value();
        } else if (scan.Match("MyNumber=")) {
            s.MyNumber = scan.Value();
        } else if (scan.Match("MyEmail=")) {
            s.MyEmail = scan.Value();
        } else if (scan.Match("MyInfoSelectedInRecentFromList=")) {
            s.MyInfoSelectedInRecentFromList = scan.Value() == "TRUE" ? 1 : 0;
        } else {
            scan.Skip();
        }
    }
}
