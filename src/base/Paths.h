#pragma once
// Where the program's files live.

#include <filesystem>
#include <string>

// The folder of the running program (/proc/self/exe), with its trailing separator; empty when
// it cannot be read.
std::filesystem::path FindExeDirectory();

// True for a copy installed under a prefix (see the install layout), writable or not.
bool IsInstalledCopy(const std::filesystem::path& exeDirectory);

// The folder for the settings file and the downloaded upgrade: the program's own folder when it
// is known, writable and not an installed copy (a portable copy keeps everything beside itself),
// otherwise $XDG_DATA_HOME/quillo/ (default ~/.local/share/quillo/), created on demand. Never
// empty.
std::filesystem::path DataDirectory(const std::filesystem::path& exeDirectory);

// $XDG_DATA_HOME/quillo/ or ~/.local/share/quillo/, with its trailing separator.
std::filesystem::path UserDataDirectory();

// The folder of one certificate store ("MY", "CA", "ROOT", "SPC"): PEM files under
// UserDataDirectory()/certs/<name>/. A certificate in MY comes with its private key.
std::filesystem::path CertificateStoreDirectory(const std::string& storeName);

// Test-only: keep the certificate stores under `root` instead (empty: back to the default).
void SetCertificateStoreRootForTests(const std::filesystem::path& root);
