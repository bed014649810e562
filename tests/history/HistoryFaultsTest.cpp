// What the history does when its file cannot serve: it says so once and the caller goes on.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <mutex>

#include "HistoryFixture.h"
#include "history/HistoryWriter.h"
#include "history/SqliteDatabase.h"
#include "history/SqliteStatement.h"

namespace {

namespace fs = std::filesystem;
using ::testing::IsEmpty;

HistoryBatchRecord Small(const std::string& text) {
    return Batch(text, {Part("5550000001", "Ann")});
}

// Overwrites the pages of one table with garbage: the file opens, that table does not read.
void DamageTable(const fs::path& file, const std::string& table) {
    std::vector<std::int64_t> pages;
    {
        CSqliteDatabase db(file, CSqliteDatabase::Mode::ReadOnly);
        CSqliteStatement query = db.Prepare("SELECT pageno FROM dbstat WHERE name = ?1");
        query.Bind(1, std::string_view(table));
        while (query.Step()) pages.push_back(query.Int(0));
    }
    ASSERT_FALSE(pages.empty());
    std::string bytes = ReadFileBytes(file);
    for (std::int64_t page : pages)
        std::fill_n(bytes.begin() + (page - 1) * 4096, 4096, static_cast<char>(0xA5));
    WriteFileBytes(file, bytes);
}

TEST_F(HistoryTest, AFileThatIsNotADatabaseIsMovedAsideAndAFreshOneStarted) {
    WriteFileBytes(File(), std::string(10000, 'x'));
    ASSERT_EQ(Open(), HistoryStatus::Restarted);
    const std::optional<HistoryNotice> notice = store.TakeNotice();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->status, HistoryStatus::Restarted);
    EXPECT_EQ(ReadFileBytes(notice->movedAside), std::string(10000, 'x'));
    EXPECT_EQ(notice->movedAside.parent_path(), dir.path());
    EXPECT_FALSE(store.TakeNotice());  // told once
    EXPECT_GT(store.RecordBatch(Small("fresh")), 0);
    EXPECT_EQ(store.Page({}).size(), 1u);
}

TEST_F(HistoryTest, DamageFoundInUseRestartsTheFileAndTheBatchAtHandIsKept) {
    const struct {
        std::function<void(CHistoryStore&)> use;
        bool recordsAfter;
    } cases[] = {
        {[](CHistoryStore& s) { s.Page({}); }, false},
        {[](CHistoryStore& s) { s.RecordBatch(Small("after")); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.recordsAfter);
        ASSERT_EQ(Open(), HistoryStatus::Ready);
        for (int i = 0; i < 50; ++i) store.RecordBatch(Small("batch " + std::to_string(i)));
        store.Close();
        DamageTable(File(), "recipient");
        ASSERT_EQ(Open(), HistoryStatus::Ready);
        c.use(store);
        const std::optional<HistoryNotice> notice = store.TakeNotice();
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->status, HistoryStatus::Restarted);
        EXPECT_TRUE(fs::exists(notice->movedAside));
        if (!c.recordsAfter) {
            EXPECT_GT(store.RecordBatch(Small("after")), 0);
        }
        const std::vector<HistoryBatch> page = store.Page({});
        ASSERT_EQ(page.size(), 1u);
        EXPECT_EQ(page[0].firstLineUtf8, "after");
    }
}

TEST_F(HistoryTest, AFileOfANewerVersionIsLeftUntouched) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    store.RecordBatch(Small("from the future"));
    store.Close();
    CSqliteDatabase(File(), CSqliteDatabase::Mode::ReadWrite).Exec("PRAGMA user_version = 99");
    const std::string before = ReadFileBytes(File());
    EXPECT_EQ(Open(), HistoryStatus::NewerVersion);
    EXPECT_EQ(store.TakeNotice().value().status, HistoryStatus::NewerVersion);
    EXPECT_EQ(store.RecordBatch(Small("now")), 0);
    EXPECT_THAT(store.Page({}), IsEmpty());
    store.Close();
    EXPECT_EQ(ReadFileBytes(File()), before);
}

TEST_F(HistoryTest, AFileThatCannotBeOpenedIsReportedAndEveryCallStillReturns) {
    fs::create_directory(dir / "a folder");
    for (const fs::path& file : {dir / "missing-folder" / "h.db", dir / "a folder"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(store.Open(file, {}), HistoryStatus::CannotOpen);
        EXPECT_EQ(store.TakeNotice().value().status, HistoryStatus::CannotOpen);
        EXPECT_EQ(store.RecordBatch(Small("lost")), 0);
        EXPECT_FALSE(store.UpdateDelivery("modem", "x", DeliveryState::Delivered, 1));
        EXPECT_FALSE(store.ClearAll());
        EXPECT_THAT(store.Page({}), IsEmpty());
    }
}

TEST_F(HistoryTest, ASecondWriterFindsTheFileLockedWhileReadersStillRead) {
    ASSERT_EQ(Open(), HistoryStatus::Ready);
    store.RecordBatch(Small("mine"));
    CHistoryStore other;
    EXPECT_EQ(other.Open(File(), {}), HistoryStatus::Locked);
    EXPECT_EQ(other.RecordBatch(Small("theirs")), 0);
    CHistoryStore reader;
    HistoryOptions readOnly;
    readOnly.reader = true;
    ASSERT_EQ(reader.Open(File(), readOnly), HistoryStatus::Ready);
    EXPECT_EQ(reader.Page({}).size(), 1u);
    EXPECT_EQ(reader.RecordBatch(Small("reader")), 0);
    store.Close();
    EXPECT_EQ(other.Open(File(), {}), HistoryStatus::Ready);
}

TEST_F(HistoryTest, AFullDiskFailsTheWriteAndKeepsWhatWasCommitted) {
    HistoryOptions small;
    small.maxPages = 40;
    ASSERT_EQ(Open(small), HistoryStatus::Ready);
    const std::string big(3000, 'w');
    int recorded = 0;
    while (store.RecordBatch(Small(big + std::to_string(recorded))) > 0)
        ASSERT_LT(++recorded, 1000) << "the cap never filled";
    EXPECT_GT(recorded, 0);
    EXPECT_EQ(store.Status(), HistoryStatus::Ready);
    EXPECT_EQ(AllIds({}).size(), static_cast<std::size_t>(recorded));
    ASSERT_TRUE(store.ClearAll());
    EXPECT_GT(store.RecordBatch(Small("room again")), 0);
}

TEST_F(HistoryTest, TheWriterRecordsInOrderAndPassesOnItsNoticeOnce) {
    WriteFileBytes(File(), "not a database at all");
    std::mutex mutex;
    std::vector<HistoryStatus> notices;
    {
        CHistoryWriter writer(File(), {}, [&](const HistoryNotice& notice) {
            std::lock_guard lock(mutex);
            notices.push_back(notice.status);
        });
        for (int i = 0; i < 20; ++i) writer.Record(Small("queued " + std::to_string(i)));
        ASSERT_TRUE(writer.WaitUntilWritten(std::chrono::seconds(30)));
        EXPECT_EQ(writer.Status(), HistoryStatus::Restarted);
        writer.DeleteBatches({1});
        writer.Record(Small("last, written before the writer ends"));
    }
    EXPECT_EQ(notices, std::vector<HistoryStatus>{HistoryStatus::Restarted});
    HistoryOptions readOnly;
    readOnly.reader = true;
    ASSERT_EQ(Open(readOnly), HistoryStatus::Ready);
    const std::vector<HistoryBatch> page = store.Page({});
    ASSERT_EQ(page.size(), 20u);
    EXPECT_EQ(page.front().firstLineUtf8, "last, written before the writer ends");
    EXPECT_EQ(page.back().firstLineUtf8, "queued 1");
}

}  // namespace
