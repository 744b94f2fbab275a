// The options dialog offscreen: what it shows, OK and Cancel through
// ShowOptions, the pages of the office programs, Browse and Help.

#include "tests/ui/uitest.h"

#include "ui/options/fmoptions.h"
#include "ui/langwidgets/langwidgets.h"
#include "tests/support/ui/scriptedservice.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/testsupport.h"

#include "engine/destination/destinationtype.h"
#include "engine/errors/errorhandler.h"
#include "engine/settings/mru.h"

#include "platform/core/inifile.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;
using mx::ui::test::Child;

namespace {

// A settings folder of its own (MORVELIN_WINDIR), the scripted service and
// the error handler.
struct OptionsDialogTest : ::testing::Test {
    QTemporaryDir dir;
    QByteArray savedWindir = qgetenv("MORVELIN_WINDIR");
    QString path = dir.filePath(QStringLiteral("MORVELIN.INI"));
    int savedMax = MRUs().MaxCount();
    mx::ui::test::ScopedScriptedUi ui;

    OptionsDialogTest()
    {
        qputenv("MORVELIN_WINDIR", dir.path().toLocal8Bit());
        InstallExceptionHandler();
    }
    ~OptionsDialogTest() override
    {
        RemoveExceptionHandler();
        MRUs().SetMaxCount(savedMax);
        QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        if (savedWindir.isNull())
            qunsetenv("MORVELIN_WINDIR");
        else
            qputenv("MORVELIN_WINDIR", savedWindir);
    }
    std::shared_ptr<platform::IniFile> file(const QByteArray& text)
    {
        WriteAll(path, text);
        auto ini = platform::IniFile::open(path);
        ini->reload();
        return ini;
    }
};

// Every control set to something other than what the file holds.
void changeEverything(TfmOptions* form)
{
    Child<QLineEdit>(*form, "edPrivateQueryPath")->setText(QStringLiteral("/new/queries"));
    Child<QLineEdit>(*form, "edDMPath")->setText(QStringLiteral("/new/models"));
    Child<QSpinBox>(*form, "seMRUSize")->setValue(9);
    Child<QComboBox>(*form, "cbxLang")->setCurrentIndex(0);
    Child<QComboBox>(*form, "cbxWordLanguage")->setCurrentIndex(1);
    Child<QComboBox>(*form, "cbxWordVersion")->setCurrentIndex(2);
    Child<QComboBox>(*form, "cbxExcelLanguage")->setCurrentIndex(1);
    Child<QComboBox>(*form, "cbxExcelVersion")->setCurrentIndex(1);
}

const QByteArray kStored("[Options]\nShowTips=0\nPrivateQueryPath=/q\nDMPath=/dm\nLang=Français\n"
                         "[MSWord]\nLang=0\nVersion=1\n[MSExcel]\nLang=0\nVersion=0\n");

TEST_F(OptionsDialogTest, ShowsTheStoredSettingsOnTheGeneralPage)
{
    MRUs().SetMaxCount(7);
    TOptionSettings settings(file(kStored), MRUs());
    InstallWidgetTranslation();
    TfmOptions form(settings, nullptr);
    EXPECT_EQ(form.objectName(), QStringLiteral("fmOptions"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Options"));
    auto* tabs = Child<QTabWidget>(form, "pgctrl");
    auto* mruSize = Child<QSpinBox>(form, "seMRUSize");
    ASSERT_TRUE(tabs && mruSize);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("General options"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("MS-Word"));
    EXPECT_EQ(tabs->currentWidget(), Child<QWidget>(form, "tsGeneral"));
    EXPECT_EQ(Child<QLineEdit>(form, "edPrivateQueryPath")->text(), QStringLiteral("/q"));
    EXPECT_EQ(Child<QLineEdit>(form, "edDMPath")->text(), QStringLiteral("/dm"));
    EXPECT_EQ(mruSize->value(), 7);
    EXPECT_EQ(Child<QComboBox>(form, "cbxLang")->currentText(), QStringLiteral("Francais"));
    EXPECT_EQ(Child<QComboBox>(form, "cbxWordVersion")->currentText(), QStringLiteral("Word 7.0/95"));
    EXPECT_EQ(Child<QComboBox>(form, "cbxExcelVersion")->currentText(), QStringLiteral("Excel 5.0"));
    EXPECT_EQ(mruSize->minimum(), 0);
    EXPECT_EQ(mruSize->maximum(), 20);
}

TEST_F(OptionsDialogTest, OkStoresEveryControl)
{
    mx::ui::test::TScriptedModal modal;
    file(kStored);
    modal.AsFilled([](QDialog& dialog) {
        QWidget* w = &dialog;
        auto* form = qobject_cast<TfmOptions*>(w);
        ASSERT_TRUE(form);
        changeEverything(form);
        Child<QPushButton>(*form, "btOk")->click();
    });
    EXPECT_TRUE(ShowOptions());
    auto ini = platform::IniFile::open(path);
    ini->reload();
    EXPECT_EQ(MRUs().MaxCount(), 9);
    const QString o = TOptionSettings::kOptions;
    EXPECT_EQ(ini->readString(o, QStringLiteral("PrivateQueryPath")), QStringLiteral("/new/queries"));
    EXPECT_EQ(ini->readString(o, QStringLiteral("DMPath")), QStringLiteral("/new/models"));
    EXPECT_EQ(ini->readString(o, QStringLiteral("Lang")), QStringLiteral("Français"));
    EXPECT_EQ(ini->readString(o, QStringLiteral("MRUsize")), QStringLiteral("9"));
    EXPECT_EQ(ini->readString(o, QStringLiteral("ShowTips")), QStringLiteral("0"));
    EXPECT_EQ(ini->readString(TOptionSettings::kWord, QStringLiteral("Lang")), QStringLiteral("1"));
    EXPECT_EQ(ini->readString(TOptionSettings::kWord, QStringLiteral("Version")), QStringLiteral("2"));
    EXPECT_EQ(ini->readString(TOptionSettings::kExcel, QStringLiteral("Lang")), QStringLiteral("1"));
    EXPECT_EQ(ini->readString(TOptionSettings::kExcel, QStringLiteral("Version")), QStringLiteral("1"));
}

TEST_F(OptionsDialogTest, CancelLeavesTheFileByteForByte)
{
    mx::ui::test::TScriptedModal modal;
    // Also a file in Windows-1252 with CRLF line ends, as an older program
    // wrote it: nothing may be rewritten.
    for (const QByteArray& text : {kStored, QByteArray("[Options]\r\nLang=Fran\xe7" "ais\r\n; note\r\n")}) {
        file(text);
        MRUs().SetMaxCount(4);
        modal.AsFilled([](QDialog& dialog) {
            QWidget* w = &dialog;
            auto* form = qobject_cast<TfmOptions*>(w);
            ASSERT_TRUE(form);
            changeEverything(form);
            Child<QPushButton>(*form, "btCancel")->click();
        });
        EXPECT_FALSE(ShowOptions());
        EXPECT_EQ(ReadAll(path), text);
        EXPECT_EQ(MRUs().MaxCount(), 4);
    }
}

TEST_F(OptionsDialogTest, RefusedWriteKeepsTheDialogOpen)
{
    TOptionSettings settings(file(kStored), MRUs());
    QFile(path).setPermissions(QFile::ReadOwner);
    TfmOptions form(settings, nullptr);
    form.show();
    changeEverything(&form);
    Child<QPushButton>(form, "btOk")->click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), 0);
    EXPECT_EQ(ui.service.count(QStringLiteral("warning")) + ui.service.count(QStringLiteral("exception"))
            + ui.service.count(QStringLiteral("error window")),
        1);
    EXPECT_EQ(Child<QLineEdit>(form, "edDMPath")->text(), QStringLiteral("/new/models"));
    EXPECT_EQ(ReadAll(path), kStored);
}

TEST_F(OptionsDialogTest, OfficePagesOnlyWithTheirDestinationTypes)
{
    TOptionSettings settings(file(""), MRUs());
    const struct {
        QStringList types;
        bool word, excel;
    } cases[] = {
        {{}, false, false},
        {{"Texte", "Rapport"}, false, false},
        {{"Texte", "Word"}, true, false},
        {{"Excel"}, false, true},
        {{"Excel", "Word"}, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.types.join(u',').toStdString());
        auto* types = new TDestinationList(nullptr);
        for (const QString& name : c.types)
            types->AddNew()->SetName(name);
        TfmOptions form(settings, types);
        types->Free();
        const QTabWidget* tabs = Child<QTabWidget>(form, "pgctrl");
        ASSERT_TRUE(tabs);
        EXPECT_TRUE(tabs->isTabVisible(tabs->indexOf(Child<QWidget>(form, "tsGeneral"))));
        EXPECT_TRUE(tabs->isTabVisible(tabs->indexOf(Child<QWidget>(form, "tsLang"))));
        EXPECT_EQ(tabs->isTabVisible(tabs->indexOf(Child<QWidget>(form, "tsWord"))), c.word);
        EXPECT_EQ(tabs->isTabVisible(tabs->indexOf(Child<QWidget>(form, "tsExcel"))), c.excel);
        EXPECT_EQ(tabs->currentWidget(), Child<QWidget>(form, "tsGeneral"));
    }
}

TEST_F(OptionsDialogTest, BrowseStartsAtTheEditAndCancelKeepsIt)
{
    TOptionSettings settings(file(kStored), MRUs());
    TfmOptions form(settings, nullptr);
    ui.service.directoryAnswers = {QStringLiteral("/chosen/queries"), QString()};
    Child<QPushButton>(form, "btPrivateQueryPath")->click();
    Child<QPushButton>(form, "btDMPath")->click();
    ASSERT_EQ(ui.service.requests.size(), 2);
    EXPECT_EQ(ui.service.requests[0].file.directory, QStringLiteral("/q"));
    EXPECT_EQ(ui.service.requests[1].file.directory, QStringLiteral("/dm"));
    EXPECT_EQ(ui.service.requests[0].text, QStringLiteral("Répertoire des requêtes privées :"));
    EXPECT_EQ(Child<QLineEdit>(form, "edPrivateQueryPath")->text(), QStringLiteral("/chosen/queries"));
    EXPECT_EQ(Child<QLineEdit>(form, "edDMPath")->text(), QStringLiteral("/dm"));

    Child<QPushButton>(form, "btHelp")->click();
    EXPECT_EQ(ui.service.texts(QStringLiteral("help")).size(), 1);
    EXPECT_TRUE(ui.service.texts(QStringLiteral("help")).value(0).endsWith(QStringLiteral("#3")));
}

} // namespace
