// What the designer window shows: one language, mnemonics that no two of
// its controls share, no "&" drawn as such, tool-bar pictures that mean
// their commands, and an SQL pane whose whole statement can be reached.

#include "designerfixture.h"

#include "query/designer/designerlogic.h"
#include "query/designer/toolpictures.h"
#include "tests/support/ui/screentexts.h"
#include "engine/settings/global.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>

using namespace mx;
using mx::ui::test::Child;
using mxtest::SampleFile;

namespace {

class DesignerTexts : public mxtest::DesignerTest {};

TEST_F(DesignerTexts, OneLanguageAndUniqueMnemonicsInTheWholeWindow)
{
    auto* w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr) << ui.service.texts(QStringLiteral("message")).join(u'\n').toStdString();
    mxtest::AddFirstFields(w, 2);
    w->resize(900, 600);
    w->show();
    Settle();
    ASSERT_EQ(AppGlobal()->LangCode(), QStringLiteral("Fr")) << "a user who chose no language";
    EXPECT_TRUE(mxtest::MnemonicClashes(w).isEmpty()) << mxtest::MnemonicClashes(w).join(u'\n').toStdString();
    EXPECT_TRUE(mxtest::LiteralAmpersands(w).isEmpty()) << mxtest::LiteralAmpersands(w).join(u'\n').toStdString();
    // The words kept in English from the original forms are French here.
    const struct {
        const char* action;
        const char* text;
    } french[] = {
        {"miStepDest", "Résu&ltats/Options..."},
        {"miMainHelp", "S&ommaire..."},
        {"miUserManual", "Ma&nuel de l'utilisateur"},
        {"miJumptoMV", "Site de &Morvelin"},
    };
    for (const auto& f : french)
        EXPECT_EQ(Child<QAction>(*w, f.action)->text(), QString::fromUtf8(f.text)) << f.action;
}

TEST_F(DesignerTexts, ToolBarPicturesAreDistinctAndNoneIsAStockPictureOfAnotherCommand)
{
    auto* w = TfmQueryDesigner::CreateFromFile(QString());
    const QImage stock[] = {
        w->style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(16).toImage(),
        w->style()->standardIcon(QStyle::SP_FileDialogInfoView).pixmap(16).toImage(),
        w->style()->standardIcon(QStyle::SP_ArrowDown).pixmap(16).toImage(),
    };
    QList<QImage> seen;
    QStringList themeNames;
    for (int i = 0; i < kToolButtonCount; ++i) {
        SCOPED_TRACE(kToolButtons[i]);
        const QToolButton* b = mxtest::DesignerButton(w, kToolButtons[i]);
        ASSERT_FALSE(b->icon().isNull());
        const QImage picture = b->icon().pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (const QImage& s : stock)
            EXPECT_NE(picture, s.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        for (const QImage& other : seen)
            EXPECT_NE(picture, other);
        seen << picture;
        themeNames << QString::fromLatin1(ToolButtonThemeName(i));
    }
    themeNames.removeDuplicates();
    EXPECT_EQ(themeNames.size(), kToolButtonCount);
}

TEST_F(DesignerTexts, TheWholeStatementIsReachableAtEveryHeightOfTheSqlPane)
{
    auto* w = TfmQueryDesigner::CreateOnModel(SampleFile(QStringLiteral("EXEMPLE.MDD")));
    ASSERT_NE(w->GetQuery(), nullptr);
    mxtest::AddFirstFields(w, 4);
    w->resize(700, 600);
    w->show();
    Settle();
    QPlainTextEdit* sql = Child<QPlainTextEdit>(*w, "moSQL");
    ASSERT_NE(sql, nullptr);
    ASSERT_TRUE(sql->toPlainText().contains(u"SELECT"));
    for (int lines : {1, 3}) {
        SCOPED_TRACE(lines);
        sql->resize(150, sql->fontMetrics().lineSpacing() * lines + 2 * sql->frameWidth() + 4);
        Settle();
        EXPECT_EQ(sql->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        EXPECT_NE(sql->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        // Wrapped, the statement is taller than the pane: it scrolls.
        EXPECT_GT(sql->verticalScrollBar()->maximum(), 0);
        // Scrolled to its end, the statement's last character is in view.
        sql->verticalScrollBar()->setValue(sql->verticalScrollBar()->maximum());
        QTextCursor end(sql->document());
        end.movePosition(QTextCursor::End);
        EXPECT_TRUE(sql->viewport()->rect().contains(sql->cursorRect(end).center()));
    }
}

} // namespace
