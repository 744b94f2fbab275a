// The designer's commands without a window: the command-state table, and
// each command group on the sample's queries and models through a view
// that stands for the window, the dialogs scripted through their slots.

#include "query/commands/designercommands.h"
#include "query/commands/designerhelp.h"
#include "query/commands/designerstates.h"

#include "engine/core/exceptions.h"
#include "engine/driver/dataset.h"
#include "engine/driver/rootdir.h"
#include "engine/global/engineshutdown.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/queryfield.h"
#include "engine/model/table.h"
#include "engine/query/query.h"
#include "engine/run/queryrun.h"
#include "engine/settings/global.h"
#include "engine/tools/hooks.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace mx;

namespace {

// The window as the commands see it.
class FakeView : public TDesignerView {
public:
    TMxQuery* DesignerQuery() const override { return query; }
    TMxQueryStep* CurrentStep() const override { return step; }
    void ShowStep(TMxQueryStep* s) override
    {
        step = s;
        shown << s;
    }
    TMxQueryField* SelectedField() const override { return field; }
    void UpdateSQL() override { ++sqlUpdates; }
    void StateChanged() override { ++stateChanges; }

    TMxQuery* query = nullptr;
    TMxQueryStep* step = nullptr;
    TMxQueryField* field = nullptr;
    QList<TMxQueryStep*> shown;
    int sqlUpdates = 0;
    int stateChanges = 0;
};

class CommandsTest : public mxtest::EngineTest {
protected:
    CommandsTest()
    {
        static int argc = 1;
        static char name[] = "commands-test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        const QString root = qEnvironmentVariable("MORVELIN_BIN");
        RootDirOverride.set([root] { return root; });
        auto* global = new TMxQueryGlobal(nullptr);
        global->LoadGlobals();
        QDir(m_dir.path()).mkpath(QStringLiteral("out"));
        global->SetPrivateQueryPath(Path(QStringLiteral("out")));
    }
    ~CommandsTest() override
    {
        if (m_view.query)
            m_view.query->Free();
        ShutdownEngine();
        RootDirOverride.clear();
    }

    // A query file of the sample, held by the view, its first step shown.
    TMxQuery* Open(const char* file)
    {
        auto* q = new TMxQuery(nullptr);
        q->SetInteractive(true);
        q->LoadFromFile(mxtest::SampleFile(QString::fromLatin1(file)));
        m_view.query = q;
        m_view.step = q->Steps()->Items(0);
        return q;
    }

    // A new query of one empty step on a model of the sample, logged in
    // with user and password when given.
    TMxQuery* NewOn(const char* modelFile, const QString& user = QString(), const QString& password = QString())
    {
        auto* model = new TMxDataModel(nullptr);
        try {
            model->Open(mxtest::SampleFile(QString::fromLatin1(modelFile)), user, password);
        } catch (...) {
            model->Free();
            throw;
        }
        auto* q = new TMxQuery(nullptr);
        q->SetInteractive(true);
        q->SetDataModel(model, true);
        q->SetDomId(model->AccessibleDomains()->Items(0)->Id());
        m_view.query = q;
        m_view.step = q->AddStep();
        q->SetModified(false);
        return q;
    }

    QStringList Names(TMxQuery* q) const
    {
        QStringList names;
        for (int i = 0; i < q->Steps()->Count(); ++i)
            names << q->Steps()->Items(i)->GetName();
        return names;
    }

    FakeView m_view;
    TDesignerCommands m_commands{m_view};
};

} // namespace

// ---- the command-state table ---------------------------------------------

TEST(DesignerStates, TheCommandsFollowTheQueryAndTheCurrentStep)
{
    struct Case {
        const char* what;
        bool query;
        int stepIndex; // -1: no current step
        QStringList enabled;
        QStringList disabled;
    };
    auto l = [](const char* names) { return QString::fromLatin1(names).split(u' ', Qt::SkipEmptyParts); };
    const QString all = QStringLiteral("miStepParams pmiStepParameters miStepSort pmiStepSort miStepDest pmiStepDest "
                                       "miNewStep miInsertStep miStepDuplicate miRenameStep");
    const Case cases[] = {
        {"no query", false, -1, {}, all.split(u' ')},
        {"no query, a step left over", false, 0, {}, all.split(u' ')},
        {"a query without current step", true, -1, l("miStepParams pmiStepParameters miNewStep miInsertStep"),
            l("miStepSort pmiStepSort miStepDest pmiStepDest miStepDuplicate miRenameStep")},
        {"a current step", true, 0, all.split(u' '), {}},
        {"the second step", true, 1, all.split(u' '), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDesignerFacts f;
        f.query = c.query;
        f.step = c.stepIndex >= 0;
        f.stepIndex = c.stepIndex;
        f.stepCount = 2;
        const auto states = DesignerCommandStates(f);
        for (const QString& n : c.enabled)
            EXPECT_TRUE(states.value(n).enabled) << n.toStdString();
        for (const QString& n : c.disabled)
            EXPECT_FALSE(states.value(n).enabled) << n.toStdString();
        EXPECT_FALSE(states.value(QStringLiteral("miStepRun")).enabled);
        EXPECT_FALSE(states.value(QStringLiteral("pmiStepRun")).enabled);
        EXPECT_FALSE(states.value(QStringLiteral("mliWindows")).visible);
    }
    TDesignerFacts f;
    f.largeIcons = false;
    f.showHints = false;
    const auto states = DesignerCommandStates(f);
    EXPECT_TRUE(states.value(QStringLiteral("miSmallIcons")).checked);
    EXPECT_FALSE(states.value(QStringLiteral("miShowHint")).checked);
}

TEST_F(CommandsTest, FactsComeFromTheQueryAndAModelWithoutUsersRestrictsNothing)
{
    EXPECT_FALSE(DesignerFacts(nullptr, nullptr, nullptr, 0).query);
    TItemPtr<TMxQuery> bare(new TMxQuery(nullptr));
    EXPECT_FALSE(DesignerFacts(bare.get(), nullptr, nullptr, 0).query) << "a query without a model counts as none";
    EXPECT_EQ(EffectiveRights(nullptr), kAllUserRights);

    TMxQuery* q = NewOn("EXEMPLE.MDD");
    ASSERT_EQ(q->DataModel()->CurrentUser(), nullptr);
    EXPECT_EQ(EffectiveRights(q->DataModel()), kAllUserRights);
    EXPECT_TRUE(HasEffectiveRight(q->DataModel(), urCreateViews));
    TDesignerFacts f = DesignerFacts(q, m_view.step, nullptr, 0);
    EXPECT_TRUE(f.query);
    EXPECT_EQ(f.stepIndex, 0);
    EXPECT_EQ(f.stepCount, 1);
    EXPECT_FALSE(f.entities);
    EXPECT_EQ(f.rights, kAllUserRights);

    m_view.query = nullptr;
    q->Free();
    q = NewOn("EXEMPLE_ACCES.MDD", QStringLiteral("Claire"), QStringLiteral("claire"));
    ASSERT_NE(q->DataModel()->CurrentUser(), nullptr);
    EXPECT_EQ(EffectiveRights(q->DataModel()), UserRight(urCreateQueries));
    EXPECT_FALSE(HasEffectiveRight(q->DataModel(), urCreateViews));
}

// ---- steps ----------------------------------------------------------------

TEST_F(CommandsTest, StepsAreAddedRenamedAndDeletedNeverTheFirst)
{
    TMxQuery* q = Open("CLIENTS_FIDELES.MQR");
    ASSERT_EQ(q->Steps()->Count(), 2);

    m_commands.NewStep();
    ASSERT_EQ(q->Steps()->Count(), 3);
    EXPECT_EQ(m_view.step, q->Steps()->Items(2)) << "the new step is shown";
    EXPECT_TRUE(q->Modified());

    QStringList asked;
    ScopedHook prompt(PromptStringSimpleHook, [&](const QString& caption, const QString& text, QString& value) {
        asked << caption << text << value;
        value = QStringLiteral("Dernière étape");
        return true;
    });
    m_commands.RenameStep();
    EXPECT_EQ(asked, (QStringList{QStringLiteral("Renommer une étape"), QStringLiteral("Nom de l'étape de la requête :"),
                         QStringLiteral("Etape 3")}));
    EXPECT_EQ(q->Steps()->Items(2)->GetName(), QStringLiteral("Dernière étape"));

    // No: nothing; Yes: the step before is shown and the step is gone.
    m_service.answer = mrNo;
    m_commands.DeleteStep();
    EXPECT_EQ(q->Steps()->Count(), 3);
    EXPECT_EQ(m_service.messages.value(0), QStringLiteral("Supprimer l'étape Dernière étape ?"));
    m_service.answer = mrYes;
    m_commands.DeleteStep();
    ASSERT_EQ(q->Steps()->Count(), 2);
    EXPECT_EQ(m_view.step, q->Steps()->Items(1));

    // The first step: no question, nothing deleted.
    m_view.step = q->Steps()->Items(0);
    m_commands.DeleteStep();
    EXPECT_EQ(q->Steps()->Count(), 2);
    EXPECT_EQ(m_service.messages.size(), 2);
}

namespace {
QStringList column(TIMxDataset* d, const QString& name)
{
    QStringList values;
    if (!d)
        return values;
    for (d->First(); !d->Eof(); d->Next())
        values << d->GetFieldValueByName(name);
    values.sort();
    return values;
}
} // namespace

TEST_F(CommandsTest, AStepDeletedInTheMiddleLeavesLaterStepsReadingTheRightResults)
{
    // Steps: 1 quantities per client, 2 the loyal clients (reading 1), and
    // a new third one reading 1's names. Deleting the second leaves the
    // third reading the first's result: the names of the first step.
    TMxQuery* q = Open("CLIENTS_FIDELES.MQR");
    m_view.step = q->Steps()->Items(1);
    m_commands.NewStep();
    TMxQueryStep* third = q->Steps()->Items(2);
    const int firstId = q->Steps()->Items(0)->Id();
    TMxTable* result = third->DataModel()->Tables()->FindById(-firstId);
    ASSERT_NE(result, nullptr) << "the third step is offered the first step's result";
    TMxField* name = result->Fields()->FindField(QStringLiteral("Nom"));
    ASSERT_NE(name, nullptr);
    third->AddFields(result->Entities()->Items(0), name);

    m_view.step = q->Steps()->Items(1);
    m_service.answer = mrYes;
    m_commands.DeleteStep();
    ASSERT_EQ(q->Steps()->Count(), 2);
    ASSERT_EQ(q->Steps()->Items(1), third);
    EXPECT_EQ(m_view.step, q->Steps()->Items(0));

    q->Prepare(false);
    ExecuteQuerySteps(*q);
    const QStringList names = column(q->Steps()->Items(0)->Dataset(), QStringLiteral("Nom"));
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(column(third->Dataset(), QStringLiteral("Nom")), names);
    QStringList clients;
    for (const QStringList& row : mxtest::SqliteRows(mxtest::SampleFile(QStringLiteral("MORVELIN.DB")),
             QStringLiteral("SELECT c.NOM FROM CLIENTS c WHERE c.NUM_CLIENT IN (SELECT o.NUM_CLIENT FROM COMMANDES o "
                            "JOIN LIGNES_COMMANDE l ON l.NUM_COMMANDE = o.NUM_COMMANDE)")))
        clients << row.value(0);
    clients.sort();
    EXPECT_EQ(names, clients);
}

// ---- the step's dialogs -----------------------------------------------------

TEST_F(CommandsTest, TheStepsDialogsOpenOnTheCurrentStepAndMarkWhatTheySay)
{
    TMxQuery* q = Open("VENTES_PAR_PRODUIT.MQR");
    TMxQueryStep* step = m_view.step;

    // Parameters: the query's lists and the step's model; marked modified
    // even when the dialog is cancelled; nothing without a current step.
    int paramCalls = 0;
    ScopedHook params(ParamsEditorHook, [&](const QString& caption, TMxDataModel* model, TMxParamControlList* controls, TMxParamList* list) {
        ++paramCalls;
        EXPECT_EQ(caption, QStringLiteral("Paramètres de la requête"));
        EXPECT_EQ(model, step->DataModel());
        EXPECT_EQ(controls, q->ParamControls());
        EXPECT_EQ(list, q->Params());
    });
    m_commands.EditParams();
    EXPECT_EQ(paramCalls, 1);
    EXPECT_TRUE(q->Modified());
    q->SetModified(false);
    m_view.step = nullptr;
    m_commands.EditParams();
    EXPECT_EQ(paramCalls, 1);
    EXPECT_FALSE(q->Modified());
    m_view.step = step;

    // Sort, results and filter: the SQL is written again and the query
    // marked only when the dialog says OK.
    bool answer = false;
    QList<TMxQueryStep*> opened;
    auto dialog = [&](TMxQueryStep* s) {
        opened << s;
        return answer;
    };
    ScopedHook sort(StepSortHook, dialog);
    ScopedHook dest(StepDestinationsHook, dialog);
    ScopedHook filter(StepCriteriaHook, dialog);
    for (auto command : {&TDesignerCommands::EditSort, &TDesignerCommands::EditDestinations, &TDesignerCommands::EditStepFilter}) {
        answer = false;
        (m_commands.*command)();
        EXPECT_FALSE(q->Modified());
        EXPECT_EQ(m_view.sqlUpdates, 0);
        answer = true;
        (m_commands.*command)();
        EXPECT_TRUE(q->Modified());
        EXPECT_EQ(m_view.sqlUpdates, 1);
        q->SetModified(false);
        m_view.sqlUpdates = 0;
    }
    EXPECT_EQ(opened, QList<TMxQueryStep*>(6, step));

    // An empty slot: the command does nothing.
    StepSortHook.clear();
    m_commands.EditSort();
    EXPECT_FALSE(q->Modified());
}

// ---- fields ---------------------------------------------------------------

TEST_F(CommandsTest, CalculatedFieldsAreMadeThroughTheFormulaEditorAndKeptInTheFile)
{
    TMxQuery* q = Open("VENTES_PAR_PRODUIT.MQR");
    TMxQueryStep* step = m_view.step;
    const int before = step->AllFields()->Count();

    bool confirm = false;
    TMxDataModel* given = nullptr;
    ScopedHook formula(FieldFormulaHook, [&](TMxQuery* query, int stepId, TMxDataModel* model, TMxQueryField* field) {
        EXPECT_EQ(query, q);
        EXPECT_EQ(stepId, step->Id());
        given = model;
        EXPECT_TRUE(field->Calculated());
        EXPECT_TRUE(field->Checked());
        EXPECT_EQ(field->Name(), QStringLiteral("Formule 1"));
        field->SetFieldType(u'N');
        field->SetFormula(QStringLiteral("1 + 1"));
        return confirm;
    });
    m_commands.AddCalculatedField();
    EXPECT_EQ(step->AllFields()->Count(), before) << "cancelled: nothing added";
    EXPECT_FALSE(q->Modified());
    EXPECT_EQ(given, step->DataModel());

    confirm = true;
    m_commands.AddCalculatedField();
    ASSERT_EQ(step->AllFields()->Count(), before + 1);
    TMxQueryField* made = step->AllFields()->FindByFullName(QStringLiteral("Formule 1"));
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->Calculated());
    EXPECT_TRUE(q->Modified());

    // The formula of the selected field: the same editor, on the step's
    // model; another field opens its filter. Marked either way.
    q->SetModified(false);
    given = nullptr;
    confirm = false;
    m_view.field = made;
    m_commands.EditSelectedFieldFormula();
    EXPECT_EQ(given, step->DataModel());
    EXPECT_TRUE(q->Modified());
    int filters = 0;
    ScopedHook filter(FieldFilterHook, [&](TMxQuery*, int stepId, TMxQueryField* field) {
        ++filters;
        EXPECT_EQ(stepId, step->Id());
        EXPECT_FALSE(field->Calculated());
        return false;
    });
    m_view.field = step->AllFields()->Items(0);
    m_commands.EditSelectedFieldFormula();
    EXPECT_EQ(filters, 1);

    // Renaming asks for at most 25 characters; deleting frees the field.
    QString name = QStringLiteral("Libellé");
    int maxLength = 0;
    ScopedHook prompt(PromptStringHook, [&](const QString& caption, const QString& text, TStrings*, int max, QString& value,
                                           const QString&, const QString& kind) {
        EXPECT_EQ(caption, QStringLiteral("Libellé"));
        EXPECT_EQ(text, QStringLiteral("Veuillez entrer le nom du champ"));
        EXPECT_EQ(kind, QStringLiteral("A"));
        maxLength = max;
        value = QStringLiteral("Article");
        return true;
    });
    EXPECT_TRUE(m_commands.RenameField(name));
    EXPECT_EQ(name, QStringLiteral("Article"));
    EXPECT_EQ(maxLength, 25);

    const QString file = Path(QStringLiteral("calc.mqr"));
    q->SaveToFile(file);
    TItemPtr<TMxQuery> reread(new TMxQuery(nullptr));
    reread->LoadFromFile(file);
    TMxQueryField* stored = reread->Steps()->Items(0)->AllFields()->FindByFullName(QStringLiteral("Formule 1"));
    ASSERT_NE(stored, nullptr) << "the calculated field is in the saved file";
    EXPECT_TRUE(stored->Calculated());

    m_view.field = made;
    m_commands.DeleteSelectedField();
    EXPECT_EQ(step->AllFields()->FindByFullName(QStringLiteral("Formule 1")), nullptr);
    EXPECT_EQ(step->AllFields()->Count(), before);
}

// ---- the query's set --------------------------------------------------------

TEST_F(CommandsTest, TheSetChangesOnlyToAnOpenSetAndOnlyBeforeAnyEntity)
{
    // Without users every set is open.
    TMxQuery* q = NewOn("EXEMPLE.MDD");
    const int firstSet = q->DomId();
    TMxDomainList* open = q->DataModel()->AccessibleDomains();
    ASSERT_GE(open->Count(), 2);
    const int otherSet = open->Items(1)->Id();
    // The old step is freed: its life token tells, where its address
    // would not (the allocator may give the new step the same one).
    const std::weak_ptr<const void> before = m_view.step->LifeToken();
    EXPECT_TRUE(m_commands.ChangeDomain(otherSet));
    EXPECT_EQ(q->DomId(), otherSet);
    EXPECT_EQ(q->Steps()->Count(), 1);
    EXPECT_TRUE(before.expired()) << "the step is made again";
    EXPECT_EQ(m_view.step, q->Steps()->Items(0));
    EXPECT_EQ(q->Steps()->Items(0)->DataModel()->CurrentDomain()->Id(), otherSet);
    EXPECT_EQ(q->DataModel()->CurrentDomain()->Id(), otherSet);
    EXPECT_TRUE(q->Modified());

    // An entity chosen: refused, nothing changes.
    TMxQueryStep* step = q->Steps()->Items(0);
    TMxTable* clients = step->DataModel()->Tables()->FindById(2);
    ASSERT_NE(clients, nullptr);
    step->AddFields(clients->Entities()->Items(0), clients->Fields()->FindField(QStringLiteral("NOM")));
    const std::weak_ptr<const void> kept = step->LifeToken();
    EXPECT_FALSE(m_commands.ChangeDomain(firstSet));
    EXPECT_EQ(q->DomId(), otherSet);
    EXPECT_FALSE(kept.expired());
    EXPECT_EQ(q->Steps()->Items(0), step);

    // A user of the restricted set only: another set is refused with a
    // message and the query keeps its set and its step.
    m_view.query = nullptr;
    q->Free();
    q = NewOn("EXEMPLE_ACCES.MDD", QStringLiteral("Claire"), QStringLiteral("claire"));
    ASSERT_EQ(q->DataModel()->AccessibleDomains()->Count(), 1);
    const int hers = q->DomId();
    step = q->Steps()->Items(0);
    const int messages = m_service.messages.size();
    for (int id : {1, 99}) {
        if (id == hers)
            continue;
        EXPECT_FALSE(m_commands.ChangeDomain(id));
        EXPECT_EQ(q->DomId(), hers);
        EXPECT_EQ(q->Steps()->Items(0), step);
    }
    EXPECT_GT(m_service.messages.size(), messages);
    EXPECT_FALSE(q->Modified());
}

// ---- properties and help ----------------------------------------------------

TEST_F(CommandsTest, TheHelpMenuOpensTheManualTheContentsAndTheAddresses)
{
    EXPECT_EQ(UserManualFile(QStringLiteral("/opt/morvelin/"), QStringLiteral("*Morv"), QStringLiteral("Fr")),
        QStringLiteral("/opt/morvelin/MorvFr.pdf"));

    // The manual is made by the build from the help pages, beside the
    // programs, for each language.
    for (const char* lang : {"Fr", "En"}) {
        QFile built(UserManualFile(DriverRootDir(), QStringLiteral("*Morv"), QString::fromLatin1(lang)));
        ASSERT_TRUE(built.open(QIODevice::ReadOnly)) << built.fileName().toStdString();
        EXPECT_TRUE(built.read(5) == "%PDF-");
        EXPECT_GT(built.size(), 4000);
    }

    // Without the dialogs nothing happens.
    ShowAbout();
    ShowGeneralOptions();
    EXPECT_TRUE(m_service.messages.isEmpty());

    QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
    const QByteArray windir = qgetenv("MORVELIN_WINDIR");
    qputenv("MORVELIN_WINDIR", QFile::encodeName(Path(QStringLiteral("settings"))));
    TGlobal& global = CreateAppGlobal();
    global.SetHelpFile(QStringLiteral("MORV32"));
    QStringList runs;
    QString found; // what the user finds for a missing manual
    ScopedHook run(RunDocumentHook, [&](const QString& file, const QString& pattern) {
        runs << file << pattern;
        return found;
    });
    // Missing, and not found by the user: said as such.
    ScopedHook root(RootDirOverride, [this] { return m_dir.path() + u'/'; });
    const QString manual = DriverRootDir() + QStringLiteral("Morv") + global.LangCode() + QStringLiteral(".pdf");
    ASSERT_FALSE(QFileInfo::exists(manual));
    OpenUserManual(QStringLiteral("*Morv"));
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0], manual);
    EXPECT_TRUE(runs[1].contains(QLatin1String("%s")));
    EXPECT_EQ(m_service.messages, QStringList{QStringLiteral("Le manuel de l'utilisateur est introuvable : ") + manual});
    EXPECT_TRUE(m_service.opened.isEmpty());
    // Found elsewhere: the desktop's viewer opens it; without a viewer that
    // is what the message says (no word of another platform's reader).
    found = Path(QStringLiteral("MorvFr.pdf"));
    m_service.messages.clear();
    OpenUserManual(QStringLiteral("*Morv"));
    EXPECT_EQ(m_service.opened, QStringList{found});
    EXPECT_TRUE(m_service.messages.isEmpty());
    {
        struct NoViewer : TRecordingUserService {
            bool ShellOpen(const QString& target) override
            {
                opened << target;
                return false;
            }
        } desktop;
        ScopedUserService scope(&desktop);
        OpenUserManual(QStringLiteral("*Morv"));
        EXPECT_EQ(desktop.opened, QStringList{found});
        EXPECT_EQ(desktop.messages,
            QStringList{QStringLiteral("Aucun programme n'est installé pour afficher le document ") + found + u'.'});
    }
    m_service.opened.clear();
    m_service.messages.clear();

    ShowHelpContents();
    EXPECT_EQ(m_service.help, QStringList{QStringLiteral("MORV32#0")});
    int abouts = 0;
    ScopedHook about(AboutBoxHook, [&] { ++abouts; });
    ShowAbout();
    EXPECT_EQ(abouts, 1);
    for (const QString& address : {MakerSupportAddress(), MakerHomePage(), ProductHomePage(), MakerProductsPage()})
        OpenAddress(address);
    EXPECT_EQ(m_service.opened.size(), 4);
    EXPECT_TRUE(m_service.opened.value(0).startsWith(QLatin1String("mailto:")));
    FreeAppGlobal();
    qputenv("MORVELIN_WINDIR", windir);
}
