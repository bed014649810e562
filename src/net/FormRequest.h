#pragma once
// One form submission to a web server, and the page reader.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Verb table index.
enum FormVerb : int { VerbPost = 0, VerbGet, VerbHead, VerbPut, VerbLink, VerbDelete, VerbUnlink };

inline constexpr const char* kFormContentType = "Content-Type: application/x-www-form-urlencoded";

class CFormRequest {
public:
    // Host and path are string-table ids, loaded here. A host may carry ":port".
    CFormRequest(int hostId, int pathId, FormVerb verb, std::string headers, bool secure);

    void AddField(std::string name, std::string value);

    // Sends the request and returns the response body. Throws CInternetException when the
    // request fails, on the plain path when the status is not 200, and on the secure path when
    // it is 400 or more (the exception then carries the page).
    std::string Perform();

    // The form body: FormEncode(name) "=" FormEncode(value), joined by "&".
    std::string Body() const;

private:
    std::string m_host;
    std::string m_path;
    FormVerb m_verb;
    std::string m_headers;
    bool m_secure;
    std::vector<std::pair<std::string, std::string>> m_fields;
};

// Letters, digits and `keptPunctuation` stay, a space becomes "+" when `spaceAsPlus`, every
// other byte "%XX" (upper-case hex).
std::string PercentEncode(std::string_view text, std::string_view keptPunctuation,
                          bool spaceAsPlus);
// The carriers' form encoding: letters, digits and "." stay, a space becomes "+".
std::string FormEncode(std::string_view text);

// Reads the page at `url` into `text` (CR and LF removed). 0 when read, 4 when anything failed;
// `text` then holds what was read before the failure.
int FetchPage(const std::string& url, std::string& text);
