// The tips window and its rotation; the picture list box's geometry.

#include "controlstest.h"

#include "ui/controls/brntips.h"
#include "ui/controls/picturelistbox.h"
#include "ui/controls/pictures.h"
#include "tests/support/ui/scriptedmodal.h"

#include "platform/core/inifile.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>

using namespace mx;
using namespace mx::ui;
using namespace mxtest;

namespace {

// The tips in an installation file that nobody may write, the rotation in
// the user's settings file of a scratch settings folder.
struct TipsFixture : ControlsTest {
    QTemporaryDir dir;
    QByteArray savedWindir = qgetenv("MORVELIN_WINDIR");
    QString install;
    QString user;
    TBrnTips tips;

    TipsFixture()
    {
        qputenv("MORVELIN_WINDIR", dir.filePath(QStringLiteral("win")).toLocal8Bit());
        install = dir.filePath(QStringLiteral("MORVELIN.INI"));
        user = dir.filePath(QStringLiteral("win/MORVELIN.INI"));
        tips.IniFileName = install;
        tips.SectionName = QStringLiteral("Tips.designer.Francais");
    }
    ~TipsFixture() override
    {
        QFile(install).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        if (savedWindir.isNull())
            qunsetenv("MORVELIN_WINDIR");
        else
            qputenv("MORVELIN_WINDIR", savedWindir);
    }
    void writeInstall(const QByteArray& text)
    {
        WriteAll(install, text);
        platform::IniFile::open(install)->reload();
        QFile(install).setPermissions(QFile::ReadOwner);
    }
    int userIndex() const
    {
        auto ini = platform::IniFile::open(user);
        ini->reload();
        return ini->readInteger(tips.SectionName, QStringLiteral("Index"), -1);
    }
};

TEST_F(TipsFixture, RotationTable)
{
    const struct {
        const char* name;
        const char* section;  // the installation's section body
        const char* userText; // the user's file before, or none
        QStringList shown;    // tips of successive calls
        int index;            // Index in the user's file after them
    } cases[] = {
        {"Index past the last wraps to the first", "0=zéro\n1=un\n2=deux\nIndex=3\n", nullptr, {"zéro", "un"}, 2},
        {"rotation goes round", "0=zéro\n1=un\n2=deux\n", nullptr, {"zéro", "un", "deux", "zéro"}, 1},
        {"an empty section shows an empty tip", "", nullptr, {"", ""}, 1},
        {"| is a line break", "0=a|b||c\n", nullptr, {"a\nb\n\nc"}, 1},
        {"the user's Index wins over the installation's", "0=zéro\n1=un\nIndex=0\n", "[Tips.designer.Francais]\nIndex=1\n", {"un", "zéro"}, 1},
        {"a broken Index starts over", "0=zéro\n1=un\n", "[Tips.designer.Francais]\nIndex=-7\n", {"zéro"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(user);
        if (c.userText)
            WriteAll(user, c.userText);
        platform::IniFile::open(user)->reload();
        QFile(install).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        writeInstall(QByteArray("[Other]\n0=not this one\n[Tips.designer.Francais]\n") + c.section);
        const QByteArray before = ReadAll(install);
        TBrnTips t;
        t.IniFileName = install;
        t.SectionName = tips.SectionName;
        QStringList shown;
        for (int i = 0; i < c.shown.size(); ++i)
            shown << t.NextTip();
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(userIndex(), c.index);
        // The installation's file is only read.
        EXPECT_EQ(ReadAll(install), before);
    }
}

TEST_F(TipsFixture, WindowShowsTipsAndTheStartSwitch)
{
    writeInstall("[Tips.designer.Francais]\n0=Premier conseil\n1=Second|conseil\n");
    tips.Title = QStringLiteral("Le saviez-vous ?");
    tips.Options = TBrnTips::toAutoPopup | TBrnTips::toCanChangeAutoPopup;
    std::unique_ptr<TBrnTipsForm> form(tips.CreateForm());
    EXPECT_EQ(form->objectName(), QStringLiteral("fmBrnTips"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Astuce du jour"));
    auto* laTip = test::Child<QLabel>(*form, "laTip");
    auto* cbStartTip = test::Child<QCheckBox>(*form, "cbStartTip");
    auto* btNextTip = test::Child<QPushButton>(*form, "btNextTip");
    ASSERT_TRUE(laTip && cbStartTip && btNextTip);
    EXPECT_EQ(test::Child<QLabel>(*form, "laTitle")->text(), tips.Title);
    EXPECT_EQ(laTip->text(), QStringLiteral("Premier conseil"));
    EXPECT_TRUE(laTip->wordWrap());
    EXPECT_FALSE(cbStartTip->isHidden());
    EXPECT_FALSE(cbStartTip->isChecked());
    EXPECT_TRUE(test::Child<QPushButton>(*form, "btOk")->isDefault());
    btNextTip->click();
    EXPECT_EQ(laTip->text(), QStringLiteral("Second\nconseil"));
    btNextTip->click();
    EXPECT_EQ(laTip->text(), QStringLiteral("Premier conseil"));
    cbStartTip->click();
    EXPECT_FALSE(tips.Options.testFlag(TBrnTips::toAutoPopup));
    cbStartTip->click();
    EXPECT_TRUE(tips.Options.testFlag(TBrnTips::toAutoPopup));

    // Not at start: the box comes ticked; without the right to change it,
    // it is not shown.
    tips.Options = TBrnTips::toCanChangeAutoPopup;
    form.reset(tips.CreateForm());
    EXPECT_TRUE(test::Child<QCheckBox>(*form, "cbStartTip")->isChecked());
    tips.Options = {};
    form.reset(tips.CreateForm());
    EXPECT_TRUE(test::Child<QCheckBox>(*form, "cbStartTip")->isHidden());
}

TEST_F(TipsFixture, ShownModallyAtLoad)
{
    mx::ui::test::TScriptedModal modal;
    writeInstall("[Tips.designer.Francais]\n0=Premier conseil\n");
    QString seen;
    modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        seen = w->objectName() + u':' + w->findChild<QLabel*>(QStringLiteral("laTip"))->text();
        w->findChild<QCheckBox*>(QStringLiteral("cbStartTip"))->click();
        w->findChild<QPushButton*>(QStringLiteral("btOk"))->click();
    });
    tips.Loaded();
    EXPECT_EQ(seen, QStringLiteral("fmBrnTips:Premier conseil"));
    EXPECT_FALSE(tips.Options.testFlag(TBrnTips::toAutoPopup));
    // Without toAutoPopup, loading shows nothing; an empty file name
    // becomes the program's own file in the user's settings folder.
    TBrnTips quiet;
    quiet.Options = {};
    quiet.Loaded();
    EXPECT_TRUE(quiet.IniFileName.startsWith(dir.filePath(QStringLiteral("win/"))));
    EXPECT_TRUE(quiet.IniFileName.endsWith(QStringLiteral(".ini")));
}

TEST(PictureList, LayoutTable)
{
    const QRect r(10, 20, 200, 18);
    const struct {
        const char* name;
        QSize picture;
        int offset;
        bool stretch;
        QRect expectPicture;
        QPoint expectText;
    } cases[] = {
        {"plain, offset 2", {16, 16}, 2, false, {12, 21, 16, 16}, {10 + 16 + 2, 20}},
        {"plain, offset 20: the picture moves, the text does not", {16, 16}, 20, false, {30, 21, 16, 16}, {28, 20}},
        {"plain, a picture taller than the line is cut, centred", {8, 24}, 2, false, {12, 17, 8, 24}, {20, 20}},
        {"stretched into the line's square", {16, 16}, 2, true, {12, 20, 18, 18}, {10 + 2 + 18 + 2, 20}},
        {"stretched, offset 20", {32, 8}, 20, true, {30, 20, 18, 18}, {10 + 20 + 18 + 2, 20}},
        {"no picture", {0, 0}, 2, false, {12, 29, 0, 0}, {12, 20}},
    };
    for (const auto& c : cases) {
        const TPictureItemLayout l = PictureItemLayout(r, c.picture, r.height(), c.offset, c.stretch);
        EXPECT_EQ(l.picture, c.expectPicture) << c.name;
        EXPECT_EQ(l.text, c.expectText) << c.name;
    }
}

TEST(PictureList, DrawsThePictureWhereTheLayoutSays)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const auto leftmostRed = [](const QImage& img) {
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if (img.pixelColor(x, y) == QColor(Qt::red))
                    return x;
        return -1;
    };
    for (int offset : {2, 20}) {
        QImage img(120, 18, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        DrawPictureItem(p, img.rect(), red, 18, offset, false, QString());
        p.end();
        EXPECT_EQ(leftmostRed(img), offset);
    }

    // The list box asks OnDrawPicture for each line.
    TPictureListBox list;
    list.resize(200, 100);
    list.SetPicture(Picture(TPicture::Field));
    list.addItems({QStringLiteral("Nom"), QStringLiteral("Ville")});
    int asked = 0;
    list.OnDrawPicture = [&](TPictureListBox&, int index, int& offset, QPixmap& graphic, QString& text) {
        ++asked;
        if (index == 1) {
            offset = 20;
            graphic = red;
            text = QStringLiteral("Ville (modifiée)");
        }
    };
    EXPECT_EQ(list.LineOf(1).text, QStringLiteral("Ville (modifiée)"));
    EXPECT_EQ(list.LineOf(1).offset, 20);
    EXPECT_EQ(list.LineOf(0).graphic.cacheKey(), Picture(TPicture::Field).cacheKey());
    asked = 0;
    list.show();
    const QImage shot = list.grab().toImage();
    EXPECT_GE(asked, 2);
    EXPECT_EQ(list.visualItemRect(list.item(1)).height(), list.ItemHeight());
    // The red picture of line 1 begins 20 pixels into its line (the text,
    // which the offset does not move, is drawn over it).
    const QRect line = list.visualItemRect(list.item(1)).translated(list.viewport()->pos());
    EXPECT_EQ(leftmostRed(shot.copy(line)), 20);
}

} // namespace
