#include "storage/Settings.h"

#include "base/CaughtException.h"
#include "base/Paths.h"
#include "res/StringTable.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "storage/ScrambledArchive.h"
#include "storage/SettingsFile.h"
#include "storage/SettingsFormat.h"

std::filesystem::path SettingsFilePath() {
    return DataDirectory(AppSettings().ExeDirectory) / "Quillo.bin";
}

void LoadSettings() {
    CAppSettings& settings = AppSettings();
    settings.ApplyDefaults();
    try {
        LoadSettingsFile(ReadWholeFile(SettingsFilePath()), settings);
    } catch (...) {
        // No file, a wrong pass phrase or a damaged stream: keep what was read and the defaults.
        ReportCaught("reading the settings file");
    }
}

void SaveSettings() {
    try {
        const std::string stream = WriteSettingsStream(AppSettings());
        const std::string file = CScrambledArchive(LoadString(IDS_PASSPHRASE)).Encode(stream);
        ReplaceFileAtomically(SettingsFilePath(), file);
    } catch (...) {
        ReportCaught("saving the settings");
        ShowMessageBox("Error Saving Quillo Information!");
    }
}
