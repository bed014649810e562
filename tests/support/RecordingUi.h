#pragma once
// A stand-in for the user interface's services: records every request and answers from a script.

#include <deque>
#include <functional>
#include <mutex>

#include "runtime/UiServices.h"

struct RecordedMessageBox {
    std::string text;
    MbButtons buttons;
    MbIcon icon;
};

class RecordingUi final : public IUiServices {
public:
    // Installs a fresh recorder as the process's services (tests reinstall null at the end).
    static std::shared_ptr<RecordingUi> Install();

    MbResult MessageBox(const std::string& text, MbButtons buttons, MbIcon icon) override;
    std::optional<std::filesystem::path> ChooseFileToOpen(const std::string& filter) override;
    bool OpenLink(const std::string& url) override;
    void Beep() override;
    bool StartProcess(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::filesystem::path& directory) override;

    // Scripted answers, used in order; without one a box answers Ok (or Yes for Yes/No).
    void QueueAnswer(MbResult answer);
    void QueueFile(std::optional<std::filesystem::path> file);
    void SetStartProcessResult(bool ok);
    void SetOpenLinkResult(bool ok);
    // Runs as each message box shows, outside the recorder's lock (a real box runs an event loop).
    void SetMessageBoxHook(std::function<void()> hook);

    std::vector<RecordedMessageBox> MessageBoxes() const;
    std::vector<std::string> MessageTexts() const;
    std::vector<std::string> FileFilters() const;  // of every file choice asked for
    std::vector<std::string> Links() const;  // every link asked for, opened or not
    int Beeps() const;
    struct StartedProcess {
        std::filesystem::path program;
        std::vector<std::string> arguments;
        std::filesystem::path directory;
    };
    std::vector<StartedProcess> Processes() const;

private:
    mutable std::mutex m_mutex;
    std::deque<MbResult> m_answers;
    std::deque<std::optional<std::filesystem::path>> m_files;
    bool m_startResult = true;
    bool m_openLinkResult = true;
    int m_beeps = 0;
    std::function<void()> m_boxHook;
    std::vector<RecordedMessageBox> m_boxes;
    std::vector<std::string> m_links;
    std::vector<std::string> m_filters;
    std::vector<StartedProcess> m_processes;
};
