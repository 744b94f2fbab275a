// The data model window as an administrator meets it: which commands act
// with and without a model, the caption, a new model over the sample's
// SQLite alias, opening a model with its login, the report, and the window
// count that ends the program.

#include "windowtest.h"

#include "engine/tools/hooks.h"

#include "engine/admin/adminhelpers.h"
#include "engine/admin/adminmodel.h"
#include "engine/core/strings.h"
#include "engine/model/database.h"
#include "engine/model/entity.h"
#include "engine/model/link.h"
#include "engine/model/table.h"
#include "engine/model/user.h"

#include "ui/mrumenu/mrumenu.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>

#include <set>

namespace admintest {
namespace {

using mx::admin::TfmDataModel;
using mx::ui::test::Child;

const QString kTitle = QStringLiteral("Morvelin Administration");

class DataModelWindow : public WindowTest {};

// Every command and button whose enabling follows the model.
const char* const kFollowing[] = {"miPrint", "miPrintPreview", "miPrintConfig", "miAddTable", "miUnlinkAll",
    "miFindTable", "miReverse", "sbTables", "miTables", "sbEntities", "miEntities", "sbDatabases", "miDatabases",
    "sbRights", "miRights", "sbDomains", "miSets", "sbVerify", "miVerify", "sbReport", "miReport", "miSave",
    "miSaveAs", "miClose"};

bool isEnabled(QWidget* w, const char* name)
{
    if (auto* a = w->findChild<QAction*>(QString::fromLatin1(name)))
        return a->isEnabled();
    auto* b = w->findChild<QToolButton*>(QString::fromLatin1(name));
    EXPECT_NE(b, nullptr) << name;
    return b && b->isEnabled();
}

TEST_F(DataModelWindow, CommandsActAsTheModelAllowsAndTheCaptionFollows)
{
    const std::set<std::string> withModel = {"miPrint", "miPrintPreview", "miPrintConfig", "miAddTable", "sbRights",
        "miRights", "sbDomains", "miSets", "sbVerify", "miVerify", "sbReport", "miReport", "miSaveAs", "miClose"};
    const std::set<std::string> withTables = {"miUnlinkAll", "miFindTable", "miReverse", "sbTables", "miTables",
        "sbEntities", "miEntities"};
    const std::set<std::string> withDatabases = {"sbDatabases", "miDatabases"};
    struct Case {
        const char* what;
        bool model, tables, databases, modified;
        QString caption;
    };
    const Case cases[] = {
        {"no model", false, false, false, false, kTitle},
        {"an empty new model", true, false, false, false, QStringLiteral("sans nom - ") + kTitle},
        {"tables, no database", true, true, false, false, QStringLiteral("sans nom - ") + kTitle},
        {"tables and a database", true, true, true, false, QStringLiteral("sans nom - ") + kTitle},
        {"modified", true, true, true, true, QStringLiteral("sans nom* - ") + kTitle},
    };
    TfmDataModel* w = NewWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.model) {
            auto* m = new mx::TMxDataModel(nullptr);
            if (c.tables)
                mxtest::AddModelTable(m, 3, QStringLiteral("CLIENT"), QStringLiteral("Clients"), QStringLiteral("VENTES"),
                    {{"NUMCLI", "N", "Numéro client"}});
            if (c.databases)
                m->Databases()->AddNew()->SetName(QStringLiteral("VENTES"));
            m->SetModified(false);
            w->SetModel(m);
            if (c.modified)
                m->MarkModified(); // the window follows the model by itself
        } else {
            w->SetModel(nullptr);
        }
        for (const char* name : kFollowing) {
            const bool expected = (c.model && withModel.count(name)) || (c.tables && withTables.count(name))
                || (c.databases && withDatabases.count(name)) || (c.modified && std::string(name) == "miSave");
            EXPECT_EQ(isEnabled(w, name), expected) << name;
        }
        for (const char* always : {"sbNew", "sbOpen", "fbAbout", "miNew", "miOpen", "miNewWindow", "miExit"})
            EXPECT_TRUE(isEnabled(w, always)) << always;
        EXPECT_EQ(w->windowTitle(), c.caption);
    }
}

// The status panel shows the hint of what is under the mouse, except a
// caption of the large buttons (a hint beginning with "*").
TEST_F(DataModelWindow, TheStatusPanelShowsTheHintUnderTheMouse)
{
    TfmDataModel* w = NewWindow();
    auto* panel = Child<QLabel>(*w, "paMiddle");
    const struct {
        const char* tip;
        const char* shown;
    } cases[] = {{"Ouvrir un modèle", " Ouvrir un modèle"}, {"*Ouvrir", " Ouvrir un modèle"}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip);
        QStatusTipEvent tip(QString::fromUtf8(c.tip));
        QCoreApplication::sendEvent(w, &tip);
        EXPECT_EQ(panel->text(), QString::fromUtf8(c.shown));
    }
}

TEST_F(DataModelWindow, TheCaptionOfALoadedModelIsItsNameAndItsModifiedMark)
{
    TfmDataModel* w = WindowOnSample(SampleFile());
    ASSERT_TRUE(w->Model());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("VENTES - ") + kTitle);
    w->Model()->MarkModified();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("VENTES* - ") + kTitle);
    EXPECT_TRUE(isEnabled(w, "miSave"));
}

TEST_F(DataModelWindow, TheToolBarShowsItsCaptionsInLargeIconsOnlyAndKeepsAboutAtTheRight)
{
    TfmDataModel* w = NewWindow();
    w->resize(1000, 500);
    QCoreApplication::processEvents();
    const char* const names[] = {"sbNew", "sbOpen", "sbTables", "sbEntities", "sbDatabases", "sbRights", "sbDomains",
        "sbVerify", "sbReport", "fbAbout"};
    const char* const captions[] = {"Nouveau", "Ouvrir", "Tables", "Entités", "Bases", "Droits", "Ensembles", "Vérif.",
        "Rapport", "A propos"};
    int previousRight = 0;
    for (int i = 0; i < 10; ++i) {
        auto* b = Child<QToolButton>(*w, names[i]);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->text(), QString::fromUtf8(captions[i]));
        EXPECT_FALSE(b->icon().isNull()) << names[i];
        // No caption is cut and no button covers another.
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << names[i];
        EXPECT_GE(b->x(), previousRight) << names[i];
        previousRight = b->x() + b->width();
    }
    auto* about = Child<QToolButton>(*w, "fbAbout");
    auto* board = about->parentWidget();
    EXPECT_EQ(about->x(), board->width() - about->width() - 8);
    Trigger(w, "miSmallIcons");
    EXPECT_FALSE(w->LargeIcons());
    EXPECT_EQ(Child<QToolButton>(*w, "sbTables")->text(), QString());
    EXPECT_EQ(Child<QToolButton>(*w, "sbTables")->toolTip(), QStringLiteral("Propriétés des tables"));
}

TEST_F(DataModelWindow, ANewModelOverTheSamplesAliasGetsTablesEntitiesADatabaseAndProposedLinks)
{
    mx::admin::RegisterAdminDialogs();
    TfmDataModel* w = NewWindow();
    m_modal.Accept([&](QDialog& d) {
        auto* box = Child<QComboBox>(d, "cobDatabases");
        box->setCurrentIndex(box->findText(QStringLiteral("MORVELIN")));
        SelectRows(Child<QListView>(d, "lbDbTables"), {QStringLiteral("CLIENTS"), QStringLiteral("VILLES")});
    });
    ui().messageAnswers = {mx::mrYes}; // the link analysis
    QTest::mouseClick(Child<QToolButton>(*w, "sbNew"), Qt::LeftButton);
    EXPECT_EQ(m_modal.shown, QStringList{QStringLiteral("fmSelectTable")});
    mx::TMxDataModel* m = w->Model();
    ASSERT_TRUE(m);
    ASSERT_EQ(m->Tables()->Count(), 2);
    QStringList names;
    for (int i = 0; i < 2; ++i) {
        mx::TMxTable* t = m->Tables()->Items(i);
        names << t->Name();
        EXPECT_EQ(t->Entities()->Count(), 1) << t->Name().toStdString();
        EXPECT_EQ(t->Database(), QStringLiteral("MORVELIN"));
        EXPECT_GT(t->Fields()->Count(), 0);
    }
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("CLIENTS"), QStringLiteral("VILLES")}));
    EXPECT_NO_THROW(mx::CheckAllFieldNames(m->Tables())) << "full names made unique";
    ASSERT_EQ(m->Databases()->Count(), 1);
    EXPECT_EQ(m->Databases()->Items(0)->Name(), QStringLiteral("MORVELIN"));
    EXPECT_EQ(m->Databases()->Items(0)->DriverName(), QStringLiteral("SQLITE"));
    // CLIENTS.CODE_VILLE meets the key of VILLES.
    ASSERT_EQ(m->TLinks()->Count(), 1);
    EXPECT_TRUE(m->Report()->toStringList().contains(QStringLiteral("Lien CLIENTS -> VILLES")))
        << m->Report()->toStringList().join(u'\n').toStdString();
    EXPECT_EQ(ui().texts(QStringLiteral("message")),
        QStringList{QStringLiteral("Analyse des structures de tables terminée.\nVoulez-vous faire une analyse automatique des liens ?")});
    // The diagram shows them, and the window says what it holds.
    EXPECT_EQ(w->Graph()->TableCount(), 2);
    EXPECT_EQ(w->Graph()->LinkCount(), 1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("sans nom* - ") + kTitle);
    EXPECT_TRUE(isEnabled(w, "sbDatabases"));
    EXPECT_TRUE(isEnabled(w, "sbTables"));
    EXPECT_EQ(Child<QLabel>(*w, "paMiddle")->text(), QStringLiteral("Analyse terminée."));
    EXPECT_FALSE(Child<QWidget>(*w, "gaProgress")->isVisible()) << "the gauge goes with the work";
    mx::admin::TableSelector.clear();
    mx::admin::TablePropertiesEditor.clear();
}

// The main road: a new model over the sample's database, a panel moved,
// saved under a name, and opened again in a second window.
TEST_F(DataModelWindow, ANewModelSavedAndOpenedAgainInAnotherWindowIsTheSame)
{
    mx::admin::RegisterAdminDialogs();
    TfmDataModel* w = NewWindow();
    m_modal.Accept([&](QDialog& d) {
        auto* box = Child<QComboBox>(d, "cobDatabases");
        box->setCurrentIndex(box->findText(QStringLiteral("MORVELIN")));
        SelectRows(Child<QListView>(d, "lbDbTables"),
            {QStringLiteral("CLIENTS"), QStringLiteral("COMMANDES"), QStringLiteral("VILLES")});
    });
    ui().messageAnswers = {mx::mrYes};
    Trigger(w, "miNew");
    mx::TMxDataModel* m = w->Model();
    ASSERT_TRUE(m);
    ASSERT_EQ(m->Tables()->Count(), 3);
    const int links = m->TLinks()->Count();
    EXPECT_GE(links, 2) << m->Report()->toStringList().join(u'\n').toStdString();
    w->Graph()->GetTable(1)->SetBounds(420, 260);

    // The sample's alias has no password: the question, then the name.
    ui().requests.clear();
    ui().messageAnswers = {mx::mrYes};
    ui().fileAnswers = {{Path(QStringLiteral("ventes.txt"))}};
    Trigger(w, "miSaveAs");
    EXPECT_EQ(ui().texts(QStringLiteral("message")),
        QStringList{QStringLiteral("La définition des mots de passe est incomplète.\nSouhaitez-vous enregistrer le modèle de données ?")});
    const QString file = Path(QStringLiteral("ventes.mdd"));
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ventes - ") + kTitle);

    loginUser = QStringLiteral("Admin");
    loginPassword.clear();
    TfmDataModel* other = NewWindow();
    other->OpenModel(file, false);
    mx::TMxDataModel* back = other->Model();
    ASSERT_TRUE(back);
    EXPECT_EQ(other->windowTitle(), QStringLiteral("ventes - ") + kTitle);
    ASSERT_EQ(back->Tables()->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const mx::TMxTable* a = m->Tables()->Items(i);
        const mx::TMxTable* b = back->Tables()->FindById(a->Id());
        ASSERT_TRUE(b) << a->Name().toStdString();
        EXPECT_EQ(b->Name(), a->Name());
        EXPECT_EQ(b->DesignX(), a->DesignX());
        EXPECT_EQ(b->DesignY(), a->DesignY());
        EXPECT_EQ(b->Fields()->Count(), a->Fields()->Count());
        ASSERT_EQ(b->Entities()->Count(), 1);
        EXPECT_EQ(b->Entities()->Items(0)->Name(), a->Entities()->Items(0)->Name());
    }
    EXPECT_EQ(back->Tables()->Items(1)->DesignX(), 420);
    EXPECT_EQ(back->Tables()->Items(1)->DesignY(), 260);
    ASSERT_EQ(back->TLinks()->Count(), links);
    for (int i = 0; i < links; ++i) {
        EXPECT_EQ(back->TLinks()->Items(i)->Master(), m->TLinks()->Items(i)->Master());
        EXPECT_EQ(back->TLinks()->Items(i)->Detail(), m->TLinks()->Items(i)->Detail());
    }
    EXPECT_EQ(other->Graph()->TableCount(), 3);
    EXPECT_EQ(other->Graph()->LinkCount(), links);
    EXPECT_EQ(other->Graph()->FindTable(back->Tables()->Items(1))->Rect().topLeft(), QPoint(420, 260));
    mx::admin::TableSelector.clear();
    mx::admin::TablePropertiesEditor.clear();
}

TEST_F(DataModelWindow, CancellingTheTablePickerLeavesAnEmptyUnnamedModel)
{
    mx::ScopedHook selector(mx::admin::TableSelector, [](mx::TStrings*, mx::TMxDatabaseItem*) { return false; });
    TfmDataModel* w = NewWindow();
    Trigger(w, "miNew");
    ASSERT_TRUE(w->Model());
    EXPECT_EQ(w->Model()->Tables()->Count(), 0);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("sans nom - ") + kTitle);
    EXPECT_TRUE(ui().texts(QStringLiteral("message")).isEmpty()) << "no link question without tables";
}

TEST_F(DataModelWindow, AUserWithoutTheAdministratorsLevelIsRefusedAndThePreviousModelStays)
{
    const QString file = SampleFile();
    TfmDataModel* w = WindowOnSample(SampleFile(QStringLiteral("PREMIER.MDD")));
    mx::TMxDataModel* before = w->Model();
    ASSERT_TRUE(before);
    loginUser = QStringLiteral("Marie");
    loginPassword = QStringLiteral("Marie1");
    w->OpenModel(file, false);
    // (Marie's sets name a group the sample lacks: the engine says so first.)
    const auto refusals = [&] {
        return ui().texts(QStringLiteral("message")).filter(QStringLiteral("Impossible de charger"));
    };
    EXPECT_EQ(refusals(),
        QStringList{QStringLiteral("Impossible de charger le modèle VENTES.MDD :\nVous n'avez pas de droit d'administrateur.")});
    EXPECT_EQ(w->Model(), before) << "the model the window had, still alive";
    EXPECT_EQ(w->Model()->FileName(), Path(QStringLiteral("PREMIER.MDD")));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("PREMIER - ") + kTitle);
    EXPECT_FALSE(mx::AppGlobal()->History(11)->Items().contains(file)) << "only a model that opened is remembered";

    // A cancelled login is no error: nothing is said, nothing changes.
    loginUser.clear();
    w->OpenModel(file, false);
    EXPECT_EQ(refusals().size(), 1);
    EXPECT_EQ(w->Model(), before);

    loginUser = QStringLiteral("Admin");
    loginPassword = QStringLiteral("secret");
    w->OpenModel(file, false);
    ASSERT_TRUE(w->Model());
    EXPECT_EQ(w->Model()->FileName(), file);
    EXPECT_EQ(mx::AppGlobal()->History(11)->Items().value(0), file);
}

TEST_F(DataModelWindow, AModelWithoutUsersOpensWithoutLoginAndEveryCommandActs)
{
    mx::TItemPtr<mx::TMxDataModel> m(mxtest::MakeSampleModel());
    m->Groups()->Clear();
    m->Users()->Clear();
    m->SaveToFile(Path(QStringLiteral("LIBRE.MDD")));
    TfmDataModel* w = NewWindow();
    w->OpenModel(Path(QStringLiteral("LIBRE.MDD")), false);
    ASSERT_TRUE(w->Model());
    EXPECT_TRUE(logins.isEmpty());
    EXPECT_EQ(w->Model()->CurrentUser(), nullptr);
    EXPECT_TRUE(ui().texts(QStringLiteral("message")).isEmpty());
    for (const char* name : kFollowing)
        if (std::string(name) != "miSave") {
            EXPECT_TRUE(isEnabled(w, name)) << name;
        }
    // The rights, sets and entities commands reach their dialogs with the
    // model and nobody logged in.
    int calls = 0;
    mx::ScopedHook users(mx::admin::UsersEditor, [&](mx::TMxDataModel* model) { ++calls; return model == w->Model(); });
    mx::ScopedHook sets(mx::admin::SetsEditor, [&](mx::TMxDataModel*) { ++calls; return false; });
    mx::ScopedHook entities(mx::admin::EntitiesEditor, [&](mx::TMxDataModel*, mx::TMxTable*) { ++calls; return false; });
    QTest::mouseClick(Child<QToolButton>(*w, "sbRights"), Qt::LeftButton);
    QTest::mouseClick(Child<QToolButton>(*w, "sbDomains"), Qt::LeftButton);
    QTest::mouseClick(Child<QToolButton>(*w, "sbEntities"), Qt::LeftButton);
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(w->Model()->Modified()) << "the rights dialog's Ok";
}

TEST_F(DataModelWindow, TheToolBarOpensTheModelsDialogsAndCancelLeavesTheModelUnmodified)
{
    mx::EntityCriteriaHook.clear();
    mx::SetCriteriaHook.clear();
    mx::admin::RegisterDataModelEditors();
    // The entities' and the sets' criteria open the formula editor.
    EXPECT_TRUE(bool(mx::EntityCriteriaHook));
    EXPECT_TRUE(bool(mx::SetCriteriaHook));
    TfmDataModel* w = WindowOnSample(SampleFile());
    ASSERT_TRUE(w->Model());
    const QByteArray before = Bytes(w->Model());
    for (int i = 0; i < 6; ++i)
        m_modal.Reject();
    for (const char* button : {"sbTables", "sbEntities", "sbDatabases", "sbRights", "sbDomains"})
        QTest::mouseClick(Child<QToolButton>(*w, button), Qt::LeftButton);
    Trigger(w, "miSysParams");
    EXPECT_EQ(m_modal.shown, (QStringList{QStringLiteral("fmTableProperties"), QStringLiteral("fmEntities"),
                                 QStringLiteral("fmDBParams"), QStringLiteral("fmUserList"), QStringLiteral("fmSets"),
                                 QStringLiteral("fmConfig")}));
    EXPECT_EQ(m_modal.unexpected, 0);
    EXPECT_FALSE(w->Model()->Modified());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("VENTES - ") + kTitle);
    EXPECT_EQ(Bytes(w->Model()), before);
    mx::admin::EntitiesEditor.clear();
    mx::admin::SetsEditor.clear();
    mx::admin::UsersEditor.clear();
    mx::admin::TableSelector.clear();
    mx::admin::TablePropertiesEditor.clear();
    mx::admin::ConfigurationEditor.clear();
    mx::admin::LinkEditor.clear();
}

TEST_F(DataModelWindow, TheReportIsShownAndEmptiedByVider)
{
    TfmDataModel* w = WindowOnSample(SampleFile());
    ASSERT_TRUE(w->Model());
    w->Model()->Report()->Add(QStringLiteral("Lien CLIENT -> COMMANDE"));
    m_modal.Reject([](QDialog& d) { EXPECT_EQ(d.windowTitle(), QStringLiteral("Rapport")); });
    QTest::mouseClick(Child<QToolButton>(*w, "sbReport"), Qt::LeftButton);
    EXPECT_EQ(w->Model()->Report()->Count(), 1) << "closing keeps the report";
    m_modal.AsFilled([](QDialog& d) { Child<QPushButton>(d, "btClear")->click(); });
    Trigger(w, "miReport");
    EXPECT_EQ(m_modal.shown, (QStringList{QStringLiteral("fmViewStrings"), QStringLiteral("fmViewStrings")}));
    EXPECT_EQ(w->Model()->Report()->Count(), 0);
}

// The settings object's status panel, the recent models and the pages'
// addresses follow the window the administrator works in.
TEST_F(DataModelWindow, TheActiveWindowTakesTheStatusTheRecentModelsAndThePagesInItsLanguage)
{
    const QString file = SampleFile();
    mx::AppGlobal()->History(11)->AddFile(file);
    TfmDataModel* a = NewWindow();
    TfmDataModel* b = NewWindow();
    const QString expected = QStringLiteral("https://www.morvelin.org/%1/").arg(mx::CapitalizeFirst(mx::AppGlobal()->LangCode()));
    const auto activate = [](QWidget* w) {
        w->activateWindow();
        QCoreApplication::processEvents();
    };
    const auto recent = [](QWidget* w) {
        QStringList out;
        for (QAction* act : w->findChild<QMenu*>(QStringLiteral("miFavorites"))->actions())
            if (act->property(mx::ui::kMRUEntryProperty).toBool())
                out << act->text();
        return out;
    };
    for (TfmDataModel* w : {a, b, a}) {
        activate(w);
        ASSERT_TRUE(w->isActiveWindow());
        EXPECT_EQ(mx::AppGlobal()->StatusControl(), w->findChild<QLabel*>(QStringLiteral("paMiddle")));
        EXPECT_EQ(recent(w).size(), 1);
        // Formatted from its pattern at each activation, never from the
        // address it gave before.
        EXPECT_EQ(w->findChild<QAction*>(QStringLiteral("miJumptoMV"))->statusTip(), expected);
    }
    // A model remembered while another window works shows in this one's
    // menu once it is active again.
    activate(b);
    mx::AppGlobal()->History(11)->AddFile(Path(QStringLiteral("AUTRE.MDD")));
    EXPECT_EQ(recent(b).size(), 2);
    activate(a);
    EXPECT_EQ(recent(a).size(), 2);
    mx::AppGlobal()->History(11)->AddFile(file);
    // Choosing the entry opens that model in the window, with its login.
    loginUser = QStringLiteral("Admin");
    loginPassword = QStringLiteral("secret");
    QAction* entry = nullptr;
    for (QAction* act : a->findChild<QMenu*>(QStringLiteral("miFavorites"))->actions())
        if (act->property(mx::ui::kMRUEntryProperty).toBool() && act->data().toString() == file)
            entry = act;
    ASSERT_TRUE(entry);
    entry->trigger();
    ASSERT_TRUE(a->Model());
    EXPECT_EQ(a->Model()->FileName(), file);
    EXPECT_EQ(logins.size(), 1);
}

TEST_F(DataModelWindow, TheProgramEndsOnceWhenItsLastWindowCloses)
{
    for (bool firstFirst : {true, false}) {
        SCOPED_TRACE(firstFirst ? "first closed first" : "second closed first");
        quits = 0;
        QPointer<TfmDataModel> a = NewWindow();
        QPointer<TfmDataModel> b = NewWindow();
        EXPECT_EQ(mx::admin::DataModelWindows().Count(), 2);
        CloseWindow(firstFirst ? a : b);
        EXPECT_EQ(mx::admin::DataModelWindows().Count(), 1);
        EXPECT_EQ(quits, 0);
        CloseWindow(firstFirst ? b : a);
        EXPECT_TRUE(a.isNull());
        EXPECT_TRUE(b.isNull());
        EXPECT_EQ(mx::admin::DataModelWindows().Count(), 0);
        EXPECT_EQ(quits, 1);
    }
    // "Nouvelle fenêtre" opens another window; closing it ends nothing.
    quits = 0;
    TfmDataModel* w = NewWindow();
    Trigger(w, "miNewWindow");
    EXPECT_EQ(mx::admin::DataModelWindows().Count(), 2);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* other = dynamic_cast<TfmDataModel*>(top); other && other != w)
            m_windows.push_back(other);
    CloseWindow(m_windows.back());
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(mx::admin::DataModelWindows().Count(), 1);
}

} // namespace
} // namespace admintest
