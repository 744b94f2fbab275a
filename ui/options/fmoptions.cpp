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

TfmOptions::TfmOptions(TOptionSettings& settings, const TDestinationList* types, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("fmOptions"));
    setWindowTitle(QStringLiteral("|Options"));
    setProperty("helpContext", kHelpContext);

    pgctrl = Named(new QTabWidget(this), "pgctrl");

    tsGeneral = Named(new QWidget(pgctrl), "tsGeneral");
    edPrivateQueryPath = Named(new QLineEdit(tsGeneral), "edPrivateQueryPath");
    btPrivateQueryPath = Named(new QPushButton(QStringLiteral("|Browse..."), tsGeneral), "btPrivateQueryPath");
    edDMPath = Named(new QLineEdit(tsGeneral), "edDMPath");
    btDMPath = Named(new QPushButton(QStringLiteral("|Browse..."), tsGeneral), "btDMPath");
    // Room for a folder of some forty characters.
    for (QLineEdit* e : {edPrivateQueryPath, edDMPath})
        e->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    seMRUSize = Named(new QSpinBox(tsGeneral), "seMRUSize");
    seMRUSize->setRange(0, 20);
    auto* laPrivateQueryPath = Named(label(QStringLiteral("|Répertoire des &requêtes privées :"), edPrivateQueryPath, tsGeneral), "laPrivateQueryPath");
    auto* laDMPath = Named(label(QStringLiteral("|Répertoire des &modèles de données :"), edDMPath, tsGeneral), "laDMPath");
    auto* laMRUSize = Named(label(QStringLiteral("|Documents à mémoriser en fin de session :"), seMRUSize, tsGeneral), "laMRUSize");
    auto* general = new QGridLayout(tsGeneral);
    general->addWidget(laPrivateQueryPath, 0, 0, 1, 2);
    general->addWidget(edPrivateQueryPath, 1, 0);
    general->addWidget(btPrivateQueryPath, 1, 1);
    general->addWidget(laDMPath, 2, 0, 1, 2);
    general->addWidget(edDMPath, 3, 0);
    general->addWidget(btDMPath, 3, 1);
    auto* mru = new QHBoxLayout;
    mru->addWidget(laMRUSize);
    mru->addWidget(seMRUSize);
    mru->addStretch();
    general->addLayout(mru, 4, 0, 1, 2);
    general->setRowMinimumHeight(2, fontMetrics().height());
    general->setRowStretch(5, 1);
    general->setColumnStretch(0, 1);
    pgctrl->addTab(tsGeneral, QStringLiteral("|General options"));

    const QStringList languages = TOptionSettings::LanguageEntries();
    tsLang = Named(new QWidget(pgctrl), "tsLang");
    cbxLang = combo(tsLang, "cbxLang", languages);
    auto* lang = new QFormLayout(tsLang);
    lang->addRow(Named(label(QStringLiteral("|Langue :"), cbxLang, tsLang), "laLang"), cbxLang);
    pgctrl->addTab(tsLang, QStringLiteral("|Language"));

    // The word processor's and the spreadsheet's pages.
    const auto officePage = [&](const char* name, QComboBox*& language, const char* languageName, QComboBox*& version,
                                const char* versionName, const QStringList& versions) {
        auto* page = Named(new QWidget(pgctrl), name);
        language = combo(page, languageName, languages);
        version = combo(page, versionName, versions);
        auto* form = new QFormLayout(page);
        form->addRow(label(QStringLiteral("|Langue :"), language, page), language);
        form->addRow(label(QStringLiteral("|Version :"), version, page), version);
        return page;
    };
    tsWord = officePage("tsWord", cbxWordLanguage, "cbxWordLanguage", cbxWordVersion, "cbxWordVersion", TOptionSettings::WordVersions());
    tsExcel = officePage("tsExcel", cbxExcelLanguage, "cbxExcelLanguage", cbxExcelVersion, "cbxExcelVersion", TOptionSettings::ExcelVersions());
    pgctrl->setTabVisible(pgctrl->addTab(tsWord, QStringLiteral("MS-Word")), TOptionSettings::HasDestinationType(types, QStringLiteral("Word")));
    pgctrl->setTabVisible(pgctrl->addTab(tsExcel, QStringLiteral("MS-Excel")), TOptionSettings::HasDestinationType(types, QStringLiteral("Excel")));
    pgctrl->setCurrentWidget(tsGeneral);

    btOk = Named(new QPushButton(QStringLiteral("|Ok"), this), "btOk");
    btOk->setDefault(true);
    btCancel = Named(new QPushButton(QStringLiteral("|Annuler"), this), "btCancel");
    btHelp = Named(new QPushButton(QStringLiteral("|Aide"), this), "btHelp");
    for (QPushButton* b : {btPrivateQueryPath, btDMPath, btCancel, btHelp})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    buttons->addWidget(btHelp);
    auto* main = new QVBoxLayout(this);
    main->addWidget(pgctrl, 1);
    main->addLayout(buttons);

    Connect(btPrivateQueryPath, &QPushButton::clicked, this, [this, laPrivateQueryPath] { browse(edPrivateQueryPath, laPrivateQueryPath->text()); });
    Connect(btDMPath, &QPushButton::clicked, this, [this, laDMPath] { browse(edDMPath, laDMPath->text()); });
    Connect(btOk, &QPushButton::clicked, this, [this] { ok(); });
    Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(btHelp, &QPushButton::clicked, this, [this] { ShowDialogHelp(this); });

    SetValues(m_settings.Read());
    LangClientLoadedOrPlain(this);
}

TOptionValues TfmOptions::Values() const
{
    TOptionValues v;
    v.privateQueryPath = edPrivateQueryPath->text();
    v.dmPath = edDMPath->text();
    v.mruSize = seMRUSize->value();
    v.lang = cbxLang->currentIndex();
    v.wordLanguage = cbxWordLanguage->currentIndex();
    v.wordVersion = cbxWordVersion->currentIndex();
    v.excelLanguage = cbxExcelLanguage->currentIndex();
    v.excelVersion = cbxExcelVersion->currentIndex();
    return v;
}

void TfmOptions::SetValues(const TOptionValues& v)
{
    edPrivateQueryPath->setText(v.privateQueryPath);
    edDMPath->setText(v.dmPath);
    seMRUSize->setValue(v.mruSize);
    select(cbxLang, v.lang);
    select(cbxWordLanguage, v.wordLanguage);
    select(cbxWordVersion, v.wordVersion);
    select(cbxExcelLanguage, v.excelLanguage);
    select(cbxExcelVersion, v.excelVersion);
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
