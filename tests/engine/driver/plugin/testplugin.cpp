// A plug-in library for the loader tests, built in several variants:
//   (none)               a destination library whose driver records calls
//   TEST_NO_LANGUAGE     the same without MxDllLanguage
//   TEST_ENGINE          an engine library (GetMxDriver and file names)
//   TEST_NULL_DRIVER     with TEST_ENGINE: GetMxDriver gives none
// Every call is appended to a log the tests read through TestPluginLog;
// destruction is also told to the engine's user service.

#include "engine/driver/destdriver.h"
#include "engine/driver/destproperties.h"
#include "engine/driver/driver.h"
#include "engine/driver/pluginabi.h"

#include "engine/core/userservice.h"

#include <string>

namespace {

std::string g_log;

void note(const std::string& line)
{
    g_log += line;
    g_log += '\n';
}

// What must be seen even after the library is gone goes to the engine's
// user service as a warning.
void tell(const std::string& line)
{
    note(line);
    mx::UserService().Warning(QStringLiteral("plugin: ") + QString::fromStdString(line));
}

class RecordingDestDriver : public mx::TIMxDestDriver {
public:
    explicit RecordingDestDriver(std::string name) : m_name(std::move(name)) { note("create " + m_name); }
    ~RecordingDestDriver() override { tell("destroy " + m_name); }
    void Print(mx::TIMxDestProperties*, const QString& f, mx::TIMxDataset*) override { note("Print " + f.toStdString()); }
    void Customize(mx::TIMxDestProperties*, const QString& f, mx::TIMxDataset*) override { note("Customize " + f.toStdString()); }
    void View(mx::TIMxDestProperties*, const QString& f, mx::TIMxDataset*) override { note("View " + f.toStdString()); }
    void Export(mx::TIMxDestProperties*, const QString& f, mx::TIMxDataset*) override { note("Export " + f.toStdString()); }
    mx::TIMxDestProperties* CreateProperties() override
    {
        note("CreateProperties");
        return new mx::TIMxDestProperties(nullptr);
    }
    void FreeProperties(mx::TIMxDestProperties* p) override
    {
        tell("FreeProperties");
        mx::TMxItem::Free(p);
    }

private:
    std::string m_name;
};

#ifdef TEST_ENGINE
class FakeDriver : public mx::TIMxDriver {
public:
    FakeDriver() { note("driver made"); }
    ~FakeDriver() override { tell("driver freed"); }
    QString GetDescription() override { return QStringLiteral("Test engine"); }
    QString GetVersion() override { return QStringLiteral("1.0"); }
    bool OpenDatabase(const QString&, const QString&, const QString&) override { return false; }
    mx::TIMxDataset* ExecuteQuery(const QString&, const QString&, const QString&, const QString&, const QString&) override { return nullptr; }
    mx::TIMxDataset* GetFieldVar(const QString&, const QString&, const mx::TSQLSyntaxProperties&, const QString&, const QString&, const QString&) override { return nullptr; }
    mx::TIMxDataset* GetQueryField(const QString&, const QString&, const mx::TSQLSyntaxProperties&, const QString&, const QString&, const QString&) override { return nullptr; }
    void FreeDataset(mx::TIMxDataset*) override {}
    mx::TIMxDataset* GetTable(const QString&, const QString&) override { return nullptr; }
    void DropView(const QString&, const QString&, const QString&, const QString&) override {}
    void GetTableNames(const QString&, char*, int) override {}
    void GetAliasNames(char*, int) override {}
    void GetDriverNames(char*, int) override {}
    QString GetDatabaseType(const QString&) override { return {}; }
    QString GetDatabasePassword(const QString&) override { return {}; }
    QString GetDatabaseUserName(const QString&) override { return {}; }
};
#endif

} // namespace

MX_PLUGIN_EXPORT const char* MxDllName()
{
    return "Test plug-in";
}

MX_PLUGIN_EXPORT const char* MxDllVersion()
{
    return "2.5";
}

MX_PLUGIN_EXPORT const char* MxDllDescription()
{
    return "Destinations d'essai";
}

#ifndef TEST_NO_LANGUAGE
MX_PLUGIN_EXPORT const char* MxDllLanguage()
{
    return "fr";
}
#endif

MX_PLUGIN_EXPORT mx::TIMxDestDriver* MxGetDestDriver(const char* destName)
{
    const std::string name = destName ? destName : "";
    note("MxGetDestDriver " + name);
    if (name == "Unknown")
        return nullptr;
    return new RecordingDestDriver(name);
}

#ifdef TEST_ENGINE
MX_PLUGIN_EXPORT mx::TIMxDriver* GetMxDriver()
{
#ifdef TEST_NULL_DRIVER
    return nullptr;
#else
    return new FakeDriver;
#endif
}

MX_PLUGIN_EXPORT const char* GetDestFileName()
{
    return "TESTDST.MXF";
}

MX_PLUGIN_EXPORT const char* GetDatasourceFileName()
{
    return "TESTDRV.MXF";
}
#endif

// For the tests only: what the library was asked so far; clears it.
MX_PLUGIN_EXPORT const char* TestPluginLog()
{
    static std::string last;
    last = g_log;
    g_log.clear();
    return last.c_str();
}
