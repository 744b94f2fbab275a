// Sending a step's result to its destinations.

#include "destinationfixture.h"

#include "engine/core/exceptions.h"
#include "engine/driver/destfactories.h"

using namespace mx;

TEST_F(DestinationTest, ExecuteSendsFilesAndTablesThenReportsAndNothingElse)
{
    for (const char* name : {"Rapport", "Fichier", "Graphe", "Croise", "Table"})
        Dest(QString::fromLatin1(name))->SetFileName(QStringLiteral("r"));
    // A second report, switched off.
    auto* off = new TQueryDestinationItem(m_list);
    off->SetName(QStringLiteral("Rapport"));
    // The report comes first in the list, yet is printed last.
    TFakeDataset dataset;
    dataset.RecNo = 7;
    m_list->Execute(&dataset);
    EXPECT_EQ(TRecordingDestDriver::Log,
        (QStringList{QStringLiteral("Export Fichier /priv/r.TXT"), QStringLiteral("Export Table /priv/r.DB"),
            QStringLiteral("Print Rapport /priv/r.QRP")}));
    EXPECT_EQ(dataset.RecNo, 7);
}

TEST_F(DestinationTest, TheRecordIsPutBackAlsoWhenTheDriverFails)
{
    TQueryDestinationItem* file = Dest(QStringLiteral("Fichier"));
    file->SetFileName(QStringLiteral("r"));
    TFakeDataset dataset;
    dataset.RecNo = 7;
    for (const char* op : {"Print", "Customize", "View", "Export"}) {
        TRecordingDestDriver::FailOn = QString::fromLatin1(op);
        EXPECT_THROW(
            {
                if (TRecordingDestDriver::FailOn == u"Print")
                    file->Print(&dataset);
                else if (TRecordingDestDriver::FailOn == u"Customize")
                    file->Customize(&dataset);
                else if (TRecordingDestDriver::FailOn == u"View")
                    file->View(&dataset);
                else
                    file->Export(&dataset);
            },
            Exception)
            << op;
        EXPECT_EQ(dataset.RecNo, 7) << op;
    }
    // A failing export stops the run before the reports.
    Dest(QStringLiteral("Rapport"))->SetFileName(QStringLiteral("r"));
    TRecordingDestDriver::Log.clear();
    TRecordingDestDriver::FailOn = QStringLiteral("Export");
    EXPECT_THROW(m_list->Execute(&dataset), Exception);
    EXPECT_EQ(TRecordingDestDriver::Log, QStringList{QStringLiteral("Export Fichier /priv/r.TXT")});
    EXPECT_EQ(dataset.RecNo, 7);
}

TEST_F(DestinationTest, TheDriverIsLookedUpUntilFoundThenKept)
{
    TDestinationItem* type = Type(QStringLiteral("Table"));
    type->SetDllName(QStringLiteral("LATEMOD"));
    try {
        type->GetDriver();
        ADD_FAILURE() << "no driver yet";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Driver Table not found in LATEMOD\n"))) << e.message().toStdString();
    }
    int made = 0;
    RegisterDestDriver(QStringLiteral("LATEMOD"), [&made](const QString& dest) {
        ++made;
        return new TRecordingDestDriver(dest);
    });
    std::shared_ptr<TIMxDestDriver> first = type->GetDriver();
    EXPECT_TRUE(first);
    EXPECT_EQ(type->GetDriver(), first);
    EXPECT_EQ(made, 1);
    UnregisterDestDriver(QStringLiteral("LATEMOD"));
}
