#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>

#include "SettingsFixture.h"
#include "storage/ScrambledArchive.h"
#include "storage/SettingsFile.h"
#include "storage/SettingsFormat.h"

using namespace bytes;

namespace {

const char* const kSaveError = "Error Saving Quillo Information!";

std::string Decoded(const std::string& file) {
    return std::string(CScrambledArchive(kPassPhrase).Decode(file));
}

void ExpectStartupDefaults(const CAppSettings& s) {
    EXPECT_EQ(s.AddressBookStartup, 1);
    EXPECT_EQ(s.AddressBookLastSetting, 0);
    EXPECT_EQ(s.MessageCount, 0);
    EXPECT_EQ(s.SendOnEnter, 1);
    EXPECT_EQ(s.CounterReported, 0);
    EXPECT_EQ(s.MyInfoSelectedInRecentFromList, 0);
    EXPECT_EQ(s.WindowX, 0);
    EXPECT_EQ(s.WindowY, 0);
    EXPECT_TRUE(s.MyName.empty() && s.MyNumber.empty() && s.MyEmail.empty());
    EXPECT_TRUE(s.RecentTo.empty() && s.RecentFrom.empty() && s.AddressBook.empty());
}

}  // namespace

class SettingsTest : public SettingsFileTest {};

TEST_F(SettingsTest, NoFileKeepsDefaultsAndFirstSaveCreatesVersion12) {
    LoadSettings();
    ExpectStartupDefaults(AppSettings());
    EXPECT_TRUE(ui->MessageTexts().empty());

    SaveSettings();
    const std::string file = ReadFileBytes(File());
    EXPECT_EQ(file.substr(0, 4), "bas\x03");
    EXPECT_EQ(Decoded(file), Text("Prefs Version 1.2") + I32(0) + I32(1) + I32(0) + I32(1) +
                                 I32(0) + I32(0) + Text("") + Text("") + Text("") + U32(0) +
                                 I32(0) + U32(0) + U32(0) + I32(0));
}

TEST_F(SettingsTest, SavedFileHasTheExactDocumentedBytes) {
    FillSample(AppSettings());
    SaveSettings();
    EXPECT_TRUE(ui->MessageTexts().empty());

    const std::string file = ReadFileBytes(File());
    const std::string stream = SampleStream();
    ASSERT_GT(file.size(), 12u);
    EXPECT_EQ(file.substr(0, 3), "bas");
    EXPECT_EQ(file[3], '\x03');
    EXPECT_EQ(file.substr(4, 4), U32(static_cast<std::uint32_t>(stream.size())));
    const std::string compressed = Xor(file.substr(12), kPassPhrase);
    EXPECT_EQ(file.substr(8, 4), U32(Adler(compressed)));
    EXPECT_EQ(compressed, Compress(stream));
}

TEST_F(SettingsTest, EveryFieldSurvivesASaveAndALoad) {
    FillSample(AppSettings());
    SaveSettings();
    Restart();

    CAppSettings expected;
    FillSample(expected);
    const CAppSettings& s = AppSettings();
    EXPECT_EQ(s.MessageCount, 42);
    EXPECT_EQ(s.AddressBookStartup, CAppSettings::StartupLastSetting);
    EXPECT_EQ(s.AddressBookLastSetting, 1);  // the panel was collapsed when saved
    EXPECT_EQ(s.PanelClosed, 0);
    EXPECT_EQ(s.SendOnEnter, 0);
    EXPECT_EQ(s.WindowX, -17);
    EXPECT_EQ(s.WindowY, 300);
    EXPECT_EQ(s.MyName, expected.MyName);
    EXPECT_EQ(s.MyNumber, expected.MyNumber);
    EXPECT_EQ(s.MyEmail, expected.MyEmail);
    EXPECT_EQ(s.RecentTo, expected.RecentTo);
    EXPECT_EQ(s.MyInfoSelectedInRecentFromList, 1);
    EXPECT_EQ(s.RecentFrom, expected.RecentFrom);
    expected.AddressBook[0].AltName.clear();  // never stored
    EXPECT_EQ(s.AddressBook, expected.AddressBook);
    EXPECT_EQ(s.CounterReported, 1);
}

TEST_F(SettingsTest, LargeAndExtremeValuesSurvive) {
    CAppSettings& s = AppSettings();
    s.MessageCount = INT32_MAX;
    s.WindowX = INT32_MIN;
    s.MyName = std::string(200000, 'n');
    s.MyEmail = std::string("\x80\xFF\x01 all bytes but zero", 22);
    for (int i = 0; i < 10; ++i)
        s.RecentTo.push_back(std::string(1000, static_cast<char>('a' + i)));
    for (int i = 0; i < 20000; ++i) {
        s.AddressBook.push_back(
            {"Name " + std::to_string(i), "", std::to_string(5550000000 + i), i % kCarrierCount});
    }
    const CAppSettings saved = s;
    SaveSettings();
    Restart();
    EXPECT_EQ(s.MessageCount, INT32_MAX);
    EXPECT_EQ(s.WindowX, INT32_MIN);
    EXPECT_EQ(s.MyName, saved.MyName);
    EXPECT_EQ(s.MyEmail, saved.MyEmail);
    EXPECT_EQ(s.RecentTo, saved.RecentTo);
    EXPECT_EQ(s.AddressBook, saved.AddressBook);
}

TEST_F(SettingsTest, TextsEndAtTheirFirstZeroByte) {
    PutFile(Container(Text("Prefs Version 1.2") + I32(5) + I32(0) + I32(0) + I32(1) + I32(0) +
                      I32(0) + Text(std::string("ab\0cd", 5)) + Text("555") + Text("")));
    LoadSettings();
    EXPECT_EQ(AppSettings().MyName, "ab");
    EXPECT_EQ(AppSettings().MyNumber, "555");  // the whole length was consumed
}

TEST_F(SettingsTest, Version11LoadsAllButSendOnEnterAndIsRewrittenAs12) {
    PutFile(Container(Text("Prefs Version 1.1") + I32(7) + I32(0) + I32(1) + I32(10) + I32(20) +
                      Text("Me") + Text("5551112222") + Text("me@x.org") + TextList({"Ann"}) +
                      I32(1) + TextList({"Me"}) + Contacts({{"Ann", "", "5553334444", 4}}) +
                      I32(1)));
    LoadSettings();
    const CAppSettings& s = AppSettings();
    EXPECT_EQ(s.MessageCount, 7);
    EXPECT_EQ(s.AddressBookStartup, 0);
    EXPECT_EQ(s.AddressBookLastSetting, 1);
    EXPECT_EQ(s.SendOnEnter, 1);
    EXPECT_EQ(s.WindowX, 10);
    EXPECT_EQ(s.WindowY, 20);
    EXPECT_EQ(s.MyEmail, "me@x.org");
    EXPECT_EQ(s.RecentTo, std::vector<std::string>{"Ann"});
    EXPECT_EQ(s.MyInfoSelectedInRecentFromList, 1);
    EXPECT_EQ(s.AddressBook, (AddressBook{{"Ann", "", "5553334444", 4}}));
    EXPECT_EQ(s.CounterReported, 1);

    SaveSettings();
    const std::string stream = Decoded(ReadFileBytes(File()));
    EXPECT_EQ(stream.substr(0, 21), Text("Prefs Version 1.2"));
    EXPECT_EQ(stream.substr(21, 16), I32(7) + I32(0) + I32(0) + I32(1));  // SendOnEnter now stored
}

TEST_F(SettingsTest, OldestFormatReadsEveryKey) {
    std::vector<std::string> lines = {
        "RecentTo=Ann, Bob",
        "RecentFrom=Me",
        "AddressBook=Ann",
        "Annie",
        "(555) 000-1111",
        "8",
        "AddressBookStartup=LAST",
        "MessageCount=-12xyz",
        "AddressBookLastSetting=CLOSED",
        "WindowX=  33",
        "WindowY=99999999999",
        "MyName=Jos\xE9",
        "MyNumber=555.123.4567",
        "MyEmail=me@x.org",
        "MyInfoSelectedInRecentFromList=TRUE",
        "junk line with RecentTo=Cy inside",
        "AddressBook=Bob",
        "",
        "5550002222",
        "9",
        "AddressBook=Dee",
        "",
        "5550004444",
        "12x",
        "AddressBook=Eve",
        "",
        "5550005555",
        "V",
        "RecentFrom=Work",
    };
    // Enough recent entries to go well past 1024 bytes; the last ones must still be read.
    for (int i = 0; i < 60; ++i) lines.push_back("RecentTo=recipient number " + std::to_string(i));
    const std::string file = Legacy(lines);
    ASSERT_GT(file.size(), 2048u);
    PutFile(file);
    LoadSettings();

    const CAppSettings& s = AppSettings();
    ASSERT_EQ(s.RecentTo.size(), 62u);
    EXPECT_EQ(s.RecentTo[0], "Ann, Bob");
    EXPECT_EQ(s.RecentTo[1], "Cy inside");  // keys are found anywhere in unmatched text
    EXPECT_EQ(s.RecentTo.back(), "recipient number 59");
    EXPECT_EQ(s.RecentFrom, (std::vector<std::string>{"Me", "Work"}));
    EXPECT_EQ(s.AddressBook, (AddressBook{{"Ann", "Annie", "(555) 000-1111", CarrierVerizon},
                                          {"Bob", "", "5550002222", CarrierVerizon},
                                          {"Dee", "", "5550004444", 12},
                                          {"Eve", "", "5550005555", CarrierAutoDetect}}));
    EXPECT_EQ(s.AddressBookStartup, CAppSettings::StartupLastSetting);
    EXPECT_EQ(s.MessageCount, -12);
    EXPECT_EQ(s.AddressBookLastSetting, 1);
    EXPECT_EQ(s.WindowX, 33);
    EXPECT_EQ(s.WindowY, INT32_MAX);
    EXPECT_EQ(s.MyName, "Jos\xE9");
    EXPECT_EQ(s.MyNumber, "555.123.4567");
    EXPECT_EQ(s.MyEmail, "me@x.org");
    EXPECT_EQ(s.MyInfoSelectedInRecentFromList, 1);
    EXPECT_EQ(s.SendOnEnter, 1);
    EXPECT_TRUE(ui->MessageTexts().empty());

    // The next save writes version 1.2, without the second name.
    SaveSettings();
    Restart();
    EXPECT_EQ(s.AddressBook[0], (CContact{"Ann", "", "(555) 000-1111", CarrierVerizon}));
    EXPECT_EQ(s.RecentTo.size(), 62u);
    EXPECT_EQ(s.MyNumber, "555.123.4567");
}

TEST_F(SettingsTest, OldestFormatWordValues) {
    struct Case {
        std::string line;
        std::int32_t startup, lastSetting, myInfo;
    };
    // Each file first sets all three away from their defaults, then applies one more line.
    const Case cases[] = {
        {"AddressBookStartup=OPEN", 0, 1, 1},
        {"AddressBookStartup=CLOSED", 1, 1, 1},
        {"AddressBookStartup=open", 2, 1, 1},  // an unknown word leaves it unchanged
        {"AddressBookLastSetting=OPEN", 2, 0, 1},
        {"AddressBookLastSetting=open", 2, 1, 1},
        {"MyInfoSelectedInRecentFromList=true", 2, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        PutFile(Legacy({"AddressBookStartup=LAST", "AddressBookLastSetting=CLOSED",
                        "MyInfoSelectedInRecentFromList=TRUE", c.line}));
        Restart();
        EXPECT_EQ(AppSettings().AddressBookStartup, c.startup);
        EXPECT_EQ(AppSettings().AddressBookLastSetting, c.lastSetting);
        EXPECT_EQ(AppSettings().MyInfoSelectedInRecentFromList, c.myInfo);
    }
}

TEST_F(SettingsTest, OldestFormatUnfinishedLastValue) {
    // A last line without CR LF keeps what it has.
    PutFile(Legacy({"MyName=Al"}) + "MyEmail=al@x.org");
    Restart();
    EXPECT_EQ(AppSettings().MyName, "Al");
    EXPECT_EQ(AppSettings().MyEmail, "al@x.org");

    // An entry needs its name, second name and number lines; the carrier may be unfinished.
    PutFile(Legacy({"AddressBook=Ann", "", "5550001111"}) + "7");
    Restart();
    EXPECT_EQ(AppSettings().AddressBook, (AddressBook{{"Ann", "", "5550001111", 7}}));
    PutFile(Legacy({"RecentTo=x", "AddressBook=Ann", ""}) + "55500");
    Restart();
    EXPECT_TRUE(AppSettings().AddressBook.empty());
    EXPECT_EQ(AppSettings().RecentTo, std::vector<std::string>{"x"});
    PutFile(Legacy({}) + "MyNa");
    Restart();
    EXPECT_TRUE(AppSettings().MyName.empty());
}

TEST_F(SettingsTest, FilesThatLoadNothing) {
    const std::pair<const char*, std::string> files[] = {
        {"empty", ""},
        {"empty container", Container("")},
        {"unknown version", Container(SampleStream().replace(20, 1, "3"))},
        {"1.1 text with a longer length", Container(Text("Prefs Version 1.1x") + I32(5))},
        {"short version text", Container(Text("Prefs") + I32(5))},
        {"random bytes", "\x01\x02\x03\x04\x05\x06\x07"},
    };
    for (const auto& [what, content] : files) {
        SCOPED_TRACE(what);
        PutFile(content);
        Restart();
        ExpectStartupDefaults(AppSettings());
    }
    EXPECT_TRUE(ui->MessageTexts().empty());
}

TEST_F(SettingsTest, WrongPassPhraseTellsTheUserOnceAndLoadsNothing) {
    PutFile(Container(SampleStream(), 3, "not the phrase"));
    LoadSettings();
    ExpectStartupDefaults(AppSettings());
    EXPECT_EQ(ui->MessageTexts(), std::vector<std::string>{"Password incorrect!!!"});
}

TEST_F(SettingsTest, PlainFlagOneFileLoads) {
    PutFile(Container(SampleStream(), 1));
    LoadSettings();
    EXPECT_EQ(AppSettings().MessageCount, 42);
    EXPECT_EQ(AppSettings().AddressBook.size(), 3u);
    EXPECT_EQ(AppSettings().CounterReported, 1);
}

TEST_F(SettingsTest, StreamCutShortKeepsWhatCameBefore) {
    const std::string full = SampleStream();
    // Cut inside the third contact: two entries stay, the counter flag keeps its default.
    const std::size_t cut = full.find(Text("Cy")) + 3;
    PutFile(Container(full.substr(0, cut)));
    LoadSettings();
    const CAppSettings& s = AppSettings();
    EXPECT_EQ(s.MessageCount, 42);
    EXPECT_EQ(s.RecentFrom.size(), 3u);
    EXPECT_EQ(s.AddressBook.size(), 2u);
    EXPECT_EQ(s.CounterReported, 0);

    // A count far larger than the bytes left is a damaged list, not a reason to allocate.
    PutFile(Container(Text("Prefs Version 1.2") + I32(3) + I32(0) + I32(0) + I32(1) + I32(0) +
                      I32(0) + Text("") + Text("") + Text("") + U32(0xFFFFFFFF) + Text("one")));
    Restart();
    EXPECT_EQ(AppSettings().MessageCount, 3);
    EXPECT_EQ(AppSettings().RecentTo, std::vector<std::string>{"one"});
}

class SettingsSaveFailureTest : public SettingsFileTest {
protected:
    void SetUp() override {
        SettingsFileTest::SetUp();
        FillSample(AppSettings());
        SaveSettings();
        old = ReadFileBytes(File());
        AppSettings().MyName = "changed";
    }

    void ExpectOldFileKept() {
        EXPECT_EQ(ui->MessageTexts(), std::vector<std::string>{kSaveError});
        EXPECT_EQ(ReadFileBytes(File()), old);
        EXPECT_EQ(AppSettings().MyName, "changed");
        EXPECT_FALSE(std::filesystem::exists(PendingFilePath(File())));
    }

    std::string old;
};

TEST_F(SettingsSaveFailureTest, WriteErrorPartWayKeepsTheOldFile) {
    // A file size limit makes write() fail half-way, as a full disk would.
    std::uint32_t seed = 1;
    std::string noise;
    for (int i = 0; i < 20000; ++i)
        noise += static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    AppSettings().MyEmail = noise;
    ASSERT_GT(CScrambledArchive(kPassPhrase).Encode(WriteSettingsStream(AppSettings())).size(),
              8192u);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    SaveSettings();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    ExpectOldFileKept();
}

TEST_F(SettingsSaveFailureTest, NewFileThatCannotBeCreatedKeepsTheOldFile) {
    // Root ignores folder permissions; a folder in the new file's place fails the same open.
    std::filesystem::create_directory(PendingFilePath(File()));
    SaveSettings();
    EXPECT_EQ(ui->MessageTexts(), std::vector<std::string>{kSaveError});
    EXPECT_EQ(ReadFileBytes(File()), old);
    EXPECT_TRUE(std::filesystem::is_directory(PendingFilePath(File())));
}

TEST_F(SettingsTest, SaveRemovesWhatKilledSavesLeftButNotALiveProcessesFile) {
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    ASSERT_GT(dead, 0);
    waitpid(dead, nullptr, 0);
    const auto beside = [&](const std::string& name) { return File().parent_path() / name; };
    const std::string file = File().filename().string();
    const std::vector<std::string> stale = {file + "." + std::to_string(dead) + ".new"};
    const std::vector<std::string> kept = {file + "." + std::to_string(getppid()) + ".new",
                                           file + ".x1.new",
                                           "Other.bin." + std::to_string(dead) + ".new"};
    for (const auto& name : stale) WriteFileBytes(beside(name), "half");
    for (const auto& name : kept) WriteFileBytes(beside(name), "keep");

    SaveSettings();
    for (const auto& name : stale) EXPECT_FALSE(std::filesystem::exists(beside(name))) << name;
    for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(beside(name))) << name;
}

TEST_F(SettingsTest, SaveKeepsSymbolicLinksAndGivesTheFileToItsOwnerOnly) {
    std::filesystem::create_directory(dir / "real");
    WriteFileBytes(dir / "real" / "store.bin", "old");
    chmod((dir / "real" / "store.bin").c_str(), 0640);
    std::filesystem::create_symlink(dir / "real" / "store.bin", File());

    FillSample(AppSettings());
    SaveSettings();
    EXPECT_TRUE(ui->MessageTexts().empty());
    EXPECT_TRUE(std::filesystem::is_symlink(File()));
    EXPECT_EQ(Decoded(ReadFileBytes(dir / "real" / "store.bin")), SampleStream());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "real"), {}), 1);

    // Mode before the save (0 for no file) -> mode after it, whatever the umask.
    const mode_t umaskBefore = umask(0);
    for (const auto& [before, after] : std::vector<std::pair<mode_t, mode_t>>{
             {0640, 0600}, {0, 0600}, {0666, 0600}, {0400, 0400}}) {
        std::filesystem::remove(File());
        if (before != 0) {
            WriteFileBytes(File(), "old");
            chmod(File().c_str(), before);
        }
        SaveSettings();
        struct stat info {};
        EXPECT_EQ(stat(File().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, after) << std::oct << before;
    }
    umask(umaskBefore);
}
