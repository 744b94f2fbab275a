#include "datamodellogic.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace mx::admin {

std::vector<TCommandState> DataModelCommandStates(const TModelSituation& s)
{
    const bool m = s.model;
    const bool t = m && s.tables;
    const bool d = m && s.databases;
    const bool c = m && s.modified;
    return {
        {"miPrint", m}, {"miPrintPreview", m}, {"miPrintConfig", m}, {"miAddTable", m},
        {"miUnlinkAll", t}, {"miFindTable", t}, {"miReverse", t},
        {"sbTables", t}, {"miTables", t}, {"sbEntities", t}, {"miEntities", t},
        {"sbDatabases", d}, {"miDatabases", d},
        {"sbRights", m}, {"miRights", m}, {"sbDomains", m}, {"miSets", m},
        {"sbVerify", m}, {"miVerify", m}, {"sbReport", m}, {"miReport", m},
        {"miSave", c}, {"miSaveAs", m}, {"miClose", m},
    };
}

QString DataModelCaption(bool hasModel, const QString& fileName, bool modified, const QString& unnamed,
    const QString& title)
{
    if (!hasModel)
        return title;
    // A name written with either separator: the folder goes whatever it is.
    QString base = fileName;
    base.replace(u'\\', u'/');
    base = QFileInfo(base).completeBaseName();
    if (base.isEmpty())
        base = unnamed;
    return base + (modified ? QStringLiteral("*") : QString()) + QStringLiteral(" - ") + title;
}

QString ModelFileName(const QString& fileName)
{
    const QFileInfo fi(fileName);
    const QString suffix = fi.suffix();
    if (suffix.isEmpty())
        return fileName.endsWith(u'.') ? fileName + QStringLiteral("mdd") : fileName + QStringLiteral(".mdd");
    return fileName.left(fileName.size() - suffix.size()) + QStringLiteral("mdd");
}

void TDataModelCount::Decrease()
{
    if (m_count <= 0)
        return;
    if (--m_count == 0) {
        if (Quit)
            Quit();
        else if (QCoreApplication::instance())
            QCoreApplication::quit();
    }
}

TDataModelCount& DataModelWindows()
{
    static TDataModelCount count;
    return count;
}

} // namespace mx::admin
