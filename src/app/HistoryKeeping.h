#pragma once
// How long the history keeps batches: the user's privacy choice. It lives in a small file of
// the history's own beside the database (the settings file's format is fixed), one line
// "keep-days=N": -1 keeps everything, 0 keeps nothing, N keeps N days.

#include <filesystem>

inline constexpr int kKeepHistoryForever = -1;

std::filesystem::path HistoryKeepingFilePath(const std::filesystem::path& dataDirectory);

// kKeepHistoryForever when the file is missing or unreadable.
int LoadHistoryKeepDays(const std::filesystem::path& file);
// False when the file cannot be written (the choice then holds until exit).
bool SaveHistoryKeepDays(const std::filesystem::path& file, int keepDays);
