#pragma once
// Whole-file reading and the atomic replacement that keeps a good settings file safe: the new
// bytes go to a file beside the old one, are flushed to disk, and only then renamed over it.

#include <filesystem>
#include <string>
#include <string_view>

// All bytes of `path`. Throws CArchiveException (FileError) when it cannot be opened or read.
std::string ReadWholeFile(const std::filesystem::path& path);

// Replaces `target` with `bytes` in one step. On any failure `target` is left as it was, the
// file beside it is removed, and CArchiveException (FileError) is thrown. A symbolic link at
// `target` keeps pointing where it did: the file it names is replaced. The new file gets `mode`
// when it is given, else the permissions of the old one.
void ReplaceFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                           int mode = -1);

// Removes the files beside `target` that replacements of processes no longer running left
// behind; every replacement does this first.
void RemoveStalePendingFiles(const std::filesystem::path& target);

// The file beside `target` that a replacement writes first.
std::filesystem::path PendingFilePath(const std::filesystem::path& target);
