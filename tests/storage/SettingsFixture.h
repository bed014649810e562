#pragma once
// A fixture with the program's folder in a fresh temporary directory, and a sample record whose
// every stored field differs from its start-up default.

#include <filesystem>
#include <string>

#include "SettingsBytes.h"
#include "storage/AppSettings.h"
#include "storage/Settings.h"
#include "support/CoreTestEnvironment.h"
#include "support/TempDir.h"

class SettingsFileTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        AppSettings().ExeDirectory = dir.path() / "";
    }

    std::filesystem::path File() const { return dir / "Quillo.bin"; }
    void PutFile(const std::string& content) const { WriteFileBytes(File(), content); }

    // A fresh start: everything cleared, then the start-up load.
    static void Restart() {
        const auto exeDirectory = AppSettings().ExeDirectory;
        AppSettings().Clear();
        AppSettings().ExeDirectory = exeDirectory;
        LoadSettings();
    }

    static void FillSample(CAppSettings& s) {
        s.MessageCount = 42;
        s.AddressBookStartup = CAppSettings::StartupLastSetting;
        s.AddressBookLastSetting = 0;
        s.PanelClosed = 1;
        s.SendOnEnter = 0;
        s.WindowX = -17;
        s.WindowY = 300;
        s.MyName = "Jos\xE9";  // é in the program's code page
        s.MyNumber = "5551234567";
        s.MyEmail = "jose@example.org";
        s.RecentTo = {"Ann, Bob", "5550001111"};
        s.MyInfoSelectedInRecentFromList = 1;
        s.RecentFrom = {"Jos\xE9", "Me", "Work"};
        s.AddressBook = {{"Ann", "Annie", "5550001111", CarrierVerizon},
                         {"Bob", "", "5550002222", CarrierAutoDetect},
                         {"Cy", "", "5550003333", CarrierTMobile}};
        s.CounterReported = 1;
    }

    // The version 1.2 stream of FillSample, laid out by hand.
    static std::string SampleStream() {
        using namespace bytes;
        return Text("Prefs Version 1.2") + I32(42) + I32(2) + I32(1) + I32(0) + I32(-17) +
               I32(300) + Text("Jos\xE9") + Text("5551234567") + Text("jose@example.org") +
               TextList({"Ann, Bob", "5550001111"}) + I32(1) + TextList({"Jos\xE9", "Me", "Work"}) +
               U32(3) + Text("Ann") + Text("5550001111") + I32(9) + Text("Bob") +
               Text("5550002222") + I32(0) + Text("Cy") + Text("5550003333") + I32(7) + I32(1);
    }

    TempDir dir;
};
