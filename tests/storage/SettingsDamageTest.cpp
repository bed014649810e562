// Damaged settings files: every cut and every flipped byte must load without a crash, with the
// defaults or a partial record, and without any large allocation.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "SettingsFixture.h"

using namespace bytes;

// This test program counts the largest single allocation made through operator new.
namespace {
std::atomic<std::size_t> g_largestAllocation{0};
}

void* operator new(std::size_t size) {
    std::size_t largest = g_largestAllocation.load(std::memory_order_relaxed);
    while (size > largest && !g_largestAllocation.compare_exchange_weak(largest, size)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

constexpr std::size_t kAllocationLimit = 1 << 20;

// Where a loaded field stands against the saved sample.
enum class Loaded { Full, Partial, Default };

template <typename List>
Loaded ListState(const List& loaded, const List& saved) {
    if (loaded.empty())
        return Loaded::Default;
    if (loaded == saved)
        return Loaded::Full;
    EXPECT_LT(loaded.size(), saved.size());
    EXPECT_TRUE(std::equal(loaded.begin(), loaded.end(), saved.begin())) << "not a prefix";
    return Loaded::Partial;
}

template <typename T>
Loaded ValueState(const T& loaded, const T& saved, const T& fallback) {
    if (loaded == saved)
        return Loaded::Full;
    EXPECT_EQ(loaded, fallback);
    return Loaded::Default;
}

// The fields in stream order: some fully loaded, then at most one partial list, then defaults.
void ExpectPrefixOfSample(const CAppSettings& s, const CAppSettings& saved) {
    AddressBook savedBook = saved.AddressBook;
    for (auto& c : savedBook) c.AltName.clear();
    const Loaded states[] = {
        ValueState<std::int32_t>(s.MessageCount, saved.MessageCount, 0),
        ValueState(s.AddressBookStartup, saved.AddressBookStartup, 1),
        ValueState(s.AddressBookLastSetting, saved.PanelClosed, 0),
        ValueState(s.SendOnEnter, saved.SendOnEnter, 1),
        ValueState(s.WindowX, saved.WindowX, 0),
        ValueState(s.WindowY, saved.WindowY, 0),
        ValueState(s.MyName, saved.MyName, std::string()),
        ValueState(s.MyNumber, saved.MyNumber, std::string()),
        ValueState(s.MyEmail, saved.MyEmail, std::string()),
        ListState(s.RecentTo, saved.RecentTo),
        ValueState(s.MyInfoSelectedInRecentFromList, saved.MyInfoSelectedInRecentFromList, 0),
        ListState(s.RecentFrom, saved.RecentFrom),
        ListState(s.AddressBook, savedBook),
        ValueState<std::int32_t>(s.CounterReported, saved.CounterReported, 0),
    };
    bool stopped = false;
    for (std::size_t i = 0; i < std::size(states); ++i) {
        if (stopped) {
            EXPECT_EQ(states[i], Loaded::Default) << "field " << i << " after the cut";
        }
        stopped = stopped || states[i] != Loaded::Full;
    }
}

bool IsDefaultRecord(const CAppSettings& s) {
    return s.MessageCount == 0 && s.AddressBookStartup == 1 && s.AddressBookLastSetting == 0 &&
           s.SendOnEnter == 1 && s.WindowX == 0 && s.WindowY == 0 && s.MyName.empty() &&
           s.MyNumber.empty() && s.MyEmail.empty() && s.RecentTo.empty() &&
           s.MyInfoSelectedInRecentFromList == 0 && s.RecentFrom.empty() && s.AddressBook.empty() &&
           s.CounterReported == 0;
}

class SettingsDamageTest : public SettingsFileTest {
protected:
    // Loads `content` as the settings file and checks the largest allocation it made.
    void LoadFrom(const std::string& content) {
        PutFile(content);
        const auto exeDirectory = AppSettings().ExeDirectory;
        AppSettings().Clear();
        AppSettings().ExeDirectory = exeDirectory;
        g_largestAllocation = 0;
        LoadSettings();
        EXPECT_LE(g_largestAllocation.load(), kAllocationLimit);
    }
};

}  // namespace

TEST_F(SettingsDamageTest, FileCutAtEveryLengthLoadsNothing) {
    FillSample(AppSettings());
    SaveSettings();
    const std::string file = ReadFileBytes(File());
    for (std::size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE(length);
        LoadFrom(file.substr(0, length));
        EXPECT_TRUE(IsDefaultRecord(AppSettings()));
    }
    LoadFrom(file);
    EXPECT_EQ(AppSettings().CounterReported, 1);
}

TEST_F(SettingsDamageTest, EveryFlippedFileByteIsCaughtBeforeLoading) {
    FillSample(AppSettings());
    SaveSettings();
    const std::string file = ReadFileBytes(File());
    for (std::size_t i = 0; i < file.size(); ++i) {
        SCOPED_TRACE(i);
        std::string damaged = file;
        damaged[i] = static_cast<char>(~damaged[i]);
        LoadFrom(damaged);
        EXPECT_TRUE(IsDefaultRecord(AppSettings()));
    }
}

TEST_F(SettingsDamageTest, StreamCutAtEveryLengthLoadsAPrefix) {
    CAppSettings saved;
    FillSample(saved);
    const std::string stream = SampleStream();
    std::size_t partial = 0;
    for (std::size_t length = 0; length <= stream.size(); ++length) {
        SCOPED_TRACE(length);
        LoadFrom(Container(stream.substr(0, length)));
        ExpectPrefixOfSample(AppSettings(), saved);
        if (!IsDefaultRecord(AppSettings()))
            ++partial;
    }
    // Everything after the version text loads something.
    EXPECT_EQ(partial, stream.size() + 1 - Text("Prefs Version 1.2").size() - 4);
    EXPECT_EQ(AppSettings().CounterReported, 1);
    EXPECT_TRUE(ui->MessageTexts().empty());
}

TEST_F(SettingsDamageTest, EveryFlippedStreamByteLoadsWithoutHarm) {
    const std::string stream = SampleStream();
    for (std::size_t i = 0; i < stream.size(); ++i) {
        SCOPED_TRACE(i);
        for (char mask : {'\xFF', '\x80', '\x01'}) {
            std::string damaged = stream;
            damaged[i] = static_cast<char>(damaged[i] ^ mask);
            LoadFrom(Container(damaged));
        }
    }
    EXPECT_TRUE(ui->MessageTexts().empty());
}

TEST_F(SettingsDamageTest, OldestFormatCutAtEveryLength) {
    const std::string file =
        Legacy({"RecentTo=Ann", "AddressBook=Ann", "Annie", "5550001111", "8", "MyName=Me",
                "AddressBook=Bob", "", "5550002222", "12", "WindowX=-250"});
    const AddressBook full = {{"Ann", "Annie", "5550001111", 9}, {"Bob", "", "5550002222", 12}};
    for (std::size_t length = 0; length <= file.size(); ++length) {
        SCOPED_TRACE(length);
        LoadFrom(file.substr(0, length));
        const AddressBook& book = AppSettings().AddressBook;
        ASSERT_LE(book.size(), full.size());
        // Entries before the last are whole; the last may have a cut carrier line.
        for (std::size_t i = 0; i + 1 < book.size(); ++i) EXPECT_EQ(book[i], full[i]);
        if (!book.empty()) {
            EXPECT_EQ(book.back().Number, full[book.size() - 1].Number);
        }
    }
    EXPECT_EQ(AppSettings().AddressBook, full);
    EXPECT_EQ(AppSettings().WindowX, -250);
}
