#pragma once
// CSiteInfo: the maker's home page, read once, and the values it carries in HTML comments
// ("<!-- Quillo_Latest_Version 1.07 -->").

#include <string>

#include "storage/AppSettings.h"

class CSiteInfo {
public:
    // Reads the home page (string 102). A page that cannot be read leaves what arrived, usually
    // nothing, and every lookup then fails.
    CSiteInfo();
    // A page already read.
    explicit CSiteInfo(std::string page) : m_page(std::move(page)) {}

    // The value after the first occurrence of `key`: the text up to the next "-->" (empty when
    // there is none), without the leading characters that occur in the key, trimmed. False, and
    // `value` untouched, when the key does not occur.
    bool Lookup(const std::string& key, std::string& value) const;

private:
    std::string m_page;
};

// The six values from the page, each its string-table default where its key is missing.
SiteInfoValues ReadSiteInfoValues(const CSiteInfo& site);

// The values published at start-up, or the string table's defaults while none have been.
SiteInfoValues CurrentSiteInfo();
