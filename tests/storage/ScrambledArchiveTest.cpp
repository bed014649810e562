#include <gtest/gtest.h>

#include "SettingsBytes.h"
#include "storage/ArchiveException.h"
#include "storage/ScrambledArchive.h"
#include "support/CoreTestEnvironment.h"

using namespace bytes;

namespace {

class ScrambledArchiveTest : public CoreTest {};

CArchiveException::Cause DecodeFailure(const CScrambledArchive& archive, const std::string& file) {
    try {
        archive.Decode(file);
    } catch (const CArchiveException& e) {
        return e.cause();
    }
    ADD_FAILURE() << "decoded without complaint";
    return CArchiveException::Cause::FileError;
}

}  // namespace

TEST(Scramble, CombinesEveryByteWithEveryPhraseByteAndUndoesItself) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    std::string data = all;
    EXPECT_TRUE(CScrambledArchive::Scramble(data, kPassPhrase));
    EXPECT_EQ(data, Xor(all, kPassPhrase));
    EXPECT_TRUE(CScrambledArchive::Scramble(data, kPassPhrase));
    EXPECT_EQ(data, all);

    EXPECT_FALSE(CScrambledArchive::Scramble(data, ""));
    EXPECT_EQ(data, all);
}

TEST_F(ScrambledArchiveTest, WritesHeaderAndScrambledDefaultLevelZlibPayload) {
    const std::string stream = "Prefs Version 1.2 and some bytes \x01\x02\x03 repeated repeated";
    const std::string file = CScrambledArchive(kPassPhrase).Encode(stream);
    // Built by hand from the layout: "bas", flag 3, length, Adler-32, then the XORed zlib bytes.
    EXPECT_EQ(file, Container(stream));
    EXPECT_EQ(CScrambledArchive(kPassPhrase).Decode(file), stream);
    EXPECT_TRUE(ui->MessageTexts().empty());
}

TEST_F(ScrambledArchiveTest, EmptyStreamStillMakesAValidFile) {
    const std::string file = CScrambledArchive(kPassPhrase).Encode("");
    EXPECT_EQ(file, Container(""));
    EXPECT_EQ(file.substr(4, 4), U32(0));
    EXPECT_EQ(CScrambledArchive(kPassPhrase).Decode(file), "");
}

TEST_F(ScrambledArchiveTest, EmptyPhraseWithForceWritesAPlainFileAnyPhraseReads) {
    const std::string stream = "plain payload";
    const std::string file = CScrambledArchive("", true).Encode(stream);
    EXPECT_EQ(file, Container(stream, 1));
    EXPECT_EQ(file.substr(12), Compress(stream));
    EXPECT_EQ(CScrambledArchive(kPassPhrase).Decode(file), stream);
    EXPECT_EQ(CScrambledArchive("", true).Decode(file), stream);
}

TEST_F(ScrambledArchiveTest, UnknownFlagsLoadLikePlainAndAreNotChecked) {
    std::string file = Container("flagged", 7);
    file.replace(8, 4, U32(0xDEADBEEF));  // a plain file's checksum is never looked at
    EXPECT_EQ(CScrambledArchive(kPassPhrase).Decode(file), "flagged");
    EXPECT_TRUE(ui->MessageTexts().empty());
}

TEST_F(ScrambledArchiveTest, WithoutPhraseOrForceFilesPassThroughUnchanged) {
    const CScrambledArchive off("");
    EXPECT_FALSE(off.Enabled());
    EXPECT_EQ(off.Encode("stream"), "stream");
    const std::string marked = Container("x");
    EXPECT_EQ(off.Decode(marked), marked);
}

TEST_F(ScrambledArchiveTest, UnmarkedFilesAreReadRawFromTheFirstByte) {
    const std::string raw = std::string("\x11\0\0\0Prefs Version 1.0\r\nba", 25);
    EXPECT_EQ(CScrambledArchive(kPassPhrase).Decode(raw), raw);
    EXPECT_EQ(CScrambledArchive(kPassPhrase).Decode("ba"), "ba");
    EXPECT_EQ(CScrambledArchive(kPassPhrase).Decode(""), "");
}

TEST_F(ScrambledArchiveTest, PhraseIsCheckedByItsXorFold) {
    const std::string file = Container("secret");
    // Same letters in another order: the same fold, so it reads.
    EXPECT_EQ(CScrambledArchive("polekartvmq").Decode(file), "secret");
    EXPECT_TRUE(ui->MessageTexts().empty());

    EXPECT_EQ(DecodeFailure(CScrambledArchive("another phrase"), file),
              CArchiveException::Cause::WrongPassPhrase);
    EXPECT_EQ(ui->MessageTexts(), std::vector<std::string>{"Password incorrect!!!"});
}

TEST_F(ScrambledArchiveTest, PayloadThatDoesNotMatchItsHeaderIsDamagedAndSilent) {
    const CScrambledArchive archive(kPassPhrase);
    const std::string stream = "twenty bytes of data";
    const std::string good = Container(stream);

    std::string longer = good;  // recorded length larger than what decompresses
    longer.replace(4, 4, U32(static_cast<std::uint32_t>(stream.size() + 1)));
    std::string shorter = good;
    shorter.replace(4, 4, U32(static_cast<std::uint32_t>(stream.size() - 1)));
    std::string huge = good;  // impossible for a payload this small: refused before allocating
    huge.replace(4, 4, U32(0xFFFFFFFF));
    std::string notZlib = "bas\x01" + U32(5) + U32(0) + "hello";
    for (const auto& file : {longer, shorter, huge, notZlib, std::string("bas\x03\x05\0\0", 7)}) {
        EXPECT_EQ(DecodeFailure(archive, file), CArchiveException::Cause::Damaged);
    }
    EXPECT_TRUE(ui->MessageTexts().empty());
}
