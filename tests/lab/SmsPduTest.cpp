#include <gtest/gtest.h>

#include "carrier-lab/SmsPdu.h"

namespace {

// As ModemManager sent them: UCS-2 with an emoji, and 7-bit "Faulty".
constexpr std::string_view kUcs2 =
    "0001000B915155214365F700083200480065006C006C006F002000E9002020AC0020005B0078005D0020006600"
    "72006F006D0020006C006100620020D83DDE00";
constexpr std::string_view kGsm = "0001000B915155100000F7000006C6709D4DCF03";

TEST(SmsPdu, DecodesWhatTheDaemonSends) {
    std::string error;
    const auto ucs2 = lab::DecodeSubmitPdu(kUcs2, error);
    ASSERT_TRUE(ucs2) << error;
    EXPECT_EQ(ucs2->number, "+15551234567");
    EXPECT_EQ(ucs2->text, "Hello \u00E9 \u20AC [x] from lab \U0001F600");
    EXPECT_TRUE(ucs2->ucs2);
    EXPECT_EQ(ucs2->tpduLength, 63u);
    const auto gsm = lab::DecodeSubmitPdu(kGsm, error);
    ASSERT_TRUE(gsm) << error;
    EXPECT_EQ(gsm->number, "+15550100007");
    EXPECT_EQ(gsm->text, "Faulty");
    EXPECT_FALSE(gsm->ucs2);
}

TEST(SmsPdu, RefusesWhatDoesNotAddUp) {
    const std::string ucs2(kUcs2), gsm(kGsm);
    const std::string cases[] = {
        ucs2.substr(0, ucs2.size() - 4),                 // user data cut short
        ucs2.substr(0, 3),                               // an odd number of digits
        "00" + gsm.substr(2, 2) + "ZZ" + gsm.substr(6),  // not hex
        "0000" + gsm.substr(4),                          // an SMS-DELIVER
        gsm.substr(0, 26) + "07" + gsm.substr(28),       // one septet more than it carries
        "0001000B9151",                                  // ends inside the address
    };
    for (const std::string& pdu : cases) {
        std::string error;
        EXPECT_FALSE(lab::DecodeSubmitPdu(pdu, error)) << pdu;
        EXPECT_FALSE(error.empty()) << pdu;
    }
}

TEST(SmsPdu, EncodesAStatusReportAsTheDaemonParsesIt) {
    // ModemManager took this one as reference 1 to +15550100001, "completed-received", with
    // 2026-12-09T15:49:36Z as both time stamps.
    const lab::StatusReportPdu report =
        lab::EncodeStatusReportPdu(1, "+15550100001", 0x00, 1796831376);
    EXPECT_EQ(report.hex, "0006010B915155100000F1622190519463006221905194630000");
    EXPECT_EQ(report.tpduLength, report.hex.size() / 2 - 1);
    // A national number, an even count of digits, a failure.
    EXPECT_EQ(lab::EncodeStatusReportPdu(255, "5550100001", 0x41, 1796831376).hex,
              "0006FF0A81"
              "5505010010"
              "62219051946300"
              "62219051946300"
              "41");
}

}  // namespace
