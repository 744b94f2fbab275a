#pragma once
// Destination types of every output over a recording destination driver,
// its settings, and a dataset with a record number.

#include "tests/support/testsupport.h"

#include "engine/destination/destinationtype.h"
#include "engine/destination/querydestination.h"
#include "engine/driver/dataset.h"
#include "engine/driver/destdriver.h"
#include "engine/driver/destproperties.h"

#include <QStringList>

// Settings with one stored text; HasData when the text is set. When
// Cloneable is false, Clone gives none (the engine then copies through
// the stored form).
class TRecordingSettings : public mx::TIMxDestProperties {
    MX_CLASS(TRecordingSettings)
public:
    using mx::TIMxDestProperties::TIMxDestProperties;
    ~TRecordingSettings() override;
    QString Text;
    bool Cloneable = true;
    bool HasData() override { return !Text.isEmpty(); }
    TIMxDestProperties* Clone() override;
};

// Every call goes to Log as "<operation> <destination> <file>"; the
// operation named in FailOn raises after moving the dataset.
class TRecordingDestDriver : public mx::TIMxDestDriver {
public:
    explicit TRecordingDestDriver(QString name) : m_name(std::move(name)) {}
    ~TRecordingDestDriver() override;
    void Print(mx::TIMxDestProperties* p, const QString& f, mx::TIMxDataset* d) override { call("Print", p, f, d); }
    void Customize(mx::TIMxDestProperties* p, const QString& f, mx::TIMxDataset* d) override { call("Customize", p, f, d); }
    void View(mx::TIMxDestProperties* p, const QString& f, mx::TIMxDataset* d) override { call("View", p, f, d); }
    void Export(mx::TIMxDestProperties* p, const QString& f, mx::TIMxDataset* d) override { call("Export", p, f, d); }
    mx::TIMxDestProperties* CreateProperties() override;
    void FreeProperties(mx::TIMxDestProperties* p) override;

    static QStringList Log;
    static QString FailOn;
    static bool CloneableSettings;
    static int LiveSettings; // made by a driver and not yet freed by one

private:
    void call(const char* op, mx::TIMxDestProperties* p, const QString& f, mx::TIMxDataset* d);
    QString m_name;
};

class TFakeDataset : public mx::TIMxDataset {
public:
    int RecNo = 1;
    int GetFieldCount() override { return 0; }
    QString GetFieldValue(int) override { return {}; }
    QString GetFieldValueByName(const QString&) override { return {}; }
    QString GetFieldName(int) override { return {}; }
    int GetFieldWidth(int) override { return 0; }
    int GetFieldSize(int) override { return 0; }
    int GetRecordCount() override { return 100; }
    bool GetActive() override { return true; }
    QString GetFieldTypeName(int) override { return {}; }
    void First() override { RecNo = 1; }
    void Last() override { RecNo = 100; }
    void Next() override { ++RecNo; }
    void Prior() override { --RecNo; }
    bool Bof() override { return RecNo == 1; }
    bool Eof() override { return RecNo == 100; }
    void Close() override {}
    void MoveBy(int d) override { RecNo += d; }
    int GetRecNo() override { return RecNo; }
    void SetRecNo(int v) override { RecNo = v; }
    void DumpTable(const QString&) override {}
};

// Types in module "TESTMOD": Rapport (report, QRP), Fichier (file, TXT),
// Graphe (graph), Croise (crosstab), Table (table, DB); private query
// folder /priv. A step with Id 2 owns the destinations.
class DestinationTest : public mxtest::EngineTest {
protected:
    DestinationTest();
    ~DestinationTest() override;

    mx::TDestinationItem* Type(const QString& name) const;
    mx::TQueryDestinationItem* Dest(const QString& name) const;
    TRecordingSettings* SettingsOf(const QString& name);

    mx::TMxItem* m_step = nullptr;
    mx::TQueryDestinationList* m_list = nullptr;
};
