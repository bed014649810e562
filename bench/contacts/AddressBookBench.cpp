// The address-book panel with 100,000 contacts, in the window itself (offscreen):
// RefreshAddressBook against a plain std::stable_sort of the same upper-cased keys (goal: ratio
// at most 1.5), and deleting 1,000 selected rows against erasing them from a vector (goal: at
// most 2x).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchSettings.h"
#include "RatioReporter.h"
#include "base/Text.h"
#include "storage/AppSettings.h"
#include "ui/addressbook/AddressBookPanel.h"
#include "ui/main/MainDlg.h"

namespace {

constexpr int kContacts = 100000;
constexpr int kDeleted = 1000;

// Names as people have them, in no order.
AddressBook MakeBook() {
    static const char* const kFirst[] = {"Maria", "mark",   "Mohammed", "Ann",  "bob",
                                         "Carla", "Dmitri", "eve",      "Fran", "Gus"};
    static const char* const kLast[] = {"Smith", "Nguyen", "Okafor", "Jensen", "Alvarez",
                                        "Kim",   "Marsh",  "Moreau", "Silva",  "Weber"};
    std::mt19937 random(12345);
    AddressBook book;
    book.reserve(kContacts);
    for (int i = 0; i < kContacts; ++i) {
        book.push_back({std::string(kFirst[random() % 10]) + " " + kLast[random() % 10] + " " +
                            std::to_string(random() % 100000),
                        "", std::to_string(5550000000LL + i), CarrierAutoDetect});
    }
    return book;
}

const AddressBook& Book() {
    static const AddressBook book = MakeBook();
    return book;
}

const AddressBook& SortedBook() {
    static const AddressBook sorted = [] {
        AddressBook book = Book();
        std::stable_sort(book.begin(), book.end(), [](const CContact& a, const CContact& b) {
            return UpperCase(a.Name) < UpperCase(b.Name);
        });
        return book;
    }();
    return sorted;
}

// Every hundredth row: a thousand rows spread over the whole list.
std::vector<int> DeletedRows() {
    std::vector<int> rows;
    for (int r = 0; r < kContacts && static_cast<int>(rows.size()) < kDeleted; r += 100)
        rows.push_back(r);
    return rows;
}

CMainDlg* g_window = nullptr;

void BM_StableSortKeys(benchmark::State& state) {
    std::vector<std::string> keys;
    for (const CContact& c : Book()) keys.push_back(UpperCase(c.Name));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> work = keys;
        state.ResumeTiming();
        std::stable_sort(work.begin(), work.end());
        benchmark::DoNotOptimize(work.data());
    }
}

// range(0): 0 a book in no order, 1 a book already in order (every later refresh).
void BM_RefreshAddressBook(benchmark::State& state) {
    const AddressBook& source = state.range(0) == 0 ? Book() : SortedBook();
    for (auto _ : state) {
        state.PauseTiming();
        AppSettings().AddressBook = source;
        state.ResumeTiming();
        g_window->Panel()->Refresh();
    }
}

void BM_EraseFromVector(benchmark::State& state) {
    const std::vector<int> rows = DeletedRows();
    for (auto _ : state) {
        state.PauseTiming();
        AddressBook book = SortedBook();
        state.ResumeTiming();
        std::vector<bool> doomed(book.size());
        for (int r : rows) doomed[static_cast<std::size_t>(r)] = true;
        std::size_t i = 0;
        book.erase(
            std::remove_if(book.begin(), book.end(), [&](const CContact&) { return doomed[i++]; }),
            book.end());
        benchmark::DoNotOptimize(book.data());
    }
}

// Selecting the rows is set-up; the deletion is the panel's, refresh included.
void BM_DeleteSelectedRows(benchmark::State& state) {
    const std::vector<int> rows = DeletedRows();
    QTreeView* list = g_window->AddressList();
    for (auto _ : state) {
        state.PauseTiming();
        AppSettings().AddressBook = SortedBook();
        g_window->Panel()->Refresh();
        QItemSelection selection;
        for (int r : rows) {
            const QModelIndex index = list->model()->index(r, 0);
            selection.select(index, index);
        }
        list->selectionModel()->select(selection,
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        state.ResumeTiming();
        CAddressBookPanel* panel = g_window->Panel();
        panel->DeleteRows(panel->SelectedRows());  // as Delete does once the user said Yes
    }
    if (AppSettings().AddressBook.size() != static_cast<std::size_t>(kContacts - kDeleted))
        state.SkipWithError("the rows were not deleted");
}

BENCHMARK(BM_StableSortKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshAddressBook)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EraseFromVector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteSelectedRows)->Unit(benchmark::kMillisecond);

// Real and CPU time against the baseline's: on a busy machine the CPU times say more.
void PrintRatio(RatioReporter& r, const char* what, const char* run, const char* baseline,
                double goal) {
    auto ratio = [](double time, double base) { return base > 0 ? time / base : 0.0; };
    std::printf("  %s: %.2f real, %.2f cpu (goal <= %.1f)\n", what,
                ratio(r.realTimes[run], r.realTimes[baseline]),
                ratio(r.cpuTimes[run], r.cpuTimes[baseline]), goal);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const BenchSettings settings;
    if (!settings.Ready())
        return 1;
    AppSettings().AddressBookStartup = CAppSettings::StartupOpen;
    int status = 0;
    {
        CMainDlg window;
        window.show();
        g_window = &window;
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        std::printf("%d contacts, against the baseline:\n", kContacts);
        PrintRatio(reporter, "RefreshAddressBook, no order", "BM_RefreshAddressBook/0",
                   "BM_StableSortKeys", 1.5);
        PrintRatio(reporter, "RefreshAddressBook, in order", "BM_RefreshAddressBook/1",
                   "BM_StableSortKeys", 1.5);
        PrintRatio(reporter, "deleting 1000 selected rows", "BM_DeleteSelectedRows",
                   "BM_EraseFromVector", 2.0);
        g_window = nullptr;
        AppSettings().AddressBook.clear();
    }
    benchmark::Shutdown();
    return status;
}
