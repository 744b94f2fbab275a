#include "fmoptions.h"

#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/namedwidget.h"

#include "engine/destination/destinationtype.h"
#include "engine/settings/global.h"
#include "engine/settings/lang.h"
#include "engine/settings/mru.h"
#include "engine/tools/installation.h"
#include "ui/services/modalrunner.h"

#include "platform/core/inifile.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace mx::ui {
namespace {

constexpr int kHelpContext = 3;

QComboBox* combo(QWidget* parent, const char* name, const QStringList& entries)
{
    auto* box = Named(new QComboBox(parent), name);
    box->addItems(entries);
    return box;
}

QLabel* label(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// Sets a combo box to index, the first entry when index names none.
void select(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

} // namespace

struct TfmOptions::TUi {
    QTabWidget* pgctrl = nullptr;
    QWidget* tsGeneral = nullptr;
    QWidget* tsLang = nullptr;
    QWidget* tsWord = nullptr;
    QWidget* tsExcel = nullptr;
    QLineEdit* edPrivateQueryPath = nullptr;
    QPushButton* btPrivateQueryPath = nullptr;
    QLineEdit* edDMPath = nullptr;
    QPushButton* btDMPath = nullptr;
    QSpinBox* seMRUSize = nullptr;
    QComboBox* cbxLang = nullptr;
    QComboBox* cbxWordLanguage = nullptr;
    QComboBox* cbxWordVersion = nullptr;
    QComboBox* cbxExcelLanguage = nullptr;
    QComboBox* cbxExcelVersion = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
    QPushButton* btHelp = nullptr;
};

TfmOptions::TfmOptions(TOptionSettings& settings, const TDestinationList* types, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_settings(settings)
{
    setObjectName(QStringLiteral("fmOptions"));
    setWindowTitle(QStringLiteral("|Options"));
    setProperty("helpContext", kHelpContext);

    m_ui->pgctrl = Named(new QTabWidget(this), "pgctrl");

    m_ui->tsGeneral = Named(new QWidget(m_ui->pgctrl), "tsGeneral");
    m_ui->edPrivateQueryPath = Named(new QLineEdit(m_ui->tsGeneral), "edPrivateQueryPath");
    m_ui->btPrivateQueryPath = Named(new QPushButton(QStringLiteral("|Browse..."), m_ui->tsGeneral), "btPrivateQueryPath");
    m_ui->edDMPath = Named(new QLineEdit(m_ui->tsGeneral), "edDMPath");
    m_ui->btDMPath = Named(new QPushButton(QStringLiteral("|Browse..."), m_ui->tsGeneral), "btDMPath");
    // Room for a folder of some forty characters.
    for (QLineEdit* e : {m_ui->edPrivateQueryPath, m_ui->edDMPath})
        e->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    m_ui->seMRUSize = Named(new QSpinBox(m_ui->tsGeneral), "seMRUSize");
    m_ui->seMRUSize->setRange(0, 20);
    auto* laPrivateQueryPath = Named(label(QStringLiteral("|Répertoire des &requêtes privées :"), m_ui->edPrivateQueryPath, m_ui->tsGeneral), "laPrivateQueryPath");
    auto* laDMPath = Named(label(QStringLiteral("|Répertoire des &modèles de données :"), m_ui->edDMPath, m_ui->tsGeneral), "laDMPath");
    auto* laMRUSize = Named(label(QStringLiteral("|Documents à mémoriser en fin de session :"), m_ui->seMRUSize, m_ui->tsGeneral), "laMRUSize");
    auto* general = new QGridLayout(m_ui->tsGeneral);
    general->addWidget(laPrivateQueryPath, 0, 0, 1, 2);
    general->addWidget(m_ui->edPrivateQueryPath, 1, 0);
    general->addWidget(m_ui->btPrivateQueryPath, 1, 1);
    general->addWidget(laDMPath, 2, 0, 1, 2);
    general->addWidget(m_ui->edDMPath, 3, 0);
    general->addWidget(m_ui->btDMPath, 3, 1);
    auto* mru = new QHBoxLayout;
    mru->addWidget(laMRUSize);
    mru->addWidget(m_ui->seMRUSize);
    mru->addStretch();
    general->addLayout(mru, 4, 0, 1, 2);
    general->setRowMinimumHeight(2, fontMetrics().height());
    general->setRowStretch(5, 1);
    general->setColumnStretch(0, 1);
    m_ui->pgctrl->addTab(m_ui->tsGeneral, QStringLiteral("|General options"));

    const QStringList languages = TOptionSettings::LanguageEntries();
    m_ui->tsLang = Named(new QWidget(m_ui->pgctrl), "tsLang");
    m_ui->cbxLang = combo(m_ui->tsLang, "cbxLang", languages);
    auto* lang = new QFormLayout(m_ui->tsLang);
    lang->addRow(Named(label(QStringLiteral("|Langue :"), m_ui->cbxLang, m_ui->tsLang), "laLang"), m_ui->cbxLang);
    m_ui->pgctrl->addTab(m_ui->tsLang, QStringLiteral("|Language"));

    // The word processor's and the spreadsheet's pages.
    const auto officePage = [&](const char* name, QComboBox*& language, const char* languageName, QComboBox*& version,
                                const char* versionName, const QStringList& versions) {
        auto* page = Named(new QWidget(m_ui->pgctrl), name);
        language = combo(page, languageName, languages);
        version = combo(page, versionName, versions);
        auto* form = new QFormLayout(page);
        form->addRow(label(QStringLiteral("|Langue :"), language, page), language);
        form->addRow(label(QStringLiteral("|Version :"), version, page), version);
        return page;
    };
    m_ui->tsWord = officePage("tsWord", m_ui->cbxWordLanguage, "cbxWordLanguage", m_ui->cbxWordVersion, "cbxWordVersion", TOptionSettings::WordVersions());
    m_ui->tsExcel = officePage("tsExcel", m_ui->cbxExcelLanguage, "cbxExcelLanguage", m_ui->cbxExcelVersion, "cbxExcelVersion", TOptionSettings::ExcelVersions());
    m_ui->pgctrl->setTabVisible(m_ui->pgctrl->addTab(m_ui->tsWord, QStringLiteral("MS-Word")), TOptionSettings::HasDestinationType(types, QStringLiteral("Word")));
    m_ui->pgctrl->setTabVisible(m_ui->pgctrl->addTab(m_ui->tsExcel, QStringLiteral("MS-Excel")), TOptionSettings::HasDestinationType(types, QStringLiteral("Excel")));
    m_ui->pgctrl->setCurrentWidget(m_ui->tsGeneral);

    m_ui->btOk = Named(new QPushButton(QStringLiteral("|Ok"), this), "btOk");
    m_ui->btOk->setDefault(true);
    m_ui->btCancel = Named(new QPushButton(QStringLiteral("|Annuler"), this), "btCancel");
    m_ui->btHelp = Named(new QPushButton(QStringLiteral("|Aide"), this), "btHelp");
    for (QPushButton* b : {m_ui->btPrivateQueryPath, m_ui->btDMPath, m_ui->btCancel, m_ui->btHelp})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ui->btOk);
    buttons->addWidget(m_ui->btCancel);
    buttons->addWidget(m_ui->btHelp);
    auto* main = new QVBoxLayout(this);
    main->addWidget(m_ui->pgctrl, 1);
    main->addLayout(buttons);

    Connect(m_ui->btPrivateQueryPath, &QPushButton::clicked, this, [this, laPrivateQueryPath] { browse(m_ui->edPrivateQueryPath, laPrivateQueryPath->text()); });
    Connect(m_ui->btDMPath, &QPushButton::clicked, this, [this, laDMPath] { browse(m_ui->edDMPath, laDMPath->text()); });
    Connect(m_ui->btOk, &QPushButton::clicked, this, [this] { ok(); });
    Connect(m_ui->btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(m_ui->btHelp, &QPushButton::clicked, this, [this] { ShowDialogHelp(this); });

    SetValues(m_settings.Read());
    LangClientLoadedOrPlain(this);
}

TfmOptions::~TfmOptions() = default;

TOptionValues TfmOptions::Values() const
{
    TOptionValues v;
    v.privateQueryPath = m_ui->edPrivateQueryPath->text();
    v.dmPath = m_ui->edDMPath->text();
    v.mruSize = m_ui->seMRUSize->value();
    v.lang = m_ui->cbxLang->currentIndex();
    v.wordLanguage = m_ui->cbxWordLanguage->currentIndex();
    v.wordVersion = m_ui->cbxWordVersion->currentIndex();
    v.excelLanguage = m_ui->cbxExcelLanguage->currentIndex();
    v.excelVersion = m_ui->cbxExcelVersion->currentIndex();
    return v;
}

void TfmOptions::SetValues(const TOptionValues& v)
{
    m_ui->edPrivateQueryPath->setText(v.privateQueryPath);
    m_ui->edDMPath->setText(v.dmPath);
    m_ui->seMRUSize->setValue(v.mruSize);
    select(m_ui->cbxLang, v.lang);
    select(m_ui->cbxWordLanguage, v.wordLanguage);
    select(m_ui->cbxWordVersion, v.wordVersion);
    select(m_ui->cbxExcelLanguage, v.excelLanguage);
    select(m_ui->cbxExcelVersion, v.excelVersion);
}

void TfmOptions::browse(QLineEdit* edit, const QString& caption)
{
    QString plain = caption;
    plain.remove(u'&');
    const QString dir = UiService().BrowseDirectory(this, plain, edit->text());
    if (!dir.isEmpty())
        edit->setText(dir);
}

// A write the file refuses is reported by the guarded slot and the dialog
// stays open with the user's choices.
void TfmOptions::ok()
{
    m_settings.Write(Values());
    accept();
}

bool ShowOptions(QWidget* parent)
{
    const QString fileName = AppGlobal() ? AppGlobal()->IniFileName() : GetWindowsDir() + QStringLiteral("MORVELIN.INI");
    TOptionSettings settings(platform::IniFile::open(fileName), MRUs());
    TfmOptions form(settings, DestinationTypes(), parent ? parent : QApplication::activeWindow());
    return RunModal(form) == QDialog::Accepted;
}

} // namespace mx::ui
