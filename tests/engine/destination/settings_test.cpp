// The destinations' settings: stored with the query, edited, copied, freed.

#include "destinationfixture.h"

#include "engine/core/exceptions.h"
#include "engine/global/queryglobal.h"

using namespace mx;

namespace {

QByteArray saved(TQueryDestinationList* list)
{
    return list->SaveToBytes();
}

TQueryDestinationList* loaded(const QByteArray& bytes)
{
    auto* list = new TQueryDestinationList(nullptr);
    list->LoadFromStream(bytes);
    return list;
}

} // namespace

TEST_F(DestinationTest, SettingsAreStoredWithTheDestinations)
{
    Dest(QStringLiteral("Fichier"))->SetFileName(QStringLiteral("export"));
    SettingsOf(QStringLiteral("Fichier"))->Text = QStringLiteral("séparateur ;");
    SettingsOf(QStringLiteral("Table")); // made, but holding nothing
    const QByteArray bytes = saved(m_list);
    EXPECT_EQ(bytes.count("BinProp"), 1) << "settings without data are not written";

    TQueryDestinationList* copy = loaded(bytes);
    ASSERT_EQ(copy->Count(), 5);
    EXPECT_EQ(copy->FindByName(QStringLiteral("Fichier"))->FileName(), QStringLiteral("export"));
    auto* settings = dynamic_cast<TRecordingSettings*>(copy->FindByName(QStringLiteral("Fichier"))->Settings());
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->Text, QStringLiteral("séparateur ;"));
    EXPECT_EQ(copy->FindByName(QStringLiteral("Table"))->Settings(), nullptr); // made on first use
    EXPECT_EQ(saved(copy), bytes);
    EXPECT_TRUE(m_service.warnings.isEmpty());
    copy->Free();
}

TEST_F(DestinationTest, SettingsThatCannotBeWrittenFailTheSave)
{
    SettingsOf(QStringLiteral("Table"))->Text = QStringLiteral("漢字"); // outside the file's code page
    const QString file = Path(QStringLiteral("dest.bin"));
    mxtest::WriteAll(file, "previous");
    try {
        m_list->SaveToFile(file);
        ADD_FAILURE() << "saved";
    } catch (const EMxException& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("Table"))) << e.message().toStdString();
    }
    EXPECT_EQ(mxtest::ReadAll(file), QByteArray("previous"));
}

TEST_F(DestinationTest, SettingsOfAMissingTypeOrDriverAreKeptAsTheyWere)
{
    for (const char* name : {"Rapport", "Fichier", "Table"}) {
        Dest(QString::fromLatin1(name))->SetFileName(QStringLiteral("r"));
        SettingsOf(QString::fromLatin1(name))->Text = QStringLiteral("de ") + QString::fromLatin1(name);
    }
    const QByteArray original = saved(m_list);

    // The installation lost the file type, and the table type's module.
    Type(QStringLiteral("Fichier"))->SetName(QStringLiteral("Ancien"));
    Type(QStringLiteral("Table"))->SetDllName(QStringLiteral("GONE"));
    m_service.warnings.clear();
    TQueryDestinationList* copy = loaded(original);
    EXPECT_EQ(m_service.warnings.size(), 2);
    for (const QString& w : m_service.warnings)
        EXPECT_TRUE(w.contains(QLatin1String("Fichier")) || w.contains(QLatin1String("Table"))) << w.toStdString();
    // The others load normally, after them and before them.
    ASSERT_EQ(copy->Count(), 5);
    auto* report = dynamic_cast<TRecordingSettings*>(copy->FindByName(QStringLiteral("Rapport"))->Settings());
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->Text, QStringLiteral("de Rapport"));
    EXPECT_EQ(copy->FindByName(QStringLiteral("Table"))->FileName(), QStringLiteral("r"));
    EXPECT_TRUE(copy->FindByName(QStringLiteral("Fichier"))->HasKeptSettings());
    // Saved again, nothing is lost: the bytes are those read.
    EXPECT_EQ(saved(copy), original);

    // The driver comes back: the kept settings become its settings.
    Type(QStringLiteral("Table"))->SetDllName(QStringLiteral("TESTMOD"));
    TQueryDestinationItem* table = copy->FindByName(QStringLiteral("Table"));
    table->Export(nullptr);
    EXPECT_EQ(TRecordingDestDriver::Log.last(), QStringLiteral("Export Table /priv/r.DB [de Table]"));
    EXPECT_FALSE(table->HasKeptSettings());
    copy->Free();
}

TEST_F(DestinationTest, CancellingAnEditRestoresEverySettingAndConfirmingKeepsThem)
{
    for (bool cloneable : {true, false}) {
        SCOPED_TRACE(cloneable ? "settings that copy themselves" : "settings copied through their stored form");
        TRecordingDestDriver::CloneableSettings = cloneable;
        TQueryDestinationList* list = DestinationTypes()->CreateQueryDestinations(m_step);
        TQueryDestinationItem* file = list->FindByName(QStringLiteral("Fichier"));
        TQueryDestinationItem* table = list->FindByName(QStringLiteral("Table")); // no file name, no settings yet
        file->SetFileName(QStringLiteral("r"));
        file->GetDestinationType();
        auto text = [](TQueryDestinationItem* d) { return static_cast<TRecordingSettings*>(d->Settings())->Text; };
        auto setText = [](TQueryDestinationItem* d, const char* t) {
            static_cast<TRecordingSettings*>(d->Settings())->Text = QString::fromLatin1(t);
        };
        setText(file, "v1");

        // Edit, cancel: both back, including the one without a file name.
        list->BeginEdit();
        ASSERT_NE(table->Settings(), nullptr);
        setText(file, "changed");
        setText(table, "changed");
        list->CommitEdit();
        EXPECT_EQ(text(file), QStringLiteral("v1"));
        EXPECT_EQ(text(table), QString());

        // Edit, confirm: the changes stay and the copies go.
        list->BeginEdit();
        setText(file, "v2");
        list->DiscardEdit();
        EXPECT_EQ(file->SavedSettings(), nullptr);
        EXPECT_FALSE(file->IsEditing());
        EXPECT_EQ(text(file), QStringLiteral("v2"));

        // A later cancel restores v2, not the copy of the first edit.
        list->BeginEdit();
        setText(file, "v3");
        list->CommitEdit();
        EXPECT_EQ(text(file), QStringLiteral("v2"));
        list->CommitEdit(); // nothing to restore any more
        EXPECT_EQ(text(file), QStringLiteral("v2"));
        list->Free();
        EXPECT_EQ(TRecordingDestDriver::LiveSettings, 0);
    }
}

TEST_F(DestinationTest, ADestinationFreesItsSettingsThroughTheDriverThatMadeThem)
{
    TQueryDestinationList* list = DestinationTypes()->CreateQueryDestinations(m_step);
    for (TMxItem* item : *list)
        static_cast<TQueryDestinationItem*>(item)->GetDestinationType();
    list->BeginEdit();
    EXPECT_EQ(TRecordingDestDriver::LiveSettings, 10);
    // The types go first (a reinstall): destruction looks nothing up.
    FreeQueryGlobals();
    list->Free();
    EXPECT_EQ(TRecordingDestDriver::LiveSettings, 0);
    EXPECT_EQ(TRecordingDestDriver::Log.count(QStringLiteral("destroy Table")), 1);
}

TEST_F(DestinationTest, ACopiedStepCopiesItsDestinationsSettings)
{
    m_list->SetGenerateView(true);
    Dest(QStringLiteral("Table"))->SetFileName(QStringLiteral("copie"));
    SettingsOf(QStringLiteral("Table"))->Text = QStringLiteral("réglé");
    auto* copy = new TQueryDestinationList(nullptr);
    copy->Assign(m_list);
    EXPECT_TRUE(copy->GenerateView());
    TQueryDestinationItem* table = copy->FindByName(QStringLiteral("Table"));
    ASSERT_NE(table->Settings(), nullptr);
    EXPECT_NE(table->Settings(), Dest(QStringLiteral("Table"))->Settings());
    m_list->Free(); // the source goes first
    m_list = nullptr;
    EXPECT_EQ(static_cast<TRecordingSettings*>(table->Settings())->Text, QStringLiteral("réglé"));
    copy->Free();
}
