// One language per session: a user who chose nothing sees French
// everywhere, one who chose English sees Qt's texts, the answers of the
// program's questions, the Options' language and the tips in English.

#include "tests/ui/uitest.h"

#include "ui/controls/brntips.h"
#include "ui/options/fmoptions.h"
#include "ui/langwidgets/langwidgets.h"
#include "ui/dialogs/rundoc.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/screentexts.h"
#include "tests/support/ui/scriptedmodal.h"
#include "ui/services/historydialog.h"
#include "ui/options/optionsettings.h"
#include "ui/errorwindow/uiservice.h"
#include "tests/support/testsupport.h"

#include "engine/core/systemerror.h"
#include "engine/core/translate.h"
#include "engine/settings/global.h"
#include "engine/settings/mru.h"
#include "engine/settings/sessionlanguage.h"

#include "platform/core/inifile.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cerrno>
#include <memory>

using namespace mx;
using namespace mx::ui;
using mx::ui::test::Child;

namespace {

struct LanguageTest : ::testing::Test {
    QTemporaryDir dir;
    QByteArray savedWindir = qgetenv("MORVELIN_WINDIR");

    LanguageTest() { qputenv("MORVELIN_WINDIR", dir.path().toLocal8Bit()); }
    ~LanguageTest() override
    {
        FreeAppGlobal();
        if (savedWindir.isNull())
            qunsetenv("MORVELIN_WINDIR");
        else
            qputenv("MORVELIN_WINDIR", savedWindir);
    }
    QString tipsFile()
    {
        const QString copy = dir.filePath(QStringLiteral("tips.ini"));
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(QStringLiteral(MX_INSTALLATION_INI), copy));
        return copy;
    }
};

QString buttonText(const QMessageBox& box, QMessageBox::StandardButton b)
{
    const QAbstractButton* button = box.button(b);
    return button ? button->text() : QStringLiteral("(none)");
}

QString labelText(const QWidget& w, const char* name)
{
    const auto* label = w.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("(none)");
}

TEST_F(LanguageTest, EveryPartOfTheSessionSpeaksItsLanguage)
{
    struct Case {
        const char* what;
        QByteArray settings;
        const char* langCode;
        QStringList buttons; // Yes, No, Cancel
        QString lookIn, fileName;
        QString optionsLanguage;
        QString tipStart;
        QString pageTitle, fileMissing;
        QString noSuchFile;
        QString browse, cancelFound;
    };
    const std::vector<Case> cases = {
        {"a new user", "", "Fr", {QStringLiteral("&Oui"), QStringLiteral("&Non"), QStringLiteral("Annuler")},
            QStringLiteral("Voir dans :"), QStringLiteral("&Nom de fichier :"), QStringLiteral("Francais"),
            QStringLiteral("Pour construire une requête"), QStringLiteral("Options générales"), QStringLiteral("Fichier manquant"),
            QStringLiteral("Fichier ou dossier introuvable"), QStringLiteral("Parcourir..."), QStringLiteral("&Annuler")},
        {"an empty choice", "[Options]\nLang=\n", "Fr", {QStringLiteral("&Oui"), QStringLiteral("&Non"), QStringLiteral("Annuler")},
            QStringLiteral("Voir dans :"), QStringLiteral("&Nom de fichier :"), QStringLiteral("Francais"),
            QStringLiteral("Pour construire une requête"), QStringLiteral("Options générales"), QStringLiteral("Fichier manquant"),
            QStringLiteral("Fichier ou dossier introuvable"), QStringLiteral("Parcourir..."), QStringLiteral("&Annuler")},
        {"French with its accent", "[Options]\nLang=Français\n", "Fr",
            {QStringLiteral("&Oui"), QStringLiteral("&Non"), QStringLiteral("Annuler")}, QStringLiteral("Voir dans :"),
            QStringLiteral("&Nom de fichier :"), QStringLiteral("Francais"), QStringLiteral("Pour construire une requête"),
            QStringLiteral("Options générales"), QStringLiteral("Fichier manquant"), QStringLiteral("Fichier ou dossier introuvable"),
            QStringLiteral("Parcourir..."), QStringLiteral("&Annuler")},
        {"English", "[Options]\nLang=English\n", "En", {QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("Cancel")},
            QStringLiteral("Look in:"), QStringLiteral("File &name:"), QStringLiteral("English"), QStringLiteral("To build a query"),
            QStringLiteral("General options"), QStringLiteral("File Missing"), QStringLiteral("No such file or directory"),
            QStringLiteral("Browse..."), QStringLiteral("&Cancel")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mxtest::WriteAll(dir.filePath(QStringLiteral("MORVELIN.INI")), c.settings);
        TGlobal& g = CreateAppGlobal();
        EXPECT_EQ(g.LangCode(), QString::fromLatin1(c.langCode));

        const std::unique_ptr<QMessageBox> box = CreateMessageBox(QStringLiteral("?"), TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel, nullptr);
        EXPECT_EQ((QStringList{buttonText(*box, QMessageBox::Yes), buttonText(*box, QMessageBox::No), buttonText(*box, QMessageBox::Cancel)}),
            c.buttons);

        const std::unique_ptr<QFileDialog> files(CreateHistoryOpenDialog(TFileRequest{}));
        EXPECT_EQ(labelText(*files, "lookInLabel"), c.lookIn);
        EXPECT_EQ(labelText(*files, "fileNameLabel"), c.fileName);

        TOptionSettings options(platform::IniFile::open(g.IniFileName()), MRUs());
        EXPECT_EQ(TOptionSettings::LanguageEntries().value(options.Read().lang), c.optionsLanguage);

        TBrnTips tips;
        tips.IniFileName = tipsFile();
        tips.IndexFileName = dir.filePath(QStringLiteral("index.ini"));
        QFile::remove(tips.IndexFileName);
        tips.SectionName = TipsSectionName(g, QStringLiteral("designer"));
        EXPECT_TRUE(tips.NextTip().startsWith(c.tipStart)) << tips.SectionName.toStdString();

        // The forms translated as they load: the Options' pages and the
        // missing-file dialog, each with its mnemonics once.
        InstallWidgetTranslation();
        {
            TfmOptions form(options, nullptr);
            form.show();
            EXPECT_EQ(Child<QTabWidget>(form, "pgctrl")->tabText(0), c.pageTitle);
            EXPECT_EQ(Child<QPushButton>(form, "btPrivateQueryPath")->text(), c.browse);
            EXPECT_TRUE(mxtest::MnemonicClashes(&form).isEmpty()) << mxtest::MnemonicClashes(&form).join(u'\n').toStdString();
        }
        {
            TfmRunDoc runDoc;
            runDoc.show();
            EXPECT_EQ(runDoc.windowTitle(), c.fileMissing);
            EXPECT_EQ(test::Child<QPushButton>(runDoc, "btCancel")->text(), c.cancelFound);
            EXPECT_TRUE(mxtest::MnemonicClashes(&runDoc).isEmpty()) << mxtest::MnemonicClashes(&runDoc).join(u'\n').toStdString();
        }

        // The program's English words and the system's reasons.
        EXPECT_EQ(Translate("General options"), c.pageTitle);
        EXPECT_EQ(Translate("File Missing"), c.fileMissing);
        EXPECT_EQ(ErrnoReason(ENOENT), c.noSuchFile);
        QFile gone(dir.filePath(QStringLiteral("gone.MDD")));
        EXPECT_FALSE(gone.open(QIODevice::ReadOnly));
        EXPECT_EQ(FileErrorReason(gone), c.noSuchFile);
        FreeAppGlobal();
    }
}

} // namespace
