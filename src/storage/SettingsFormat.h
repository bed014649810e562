#pragma once
// The settings stream: the version 1.2 layout that is written, and the readers of versions 1.2,
// 1.1 and the line-based 1.0. Readers assign each field as they read it, so a stream cut short
// leaves the fields before the cut loaded and the rest as they were; they throw
// CArchiveException where they stop.

#include <string>
#include <string_view>

class CAppSettings;

inline constexpr std::string_view kPrefsVersion10 = "Prefs Version 1.0";
inline constexpr std::string_view kPrefsVersion11 = "Prefs Version 1.1";
inline constexpr std::string_view kPrefsVersion12 = "Prefs Version 1.2";

// The version 1.2 stream of `settings`.
std::string WriteSettingsStream(const CAppSettings& settings);

// 0 for a "Prefs Version 1.0" stream, 1 for "Prefs Version 1.1", 2 for anything else, an empty
// stream included. Throws when the stream is too short to hold a version length.
int DetectSettingsVersion(std::string_view stream);

// The line-based format, scanned from the raw file bytes.
void LoadLegacySettings(std::string_view file, CAppSettings& settings);

// Nothing is loaded from an empty stream; a wrong version text throws before anything is read.
void LoadSettings11(std::string_view stream, CAppSettings& settings);
void LoadSettings12(std::string_view stream, CAppSettings& settings);

// Decodes the bytes of a settings file once (pass phrase: string 142) and loads them with the
// reader that their version asks for.
void LoadSettingsFile(std::string_view file, CAppSettings& settings);
