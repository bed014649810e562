#pragma once
// What the core asks of the user interface: a message box, a file to open, a link to show, a
// process to start, a beep. The GUI installs its implementations at start; tests install recorders.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class MbButtons { Ok, OkCancel, YesNo };
enum class MbIcon { None, Information, Question, Warning, Error };
enum class MbResult { Ok, Cancel, Yes, No };

class IUiServices {
public:
    virtual ~IUiServices() = default;

    // Modal message box on the user-interface thread; `text` is program text.
    virtual MbResult MessageBox(const std::string& text, MbButtons buttons, MbIcon icon) = 0;

    // A file chosen by the user for opening, or nothing when the user cancelled.
    virtual std::optional<std::filesystem::path> ChooseFileToOpen(const std::string& filter) = 0;

    // Shows a web page in the user's browser; false when that failed.
    virtual bool OpenLink(const std::string& url) = 0;

    // The default warning sound.
    virtual void Beep() = 0;

    // Starts `program` with `arguments` in `directory`, in a new process group, without waiting.
    virtual bool StartProcess(const std::filesystem::path& program,
                              const std::vector<std::string>& arguments,
                              const std::filesystem::path& directory) = 0;
};

// The installed services. Without any, message boxes answer Ok/No and nothing else happens.
std::shared_ptr<IUiServices> UiServices();
void InstallUiServices(std::shared_ptr<IUiServices> services);

inline MbResult ShowMessageBox(const std::string& text, MbButtons buttons = MbButtons::Ok,
                               MbIcon icon = MbIcon::None) {
    return UiServices()->MessageBox(text, buttons, icon);
}
