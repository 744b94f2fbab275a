#pragma once
// A combo box whose choices are the values of one section of an INI file
// (the installation's MORVELIN.INI unless told otherwise), in the file's
// order. It only reads the file; the user may still type any text.

#include <QComboBox>

namespace mx::admin {

class TIniComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(bool iniAutoFind READ IniAutoFind WRITE SetIniAutoFind)
    Q_PROPERTY(QString iniFileName READ IniFileName WRITE SetIniFileName)
    Q_PROPERTY(QString iniSection READ IniSection WRITE SetIniSection)
public:
    explicit TIniComboBox(QWidget* parent = nullptr);

    bool IniAutoFind() const { return m_autoFind; }
    void SetIniAutoFind(bool value) { m_autoFind = value; }
    const QString& IniFileName() const { return m_fileName; }
    void SetIniFileName(const QString& value) { m_fileName = value; }
    const QString& IniSection() const { return m_section; }
    void SetIniSection(const QString& value) { m_section = value; }

    // What the form that holds the box calls once it is built: with
    // IniAutoFind and the installation's INI hook filled, the file name
    // becomes the hook's, then the items are loaded.
    void FormLoaded();
    // The items become the values of the section's lines (the text after
    // the first "="), in file order; without both a file name and a
    // section nothing is done, and a missing file or section gives no
    // items. The text typed stays.
    void LoadItems();

private:
    bool m_autoFind = true;
    QString m_fileName;
    QString m_section;
};

} // namespace mx::admin
