#include "storage/Settings.h"

#include "app/AppSettings.h"
#include "app/Paths.h"
#include "app/UiServices.h"
#include "res/StringTable.h"
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
        // Read and decode once; the version check and the reader share the result.
        const std::string file = ReadWholeFile(SettingsFilePath());
        const std::string stream = CScrambledArchive(LoadString(IDS_PASSPHRASE)).Decode(file);
        switch (DetectSettingsVersion(stream)) {
            case 0:
                LoadLegacySettings(file, settings);
                break;
            case 1:
                LoadSettings11(stream, settings);
                break;
            default:
                LoadSettings12(stream, settings);
                break;
        }
    } catch (...) {
        // No file, a wrong pass phrase or a damaged stream: keep what was read and the defaults.
    }
}

void SaveSettings() {
    try {
        const std::string stream = WriteSettingsStream(AppSettings());
        const std::string file = CScrambledArchive(LoadString(IDS_PASSPHRASE)).Encode(stream);
        ReplaceFileAtomically(SettingsFilePath(), file);
    } catch (...) {
        ShowMessageBox("Error Saving Quillo Information!");
    }
}
