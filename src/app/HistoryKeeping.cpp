#include "app/HistoryKeeping.h"

#include <charconv>
#include <fstream>
#include <string>

namespace {

constexpr std::string_view kKey = "keep-days=";

}  // namespace

std::filesystem::path HistoryKeepingFilePath(const std::filesystem::path& dataDirectory) {
    return dataDirectory / "QuilloHistory.conf";
}

int LoadHistoryKeepDays(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(kKey, 0) != 0)
            continue;
        int days = kKeepHistoryForever;
        const char* first = line.data() + kKey.size();
        const char* last = line.data() + line.size();
        if (auto [end, error] = std::from_chars(first, last, days);
            error == std::errc() && end == last && days >= kKeepHistoryForever)
            return days;
    }
    return kKeepHistoryForever;
}

bool SaveHistoryKeepDays(const std::filesystem::path& file, int keepDays) {
    std::ofstream out(file, std::ios::trunc);
    out << kKey << keepDays << '\n';
    out.close();
    return static_cast<bool>(out);
}
