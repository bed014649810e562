#pragma once
// CPartPreview: what a message will cost before it is sent. For the To, From and message texts
// it counts the parts each recipient's carrier will take, by the very split the send worker
// makes; the main window shows the result beside the product caption.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/Unsendable.h"

class CAppSettings;

struct RecipientParts {
    std::string label;         // program text: the address-book name, else the number shown
    std::int32_t carrier = 0;  // 0: Auto-Detect, counted over the carriers it may settle on
    int fewest = 0;            // 0 for both: no carrier leaves room beside the sender texts
    int most = 0;
};

struct PartPreviewResult {
    std::size_t length = 0;  // the message's characters as sent
    int fewest = 0;          // the largest counts over the recipients
    int most = 0;
    std::vector<RecipientParts> recipients;  // items that name nobody are left out
};

class CPartPreview {
public:
    // Texts are program text; the book and the MyInfo details come from `settings`.
    PartPreviewResult Update(const CAppSettings& settings, std::string_view to,
                             std::string_view from, std::string_view message);

    // The address book changed: names and carriers are looked up again.
    void ForgetAddressBook() { m_items.clear(); }

private:
    struct Recipient {
        std::string label;  // empty when the item names nobody
        std::int32_t carrier = 0;
    };
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    const Recipient& Resolve(const CAppSettings& settings, std::string_view item);

    // What each To item named when last looked up: typing re-reads only the item being typed.
    std::unordered_map<std::string, Recipient, TextHash, std::equal_to<>> m_items;
};

// The read-out and its tooltip, in UTF-8.
struct PreviewReadOut {
    std::string text;  // empty when there is nothing to say
    std::string toolTip;
    bool warning = false;  // some characters cannot be sent
};

PreviewReadOut MakePreviewReadOut(const PartPreviewResult& parts,
                                  const UnsendableCharacters& unsendable);
