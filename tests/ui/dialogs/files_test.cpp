// The open dialogs, the relocation of a missing file, the folder picker
// and the document runner.

#include "dialogstest.h"

#include "ui/dialogs/opendialogs.h"
#include "ui/dialogs/rundoc.h"

#include "ui/services/historydialog.h"

#include "engine/core/file.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>

using namespace mx;
using namespace mx::ui;

namespace {

class FilesTest : public mxtest::DialogsTest {
protected:
    void SetUp() override
    {
        DialogsTest::SetUp();
        mxtest::WriteAll(Path(QStringLiteral("win/MORVELIN.INI")),
            "[Options]\nPrivateQueryPath=" + Path(QStringLiteral("requetes")).toUtf8() + "\nDMPath=" + Path(QStringLiteral("modeles")).toUtf8()
                + "\n[History_10]\n0=/srv/a/VENTES.MQR\n1=/srv/b/Stock.mqr\n[History_11]\n0=/srv/m/VENTES.MDD\n");
        mx::SetCommandLineArguments({QStringLiteral("-CurrentDir"), m_dir.path()});
        mx::ResetStartParams();
        CreateAppGlobal();
    }
    void TearDown() override
    {
        DialogsTest::TearDown();
        mx::ResetStartParams();
        mx::ClearCommandLineArguments();
    }
};

TEST_F(FilesTest, OpenDialogsAskForTheirKindInBothCasesWithTheirHistory)
{
    ui().fileAnswers = {{}, {QStringLiteral("/srv/m/VENTES.MDD")}};
    EXPECT_EQ(SelectQueryFile(), QString()) << "cancelled";
    EXPECT_EQ(SelectDataModelFile(QStringLiteral("VENTES.MDD")), QStringLiteral("/srv/m/VENTES.MDD"));
    ASSERT_EQ(ui().count(QStringLiteral("open")), 2);
    const TFileRequest q = ui().requests[0].file;
    EXPECT_EQ(q.caption, QStringLiteral("Ouvrir une requête"));
    EXPECT_EQ(q.filters, QStringList{QStringLiteral("Requêtes (*.MQR *.mqr)")});
    EXPECT_EQ(q.directory, Path(QStringLiteral("requetes")));
    EXPECT_EQ(q.history, 10);
    EXPECT_EQ(q.helpContext, 2);
    const TFileRequest m = ui().requests[1].file;
    EXPECT_EQ(m.caption, QStringLiteral("Ouvrir un modèle de données"));
    EXPECT_EQ(m.filters, QStringList{QStringLiteral("Modèle de données (*.MDD *.mdd)")});
    EXPECT_EQ(m.directory, Path(QStringLiteral("modeles")));
    EXPECT_EQ(m.history, 11);
    EXPECT_EQ(m.fileName, QStringLiteral("VENTES.MDD"));
}

TEST_F(FilesTest, TheHistoryDialogListsTheRecentFilesAndPicksOne)
{
    QDir().mkpath(Path(QStringLiteral("q")));
    mxtest::WriteAll(Path(QStringLiteral("q/Ventes.MQR")), "x");
    mxtest::WriteAll(Path(QStringLiteral("q/stock.mqr")), "x");
    mxtest::WriteAll(Path(QStringLiteral("q/notes.txt")), "x");
    AppGlobal()->History(10)->Add(Path(QStringLiteral("q/stock.mqr")));
    TFileRequest r;
    r.caption = QStringLiteral("Ouvrir une requête");
    r.directory = Path(QStringLiteral("q"));
    r.filters = {QStringLiteral("Requêtes (*.MQR *.mqr)")};
    r.history = 10;
    r.helpContext = 2;
    std::unique_ptr<QFileDialog> dlg(CreateHistoryOpenDialog(r));
    auto* combo = dlg->findChild<QComboBox*>(QStringLiteral("cobHistory"));
    ASSERT_TRUE(combo);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    EXPECT_EQ(items, (QStringList{Path(QStringLiteral("q/stock.mqr")), QStringLiteral("/srv/a/VENTES.MQR"), QStringLiteral("/srv/b/Stock.mqr")}));
    EXPECT_EQ(dlg->property("helpContext").toInt(), 2);
    EXPECT_TRUE(dlg->testOption(QFileDialog::DontUseNativeDialog));

    // Chosen while the name box has the focus, the entry is written there
    // and "Ouvrir" opens it. The dialog runs window-modal: the test acts
    // on it directly, then reads how it finished.
    dlg->open();
    QApplication::setActiveWindow(dlg.get());
    auto* nameBox = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(nameBox);
    nameBox->setFocus();
    ASSERT_TRUE(nameBox->hasFocus());
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_EQ(nameBox->text(), QStringLiteral("stock.mqr"));
    auto* box = dlg->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_TRUE(box);
    QPushButton* open = box->button(QDialogButtonBox::Open);
    ASSERT_TRUE(open);
    ASSERT_TRUE(open->isEnabled());
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->selectedFiles(), QStringList{Path(QStringLiteral("q/stock.mqr"))});
}

// The open dialogs have their help: the "Aide" button and F1 wherever the
// focus is in them; F1 in a form without help context asks nothing.
TEST_F(FilesTest, TheOpenDialogsHelpComesFromItsButtonAndFromF1)
{
    TFileRequest r;
    r.caption = QStringLiteral("Ouvrir une requête");
    r.directory = m_dir.path();
    r.history = 10;
    r.helpContext = 2;
    std::unique_ptr<QFileDialog> dlg(CreateHistoryOpenDialog(r));
    dlg->open();
    QApplication::setActiveWindow(dlg.get());
    auto* help = dlg->findChild<QPushButton*>(QStringLiteral("btHelp"));
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    QTest::mouseClick(help, Qt::LeftButton);
    ASSERT_EQ(ui().count(QStringLiteral("help")), 1);
    EXPECT_TRUE(ui().texts(QStringLiteral("help")).value(0).endsWith(u"#2"));

    for (const char* name : {"fileNameEdit", "cobHistory"}) {
        SCOPED_TRACE(name);
        auto* w = dlg->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(w);
        w->setFocus();
        const int before = ui().count(QStringLiteral("help"));
        QTest::keyClick(w, Qt::Key_F1);
        ASSERT_EQ(ui().count(QStringLiteral("help")), before + 1);
        EXPECT_TRUE(ui().texts(QStringLiteral("help")).constLast().endsWith(u"#2"));
    }
    dlg->reject();

    QDialog plain;
    auto* edit = new QLineEdit(&plain);
    plain.open();
    edit->setFocus();
    const int before = ui().count(QStringLiteral("help"));
    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_EQ(ui().count(QStringLiteral("help")), before) << "no help context: nothing";
    plain.reject();
}

// The file dialogs start beside the document edited, else in the folder
// set for its kind, else in the private query folder, else at home: never
// in the program's own folder.
TEST_F(FilesTest, FileDialogsStartBesideTheDocumentElseInTheUsersFolders)
{
    QDir().mkpath(Path(QStringLiteral("requetes")));
    QDir().mkpath(Path(QStringLiteral("docs")));
    QDir().mkpath(Path(QStringLiteral("modeles")));
    struct Case {
        const char* what;
        QString document;
        QString preferred;
        QString folder;
    };
    const Case cases[] = {
        {"beside the document", Path(QStringLiteral("docs/ventes.mqr")), Path(QStringLiteral("modeles")), Path(QStringLiteral("docs"))},
        {"a folder as the document", Path(QStringLiteral("docs")), QString(), Path(QStringLiteral("docs"))},
        {"the document's folder is gone", Path(QStringLiteral("parti/ventes.mqr")), Path(QStringLiteral("modeles")), Path(QStringLiteral("modeles"))},
        {"no document, a folder set that is gone", QString(), Path(QStringLiteral("absent")), Path(QStringLiteral("requetes"))},
        {"nothing", QString(), QString(), Path(QStringLiteral("requetes"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(StartFolder(c.document, c.preferred), c.folder);
    }
    QDir(Path(QStringLiteral("requetes"))).removeRecursively();
    EXPECT_EQ(StartFolder(QString()), QDir::homePath()) << "no private folder";

    // The dialogs themselves: an open dialog proposed a folder that is not
    // there starts at home; the query dialog starts beside the query.
    TFileRequest r;
    r.directory = Path(QStringLiteral("absent"));
    std::unique_ptr<QFileDialog> dlg(CreateHistoryOpenDialog(r));
    EXPECT_EQ(dlg->directory().absolutePath(), QDir(QDir::homePath()).absolutePath());
    ui().fileAnswers = {{}, {}};
    SelectQueryFile(QString(), nullptr, Path(QStringLiteral("docs/ventes.mqr")));
    SelectDataModelFile(QString(), nullptr, Path(QStringLiteral("docs/ventes.mdd")));
    ASSERT_EQ(ui().count(QStringLiteral("open")), 2);
    EXPECT_EQ(ui().requests[0].file.directory, Path(QStringLiteral("docs")));
    EXPECT_EQ(ui().requests[1].file.directory, Path(QStringLiteral("docs")));

    // A missing file named without a folder is looked for beside the file
    // that names it, not in the program's folder.
    const QString beside = Path(QStringLiteral("docs")) + u'/';
    ScopedLocateRecord locate({beside, true, true});
    ui().messageAnswers = {mrYes};
    ui().fileAnswers = {{}};
    QString bare = QStringLiteral("PERDU.MDD");
    EXPECT_FALSE(LocateMissingFile(nullptr, bare));
    ASSERT_EQ(ui().count(QStringLiteral("open")), 3);
    EXPECT_EQ(ui().requests.last().file.directory, beside);
}

TEST_F(FilesTest, AMissingFileIsFoundBesideWhatNamesItWithoutRegardToCase)
{
    QDir().mkpath(Path(QStringLiteral("neuf")));
    QDir().mkpath(Path(QStringLiteral("ancien")));
    mxtest::WriteAll(Path(QStringLiteral("neuf/ventes.mdd")), "x");
    mxtest::WriteAll(Path(QStringLiteral("ancien/Stock.MDD")), "x");
    struct Case {
        const char* what;
        QString name;
        bool useAlternative;
        QString found; // empty: asked, answered No
    };
    const Case cases[] = {
        {"beside the query, other case", Path(QStringLiteral("loin/VENTES.MDD")), true, Path(QStringLiteral("neuf/ventes.mdd"))},
        {"written on Windows", QStringLiteral("C:\\DATA\\VENTES.MDD"), true, Path(QStringLiteral("neuf/ventes.mdd"))},
        {"in its own folder, other case", Path(QStringLiteral("ancien/stock.mdd")), false, Path(QStringLiteral("ancien/Stock.MDD"))},
        {"not beside the query when not asked to", Path(QStringLiteral("loin/VENTES.MDD")), false, QString()},
        {"nowhere", Path(QStringLiteral("loin/AUTRE.MDD")), true, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui().requests.clear();
        ui().messageAnswers = {mrNo};
        ScopedLocateRecord record({Path(QStringLiteral("neuf/")), c.useAlternative, true});
        QString name = c.name;
        EXPECT_EQ(LocateMissingFile(nullptr, name), !c.found.isEmpty());
        if (!c.found.isEmpty()) {
            EXPECT_EQ(name, c.found);
            EXPECT_TRUE(ui().requests.isEmpty()) << "no question asked";
        } else {
            EXPECT_EQ(name, c.name) << "a refused relocation changes nothing";
            ASSERT_EQ(ui().count(QStringLiteral("message")), 1);
            EXPECT_EQ(ui().requests[0].text, c.name + QStringLiteral("\rLe fichier requis est introuvable.\r"
                                                                      "Il a pu être renommé, déplacé ou supprimé. Voulez-vous le relocaliser ?"));
            EXPECT_EQ(ui().requests[0].buttons, mbYes | mbNo);
            EXPECT_EQ(ui().count(QStringLiteral("open")), 0);
        }
    }
    // Relocation switched off: not even looked for.
    ScopedLocateRecord off({Path(QStringLiteral("neuf/")), true, false});
    QString name = Path(QStringLiteral("loin/VENTES.MDD"));
    ui().requests.clear();
    EXPECT_FALSE(LocateMissingFile(nullptr, name));
    EXPECT_TRUE(ui().requests.isEmpty());
}

TEST_F(FilesTest, AnsweringYesOpensADialogOverTheSameKindWhereTheFileWas)
{
    QDir().mkpath(Path(QStringLiteral("ancien")));
    QDir().mkpath(Path(QStringLiteral("ailleurs")));
    mxtest::WriteAll(Path(QStringLiteral("ailleurs/VENTES2.MDD")), "x");
    ui().messageAnswers = {mrYes, mrYes};
    ui().fileAnswers = {{Path(QStringLiteral("ailleurs/VENTES2.MDD"))}, {}};
    QString name = Path(QStringLiteral("ancien/VENTES.MDD"));
    EXPECT_TRUE(LocateMissingFile(nullptr, name));
    EXPECT_EQ(name, Path(QStringLiteral("ailleurs/VENTES2.MDD")));
    ASSERT_EQ(ui().count(QStringLiteral("open")), 1);
    const TFileRequest r = ui().requests[1].file;
    EXPECT_EQ(r.caption, QStringLiteral("Localiser VENTES.MDD"));
    EXPECT_EQ(r.filters, QStringList{QStringLiteral("(*.MDD *.mdd)")});
    EXPECT_EQ(r.directory, Path(QStringLiteral("ancien")));
    EXPECT_EQ(r.fileName, QStringLiteral("VENTES.MDD"));
    EXPECT_EQ(r.history, 11) << "a missing model offers the recent models";
    // The dialog cancelled: the name stays.
    QString query = Path(QStringLiteral("ancien/Ventes.mqr"));
    EXPECT_FALSE(LocateMissingFile(nullptr, query));
    EXPECT_EQ(query, Path(QStringLiteral("ancien/Ventes.mqr")));
    EXPECT_EQ(ui().requests.last().file.history, 10);
    EXPECT_EQ(ui().requests.last().file.filters, QStringList{QStringLiteral("(*.MQR *.mqr)")});
}

TEST_F(FilesTest, TheFolderPickerMakesAMissingFolderOnceTheUserAgrees)
{
    const QString start = Path(QStringLiteral("depart"));
    struct Case {
        const char* what;
        QString picked;
        int answer;
        QString result;
        bool made;
    };
    const Case cases[] = {
        {"cancelled", QString(), mrNone, start, false},
        {"an existing folder", m_dir.path(), mrNone, m_dir.path(), false},
        {"a new folder, made", Path(QStringLiteral("nouveau/sous")), mrYes, Path(QStringLiteral("nouveau/sous")), true},
        {"a new folder, refused", Path(QStringLiteral("refuse")), mrNo, start, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui().requests.clear();
        ui().directoryAnswers = {c.picked};
        ui().messageAnswers = {c.answer};
        EXPECT_EQ(BrowseDirectory(start), c.result);
        EXPECT_EQ(ui().count(QStringLiteral("message")), c.answer == mrNone ? 0 : 1);
        if (!c.picked.isEmpty()) {
            EXPECT_EQ(QFileInfo(c.picked).isDir(), c.made || c.picked == m_dir.path());
        }
    }
}

TEST(LocalFileNames, SlashesDrivesAndCase)
{
    EXPECT_EQ(LocalFileName(QStringLiteral("C:\\DATA\\Ventes.MDD")), QStringLiteral("/DATA/Ventes.MDD"));
    EXPECT_EQ(LocalFileName(QStringLiteral("d:ventes.mdd")), QStringLiteral("ventes.mdd"));
    EXPECT_EQ(LocalFileName(QStringLiteral("/home/Marie/Ventes.MDD")), QStringLiteral("/home/Marie/Ventes.MDD")) << "never re-cased";
    EXPECT_EQ(LocalFileName(QStringLiteral("modeles/Ventes.MDD")), QStringLiteral("modeles/Ventes.MDD"));
}

class RunDocTest : public mxtest::DialogsTest {};

TEST_F(RunDocTest, AMissingDocumentIsLookedForThenOpened)
{
    const QString found = Path(QStringLiteral("Manuel utilisateur.pdf"));
    mxtest::WriteAll(found, "%PDF");
    const QString missing = Path(QStringLiteral("doc/Manuel utilisateur.pdf"));
    ui().fileAnswers = {{found}};
    struct Seen {
        QString file, path, tip, title;
        bool browseDefault = false;
    } seen;
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmRunDoc*>(w);
        ASSERT_TRUE(f);
        auto* laFile = test::Child<QLabel>(*f, "laFile");
        auto* edPath = test::Child<QLineEdit>(*f, "edPath");
        auto* btBrowse = test::Child<QPushButton>(*f, "btBrowse");
        EXPECT_EQ(f->objectName(), QStringLiteral("fmRunDoc"));
        seen.file = laFile->text();
        seen.path = edPath->text();
        seen.tip = laFile->toolTip();
        seen.title = f->windowTitle();
        seen.browseDefault = btBrowse->isDefault();
        QTest::mouseClick(btBrowse, Qt::LeftButton);
    });
    EXPECT_EQ(RunDocument(missing, QStringLiteral("https://exemple.org/docs/%s")), found);
    EXPECT_EQ(seen.title, QStringLiteral("File Missing"));
    EXPECT_EQ(seen.file, QStringLiteral("Manuel utilisateur.pdf"));
    EXPECT_EQ(seen.path, Path(QStringLiteral("doc")));
    EXPECT_EQ(seen.tip, QStringLiteral("https://exemple.org/docs/Manuel%20utilisateur.pdf"));
    EXPECT_TRUE(seen.browseDefault);
    ASSERT_EQ(ui().count(QStringLiteral("open")), 1);
    EXPECT_EQ(ui().requests[0].file.directory, Path(QStringLiteral("doc")));
    EXPECT_EQ(ui().requests[0].file.fileName, QStringLiteral("Manuel utilisateur.pdf"));
    EXPECT_EQ(ui().texts(QStringLiteral("shell")), QStringList{found});
}

TEST_F(RunDocTest, ExistingNoRunCancelCloseAndDownload)
{
    const QString existing = Path(QStringLiteral("guide.pdf"));
    mxtest::WriteAll(existing, "%PDF");
    EXPECT_EQ(RunDocument(existing, QString()), existing);
    EXPECT_EQ(ui().texts(QStringLiteral("shell")), QStringList{existing});
    ui().requests.clear();
    EXPECT_EQ(RunDocument(existing, QString(), true), existing);
    EXPECT_TRUE(ui().requests.isEmpty()) << "no-run opens nothing";

    const QString missing = Path(QStringLiteral("absent/odbcad#1.exe"));
    // Download twice (button and link), the dialog stays; then Cancel.
    bool stillOpen = false;
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* f = dynamic_cast<TfmRunDoc*>(w);
        ASSERT_TRUE(f);
        auto* btDownload = test::Child<QPushButton>(*f, "btDownload");
        auto* laFile = test::Child<QLabel>(*f, "laFile");
        auto* btCancel = test::Child<QPushButton>(*f, "btCancel");
        QTest::mouseClick(btDownload, Qt::LeftButton);
        QTest::mouseClick(laFile, Qt::LeftButton);
        stillOpen = f->isVisible();
        QTest::mouseClick(btCancel, Qt::LeftButton);
    });
    EXPECT_EQ(RunDocument(missing, QStringLiteral("https://exemple.org/get?f=%s")), QString());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(ui().count(QStringLiteral("url")), 2);
    EXPECT_EQ(ui().count(QStringLiteral("shell")), 0);
    EXPECT_EQ(DownloadAddress(QStringLiteral("https://exemple.org/get?f=%s"), QStringLiteral("odbcad#1 &2.exe")),
        QStringLiteral("https://exemple.org/get?f=odbcad%231%20%262.exe"));

    // The window's close button is Cancel.
    m_modal.AsFilled([](QDialog& dialog) { dialog.close(); });
    EXPECT_EQ(RunDocument(missing, QString()), QString());
    EXPECT_EQ(ui().count(QStringLiteral("shell")), 0);

    // Nobody to ask: nothing opened, nothing waited for.
    InteractivePlatformOverride.set([] { return false; });
    EXPECT_EQ(RunDocument(missing, QString()), QString());
}

} // namespace
