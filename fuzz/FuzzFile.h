#pragma once
// For targets over parsers that read files: the input written to one file per process in the
// temporary folder, rewritten for every input.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzCheck.h"

inline const std::filesystem::path& WriteFuzzFile(std::string_view bytes) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("quillo-fuzz-" + std::to_string(::getpid()) + ".input");
    std::FILE* f = std::fopen(file.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    std::fclose(f);
    return file;
}
