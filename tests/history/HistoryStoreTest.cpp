// The history's records and queries: what goes in comes back, in the window's order and pages.

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "HistoryFixture.h"
#include "history/HistorySchema.h"
#include "history/HistoryWriter.h"
#include "history/SqliteDatabase.h"
#include "history/SqliteStatement.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::string SchemaOf(CSqliteDatabase& db) {
    std::string schema;
    CSqliteStatement query = db.Prepare("SELECT sql FROM sqlite_master ORDER BY name");
    while (query.Step()) schema += query.Text(0) + ";\n";
    return schema;
}

TEST_F(HistoryTest, AVersion1FileOpensWithItsBatchesAndIsUpgraded) {
    {
        CSqliteDatabase old(File(), CSqliteDatabase::Mode::ReadWrite);
        old.Exec(ReadFileBytes(QUILLO_HISTORY_VERSION1));
        ASSERT_EQ(HistorySchemaVersion(old), 1);
        // The released first migration must still make exactly that file's schema.
        CSqliteDatabase fresh(dir / "fresh.db", CSqliteDatabase::Mode::ReadWrite);
        MigrateHistory(fresh, 1);
        EXPECT_EQ(SchemaOf(fresh), SchemaOf(old));
    }
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    const std::vector<HistoryBatch> page = store.Page({});
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].firstLineUtf8, "Running late, start without me");
    ASSERT_EQ(page[0].recipients.size(), 2u);
    EXPECT_EQ(page[0].recipients[0].name, "Ren\xE9");
    EXPECT_EQ(page[0].failedCount, 1);
    EXPECT_THAT(Search("rene"), ElementsAre(page[0].id));
    // The message id version 1 kept per recipient still takes delivery reports.
    EXPECT_TRUE(store.UpdateDelivery("modem", "mm-17", DeliveryState::Delivered, 5));
    store.Close();
    CSqliteDatabase upgraded(File(), CSqliteDatabase::Mode::ReadOnly);
    EXPECT_EQ(HistorySchemaVersion(upgraded), kHistorySchemaVersion);
}

TEST_F(HistoryTest, EveryResultCodeAndEveryTextComeBackAsRecorded) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    std::vector<HistoryPart> parts;
    for (std::int32_t code = 0; code <= 7; ++code)
        parts.push_back(Part("555000000" + std::to_string(code),
                             "N\xFA\xF1"
                             "ez " +
                                 std::to_string(code),
                             code, "id-" + std::to_string(code)));
    // A second part for the first recipient, refused: the recipient counts as failed.
    parts.push_back(Part("5550000000",
                         "N\xFA\xF1"
                         "ez 0",
                         4));
    const std::string message = "Caf\xC3\xA9 at 8 \xF0\x9F\x98\x80\nsecond line";
    const std::int64_t id = store.RecordBatch(Batch(message, parts, 1234));
    ASSERT_GT(id, 0);

    const std::vector<HistoryBatch> page = store.Page({});
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0].sentAt, 1234);
    EXPECT_EQ(page[0].route, "web forms");
    EXPECT_EQ(page[0].firstLineUtf8, "Caf\xC3\xA9 at 8 \xF0\x9F\x98\x80");
    EXPECT_EQ(page[0].sentCount, 0);
    EXPECT_EQ(page[0].failedCount, 8);
    ASSERT_EQ(page[0].recipients.size(), 8u);
    for (std::int32_t code = 0; code <= 7; ++code) {
        const HistoryRecipient& r = page[0].recipients[static_cast<std::size_t>(code)];
        SCOPED_TRACE(code);
        EXPECT_EQ(r.name,
                  "N\xFA\xF1"
                  "ez " +
                      std::to_string(code));
        EXPECT_EQ(r.carrier, "Verizon");
        EXPECT_EQ(r.parts, code == 0 ? 2 : 1);
        EXPECT_EQ(r.result, code == 0 ? 4 : code);
        EXPECT_EQ(r.resultText, StatusText(code == 0 ? 4 : code));
        EXPECT_EQ(r.messageId, "id-" + std::to_string(code));
    }
    const std::optional<HistoryResend> resend = store.FailedRecipients(id);
    ASSERT_TRUE(resend);
    EXPECT_EQ(resend->messageUtf8, message);
}

TEST_F(HistoryTest, SearchIgnoresCaseAndAccentsAndFindsNamesNumbersAndBeginnings) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    std::map<std::string, std::int64_t> id;
    id["cafe"] = store.RecordBatch(Batch("Meet at the Caf\xC3\xA9 Noir", {Part("5551234567", "")}));
    id["jose"] = store.RecordBatch(Batch("See you", {Part("5559876543", "Jos\xE9 Mart\xEDnez")}));
    id["both"] = store.RecordBatch(
        Batch("meeting moved", {Part("5551112222", "Ann"), Part("5553334444", "Bob O'Neil")}));
    const struct {
        const char* search;
        std::vector<std::string> found;  // newest first
    } cases[] = {
        {"CAFE", {"cafe"}},
        {"caf\xC3\xA9", {"cafe"}},
        {"meet", {"both", "cafe"}},
        {"meet noir", {"cafe"}},
        {"martinez", {"jose"}},
        {"JOS\xC3\x89", {"jose"}},
        {"o'neil", {"both"}},
        {"(555) 123-45", {"cafe"}},
        {"5553334444", {"both"}},
        {"555", {"both", "jose", "cafe"}},
        {"meet !!!", {"both", "cafe"}},
        {"\"", {"both", "jose", "cafe"}},
        {"zebra", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::int64_t> expected;
        for (const std::string& label : c.found) expected.push_back(id[label]);
        EXPECT_THAT(Search(c.search), ElementsAreArray(expected)) << c.search;
    }
}

TEST_F(HistoryTest, PagesByKeyNewestFirstWithTheFailuresFilter) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    std::vector<std::int64_t> all, failed, failedWithWord;
    for (int i = 0; i < 130; ++i) {
        const bool fails = i % 3 == 0;
        const std::string word = i % 2 == 0 ? "even" : "odd";
        const std::int64_t id = store.RecordBatch(
            Batch(word + " " + std::to_string(i),
                  {Part("5550000001", "A"), Part("5550000002", "B", fails ? 3 : 0)}));
        all.insert(all.begin(), id);
        if (fails)
            failed.insert(failed.begin(), id);
        if (fails && word == "odd")
            failedWithWord.insert(failedWithWord.begin(), id);
    }
    EXPECT_THAT(AllIds({}, 50), ElementsAreArray(all));
    EXPECT_THAT(AllIds({"", true}, 7), ElementsAreArray(failed));
    EXPECT_THAT(AllIds({"odd", true}, 4), ElementsAreArray(failedWithWord));
    const HistoryBatch newest = store.Page({"", false, 0, 1}).at(0);
    EXPECT_EQ(newest.sentCount, 1);
    EXPECT_EQ(newest.failedCount, 1);
}

TEST_F(HistoryTest, SendAgainGetsTheTextAndOnlyTheFailedRecipients) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    const std::int64_t id = store.RecordBatch(
        Batch("Dinner?", {Part("5550000001", "Ann"), Part("5550000002", "", 4),
                          Part("5550000003", "Cy", 7), Part("5550000001", "Ann")}));
    const std::optional<HistoryResend> resend = store.FailedRecipients(id);
    ASSERT_TRUE(resend);
    EXPECT_EQ(resend->messageUtf8, "Dinner?");
    ASSERT_EQ(resend->failed.size(), 2u);
    EXPECT_EQ(resend->failed[0].number, "5550000002");
    EXPECT_EQ(resend->failed[1].name, "Cy");
    EXPECT_FALSE(store.FailedRecipients(id + 1));
}

TEST_F(HistoryTest, DeliveryReportsFindAnyPartAndOnlyNewerOnesChangeTheState) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    store.RecordBatch(
        Batch("long", {Part("5550000001", "A", 0, "p1"), Part("5550000001", "A", 0, "p2")}));
    EXPECT_TRUE(store.UpdateDelivery("web forms", "p2", DeliveryState::Pending, 10));
    EXPECT_TRUE(store.UpdateDelivery("web forms", "p1", DeliveryState::Delivered, 20));
    EXPECT_FALSE(store.UpdateDelivery("web forms", "p2", DeliveryState::Failed, 15));
    EXPECT_FALSE(store.UpdateDelivery("modem", "p1", DeliveryState::Failed, 30));
    const HistoryRecipient r = store.Page({}).at(0).recipients.at(0);
    EXPECT_EQ(r.state, DeliveryState::Delivered);
    EXPECT_EQ(r.stateAt, 20);
    EXPECT_EQ(r.messageId, "p1");
}

// The word index's own pages that hold `word` as a term. No other term of these tests starts
// with its first letter, so the index keeps it whole rather than after a shared beginning.
std::int64_t IndexPagesWith(const std::filesystem::path& file, const std::string& word) {
    CSqliteDatabase db(file, CSqliteDatabase::Mode::ReadOnly);
    CSqliteStatement query = db.Prepare(
        "SELECT count(*) FROM batch_words_data WHERE instr(block, CAST(?1 AS BLOB)) > 0");
    query.Bind(1, word);
    return query.Step() ? query.Int(0) : -1;
}

// A message long enough that merging the word index one page at a time takes many steps, with
// `word` last in the index's order.
std::string LongMessage(const std::string& word) {
    std::string text = word;
    for (int i = 0; i < 1500; ++i) text += " w" + std::to_string(i * 7919 % 10007);
    return text;
}

TEST_F(HistoryTest, DeletedBatchesAreGoneFromPagesAndSearchAndTheirWordsFromTheIndexStepByStep) {
    HistoryOptions options;
    options.mergePages = 1;
    ASSERT_EQ(Open(options), HistoryStatus::Ready);
    const std::int64_t keep =
        store.RecordBatch(Batch(LongMessage("apple"), {Part("5550000001", "A")}));
    const std::int64_t drop =
        store.RecordBatch(Batch(LongMessage("apple zanzibarite"), {Part("5550000002", "B")}));
    ASSERT_TRUE(store.DeleteBatches({drop}));
    EXPECT_THAT(Search("apple"), ElementsAre(keep));
    EXPECT_THAT(Search("zanzibarite"), IsEmpty());
    EXPECT_THAT(store.Recipients(drop), IsEmpty());
    ASSERT_GT(IndexPagesWith(File(), "zanzibarite"), 0);  // one step was not all
    int steps = 0;
    while (steps < 10'000 && store.MergeDeletedWords()) ++steps;
    EXPECT_EQ(IndexPagesWith(File(), "zanzibarite"), 0);
    EXPECT_GT(steps, 0);
    EXPECT_THAT(Search("apple"), ElementsAre(keep));
}

TEST_F(HistoryTest, TheWriterMergesDeletedWordsOutOfTheIndexWhenItHasNothingElseToDo) {
    HistoryOptions options;
    options.mergePages = 1;
    CHistoryWriter writer(File(), options);
    writer.Record(Batch(LongMessage("apple"), {Part("5550000001", "A")}));
    writer.Record(Batch(LongMessage("zanzibarite"), {Part("5550000002", "B")}));
    ASSERT_TRUE(writer.WaitUntilMerged(std::chrono::seconds(10)));
    HistoryOptions reader;
    reader.reader = true;
    ASSERT_EQ(store.Open(File(), reader), HistoryStatus::Ready);
    ASSERT_GT(IndexPagesWith(File(), "zanzibarite"), 0);
    writer.DeleteBatches({store.Page({}).at(0).id});
    ASSERT_TRUE(writer.WaitUntilMerged(std::chrono::seconds(10)));
    EXPECT_EQ(IndexPagesWith(File(), "zanzibarite"), 0);
    EXPECT_EQ(store.Page({}).size(), 1u);
}

// Every file the database consists of, as bytes.
std::string AllBytes(const std::filesystem::path& file) {
    std::string bytes;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::path part = file;
        part += suffix;
        if (std::filesystem::exists(part))
            bytes += ReadFileBytes(part);
    }
    return bytes;
}

TEST_F(HistoryTest, ClearAllLeavesNoTraceOfTheTextOrTheNames) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    for (int i = 0; i < 200; ++i)
        store.RecordBatch(
            Batch("Quokkafeather number " + std::to_string(i), {Part("5550000001", "Zyxwarbler")}));
    ASSERT_NE(AllBytes(File()).find("Quokkafeather"), std::string::npos);
    ASSERT_TRUE(store.ClearAll());
    EXPECT_THAT(store.Page({}), IsEmpty());
    const std::string bytes = AllBytes(File());
    EXPECT_EQ(bytes.find("Quokkafeather"), std::string::npos);
    EXPECT_EQ(bytes.find("uokkafeather"), std::string::npos);  // nor the index's form of it
    EXPECT_EQ(bytes.find("zyxwarbler"), std::string::npos);
    EXPECT_GT(store.RecordBatch(Batch("after", {Part("5550000001", "A")})), 0);
}

TEST_F(HistoryTest, RetentionRemovesOldBatchesAtOpenAndKeepingNoneWritesNothing) {
    const std::int64_t day = 24LL * 60 * 60 * 1000;
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    store.RecordBatch(Batch("ten days", {Part("5550000001", "A")}, NowMs() - 10 * day));
    const std::int64_t recent =
        store.RecordBatch(Batch("yesterday", {Part("5550000001", "A")}, NowMs() - day));
    ASSERT_EQ(Open({7}), HistoryStatus::Ready);
    EXPECT_THAT(AllIds({}), ElementsAre(recent));
    EXPECT_THAT(Search("ten"), IsEmpty());

    ASSERT_EQ(Open({0}), HistoryStatus::Off);
    EXPECT_EQ(store.RecordBatch(Batch("not kept", {Part("5550000001", "A")})), 0);
    EXPECT_THAT(store.Page({}), IsEmpty());
    EXPECT_EQ(AllBytes(File()).find("yesterday"), std::string::npos);

    const std::filesystem::path none = dir / "none.db";
    EXPECT_EQ(store.Open(none, {0}), HistoryStatus::Off);
    EXPECT_FALSE(std::filesystem::exists(none));
}

TEST_F(HistoryTest, TheFileAndItsJournalAreTheUsersAlone) {
    ::umask(022);
    WriteFileBytes(File(), "");  // left by an older copy with the usual mode; narrowed at open
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    store.RecordBatch(Batch("private", {Part("5550000001", "A")}));
    for (const char* suffix : {"", "-wal", ".lock"}) {
        std::filesystem::path file = File();
        file += suffix;
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0) << file;
        EXPECT_EQ(info.st_mode & 0777, 0600u) << file;
    }
}

}  // namespace
