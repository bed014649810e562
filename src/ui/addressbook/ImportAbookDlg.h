#pragma once
// CImportAbookDlg: "Import Address Book". Offers the fields of the file's first line, or of a
// vCard file's cards, for the names and the numbers; OK imports every line or card of the file
// and reports the counts.

#include <filesystem>

#include "contacts/CsvImport.h"
#include "ui/dialogs/ModalDialog.h"

class QComboBox;

class CImportAbookDlg : public CModalDialog {
    Q_OBJECT

public:
    CImportAbookDlg(QWidget* parent, std::filesystem::path file);

    QComboBox* NameList() const { return m_names; }
    QComboBox* NumberList() const { return m_numbers; }

    void accept() override;

private:
    std::filesystem::path m_file;
    bool m_vcard = false;
    ImportFields m_fields;
    QComboBox* m_names = nullptr;
    QComboBox* m_numbers = nullptr;
};
