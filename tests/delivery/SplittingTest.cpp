#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Text.h"
#include "contacts/Contact.h"
#include "delivery/Splitting.h"

namespace {

CSendJob Job(std::string text, std::int32_t carrier = 0) {
    CSendJob job;
    job.number = "5551234567";
    job.text = std::move(text);
    job.carrier = carrier;
    return job;
}

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

// The parts of a message as the send worker would send them, one continuation after the
// other; empty when the chain does not end within one part per byte.
std::vector<std::string> Chain(CSendJob job) {
    std::vector<std::string> parts;
    const std::size_t bound = job.text.size() + 2;
    for (std::size_t round = 0; round <= bound; ++round) {
        std::string rest;
        parts.push_back(SplitForCarrier(job, rest, 0));
        if (rest.empty())
            return parts;
        job.text = std::move(rest);
    }
    return {};
}

}  // namespace

TEST(SenderTexts, LabelsPreferTheirOwnFieldThenFallBack) {
    CSendJob job;
    job.replyEmail = "me@example.org";
    EXPECT_EQ(SenderLabel(job), "me@example.org");
    EXPECT_EQ(ReplyLabel(job), "me@example.org");
    job.senderName = "Ann";
    EXPECT_EQ(SenderLabel(job), "Ann");
    EXPECT_EQ(ReplyLabel(job), "Ann");
    job.replyNumber = "5559876543";
    EXPECT_EQ(SenderLabel(job), "Ann");
    EXPECT_EQ(ReplyLabel(job), "5559876543");
    job.senderName.clear();
    EXPECT_EQ(SenderLabel(job), "5559876543");
    EXPECT_EQ(SenderLabel(CSendJob{}), "");
}

TEST(SenderTexts, SentLengthCountsWhatEachCarrierAdds) {
    CSendJob job = Job(Repeat('x', 20));
    job.senderName = "Al";           // 2
    job.replyNumber = "5559876543";  // 10
    job.replyEmail = "a@b.co";       // 6
    const std::int32_t expected[] = {0, 20, 30, 22, 42, 24, 20, 30, 20, 38};
    for (std::int32_t c = 0; c < kCarrierCount; ++c) {
        EXPECT_EQ(SentLength(job, c), expected[c]) << "carrier " << c;
    }
    EXPECT_EQ(SentLength(job, 10), 0);
    EXPECT_EQ(SentLength(job, -1), 0);

    job.replyNumber.clear();  // AT&T counts the e-mail instead; T-Mobile's reply label is the name
    EXPECT_EQ(SentLength(job, CarrierATTWireless), 26);
    EXPECT_EQ(SentLength(job, CarrierTMobile), 22);
    EXPECT_EQ(SentLength(job, CarrierCingular), 20 + 2 + 0 + 10);

    CSendJob bare = Job(Repeat('x', 20));  // Nextel adds its two separator bytes only to a label
    EXPECT_EQ(SentLength(bare, CarrierNextel), 20);

    job.carrier = CarrierBoost;  // override 0 means the job's own carrier
    EXPECT_EQ(SentLength(job, 0), 22);
    EXPECT_EQ(SentLength(job, CarrierAllTel), 20);
}

TEST(Splitting, AMessageThatFitsIsSentWholeWithoutMarkers) {
    std::string rest = "stale";
    EXPECT_EQ(SplitForCarrier(Job(Repeat('a', 160), CarrierVerizon), rest, 0), Repeat('a', 160));
    EXPECT_EQ(rest, "");
    // Auto-Detect and unknown codes count nothing, so they never split.
    EXPECT_EQ(SplitForCarrier(Job(Repeat('a', 3000)), rest, 0), Repeat('a', 3000));
    EXPECT_EQ(rest, "");
    EXPECT_EQ(SplitForCarrier(Job(Repeat('a', 3000), 42), rest, 0).size(), 3000u);
    EXPECT_EQ(rest, "");
    EXPECT_EQ(SplitForCarrier(Job(Repeat('a', 500), CarrierNextel), rest, 0).size(), 500u);
    EXPECT_EQ(rest, "");
}

TEST(Splitting, CutsBackToTheLastSpaceOnlyForAShortBrokenWord) {
    std::string rest;
    // 161 bytes for Verizon: room 151. The cut falls 10 bytes into the last word: back to the
    // space, which goes with the rest and is stripped there.
    std::string text = Repeat('a', 140) + " " + Repeat('b', 20);
    EXPECT_EQ(SplitForCarrier(Job(text, CarrierVerizon), rest, 0), Repeat('a', 140) + "...(cont)");
    EXPECT_EQ(rest, "(cont)..." + Repeat('b', 20));

    // 13 bytes after the space: still cut back. 14 bytes: the word is broken where it falls.
    text = Repeat('a', 137) + " " + Repeat('b', 23);
    EXPECT_EQ(SplitForCarrier(Job(text, CarrierVerizon), rest, 0), Repeat('a', 137) + "...(cont)");
    EXPECT_EQ(rest, "(cont)..." + Repeat('b', 23));
    text = Repeat('a', 136) + " " + Repeat('b', 24);
    EXPECT_EQ(SplitForCarrier(Job(text, CarrierVerizon), rest, 0),
              Repeat('a', 136) + " " + Repeat('b', 14) + "...(cont)");
    EXPECT_EQ(rest, "(cont)..." + Repeat('b', 10));

    // No space at all: 151 bytes and the marker; the rest keeps the other 149.
    text = Repeat('a', 151) + Repeat('c', 149);
    EXPECT_EQ(SplitForCarrier(Job(text, CarrierAllTel), rest, 0), Repeat('a', 151) + "...(cont)");
    EXPECT_EQ(rest, "(cont)..." + Repeat('c', 149));
}

TEST(Splitting, SenderTextsNarrowTheRoomAndTheOverrideWins) {
    CSendJob job = Job(Repeat('z', 150), CarrierVerizon);
    job.senderName = "Bob";
    job.replyNumber = "5559876543";
    std::string rest;
    // T-Mobile counts the reply number, not the name: 140 - 10 - 9 = 121 bytes of room.
    const std::string part = SplitForCarrier(job, rest, CarrierTMobile);
    EXPECT_EQ(part, Repeat('z', 121) + "...(cont)");
    EXPECT_EQ(rest, "(cont)..." + Repeat('z', 29));
    CSendJob sent = job;
    sent.text = part;
    EXPECT_EQ(SentLength(sent, CarrierTMobile), 140);
}

TEST(Splitting, WhiteSpaceAfterTheCutIsDroppedAndAnEmptyRestStillGoesOut) {
    std::string rest;
    const std::string text = Repeat('a', 151) + " \t\r\n\v\f  \n ";
    EXPECT_EQ(SplitForCarrier(Job(text, CarrierAllTel), rest, 0), Repeat('a', 151) + "...(cont)");
    EXPECT_EQ(rest, "(cont)...");
    std::string after;
    EXPECT_EQ(SplitForCarrier(Job(rest, CarrierAllTel), after, 0), "(cont)...");
    EXPECT_EQ(after, "");
}

TEST(Splitting, SenderTextsThatLeaveNoRoomRefuseTheJobInsteadOfLoopingForEver) {
    CSendJob job = Job(Repeat('m', 40), CarrierVerizon);
    job.senderName = Repeat('n', 100);
    job.replyEmail = Repeat('e', 30) + "@example.org";  // 42
    job.replyNumber = "5559876543";                     // others: 152, room 160 - 152 - 9 < 0
    ASSERT_TRUE(SplitLeavesNoRoom(job, 0));
    std::string rest = "stale";
    EXPECT_EQ(SplitForCarrier(job, rest, 0), "");
    EXPECT_EQ(rest, "");

    job.text = Repeat('m', 8);  // a message that fits is sent as it is
    EXPECT_FALSE(SplitLeavesNoRoom(job, 0));
    EXPECT_EQ(SplitForCarrier(job, rest, 0), job.text);

    // The smallest room that is accepted still ends the chain, a word or so per part.
    job.senderName = Repeat('n', 84);  // others 136, room 15
    job.text = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor";
    ASSERT_FALSE(SplitLeavesNoRoom(job, 0));
    const auto parts = Chain(job);
    ASSERT_FALSE(parts.empty());
    EXPECT_EQ(parts.front(), "lorem ipsum...(cont)");
    EXPECT_EQ(parts.back(), "(cont)...eiusmod tempor");
    job.senderName += "n";  // room 14
    EXPECT_TRUE(SplitLeavesNoRoom(job, 0));
}

// For every carrier, random messages and sender fields: every part fits with the carrier's other
// texts, the parts without their markers give back the message less the white space dropped at
// the cuts, and the chain ends. Jobs refused for lack of room are those that do not fit.
TEST(Splitting, EveryChainFitsGivesTheTextBackAndEnds) {
    std::mt19937 random(20240611);
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz0123456789.,!?\xE9\xFC      \t\n\r";
    auto randomText = [&](std::size_t maxLength) {
        std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
        for (char& c : text) {
            c = alphabet[std::uniform_int_distribution<std::size_t>(0,
                                                                    alphabet.size() - 1)(random)];
        }
        if (random() % 4 == 0) {  // now and then a long word that must be broken
            text.insert(text.size() / 2, Repeat('w', 20 + random() % 60));
        }
        return text;
    };
    auto randomField = [&] {
        switch (random() % 4) {
            case 0:
                return std::string();
            case 1:
                return randomText(12);
            case 2:
                return std::string("5559876543");
            default:
                return randomText(160);
        }
    };

    int refused = 0;
    int chains = 0;
    for (std::int32_t carrier = 0; carrier <= 10; ++carrier) {
        for (int round = 0; round < 300; ++round) {
            CSendJob job = Job(randomText(1200), carrier);
            job.senderName = randomField();
            job.replyNumber = randomField();
            job.replyEmail = randomField();
            const std::int32_t limit = CarrierLimit(carrier);
            std::string rest;
            if (SplitLeavesNoRoom(job, 0)) {
                ++refused;
                EXPECT_GT(SentLength(job, 0), limit);
                EXPECT_EQ(SplitForCarrier(job, rest, 0), "");
                EXPECT_EQ(rest, "");
                EXPECT_EQ(CountParts(job, carrier), 0);
                continue;
            }
            ++chains;
            const auto parts = Chain(job);
            ASSERT_FALSE(parts.empty()) << "the chain does not end, carrier " << carrier;
            EXPECT_EQ(CountParts(job, carrier), static_cast<int>(parts.size()));
            std::size_t consumed = 0;  // bytes of the message given back so far
            for (std::size_t i = 0; i < parts.size(); ++i) {
                CSendJob sent = job;
                sent.text = parts[i];
                ASSERT_LE(SentLength(sent, 0), limit) << "carrier " << carrier;

                std::string_view body = parts[i];
                if (i > 0) {
                    ASSERT_EQ(body.substr(0, 9), "(cont)...");
                    body.remove_prefix(9);
                    while (consumed < job.text.size() && IsBlank(job.text[consumed])) ++consumed;
                }
                if (i + 1 < parts.size()) {
                    ASSERT_EQ(body.substr(body.size() - 9), "...(cont)");
                    body.remove_suffix(9);
                }
                ASSERT_EQ(std::string_view(job.text).substr(consumed, body.size()), body);
                consumed += body.size();
            }
            EXPECT_EQ(consumed, job.text.size()) << "carrier " << carrier;
        }
    }
    // The generator must reach both outcomes, or the check proves little.
    EXPECT_GT(refused, 50);
    EXPECT_GT(chains, 2000);
}
