#include "fmconfig.h"

#include "admin/dialogs/dialogframe.h"
#include "dialogparts.h"
#include "admin/dialogs/inicombobox.h"
#include "admin/dialogs/itemlistmodel.h"
#include "itemtextmodel.h"

#include "engine/admin/adminhelpers.h"
#include "engine/admin/drivernames.h"
#include "engine/core/exceptions.h"
#include "engine/core/systemerror.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/destination/destinationtype.h"
#include "engine/driver/dbengine.h"
#include "engine/driver/rootdir.h"
#include "engine/global/datasource.h"
#include "engine/global/queryglobal.h"
#include "engine/model/datamodel.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/stream/filer.h"
#include "engine/stream/safefile.h"

#include "ui/dialogs/rundoc.h"
#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QComboBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <climits>
#include <functional>

namespace mx::admin {

THookSlot<QStringList()> InstalledDriverNames;
THookSlot<QString()> PreviewFolderOverride;

namespace {

constexpr int kResultsHelpContext = 129;
constexpr int kDriversHelpContext = 105;
constexpr int kRowStep = 100;
const char* const kModelFile = "defmodel.mxf";
const char* const kQueryFile = "DefQuery.mxf";
const char* const kAliasFile = "ALIASES.INI";

struct TCapabilityBox {
    TSQLCapability capability;
    const char* name;
    const char* text;
    int tab; // 0 syntax, 1 server, 2 formats
    bool hidden;
};

constexpr TCapabilityBox kCapabilities[] = {
    {scPrefixAsField, "cbPrefixAsField", "Préfixer champs résultat", 0, false},
    {scQuoteTableName, "cbQuoteTableName", "Délimiter tables", 0, false},
    {scPrefixSourceField, "cbPrefixSourceField", "Préfixer champs source", 0, false},
    {scQuoteSourceField, "cbQuoteSourceField", "Délimiter champs source", 0, false},
    {scQuoteAsField, "cbQuoteAsField", "Délimiter champs résultat", 0, false},
    {scLimitRows, "cbLimitRows", "Limiter lignes réponse", 1, false},
    {scLimitTime, "cbLimitTime", "Limiter temps requête", 1, true},
    {scCalculatedSum, "cbCalculatedSum", "Agrégats calculés", 1, false},
    {scCreateViews, "cbCreateViews", "Créer des vues", 1, true},
    {scAgregateViews, "cbAgregateViews", "Vues avec agrégats", 1, true},
    {scQuoteDates, "cbQuoteDates", "Délimiter les constantes dates", 2, false},
};

QString PreviewFolder()
{
    if (PreviewFolderOverride)
        return PreviewFolderOverride();
    const QString programs = QCoreApplication::applicationDirPath() + u'/';
    if (QFileInfo::exists(programs + QLatin1String(kModelFile)) || DriverRootDir().isEmpty())
        return programs;
    return DriverRootDir();
}

QStringList DriverNamesNow()
{
    return InstalledDriverNames ? InstalledDriverNames() : DriverDriverNames();
}

QByteArray FileBytes(TMxItem* list)
{
    QByteArray bytes = list->SaveToBytes();
    ScrambleFileBytes(bytes);
    return bytes;
}

// The type cell of the destination grid offers the five outputs by their
// translated names; a text typed otherwise is still read (an unknown one
// is a report).
class TOutputDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        for (TDestinationOutput o : {doReport, doFile, doGraph, doCrosstab, doTable})
            box->addItem(Translate(OutputName(o)));
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QComboBox*>(editor)->setCurrentText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }
};

} // namespace

void SaveDefinitionFiles(TDestinationList* destinations, TDbEngDatasourceList* datasources)
{
    const QString root = DriverRootDir();
    if (root.isEmpty())
        throw EMxException(Translate("Aucun dossier d'installation : la configuration ne peut être enregistrée."));
    const QString destFile = root + GetEngineDestFileName();
    const QString dsFile = root + GetEngineDatasourceFileName();
    // Both lists streamed before anything is written.
    const QByteArray destBytes = FileBytes(destinations);
    const QByteArray dsBytes = FileBytes(datasources);
    QFile former(destFile);
    const bool hadDest = former.exists();
    QByteArray formerBytes;
    if (hadDest) {
        if (!former.open(QIODevice::ReadOnly))
            throw EInOutError(TranslateFmt(QStringLiteral("Impossible d'ouvrir le fichier \"%s\". %s"), {destFile, FileErrorReason(former)}));
        formerBytes = former.readAll();
        former.close();
    }
    WriteFileWithBackup(destFile, destBytes);
    try {
        WriteFileWithBackup(dsFile, dsBytes);
    } catch (...) {
        // The destination file goes back to what it was: the two files
        // never disagree.
        try {
            if (hadDest)
                WriteFileWithBackup(destFile, formerBytes, false);
            else
                QFile::remove(destFile);
        } catch (...) {
        }
        throw;
    }
}

struct TfmConfig::TUi {
    QTabWidget* pcMain;
    QWidget* tsResults;
    QWidget* tsDrivers;
    QTableWidget* grdDest;
    QPushButton* btAddDest;
    QPushButton* btRemoveDest;
    QListView* lbDrivers;
    TItemListModel* drivers;
    QTabWidget* pcDialect;
    QWidget* tsSyntax;
    QWidget* tsServer;
    QWidget* tsFormats;
    QCheckBox* capability[std::size(kCapabilities)];
    TIniComboBox* cbxConcatOperator;
    TIniComboBox* cbxFieldQuoter;
    TIniComboBox* cbxConstantQuoter;
    TIniComboBox* cbxLimitRowsSyntax;
    TIniComboBox* cbxDateFormater;
    TIniComboBox* cbxDateEditor;
    QLabel* laLimitRowCount;
    QLineEdit* edLimitRowCount;
    QToolButton* btRowsUp;
    QToolButton* btRowsDown;
    QGroupBox* gbPreview;
    QPlainTextEdit* moPreview;
    QPushButton* btDeleteDriver;
    QPushButton* btRefresh;
    QPushButton* btDriverConfig;
    QPushButton* btOk;
    QPushButton* btCancel;
    QPushButton* btHelp;
    QIcon badDriver;

    QCheckBox* box(TSQLCapability c) const
    {
        for (size_t i = 0; i < std::size(kCapabilities); ++i)
            if (kCapabilities[i].capability == c)
                return capability[i];
        return nullptr;
    }
};

TfmConfig::TfmConfig(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_destinations(new TDestinationList(nullptr)),
      m_datasources(new TDbEngDatasourceList(nullptr)), m_previewDatasources(new TDbEngDatasourceList(nullptr))
{
    using ui::Named;
    FrameDialog(this, "fmConfig", kResultsHelpContext, "Configuration");

    // The working copies, and the preview's own dialect: a copy of the
    // first datasource named as the one the preview steps look up.
    if (TDestinationList* types = DestinationTypes())
        m_destinations->Assign(types);
    TDbEngDatasourceList* globals = Datasources();
    if (globals)
        m_datasources->Assign(globals);
    TDbEngDatasource* preview = globals && globals->Count() > 0
        ? static_cast<TDbEngDatasource*>(globals->Items(0)->Clone(m_previewDatasources.get()))
        : m_previewDatasources->AddNew();
    preview->SetName(QString::fromLatin1(kStandardDatasource));

    TUi& u = *m_ui;
    u.badDriver = QIcon::fromTheme(QStringLiteral("dialog-warning"), style()->standardIcon(QStyle::SP_MessageBoxWarning));
    u.pcMain = Named(new QTabWidget(this), "pcMain");
    u.tsResults = Named(new QWidget(u.pcMain), "tsResults");
    u.tsDrivers = Named(new QWidget(u.pcMain), "tsDrivers");
    u.pcMain->addTab(u.tsResults, Translate("&Résultats"));
    u.pcMain->addTab(u.tsDrivers, Translate("&Pilotes"));
    buildResults();
    buildDrivers();

    MakeOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);
    auto* main = new QVBoxLayout(this);
    main->addWidget(u.pcMain, 1);
    main->addLayout(OkCancelHelp(u.btOk, u.btCancel, u.btHelp));
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 58, fm.height() * 34);

    // The INI combo boxes take their choices once the form is built.
    for (TIniComboBox* box : {u.cbxFieldQuoter, u.cbxConstantQuoter, u.cbxDateFormater, u.cbxDateEditor}) {
        box->FormLoaded();
        if (box->IniFileName().isEmpty() && !DriverRootDir().isEmpty()) {
            box->SetIniFileName(DriverRootDir() + QStringLiteral("MORVELIN.INI"));
            box->LoadItems();
        }
    }

    using ui::Connect;
    Connect(u.pcMain, &QTabWidget::currentChanged, this,
        [this](int index) { setProperty("helpContext", index == 0 ? kResultsHelpContext : kDriversHelpContext); });
    ConnectOkCancelHelp(this, u.btOk, u.btCancel, u.btHelp);

    loadPreview();
    u.pcMain->setCurrentIndex(0);
    u.pcDialect->setCurrentIndex(0);
    fillGrid();
    fillDrivers(0);
}

TfmConfig::~TfmConfig()
{
    // The preview query goes before the dialects it was told to use.
    m_query.reset();
}

void TfmConfig::buildResults()
{
    TUi& u = *m_ui;
    u.grdDest = ui::Named(new QTableWidget(0, 5, u.tsResults), "grdDest");
    u.grdDest->setHorizontalHeaderLabels({Translate("N°"), Translate("DestName"), Translate("Type"),
        Translate("Fichier .DLL"), Translate("Extension")});
    u.grdDest->verticalHeader()->hide();
    u.grdDest->setTabKeyNavigation(true);
    u.grdDest->horizontalHeader()->setStretchLastSection(true);
    u.grdDest->setItemDelegateForColumn(2, new TOutputDelegate(u.grdDest));
    u.btAddDest = ui::NamedButton(u.tsResults, "btAddDest", "A&dd");
    u.btRemoveDest = ui::NamedButton(u.tsResults, "btRemoveDest", "&Remove");
    u.btAddDest->setAutoDefault(false);
    u.btRemoveDest->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(u.btAddDest);
    buttons->addWidget(u.btRemoveDest);
    buttons->addStretch();
    auto* col = new QVBoxLayout(u.tsResults);
    col->addWidget(u.grdDest, 1);
    col->addLayout(buttons);
    ui::Connect(u.btAddDest, &QPushButton::clicked, this, [this] { AddDestination(); });
    ui::Connect(u.btRemoveDest, &QPushButton::clicked, this, [this] { RemoveDestination(); });
}

void TfmConfig::buildDrivers()
{
    using ui::Named;
    TUi& u = *m_ui;
    QWidget* page = u.tsDrivers;
    u.drivers = new TItemListModel(this);
    u.drivers->SetDecoration([this](const TMxItem* item) -> QVariant {
        if (m_missing.contains(item->Name(), Qt::CaseInsensitive))
            return m_ui->badDriver;
        return {};
    });
    u.lbDrivers = MakeList(page, "lbDrivers", u.drivers, false);
    auto* laDrivers = new QLabel(Translate("&Liste des pilotes :"), page);
    laDrivers->setBuddy(u.lbDrivers);

    u.pcDialect = Named(new QTabWidget(page), "pcDialect");
    u.tsSyntax = Named(new QWidget(u.pcDialect), "tsSyntax");
    u.tsServer = Named(new QWidget(u.pcDialect), "tsServer");
    u.tsFormats = Named(new QWidget(u.pcDialect), "tsFormats");
    u.pcDialect->addTab(u.tsSyntax, Translate("Syntaxe"));
    u.pcDialect->addTab(u.tsServer, Translate("Serveur"));
    u.pcDialect->addTab(u.tsFormats, Translate("Formats"));
    QWidget* tabs[] = {u.tsSyntax, u.tsServer, u.tsFormats};
    QFormLayout* forms[3];
    for (int t = 0; t < 3; ++t)
        forms[t] = new QFormLayout(tabs[t]);
    for (size_t i = 0; i < std::size(kCapabilities); ++i) {
        const TCapabilityBox& c = kCapabilities[i];
        u.capability[i] = Named(new QCheckBox(Translate(c.text), tabs[c.tab]), c.name);
        if (c.hidden)
            u.capability[i]->hide();
        else
            forms[c.tab]->addRow(u.capability[i]);
        const TSQLCapability cap = c.capability;
        ui::Connect(u.capability[i], &QCheckBox::clicked, this, [this, cap](bool checked) { capabilityClicked(cap, checked); });
    }
    auto combo = [&](const char* name, QWidget* parent, const char* section) {
        auto* box = Named(new TIniComboBox(parent), name);
        box->setEditable(true);
        box->SetIniAutoFind(section != nullptr);
        if (section)
            box->SetIniSection(QString::fromLatin1(section));
        return box;
    };
    u.cbxConcatOperator = combo("cbxConcatOperator", u.tsSyntax, nullptr);
    u.cbxConcatOperator->addItems({QStringLiteral("+"), QStringLiteral("||")});
    u.cbxFieldQuoter = combo("cbxFieldQuoter", u.tsSyntax, "SQL.FieldQuoters");
    u.cbxConstantQuoter = combo("cbxConstantQuoter", u.tsSyntax, "SQL.FieldQuoters");
    u.cbxLimitRowsSyntax = combo("cbxLimitRowsSyntax", u.tsServer, nullptr);
    u.cbxLimitRowsSyntax->addItem(QStringLiteral("LIMIT TO %d ROWS"));
    u.cbxDateFormater = combo("cbxDateFormater", u.tsFormats, "SQL.DateFormaters");
    u.cbxDateEditor = combo("cbxDateEditor", u.tsFormats, "SQL.DateEditors");
    forms[0]->addRow(Translate("Opérateur de concaténation"), u.cbxConcatOperator);
    forms[0]->addRow(Translate("Délimiteur de champs"), u.cbxFieldQuoter);
    forms[0]->addRow(Translate("Délimiteur de constantes"), u.cbxConstantQuoter);
    forms[1]->addRow(Translate("Syntaxe"), u.cbxLimitRowsSyntax);
    u.laLimitRowCount = Named(new QLabel(Translate("Nombre de lignes"), u.tsServer), "laLimitRowCount");
    u.edLimitRowCount = Named(new QLineEdit(QStringLiteral("5000"), u.tsServer), "edLimitRowCount");
    // Digits only (Backspace and Delete still correct a count); a count
    // past the largest integer is refused when the edit is left.
    u.edLimitRowCount->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), u.edLimitRowCount));
    u.btRowsUp = Named(new QToolButton(u.tsServer), "btRowsUp");
    u.btRowsDown = Named(new QToolButton(u.tsServer), "btRowsDown");
    u.btRowsUp->setArrowType(Qt::UpArrow);
    u.btRowsDown->setArrowType(Qt::DownArrow);
    auto* rows = new QHBoxLayout;
    rows->addWidget(u.edLimitRowCount, 1);
    rows->addWidget(u.btRowsUp);
    rows->addWidget(u.btRowsDown);
    forms[1]->addRow(u.laLimitRowCount, rows);
    forms[2]->addRow(Translate("Formatage de dates"), u.cbxDateFormater);
    forms[2]->addRow(Translate("Format saisie date"), u.cbxDateEditor);

    u.gbPreview = Named(new QGroupBox(Translate("Apercu SQL"), page), "gbPreview");
    u.moPreview = Named(new QPlainTextEdit(u.gbPreview), "moPreview");
    u.moPreview->setReadOnly(true);
    u.moPreview->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    (new QVBoxLayout(u.gbPreview))->addWidget(u.moPreview);

    u.btDeleteDriver = ui::NamedButton(page, "btDeleteDriver", "&Supprimer");
    u.btRefresh = ui::NamedButton(page, "btRefresh", "&Rafraichir");
    u.btDriverConfig = ui::NamedButton(page, "btDriverConfig", "&Driver Config.");
    for (QPushButton* b : {u.btDeleteDriver, u.btRefresh, u.btDriverConfig})
        b->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(laDrivers);
    left->addWidget(u.lbDrivers, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addWidget(u.pcDialect, 5);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(u.btDeleteDriver);
    buttons->addWidget(u.btRefresh);
    buttons->addWidget(u.btDriverConfig);
    buttons->addStretch();
    auto* col = new QVBoxLayout(page);
    col->addLayout(top, 3);
    col->addWidget(u.gbPreview, 2);
    col->addLayout(buttons);

    using ui::Connect;
    Connect(u.lbDrivers->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current, const QModelIndex&) {
        if (!m_filling)
            ShowDatasource(current.isValid() ? current.row() : -1);
    });
    using TSetter = std::function<void(TDbEngDatasource*, const QString&)>;
    const std::pair<TIniComboBox*, TSetter> properties[] = {
        {u.cbxConcatOperator, [](TDbEngDatasource* d, const QString& t) { d->SetSQLStringConcatOperator(t); }},
        {u.cbxFieldQuoter, [](TDbEngDatasource* d, const QString& t) { d->SetFieldQuoter(t); }},
        {u.cbxConstantQuoter, [](TDbEngDatasource* d, const QString& t) { d->SetConstantQuoter(t); }},
        {u.cbxLimitRowsSyntax, [](TDbEngDatasource* d, const QString& t) { d->SetSQLLimitRowsSyntax(t); }},
        {u.cbxDateFormater, [](TDbEngDatasource* d, const QString& t) { d->SetSQLDateFormater(t); }},
        {u.cbxDateEditor, [](TDbEngDatasource* d, const QString& t) { d->SetSQLDateEditor(t); }},
    };
    for (const auto& [box, set] : properties) {
        // Every change of the text is the datasource's at once: nothing
        // typed is lost, however the window is closed.
        Connect(box, &QComboBox::currentTextChanged, this, [this, set = set](const QString& text) {
            if (m_filling || !m_selected)
                return;
            set(m_selected, text);
            UpdatePreview();
        });
    }
    // A count typed is the datasource's at once while it is a valid
    // number, so Ok takes it even when the edit was never left.
    Connect(u.edLimitRowCount, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        if (!m_filling && m_selected && ok && value >= 0 && value <= INT_MAX)
            m_selected->SetSQLLimitRowCount(qint32(value));
    });
    Connect(u.edLimitRowCount, &QLineEdit::editingFinished, this, [this] { LeaveRowCount(); });
    Connect(u.btRowsUp, &QToolButton::clicked, this, [this] { RowsUp(); });
    Connect(u.btRowsDown, &QToolButton::clicked, this, [this] { RowsDown(); });
    Connect(u.btDeleteDriver, &QPushButton::clicked, this, [this] { DeleteDriver(); });
    Connect(u.btRefresh, &QPushButton::clicked, this, [this] { RefreshDrivers(); });
    Connect(u.btDriverConfig, &QPushButton::clicked, this, [this] { DriverConfig(); });
}

void TfmConfig::loadPreview()
{
    const QString folder = PreviewFolder();
    try {
        auto* model = new TMxDataModel(nullptr);
        TItemPtr<TMxQuery> query(new TMxQuery(nullptr));
        query->SetDataModel(model, true);
        model->Open(folder + QLatin1String(kModelFile), QStringLiteral("Admin"), QString());
        query->SetDatasourceList(m_previewDatasources.get());
        query->LoadFromFile(folder + QLatin1String(kQueryFile));
        if (query->Steps()->Count() == 0)
            throw EMxException(TranslateFmt(QStringLiteral("La requête %s n'a pas d'étape."), {folder + QLatin1String(kQueryFile)}));
        m_query = std::move(query);
    } catch (const std::exception& e) {
        UserService().MessageDlg(QString::fromUtf8(e.what()), TMsgDlgType::mtWarning, mbOK);
    }
}

void TfmConfig::fillGrid()
{
    QTableWidget* grid = m_ui->grdDest;
    if (m_destinations->Count() == 0)
        m_destinations->AddNew();
    grid->setRowCount(m_destinations->Count());
    for (int i = 0; i < m_destinations->Count(); ++i) {
        const TDestinationItem* d = m_destinations->Items(i);
        auto* number = new QTableWidgetItem(QString::number(i + 1));
        number->setFlags(Qt::ItemIsEnabled);
        grid->setItem(i, 0, number);
        grid->setItem(i, 1, new QTableWidgetItem(d->Name()));
        grid->setItem(i, 2, new QTableWidgetItem(Translate(OutputName(d->Output()))));
        grid->setItem(i, 3, new QTableWidgetItem(d->DllName()));
        grid->setItem(i, 4, new QTableWidgetItem(d->Extension()));
    }
    // Each column as wide as its texts and its title, with a margin for
    // typing.
    grid->resizeColumnsToContents();
    const QFontMetrics fm(grid->font());
    for (int c = 1; c < grid->columnCount() - 1; ++c)
        grid->setColumnWidth(c, grid->columnWidth(c) + fm.horizontalAdvance(QStringLiteral("MM")));
}

void TfmConfig::readGrid()
{
    QTableWidget* grid = m_ui->grdDest;
    // A cell still being edited is what the user sees: it counts.
    // (moving the current cell away and back commits an open editor).
    const QModelIndex current = grid->currentIndex();
    if (current.isValid()) {
        grid->setCurrentIndex(QModelIndex());
        grid->setCurrentIndex(current);
    }
    auto cell = [grid](int row, int column) {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text().trimmed() : QString();
    };
    for (int i = 0; i < m_destinations->Count() && i < grid->rowCount(); ++i) {
        TDestinationItem* d = m_destinations->Items(i);
        d->SetName(cell(i, 1));
        d->SetOutput(OutputFromName(cell(i, 2)));
        d->SetDllName(cell(i, 3));
        d->SetExtension(cell(i, 4));
    }
}

void TfmConfig::AddDestination()
{
    readGrid();
    m_destinations->AddNew();
    fillGrid();
    m_ui->grdDest->setCurrentCell(m_destinations->Count() - 1, 1);
}

void TfmConfig::RemoveDestination()
{
    QTableWidget* grid = m_ui->grdDest;
    const int count = m_destinations->Count();
    if (count == 0)
        return;
    const QTableWidgetItem* firstName = grid->item(0, 1);
    if (count == 1 && (!firstName || firstName->text().trimmed().isEmpty()))
        return;
    const int row = grid->currentRow();
    if (row < 0 || row >= count)
        return;
    const QTableWidgetItem* name = grid->item(row, 1);
    const QString question = Translate("Attention, vous allez supprimer un résultat.") + QLatin1Char(' ')
        + Translate("Certaines extractions pourraient ne plus fonctionner.") + QLatin1Char('\n')
        + TranslateFmt(QStringLiteral("Confirmez-vous la suppression du résultat %s ?"), {name ? name->text() : QString()});
    if (!AskYesNo(question))
        return;
    readGrid();
    TMxItem::Free(m_destinations->Items(row));
    fillGrid();
}

void TfmConfig::fillDrivers(int row)
{
    m_filling = true;
    m_ui->drivers->SetList(m_datasources.get());
    m_filling = false;
    ShowDatasource(m_datasources->Count() > 0 ? std::clamp(row, 0, m_datasources->Count() - 1) : -1);
}

void TfmConfig::ShowDatasource(int row)
{
    TUi& u = *m_ui;
    m_selected = static_cast<TDbEngDatasource*>(u.drivers->ItemAt(row));
    m_filling = true;
    try {
        SelectRow(u.lbDrivers, row);
        const TDbEngDatasource* d = m_selected;
        const TSetSQLCapabilities caps = d ? d->SQLCapabilities() : 0;
        for (size_t i = 0; i < std::size(kCapabilities); ++i) {
            u.capability[i]->setChecked(HasCap(caps, kCapabilities[i].capability));
            u.capability[i]->setEnabled(d != nullptr);
        }
        u.box(scAgregateViews)->setEnabled(d && HasCap(caps, scCreateViews));
        u.cbxConcatOperator->setCurrentText(d ? d->SQLStringConcatOperator() : QString());
        u.cbxFieldQuoter->setCurrentText(d ? d->FieldQuoter() : QString());
        u.cbxConstantQuoter->setCurrentText(d ? d->ConstantQuoter() : QString());
        u.cbxDateFormater->setCurrentText(d ? d->SQLDateFormater() : QString());
        u.cbxDateEditor->setCurrentText(d ? d->SQLDateEditor() : QString());
        u.cbxLimitRowsSyntax->setCurrentText(d ? d->SQLLimitRowsSyntax() : QString());
        m_countShown = d ? d->SQLLimitRowCount() : 0;
        u.edLimitRowCount->setText(d ? QString::number(m_countShown) : QString());
        for (QWidget* w : std::initializer_list<QWidget*>{u.cbxConcatOperator, u.cbxFieldQuoter, u.cbxConstantQuoter,
                 u.cbxDateFormater, u.cbxDateEditor})
            w->setEnabled(d != nullptr);
        u.btDeleteDriver->setEnabled(d && d->Name().compare(QLatin1String(kStandardDatasource), Qt::CaseInsensitive) != 0);
    } catch (...) {
        m_filling = false;
        throw;
    }
    m_filling = false;
    UpdatePreview();
}

void TfmConfig::capabilityClicked(int capability, bool checked)
{
    if (m_filling || !m_selected)
        return;
    TUi& u = *m_ui;
    const auto cap = TSQLCapability(capability);
    TSetSQLCapabilities caps = m_selected->SQLCapabilities();
    caps = checked ? (caps | SqlCap(cap)) : (caps & ~SqlCap(cap));
    m_selected->SetSQLCapabilities(caps);
    if (cap == scLimitRows && checked && u.cbxLimitRowsSyntax->currentText().isEmpty())
        u.cbxLimitRowsSyntax->setCurrentIndex(0); // the datasource takes it through the combo
    if (cap == scCreateViews)
        u.box(scAgregateViews)->setEnabled(checked);
    UpdatePreview();
}

void TfmConfig::LeaveRowCount()
{
    if (m_filling || !m_selected)
        return;
    QLineEdit* edit = m_ui->edLimitRowCount;
    if (edit->text().trimmed().isEmpty())
        edit->setText(QStringLiteral("1"));
    bool ok = false;
    const qint64 value = edit->text().trimmed().toLongLong(&ok);
    if (!ok || value < 0 || value > INT_MAX) {
        UserService().MessageDlg(TranslateFmt(QStringLiteral("%s n'est pas un nombre de lignes valide."), {edit->text()}),
            TMsgDlgType::mtWarning, mbOK);
        m_selected->SetSQLLimitRowCount(m_countShown);
        edit->setText(QString::number(m_countShown));
        return;
    }
    m_selected->SetSQLLimitRowCount(qint32(value));
    m_countShown = qint32(value);
    edit->setText(QString::number(value));
    UpdatePreview();
}

void TfmConfig::RowsUp()
{
    if (!m_selected)
        return;
    const qint64 value = qint64(m_selected->SQLLimitRowCount()) + kRowStep;
    m_selected->SetSQLLimitRowCount(qint32(std::min<qint64>(value, INT_MAX)));
    m_countShown = m_selected->SQLLimitRowCount();
    m_ui->edLimitRowCount->setText(QString::number(m_selected->SQLLimitRowCount()));
    UpdatePreview();
}

void TfmConfig::RowsDown()
{
    if (!m_selected)
        return;
    if (m_selected->SQLLimitRowCount() - kRowStep >= 0)
        m_selected->SetSQLLimitRowCount(m_selected->SQLLimitRowCount() - kRowStep);
    m_countShown = m_selected->SQLLimitRowCount();
    m_ui->edLimitRowCount->setText(QString::number(m_selected->SQLLimitRowCount()));
    UpdatePreview();
}

void TfmConfig::updateRowControls()
{
    TUi& u = *m_ui;
    const bool on = m_selected && u.box(scLimitRows)->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{u.cbxLimitRowsSyntax, u.laLimitRowCount, u.edLimitRowCount, u.btRowsUp,
             u.btRowsDown})
        w->setEnabled(on);
}

void TfmConfig::UpdatePreview()
{
    TUi& u = *m_ui;
    updateRowControls();
    u.moPreview->clear();
    if (!m_query) {
        u.moPreview->setPlainText(Translate("Aperçu non disponible"));
        return;
    }
    if (!m_selected)
        return;
    try {
        SetSyntaxProperties(m_previewDatasources->Items(0), m_selected->SyntaxProperties());
        m_query->Prepare(true);
        u.moPreview->setPlainText(m_query->Steps()->Items(0)->SQL()->Text());
    } catch (const EMxException& e) {
        u.moPreview->setPlainText(Translate("Erreur, les options de syntaxe SQL sont probablement incorrectes.")
            + QLatin1Char('\n') + e.message());
    } catch (const std::exception&) {
        u.moPreview->setPlainText(Translate("Erreur de construction de l'ordre SQL"));
    }
}

void TfmConfig::DeleteDriver()
{
    TDbEngDatasource* d = m_selected;
    // STANDARD is the dialect every unknown driver falls back on: it stays,
    // however its name is spelt.
    if (!d || d->Name().compare(QLatin1String(kStandardDatasource), Qt::CaseInsensitive) == 0)
        return;
    const QString question = TranslateFmt(QStringLiteral("Confirmez-vous la suppression du driver %s ?"), {d->Name()})
        + QLatin1Char('\n') + Translate("Attention, la suppression d'un driver peut entrainer le non-fonctionnement du logiciel.");
    if (!AskYesNo(question))
        return;
    const int row = m_datasources->IndexOf(d);
    m_selected = nullptr;
    m_ui->drivers->SetItems({});
    TMxItem::Free(d);
    fillDrivers(row);
}

void TfmConfig::RefreshDrivers()
{
    QStringList installed;
    try {
        installed = DriverNamesNow();
    } catch (const std::exception& e) {
        UserService().MessageDlg(QString::fromUtf8(e.what()), TMsgDlgType::mtWarning, mbOK);
        return;
    }
    m_missing.clear();
    for (int i = 0; i < m_datasources->Count(); ++i)
        if (!installed.contains(m_datasources->Items(i)->Name(), Qt::CaseInsensitive))
            m_missing << m_datasources->Items(i)->Name();
    for (const QString& name : installed)
        if (!name.isEmpty() && !m_datasources->FindDatasource(name))
            m_datasources->AddNew()->SetName(name);
    const int row = std::max(0, CurrentRow(m_ui->lbDrivers));
    fillDrivers(row);
    if (!m_missing.isEmpty())
        UserService().MessageDlg(Translate("Attention, certains pilotes sont introuvables sur ce poste.") + QLatin1Char('\n')
                + Translate("Veuillez vérifier votre configuration de bases de données."),
            TMsgDlgType::mtWarning, mbOK);
}

void TfmConfig::DriverConfig()
{
    // The drivers of this system are configured through their aliases: the
    // alias file opens in the desktop's editor.
    const QString root = DriverRootDir();
    const QString path = root + QLatin1String(kAliasFile);
    if (root.isEmpty() || !QFileInfo::exists(path)) {
        UserService().MessageDlg(TranslateFmt(QStringLiteral("Le fichier des alias %s est introuvable."), {path}),
            TMsgDlgType::mtWarning, mbOK);
        return;
    }
    ui::RunDocument(path, QString());
}

void TfmConfig::accept()
{
    readGrid();
    if (m_selected && m_ui->edLimitRowCount->isEnabled())
        LeaveRowCount();
    try {
        SaveDefinitionFiles(m_destinations.get(), m_datasources.get());
    } catch (const std::exception& e) {
        UserService().MessageDlg(TranslateFmt(QStringLiteral("La configuration n'a pas été enregistrée : %s"),
                                     {QString::fromUtf8(e.what())}),
            TMsgDlgType::mtError, mbOK);
        return;
    }
    // Both files are written: the process's lists take the copies.
    if (TDestinationList* types = DestinationTypes())
        types->Assign(m_destinations.get());
    if (TDbEngDatasourceList* globals = Datasources())
        globals->Assign(m_datasources.get());
    QDialog::accept();
}

bool EditConfigurationWindow()
{
    TfmConfig form;
    return ui::RunModal(form) == QDialog::Accepted;
}

} // namespace mx::admin

#include "fmconfig.moc"
