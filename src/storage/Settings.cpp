#include "storage/Settings.h"

#include "app/AppSettings.h"
#include "app/Paths.h"

std::filesystem::path SettingsFilePath() {
    return DataDirectory(AppSettings().ExeDirectory) / "Quillo.bin";
}

// The file format arrives with the storage work; until then only the defaults apply.
void LoadSettings() { AppSettings().ApplyDefaults(); }

void SaveSettings() {}
