#include "ui/platform/QtUiServices.h"

#include <unistd.h>

#include <utility>

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include "ui/platform/GuiText.h"

namespace {

// The window a box or file dialog belongs to, and opens centred over: the dialog the user is
// in, else the active window. A dialog that has just closed (the import dialog before its
// result box) hands over to its owner; with nothing active, the program's visible main window.
QWidget* OwnerWindow() {
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr)
        owner = QApplication::activeWindow();
    while (owner != nullptr && !owner->isVisible())
        owner = owner->parentWidget() ? owner->parentWidget()->window() : nullptr;
    if (owner != nullptr)
        return owner;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->parentWidget() == nullptr && !top->isModal() &&
            top->windowType() != Qt::Popup && top->windowType() != Qt::ToolTip)
            return top;
    }
    return nullptr;
}

// "Text (*.csv)|*.csv|All Files (*.*)|*.*||" as the file dialog takes it: the descriptions
// joined by ";;" (each names its patterns in parentheses). A filter without "|" is kept.
QString DialogFilter(const std::string& filter) {
    if (filter.find('|') == std::string::npos)
        return ToQt(filter);
    const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList descriptions;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty())
            descriptions << parts[i];
    }
    return descriptions.join(QStringLiteral(";;"));
}

// "*.*" means every file, but Qt here matches it literally and so hides names without a dot.
// The filter keeps its text; only the dialog's list is told to show everything.
void ShowEveryFileUnderStarDotStar(QFileDialog& dialog, const QString& filter) {
    auto* files = dialog.findChild<QFileSystemModel*>();
    if (files == nullptr || !filter.contains(QStringLiteral("(*.*)")))
        return;
    files->setNameFilters({QStringLiteral("*")});
}

// The box's icon and buttons for the program's own choices.
QMessageBox::Icon QtIcon(MbIcon icon) {
    constexpr std::pair<MbIcon, QMessageBox::Icon> kIcons[] = {
        {MbIcon::None, QMessageBox::NoIcon},
        {MbIcon::Information, QMessageBox::Information},
        {MbIcon::Question, QMessageBox::Question},
        {MbIcon::Warning, QMessageBox::Warning},
        {MbIcon::Error, QMessageBox::Critical}};
    for (const auto& [ours, qt] : kIcons)
        if (ours == icon)
            return qt;
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(MbButtons buttons) {
    constexpr std::pair<MbButtons, int> kButtons[] = {
        {MbButtons::Ok, QMessageBox::Ok},
        {MbButtons::OkCancel, int(QMessageBox::Ok) | int(QMessageBox::Cancel)},
        {MbButtons::YesNo, int(QMessageBox::Yes) | int(QMessageBox::No)}};
    for (const auto& [ours, qt] : kButtons)
        if (ours == buttons)
            return QMessageBox::StandardButtons(qt);
    return QMessageBox::Ok;
}

}  // namespace

MbResult QtUiServices::MessageBox(const std::string& text, MbButtons buttons, MbIcon icon) {
    QMessageBox box(OwnerWindow());
    box.setWindowTitle(QStringLiteral("Quillo"));
    box.setText(ToQt(text));
    box.setIcon(QtIcon(icon));
    box.setStandardButtons(QtButtons(buttons));
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MbResult::Ok;
        case QMessageBox::Yes:
            return MbResult::Yes;
        case QMessageBox::No:
            return MbResult::No;
        default:
            return buttons == MbButtons::YesNo ? MbResult::No : MbResult::Cancel;
    }
}

std::optional<std::filesystem::path> QtUiServices::ChooseFileToOpen(const std::string& filter) {
    // Qt's own dialog, so that the list can be told what "*.*" means.
    QFileDialog dialog(OwnerWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(DialogFilter(filter));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& f) { ShowEveryFileUnderStarDotStar(dialog, f); });
    ShowEveryFileUnderStarDotStar(dialog, dialog.selectedNameFilter());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

bool QtUiServices::OpenLink(const std::string& url) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(ToQt(url)));
}

void QtUiServices::Beep() {
    QApplication::beep();
}

bool QtUiServices::StartProcess(const std::filesystem::path& program,
                                const std::vector<std::string>& arguments,
                                const std::filesystem::path& directory) {
    QProcess process;
    process.setProgram(QString::fromStdString(program.string()));
    QStringList args;
    for (const auto& a : arguments) args << ToQt(a);
    process.setArguments(args);
    process.setWorkingDirectory(QString::fromStdString(directory.string()));
    // The started program carries on alone, in a process group of its own.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    return process.startDetached();
}
