#include "destinationfixture.h"

#include "engine/core/exceptions.h"
#include "engine/driver/destfactories.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"

using namespace mx;

static void describeRecordingSettings(ClassBuilder<TRecordingSettings>& c)
{
    c.string(QStringLiteral("Text"), &TRecordingSettings::Text, &TRecordingSettings::Text);
}

MX_DEFINE_CLASS(TRecordingSettings, TIMxDestProperties, describeRecordingSettings)

QStringList TRecordingDestDriver::Log;
QString TRecordingDestDriver::FailOn;
bool TRecordingDestDriver::CloneableSettings = true;
int TRecordingDestDriver::LiveSettings = 0;

TRecordingSettings::~TRecordingSettings() = default;

TIMxDestProperties* TRecordingSettings::Clone()
{
    if (!Cloneable)
        return nullptr;
    auto* copy = new TRecordingSettings(nullptr);
    copy->Text = Text;
    ++TRecordingDestDriver::LiveSettings;
    return copy;
}

TRecordingDestDriver::~TRecordingDestDriver()
{
    Log << QStringLiteral("destroy ") + m_name;
}

TIMxDestProperties* TRecordingDestDriver::CreateProperties()
{
    auto* settings = new TRecordingSettings(nullptr);
    settings->Cloneable = CloneableSettings;
    ++LiveSettings;
    return settings;
}

void TRecordingDestDriver::FreeProperties(TIMxDestProperties* p)
{
    if (!p)
        return;
    --LiveSettings;
    p->Free();
}

void TRecordingDestDriver::call(const char* op, TIMxDestProperties* p, const QString& f, TIMxDataset* d)
{
    QString line = QString::fromLatin1(op) + u' ' + m_name + u' ' + f;
    if (auto* s = dynamic_cast<TRecordingSettings*>(p); s && !s->Text.isEmpty())
        line += QStringLiteral(" [") + s->Text + u']';
    Log << line;
    if (d)
        d->SetRecNo(d->GetRecNo() + 50);
    if (FailOn == QLatin1String(op))
        throw Exception(QStringLiteral("driver failed"));
}

DestinationTest::DestinationTest()
{
    TRecordingDestDriver::Log.clear();
    TRecordingDestDriver::FailOn.clear();
    TRecordingDestDriver::CloneableSettings = true;
    TRecordingDestDriver::LiveSettings = 0;
    RegisterDestDriver(QStringLiteral("TESTMOD"), [](const QString& dest) { return new TRecordingDestDriver(dest); });
    auto* global = new TMxQueryGlobal(nullptr);
    global->SetPrivateQueryPath(QStringLiteral("/priv"));
    const struct {
        const char* name;
        TDestinationOutput output;
        const char* extension;
    } types[] = {
        {"Rapport", doReport, "QRP"}, {"Fichier", doFile, "TXT"}, {"Graphe", doGraph, "GRF"},
        {"Croise", doCrosstab, "CRS"}, {"Table", doTable, "DB"},
    };
    for (const auto& t : types) {
        TDestinationItem* type = DestinationTypes()->AddNew();
        type->SetName(QString::fromLatin1(t.name));
        type->SetOutput(t.output);
        type->SetExtension(QString::fromLatin1(t.extension));
        type->SetDllName(QStringLiteral("TESTMOD"));
    }
    m_step = new TMxItem(nullptr);
    m_step->SetId(2);
    m_list = DestinationTypes()->CreateQueryDestinations(m_step);
}

DestinationTest::~DestinationTest()
{
    TMxItem::Free(m_list);
    TMxItem::Free(m_step);
    ShutdownEngine();
    UnregisterDestDriver(QStringLiteral("TESTMOD"));
    EXPECT_EQ(TRecordingDestDriver::LiveSettings, 0) << "settings not freed through their driver";
}

TDestinationItem* DestinationTest::Type(const QString& name) const
{
    return DestinationTypes()->FindByName(name);
}

TQueryDestinationItem* DestinationTest::Dest(const QString& name) const
{
    return m_list->FindByName(name);
}

TRecordingSettings* DestinationTest::SettingsOf(const QString& name)
{
    TQueryDestinationItem* d = Dest(name);
    d->GetDestinationType();
    return dynamic_cast<TRecordingSettings*>(d->Settings());
}
