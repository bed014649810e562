#pragma once
// CImportAbookDlg: "Import Address Book". Offers the fields of the file's first line for the
// names and the numbers; OK imports every line of the file and reports the counts.

#include <filesystem>

#include "ui/ModalDialog.h"

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
    QComboBox* m_names = nullptr;
    QComboBox* m_numbers = nullptr;
};
