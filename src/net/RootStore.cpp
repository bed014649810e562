#include "net/RootStore.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <tuple>

#include "base/Paths.h"

namespace fs = std::filesystem;

namespace inet {
namespace {

// What tells a changed store: the path, time and size of the folder and of each of its files.
using Signature = std::vector<std::tuple<fs::path, fs::file_time_type, std::uintmax_t>>;

Signature Sign(const fs::path& folder) {
    std::error_code ec;
    Signature signature{{folder, fs::last_write_time(folder, ec), 0}};
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code ignored;
        signature.emplace_back(it->path(), it->last_write_time(ignored), it->file_size(ignored));
    }
    return signature;
}

std::shared_ptr<const RootStore::Certificates> Load() {
    std::uint32_t ignored = 0;
    auto certificates = std::make_shared<RootStore::Certificates>();
    if (auto root = CertificateStore::Open("ROOT", ignored))
        *certificates = std::move(*root).TakeCertificates();
    return certificates;
}

}  // namespace

std::shared_ptr<const RootStore::Certificates> RootStore::Current() {
    static std::mutex mutex;
    static Signature loadedFrom;
    static std::shared_ptr<const Certificates> loaded;

    Signature now = Sign(CertificateStoreDirectory("ROOT"));
    std::lock_guard lock(mutex);
    if (!loaded || now != loadedFrom) {
        loaded = Load();
        loadedFrom = std::move(now);
    }
    return loaded;
}

}  // namespace inet
