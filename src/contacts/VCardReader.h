#pragma once
// CVCardReader: the cards of a vCard file (versions 2.1, 3.0 and 4.0), one at a time, with what
// a contact is made of: FN, N and the TEL numbers with their types. The whole file is never held.
// Bytes become lines through CTextLineReader (byte-order marks, UTF-16, UTF-8 or Windows-1252,
// the line cap); on top of it come folded lines, quoted-printable values with their soft line
// breaks, CHARSET, the backslash escapes, group prefixes and the forms a TEL type is written in.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/TextLineReader.h"

struct VCardPhone {
    std::string type;    // lower case ("cell", "home"...); empty when the TEL names none
    std::string number;  // as written; of a tel: URI only the number
};

struct VCard {
    std::optional<std::string> formattedName;  // FN, one line with single spaces
    std::optional<std::string> name;           // N as "Given Middle Family"
    std::vector<VCardPhone> phones;            // every TEL of the card, in order
    bool damaged = false;                      // a line over the cap: the card is not taken
};

// True when the first line that is not blank (after any byte-order mark) is BEGIN:VCARD.
bool IsVCardFile(const std::filesystem::path& file);

class CVCardReader {
public:
    explicit CVCardReader(const std::filesystem::path& file);

    // The next card. A card cut off by the end of the file counts; one cut off by a read error
    // does not. False at the end of the file or once reading failed.
    bool ReadCard(VCard& card);
    bool Failed() const { return !m_lines.Good(); }

private:
    bool Peek();
    bool ReadUnfolded(std::string& line);
    void Append(std::string& line, std::string_view piece);

    CTextLineReader m_lines;
    std::string m_next;  // the line read ahead to see whether it continues the last one
    bool m_hasNext = false;
    bool m_nextTruncated = false;
    bool m_overlong = false;  // the last unfolded line went over the cap
};
