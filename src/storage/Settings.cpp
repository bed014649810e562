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
    const std::filesystem::path path = SettingsFilePath();
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found)
        return;  // a first start: the defaults are the settings, and nothing needs saying
    try {
        LoadSettingsFile(ReadWholeFile(path), settings);
    } catch (...) {
        // An unreadable file, a wrong pass phrase or a damaged stream: keep what was read and the
        // defaults.
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
