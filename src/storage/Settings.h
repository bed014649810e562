#pragma once
// Reading and writing the settings file "Quillo.bin".

#include <filesystem>

// The settings file: DataDirectory(ExeDirectory) / "Quillo.bin".
std::filesystem::path SettingsFilePath();

// Applies the start-up defaults, then reads the settings file. Never fails outwardly.
void LoadSettings();

// Writes the whole record. Never fails outwardly; tells the user when it could not.
void SaveSettings();
