#pragma once
// The forms the client posts, byte for byte, as the wire tests hold the client to them and the
// lab's tests hold the lab to them: each carrier form is written here once.

#include <cstdint>
#include <span>
#include <string>

#include "delivery/SendJob.h"

// Every sender field filled, each with bytes the form encoding changes.
CSendJob FullJob(std::string text = "Hi there.");

// The carriers whose exchange is one form post.
struct SingleForm {
    const char* host;  // the site's short name; T-Mobile's is the HTTPS server
    int hostId;        // its string-table entry
    SendResult (*send)(CSendJob);
    const char* target;
    const char* body;  // for FullJob()
    int phraseId;
    std::int32_t phraseCode;
};

extern const std::span<const SingleForm> kSingleForms;
