#include "fmselecttable.h"

#include "dialogframe.h"

#include "engine/admin/adminmodel.h"
#include "engine/bde/bdedriver.h"
#include "engine/core/strings.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/driver.h"
#include "engine/model/database.h"
#include "engine/tools/stringbuffer.h"

#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QStringListModel>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace mx::admin {

namespace {

constexpr int kHelpContext = 107;
constexpr const char* kSelectDatabase = "<Select Database>";

struct TFilter {
    const char* text;
    const char* pattern;
};
// The table files the built-in driver reads; name filters ignore case.
constexpr TFilter kFilters[] = {
    {"Tous les fichiers (*.*)", "*"},
    {"dBASE (*.DBF)", "*.DBF"},
    {"Paradox (*.DB)", "*.DB"},
    {"Texte (*.TXT)", "*.TXT"},
};

// A read-only list of names on page, several of which may be chosen.
QListView* NameList(QWidget* page, const char* name, QStringListModel* model)
{
    auto* view = ui::Named(new QListView(page), name);
    view->setModel(model);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

QStringList NamesFromBuffer(const std::function<void(char*, int)>& fill)
{
    // A list that fills its block is asked again with a larger one.
    for (int size = 1 << 16; size <= (1 << 24); size *= 4) {
        QByteArray buffer(size, '\0');
        fill(buffer.data(), size);
        QStringList names;
        BufToStrings(buffer, names);
        if (StringsBufSize(names) + 256 < size)
            return names;
    }
    return {};
}

QStringList SortedCaseless(QStringList names)
{
    std::stable_sort(names.begin(), names.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

QStringList SelectedTexts(const QListView* view)
{
    QModelIndexList rows = view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList out;
    for (const QModelIndex& i : rows)
        out << i.data().toString();
    return out;
}

} // namespace

QStringList DriverAliasNames()
{
    InitDbEngine();
    TIMxDriver* driver = DbEngine();
    if (auto* bde = dynamic_cast<TMxBdeDriver*>(driver))
        return bde->AliasNameList();
    return NamesFromBuffer([driver](char* b, int n) { driver->GetAliasNames(b, n); });
}

QStringList DriverTableNames(const QString& database)
{
    InitDbEngine();
    TIMxDriver* driver = DbEngine();
    if (auto* bde = dynamic_cast<TMxBdeDriver*>(driver))
        return bde->TableNameList(database);
    return NamesFromBuffer([driver, database](char* b, int n) { driver->GetTableNames(database, b, n); });
}

struct TfmSelectTable::TUi {
    QStackedWidget* nbk;
    QWidget* pgDatabase;
    QWidget* pgFiles;
    QComboBox* cobDatabases;
    QListView* lbDbTables;
    QStringListModel* dbTables;
    QPlainTextEdit* moHelp;
    QLineEdit* edFileName;
    QListView* lbFiles;
    QStringListModel* files;
    QComboBox* cobFilter;
    QLabel* laDirectory;
    QListView* lbDirectories;
    QStringListModel* directories;
    QComboBox* cobDrive;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
    QPushButton* btPage;
};

TfmSelectTable::TfmSelectTable(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    using ui::Named;
    FrameDialog(this, "fmSelectTable", kHelpContext, "Ouvrir une table");
    TUi& u = *m_ui;

    u.nbk = Named(new QStackedWidget(this), "nbk");
    u.pgDatabase = Named(new QWidget, "pgDatabase");
    u.pgFiles = Named(new QWidget, "pgFiles");
    u.nbk->addWidget(u.pgDatabase);
    u.nbk->addWidget(u.pgFiles);

    // The database page.
    u.cobDatabases = Named(new QComboBox(u.pgDatabase), "cobDatabases");
    u.dbTables = new QStringListModel(this);
    u.lbDbTables = NameList(u.pgDatabase, "lbDbTables", u.dbTables);
    u.moHelp = Named(new QPlainTextEdit(u.pgDatabase), "moHelp");
    u.moHelp->setReadOnly(true);
    u.moHelp->setFocusPolicy(Qt::NoFocus);
    const QStringList help = {Translate("Sélectionnez le nom d'une"), Translate("base de données dans la"),
        Translate("liste déroulante et"), Translate("sélectionnez ensuite"), Translate("les tables que vous"),
        Translate("souhaitez intégrer dans le"), Translate("modèle de données.")};
    u.moHelp->setPlainText(help.join(QLatin1Char(' ')));
    auto* laDatabases = Named(new QLabel(Translate("&Bases de données :"), u.pgDatabase), "laDatabases");
    laDatabases->setBuddy(u.cobDatabases);
    auto* laDbTables = Named(new QLabel(Translate("T&ables :"), u.pgDatabase), "laDbTables");
    laDbTables->setBuddy(u.lbDbTables);
    auto* dbGrid = new QGridLayout(u.pgDatabase);
    dbGrid->setContentsMargins(0, 0, 0, 0);
    dbGrid->addWidget(laDatabases, 0, 0);
    dbGrid->addWidget(u.cobDatabases, 1, 0);
    dbGrid->addWidget(laDbTables, 2, 0);
    dbGrid->addWidget(u.lbDbTables, 3, 0);
    dbGrid->addWidget(u.moHelp, 1, 1, 3, 1);
    dbGrid->setColumnStretch(0, 3);
    dbGrid->setColumnStretch(1, 2);
    dbGrid->setRowStretch(3, 1);

    // The file page.
    u.edFileName = Named(new QLineEdit(u.pgFiles), "edFileName");
    u.files = new QStringListModel(this);
    u.lbFiles = NameList(u.pgFiles, "lbFiles", u.files);
    u.cobFilter = Named(new QComboBox(u.pgFiles), "cobFilter");
    for (const TFilter& f : kFilters)
        u.cobFilter->addItem(Translate(f.text), QString::fromLatin1(f.pattern));
    u.laDirectory = Named(new QLabel(u.pgFiles), "laDirectory");
    u.laDirectory->setTextFormat(Qt::PlainText);
    u.laDirectory->setWordWrap(true);
    u.directories = new QStringListModel(this);
    u.lbDirectories = Named(new QListView(u.pgFiles), "lbDirectories");
    u.lbDirectories->setModel(u.directories);
    u.lbDirectories->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.cobDrive = Named(new QComboBox(u.pgFiles), "cobDrive");
    QStringList drives = {QStringLiteral("/"), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !drives.contains(volume.rootPath()))
            drives << volume.rootPath();
    u.cobDrive->addItems(drives);
    auto label = [](const char* name, const char* text, QWidget* buddy, QWidget* parent) {
        auto* l = Named(new QLabel(Translate(text), parent), name);
        l->setBuddy(buddy);
        return l;
    };
    auto* fileGrid = new QGridLayout(u.pgFiles);
    fileGrid->setContentsMargins(0, 0, 0, 0);
    fileGrid->addWidget(label("laFileName", "&Fichier :", u.edFileName, u.pgFiles), 0, 0);
    fileGrid->addWidget(u.edFileName, 1, 0);
    fileGrid->addWidget(u.lbFiles, 2, 0);
    fileGrid->addWidget(label("laFilter", "T&ype de tables :", u.cobFilter, u.pgFiles), 3, 0);
    fileGrid->addWidget(u.cobFilter, 4, 0);
    fileGrid->addWidget(label("laDirectories", "&Répertoire :", u.lbDirectories, u.pgFiles), 0, 1);
    fileGrid->addWidget(u.laDirectory, 1, 1);
    fileGrid->addWidget(u.lbDirectories, 2, 1);
    fileGrid->addWidget(label("laDrive", "&Lecteur / Alias :", u.cobDrive, u.pgFiles), 3, 1);
    fileGrid->addWidget(u.cobDrive, 4, 1);
    fileGrid->setRowStretch(2, 1);

    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
    u.btPage = ui::NamedButton(this, "btPage", "Standard...");
    u.btPage->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(u.btOk);
    buttons->addWidget(u.btCancel);
    buttons->addWidget(u.btHelp);
    buttons->addStretch();
    buttons->addWidget(u.btPage);
    auto* main = new QHBoxLayout(this);
    main->addWidget(u.nbk, 1);
    main->addLayout(buttons);
    const QFontMetrics fm(font());
    const int em = fm.horizontalAdvance(QLatin1Char('M'));
    resize(em * 40, fm.height() * 20);

    // The driver's databases, sorted, under "<Select Database>".
    u.cobDatabases->addItem(QString::fromLatin1(kSelectDatabase));
    u.cobDatabases->addItems(SortedCaseless(DriverAliasNames()));
    u.cobDatabases->setCurrentIndex(0);
    SetDirectory(QDir::currentPath());

    using ui::Connect;
    Connect(u.cobDatabases, &QComboBox::currentIndexChanged, this, [this](int index) { chooseDatabase(index); });
    Connect(u.btPage, &QPushButton::clicked, this, [this] { ShowFiles(!FilesShown()); });
    Connect(u.cobFilter, &QComboBox::currentIndexChanged, this, [this] { fillFiles(); });
    Connect(u.cobDrive, &QComboBox::textActivated, this, [this](const QString& drive) { SetDirectory(drive); });
    Connect(u.lbDirectories, &QListView::activated, this,
        [this](const QModelIndex& index) { enterDirectory(index.data().toString()); });
    Connect(u.lbFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QStringList chosen = SelectedTexts(m_ui->lbFiles);
        m_ui->edFileName->setText(chosen.size() == 1 ? chosen.front() : QString());
    });
    Connect(u.lbFiles, &QListView::doubleClicked, this, [this] { accept(); });
    Connect(u.lbDbTables, &QListView::doubleClicked, this, [this] { accept(); });
    // Enter in the name box: a folder typed there is entered, a name is Ok.
    u.edFileName->installEventFilter(this);
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
    updateOk();
}

TfmSelectTable::~TfmSelectTable() = default;

bool TfmSelectTable::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_ui->edFileName || event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    Guard(this, [this] { nameEntered(); });
    return true;
}

void TfmSelectTable::nameEntered()
{
    const QString text = m_ui->edFileName->text();
    const QString path = QDir::isAbsolutePath(text) ? text : QDir(m_directory).filePath(text);
    if (!text.isEmpty() && QFileInfo(path).isDir()) {
        SetDirectory(path);
        m_ui->edFileName->clear();
    } else if (m_ui->btOk->isEnabled()) {
        accept();
    }
}

bool TfmSelectTable::FilesShown() const
{
    return m_ui->nbk->currentWidget() == m_ui->pgFiles;
}

void TfmSelectTable::ShowFiles(bool files)
{
    m_ui->nbk->setCurrentWidget(files ? m_ui->pgFiles : m_ui->pgDatabase);
    m_ui->btPage->setText(files ? Translate("Bases...") : Translate("Standard..."));
    updateOk();
}

void TfmSelectTable::chooseDatabase(int index)
{
    m_database = index > 0 ? m_ui->cobDatabases->itemText(index) : QString();
    m_ui->dbTables->setStringList({});
    if (index > 0)
        m_ui->dbTables->setStringList(SortedCaseless(DriverTableNames(m_database)));
    updateOk();
}

void TfmSelectTable::SetDirectory(const QString& directory)
{
    QString dir = QDir::cleanPath(directory);
    if (dir.isEmpty())
        dir = QStringLiteral("/");
    m_directory = dir;
    m_ui->laDirectory->setText(dir);
    QDir d(dir);
    QStringList subdirs = d.entryList(QDir::Dirs | QDir::NoDot | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    if (dir == QLatin1String("/"))
        subdirs.removeAll(QStringLiteral(".."));
    m_ui->directories->setStringList(subdirs);
    fillFiles();
}

void TfmSelectTable::enterDirectory(const QString& name)
{
    if (name == QLatin1String("..")) {
        const qsizetype slash = m_directory.lastIndexOf(QLatin1Char('/'));
        SetDirectory(slash <= 0 ? QStringLiteral("/") : m_directory.left(slash));
    } else {
        SetDirectory(m_directory == QLatin1String("/") ? m_directory + name : m_directory + QLatin1Char('/') + name);
    }
}

void TfmSelectTable::fillFiles()
{
    const QString pattern = m_ui->cobFilter->currentData().toString();
    m_ui->files->setStringList(QDir(m_directory).entryList({pattern.isEmpty() ? QStringLiteral("*") : pattern},
        QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase));
}

void TfmSelectTable::updateOk()
{
    m_ui->btOk->setEnabled(FilesShown() || m_ui->cobDatabases->currentIndex() > 0);
}

QStringList TfmSelectTable::ChosenLines() const
{
    QStringList lines;
    if (FilesShown()) {
        QStringList files = SelectedTexts(m_ui->lbFiles);
        const QString typed = m_ui->edFileName->text();
        if (files.isEmpty() && !typed.isEmpty() && QFileInfo(QDir(m_directory).filePath(typed)).isFile())
            files << typed;
        const QString prefix = m_directory.endsWith(QLatin1Char('/')) ? m_directory : m_directory + QLatin1Char('/');
        for (const QString& f : files)
            lines << prefix + f;
    } else if (!m_database.isEmpty()) {
        for (const QString& t : SelectedTexts(m_ui->lbDbTables))
            lines << QLatin1Char(':') + m_database + QLatin1Char(':') + t;
    }
    return lines;
}

void TfmSelectTable::FillDatabase(TMxDatabaseItem* database) const
{
    if (!database)
        return;
    if (FilesShown()) {
        // A folder keeps its spelling: file names are case-sensitive here.
        database->SetName(m_directory);
    } else {
        database->SetName(m_database.toUpper());
        ReadFromDriver(database);
    }
}

bool SelectTables(TStrings* tables, TMxDatabaseItem* database)
{
    std::unique_ptr<TfmSelectTable> form;
    UserService().SetBusy(true);
    try {
        form = std::make_unique<TfmSelectTable>();
    } catch (...) {
        UserService().SetBusy(false);
        throw;
    }
    UserService().SetBusy(false);
    if (ui::RunModal(*form) != QDialog::Accepted)
        return false;
    if (tables) {
        tables->Clear();
        for (const QString& line : form->ChosenLines())
            tables->Add(line);
    }
    form->FillDatabase(database);
    return true;
}

} // namespace mx::admin
