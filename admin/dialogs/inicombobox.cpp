#include "inicombobox.h"

#include "engine/tools/hooks.h"

#include "platform/core/inifile.h"

#include <QFileInfo>

namespace mx::admin {

TIniComboBox::TIniComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void TIniComboBox::FormLoaded()
{
    if (m_autoFind && IniFileNameHook) {
        QString name;
        IniFileNameHook(name);
        m_fileName = name;
    }
    LoadItems();
}

void TIniComboBox::LoadItems()
{
    if (m_fileName.isEmpty() || m_section.isEmpty())
        return;
    QStringList values;
    // A missing file is not made: the box only reads.
    if (QFileInfo(m_fileName).isFile()) {
        const auto ini = platform::IniFile::open(m_fileName);
        for (const auto& kv : ini->sectionValues(m_section))
            values << kv.second;
    }
    const QString typed = currentText();
    clear();
    addItems(values);
    setCurrentIndex(-1);
    setEditText(typed);
}

} // namespace mx::admin
