#include "runtime/UiServices.h"

#include <mutex>

namespace {

// Used before the GUI has installed its services: answers as a closed box would.
class HeadlessServices final : public IUiServices {
public:
    MbResult MessageBox(const std::string&, MbButtons buttons, MbIcon) override {
        return buttons == MbButtons::YesNo ? MbResult::No : MbResult::Cancel;
    }
    std::optional<std::filesystem::path> ChooseFileToOpen(const std::string&) override {
        return std::nullopt;
    }
    bool OpenLink(const std::string&) override { return false; }
    void Beep() override {}
    bool StartProcess(const std::filesystem::path&, const std::vector<std::string>&,
                      const std::filesystem::path&) override {
        return false;
    }
};

std::mutex g_mutex;
std::shared_ptr<IUiServices> g_services;

}  // namespace

std::shared_ptr<IUiServices> UiServices() {
    std::lock_guard lock(g_mutex);
    if (!g_services)
        g_services = std::make_shared<HeadlessServices>();
    return g_services;
}

void InstallUiServices(std::shared_ptr<IUiServices> services) {
    std::lock_guard lock(g_mutex);
    g_services = std::move(services);
}
