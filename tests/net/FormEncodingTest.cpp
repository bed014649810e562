// Form encoding, body composition, server names and the certificate stores: no network.

#include <gtest/gtest.h>

#include "net/CertificateStore.h"
#include "net/FormRequest.h"
#include "net/Internet.h"
#include "net/NetTest.h"

TEST(FormEncode, KeepsLettersDigitsAndDotsAndEscapesTheRest) {
    EXPECT_EQ(FormEncode("Hi there."), "Hi+there.");
    EXPECT_EQ(FormEncode("a_b"), "a%5Fb");
    EXPECT_EQ(FormEncode("a-b"), "a%2Db");
    EXPECT_EQ(FormEncode("50%"), "50%25");
    EXPECT_EQ(FormEncode("\xE9"), "%E9");
    EXPECT_EQ(FormEncode(std::string("\0\n\xFF", 3)), "%00%0A%FF");
    EXPECT_EQ(FormEncode("AZaz09"), "AZaz09");
    EXPECT_EQ(FormEncode("a@b.c&d=e+f"), "a%40b.c%26d%3De%2Bf");
    EXPECT_EQ(FormEncode(""), "");
}

TEST(FormBody, JoinsEncodedPairsInOrderWithDuplicates) {
    CFormRequest none(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, VerbPost, kFormContentType, false);
    EXPECT_EQ(none.Body(), "");

    CFormRequest two(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, VerbPost, kFormContentType, false);
    two.AddField("min", "5551234567");
    two.AddField("text", "ok");
    EXPECT_EQ(two.Body(), "min=5551234567&text=ok");

    CFormRequest repeated(IDS_ALLTEL_HOST, IDS_ALLTEL_PATH, VerbPost, kFormContentType, false);
    repeated.AddField("to", "2");
    repeated.AddField("to", "1");
    repeated.AddField("my name", "");
    repeated.AddField("", "x_y");
    EXPECT_EQ(repeated.Body(), "to=2&to=1&my+name=&=x%5Fy");
}

TEST(ServerName, SplitsHostAndPort) {
    auto plain = inet::SplitServerName("alltel.lab.localhost:47080", 80);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->host, "alltel.lab.localhost");
    EXPECT_EQ(plain->port, 47080);

    auto bare = inet::SplitServerName("gateway.example", 443);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->host, "gateway.example");
    EXPECT_EQ(bare->port, 443);

    auto v6 = inet::SplitServerName("[::1]:8080", 80);
    ASSERT_TRUE(v6);
    EXPECT_EQ(v6->host, "[::1]");
    EXPECT_EQ(v6->port, 8080);

    // The download location "http://host/..." cut at its first "/" gives the host "http:".
    EXPECT_FALSE(inet::SplitServerName("http:", 80));
    EXPECT_FALSE(inet::SplitServerName("", 80));
    EXPECT_FALSE(inet::SplitServerName("host:0", 80));
    EXPECT_FALSE(inet::SplitServerName("host:65536", 80));
    EXPECT_FALSE(inet::SplitServerName("host:8o", 80));
    EXPECT_FALSE(inet::SplitServerName("user@host", 80));
    EXPECT_FALSE(inet::SplitServerName("host/path", 80));
}

class CertificateStoreTest : public NetTest {};

TEST_F(CertificateStoreTest, FindsTheFirstCertificateWhoseIssuerCarriesTheUnit) {
    TestCa gateway("Gateway CA", "Gateway Clients");
    TestCa other("Other CA", "Other Unit");
    TestCa plain("Plain CA");
    const IssuedCertificate fromPlain = plain.IssueClient("plain");
    const IssuedCertificate fromOther = other.IssueClient("other");
    const IssuedCertificate fromGateway = gateway.IssueClient("gateway");
    // File names order the store: a-, b-, c-.
    AddToStore("MY", "a-plain.pem", fromPlain.CombinedPem());
    AddToStore("MY", "b-other.pem", fromOther.CombinedPem());
    AddToStore("MY", "c-gateway.pem", fromGateway.keyPem + fromGateway.certificatePem);

    std::uint32_t error = 0;
    auto store = CertificateStore::Open("MY", error);
    ASSERT_TRUE(store);
    ASSERT_EQ(store->Count(), 3u);

    EXPECT_EQ(store->FindByIssuerUnit("Gateway Clients"), 2u);
    EXPECT_EQ(store->FindByIssuerUnit("Other Unit"), 1u);
    // An empty unit name takes any issuer that has the attribute, not one without it.
    EXPECT_EQ(store->FindByIssuerUnit(""), 1u);
    EXPECT_FALSE(store->FindByIssuerUnit("gateway clients"));
    EXPECT_FALSE(store->FindByIssuerUnit("Gateway"));

    // The key may stand before or after the certificate in its file.
    auto certificate = store->WithPrivateKey(2, error);
    ASSERT_TRUE(certificate);
    EXPECT_EQ(X509_cmp(certificate->Certificate(), store->At(2)), 0);
}

TEST_F(CertificateStoreTest, CertificateWithoutItsOwnKeyCannotBeUsed) {
    TestCa ca("Gateway CA", "Gateway Clients");
    const IssuedCertificate first = ca.IssueClient("first");
    const IssuedCertificate second = ca.IssueClient("second");
    AddToStore("MY", "alone.pem", first.certificatePem);
    AddToStore("MY", "wrong-key.pem", second.certificatePem + first.keyPem);

    std::uint32_t error = 0;
    auto store = CertificateStore::Open("MY", error);
    ASSERT_TRUE(store);
    ASSERT_EQ(store->Count(), 2u);
    EXPECT_EQ(store->WithPrivateKey(0, error), nullptr);
    EXPECT_EQ(error, kCryptErrorNoKeyProperty);
    error = 0;
    EXPECT_EQ(store->WithPrivateKey(1, error), nullptr);
    EXPECT_EQ(error, kCryptErrorNoKeyProperty);
}

TEST_F(CertificateStoreTest, MissingFolderIsEmptyAndAnUnreadableOneFails) {
    std::uint32_t error = 0;
    auto missing = CertificateStore::Open("SPC", error);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->Count(), 0u);

    // A file where the folder should be cannot be listed.
    WritePemFile(m_stores.path() / "CA", "not a folder");
    EXPECT_FALSE(CertificateStore::Open("CA", error));
    EXPECT_EQ(error, kErrorAccessDenied);
}

TEST_F(CertificateStoreTest, ReadsEveryCertificateOfABundleAndSkipsOtherFiles) {
    TestCa one("One CA");
    TestCa two("Two CA");
    AddToStore("ROOT", "bundle.pem", one.CertificatePem() + two.CertificatePem());
    AddToStore("ROOT", "notes.txt", "nothing to see here\n");
    std::uint32_t error = 0;
    auto store = CertificateStore::Open("ROOT", error);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->Count(), 2u);
}
