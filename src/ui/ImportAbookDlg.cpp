#include "ui/ImportAbookDlg.h"

#include <QComboBox>
#include <QPushButton>

#include "base/UiServices.h"
#include "contacts/CsvImport.h"
#include "storage/AppSettings.h"
#include "ui/DialogTemplate.h"
#include "ui/GuiText.h"

namespace {

QComboBox* FieldList(QWidget* parent, int id, QRect rect) {
    auto* list = PlaceControl(new QComboBox(parent), id, rect);
    list->setMaxVisibleItems(12);
    return list;
}

}  // namespace

CImportAbookDlg::CImportAbookDlg(QWidget* parent, std::filesystem::path file)
    : QDialog(parent), m_file(std::move(file)) {
    SetDialogFrame(this, QStringLiteral("Import Address Book"), 144);
    setFixedSize(DluToPixelsX(186), DluToPixelsY(84));

    AddLabel(this, QStringLiteral("Please select the fields to import:"), DialogRect(7, 7, 172, 9));
    AddLabel(this, QStringLiteral("Name :"), DialogRect(12, 25, 30, 9));
    m_names = FieldList(this, 1040, DialogRect(45, 23, 134, 13));
    AddLabel(this, QStringLiteral("Number :"), DialogRect(12, 43, 32, 9));
    m_numbers = FieldList(this, 1041, DialogRect(45, 41, 134, 13));
    auto* ok =
        PlaceControl(new QPushButton(QStringLiteral("OK"), this), 1, DialogRect(74, 63, 50, 14));
    ok->setDefault(true);
    auto* cancel = PlaceControl(new QPushButton(QStringLiteral("Cancel"), this), 2,
                                DialogRect(129, 63, 50, 14));
    m_names->setAccessibleName(QStringLiteral("Name"));
    m_numbers->setAccessibleName(QStringLiteral("Number"));

    // An unreadable file leaves both lists empty; OK then asks for the name field.
    QStringList fields;
    for (const std::string& field : ReadCsvHeadings(m_file)) fields << ToQt(field);
    m_names->addItems(fields);  // in one go: a line may hold thousands of fields
    m_numbers->addItems(fields);
    m_names->setCurrentIndex(m_names->count() > 0 ? 0 : -1);
    m_numbers->setCurrentIndex(m_numbers->count() > 1 ? 1 : -1);

    connect(ok, &QPushButton::clicked, this, &CImportAbookDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CImportAbookDlg::reject);
}

void CImportAbookDlg::accept() {
    if (m_names->currentIndex() < 0) {
        ShowMessageBox("Please select the field that contains the names you want to import");
        return;
    }
    if (m_numbers->currentIndex() < 0) {
        ShowMessageBox("Please select the field that contains the numbers you want to import");
        return;
    }
    const CsvImportCounts counts = ImportCsvFile(
        m_file, static_cast<std::size_t>(m_names->currentIndex()),
        static_cast<std::size_t>(m_numbers->currentIndex()), AppSettings().AddressBook);
    QDialog::accept();
    ShowMessageBox(CsvImportResultText(counts), MbButtons::Ok, MbIcon::Information);
}
