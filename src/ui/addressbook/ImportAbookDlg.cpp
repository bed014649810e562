#include "ui/addressbook/ImportAbookDlg.h"

#include <QComboBox>
#include <QPushButton>

#include "contacts/VCardImport.h"
#include "runtime/UiServices.h"
#include "storage/AppSettings.h"
#include "ui/addressbook/AddressBookIds.h"
#include "ui/platform/GuiText.h"

CImportAbookDlg::CImportAbookDlg(QWidget* parent, std::filesystem::path file)
    : CModalDialog(parent, ImportIds::kDialog, QStringLiteral("Import Address Book"),
                   QSize(186, 84)),
      m_file(std::move(file)) {
    AddText(QStringLiteral("Please select the fields to import:"), QRect(7, 7, 172, 9));
    AddText(QStringLiteral("Name :"), QRect(12, 25, 30, 9));
    m_names = Place(new QComboBox(this), ImportIds::kNameField, QRect(45, 23, 134, 13));
    AddText(QStringLiteral("Number :"), QRect(12, 43, 32, 9));
    m_numbers = Place(new QComboBox(this), ImportIds::kNumberField, QRect(45, 41, 134, 13));
    AddOkButton(QRect(74, 63, 50, 14));
    auto* cancel = AddButton(QStringLiteral("Cancel"), kCancelButton, QRect(129, 63, 50, 14));
    for (QComboBox* list : {m_names, m_numbers}) list->setMaxVisibleItems(12);
    m_names->setAccessibleName(QStringLiteral("Name"));
    m_numbers->setAccessibleName(QStringLiteral("Number"));

    // An unreadable file leaves both lists empty; OK then asks for the name field.
    m_vcard = IsVCardFile(m_file);
    m_fields = m_vcard ? ReadVCardFields(m_file) : CsvImportFields(m_file);
    QStringList fields;
    for (const std::string& field : m_fields.names) fields << ToQt(field);
    m_names->addItems(fields);  // in one go: a line may hold thousands of fields
    m_numbers->addItems(fields);
    m_names->setCurrentIndex(m_fields.name);
    m_numbers->setCurrentIndex(m_fields.number);

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
    const auto name = static_cast<std::size_t>(m_names->currentIndex());
    const auto number = static_cast<std::size_t>(m_numbers->currentIndex());
    AddressBook& book = AppSettings().AddressBook;
    const CsvImportCounts counts =
        m_vcard ? ImportVCardFile(m_file, m_fields.names[name], m_fields.names[number], book)
                : ImportCsvFile(m_file, name, number, book);
    QDialog::accept();
    ShowMessageBox(CsvImportResultText(counts), MbButtons::Ok, MbIcon::Information);
}
