#pragma once
// The Qt implementations of the services the core asks of the user interface.

#include "runtime/UiServices.h"

class QWidget;

class QtUiServices final : public IUiServices {
public:
    MbResult MessageBox(const std::string& text, MbButtons buttons, MbIcon icon) override;
    std::optional<std::filesystem::path> ChooseFileToOpen(const std::string& filter) override;
    bool OpenLink(const std::string& url) override;
    void Beep() override;
    bool StartProcess(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory) override;
};
