#include "support/RecordingUi.h"

std::shared_ptr<RecordingUi> RecordingUi::Install() {
    auto ui = std::make_shared<RecordingUi>();
    InstallUiServices(ui);
    return ui;
}

MbResult RecordingUi::MessageBox(const std::string& text, MbButtons buttons, MbIcon icon) {
    std::function<void()> hook;
    {
        std::lock_guard lock(m_mutex);
        hook = m_boxHook;
    }
    if (hook)
        hook();
    std::lock_guard lock(m_mutex);
    m_boxes.push_back({text, buttons, icon});
    if (!m_answers.empty()) {
        MbResult answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return buttons == MbButtons::YesNo ? MbResult::Yes : MbResult::Ok;
}

void RecordingUi::SetMessageBoxHook(std::function<void()> hook) {
    std::lock_guard lock(m_mutex);
    m_boxHook = std::move(hook);
}

std::optional<std::filesystem::path> RecordingUi::ChooseFileToOpen(const std::string& filter) {
    std::lock_guard lock(m_mutex);
    m_filters.push_back(filter);
    if (m_files.empty())
        return std::nullopt;
    auto file = m_files.front();
    m_files.pop_front();
    return file;
}

bool RecordingUi::OpenLink(const std::string& url) {
    std::lock_guard lock(m_mutex);
    m_links.push_back(url);
    return m_openLinkResult;
}

void RecordingUi::Beep() {
    std::lock_guard lock(m_mutex);
    ++m_beeps;
}

bool RecordingUi::StartProcess(const std::filesystem::path& program,
                               const std::vector<std::string>& arguments,
                               const std::filesystem::path& directory) {
    std::lock_guard lock(m_mutex);
    m_processes.push_back({program, arguments, directory});
    return m_startResult;
}

void RecordingUi::QueueAnswer(MbResult answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

void RecordingUi::QueueFile(std::optional<std::filesystem::path> file) {
    std::lock_guard lock(m_mutex);
    m_files.push_back(std::move(file));
}

void RecordingUi::SetStartProcessResult(bool ok) {
    std::lock_guard lock(m_mutex);
    m_startResult = ok;
}

void RecordingUi::SetOpenLinkResult(bool ok) {
    std::lock_guard lock(m_mutex);
    m_openLinkResult = ok;
}

std::vector<RecordedMessageBox> RecordingUi::MessageBoxes() const {
    std::lock_guard lock(m_mutex);
    return m_boxes;
}

std::vector<std::string> RecordingUi::MessageTexts() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    for (const auto& box : m_boxes) texts.push_back(box.text);
    return texts;
}

std::vector<std::string> RecordingUi::Links() const {
    std::lock_guard lock(m_mutex);
    return m_links;
}

std::vector<std::string> RecordingUi::FileFilters() const {
    std::lock_guard lock(m_mutex);
    return m_filters;
}

int RecordingUi::Beeps() const {
    std::lock_guard lock(m_mutex);
    return m_beeps;
}

std::vector<RecordingUi::StartedProcess> RecordingUi::Processes() const {
    std::lock_guard lock(m_mutex);
    return m_processes;
}
