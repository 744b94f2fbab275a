// The guarded slots and the scripted service every window test uses.

#include "ui/services/guarded.h"
#include "ui/services/savedialog.h"
#include "tests/support/ui/scriptedservice.h"

#include "engine/core/exceptions.h"
#include "engine/errors/errorhandler.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include <gtest/gtest.h>

namespace mx::ui {
namespace {

int argc = 1;
char arg0[] = "test";
char* argv[] = {arg0, nullptr};

QApplication& app()
{
    static QApplication* a = qApp ? qApp : new QApplication(argc, argv);
    return *a;
}

struct HandlerInstalled {
    HandlerInstalled() { InstallExceptionHandler(); }
    ~HandlerInstalled() { RemoveExceptionHandler(); }
};

TEST(GuardedSlots, WhatASlotRaisesReachesTheHandlerAndTheLoopGoesOn)
{
    app();
    test::ScopedScriptedUi ui;
    HandlerInstalled handler;
    QPushButton button;
    int after = 0;
    Connect(&button, &QPushButton::clicked, &button, [] { throw EMxException(QStringLiteral("Le champ manque")); });
    Connect(&button, &QPushButton::clicked, &button, [&](bool) { ++after; });
    button.click();
    // An engine exception is a warning box; the second slot still ran.
    ASSERT_EQ(ui.service.count(QStringLiteral("message")), 1);
    EXPECT_EQ(ui.service.requests[0].text, QStringLiteral("Le champ manque"));
    EXPECT_EQ(ui.service.requests[0].type, TMsgDlgType::mtWarning);
    EXPECT_EQ(after, 1);

    // Another exception opens the error window; a silent abort shows nothing.
    QTimer timer;
    Connect(&timer, &QTimer::timeout, &timer, [] { throw std::runtime_error("boom"); });
    timer.setSingleShot(true);
    timer.start(0);
    QTimer abortTimer;
    Connect(&abortTimer, &QTimer::timeout, &abortTimer, [] { throw EAbort(QString()); });
    abortTimer.setSingleShot(true);
    abortTimer.start(0);
    QTimer::singleShot(20, &app(), [] { QCoreApplication::exit(7); });
    EXPECT_EQ(app().exec(), 7);
    EXPECT_EQ(ui.service.count(QStringLiteral("error window")), 1);
    EXPECT_TRUE(ui.service.texts(QStringLiteral("error window")).value(0).contains(QStringLiteral("boom")));
    EXPECT_EQ(ui.service.requests.size(), 2);
}

TEST(ScriptedService, AnswersInOrderThenTheSafeChoice)
{
    app();
    test::ScopedScriptedUi ui;
    ui.service.messageAnswers = {mrYes};
    ui.service.fileAnswers = {{QStringLiteral("/tmp/a.MQR")}};
    EXPECT_EQ(UiService().MessageDlg(QStringLiteral("Enregistrer ?"), TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel), mrYes);
    EXPECT_EQ(UiService().MessageDlg(QStringLiteral("Encore ?"), TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel), mrCancel);
    TFileRequest r;
    r.caption = QStringLiteral("Ouvrir");
    EXPECT_EQ(UiService().OpenFileName(nullptr, r), QStringLiteral("/tmp/a.MQR"));
    EXPECT_EQ(UiService().OpenFileName(nullptr, r), QString());
    QFont f;
    EXPECT_FALSE(UiService().PickFont(nullptr, f));
    EXPECT_EQ(ui.service.texts(QStringLiteral("open")), QStringList({QStringLiteral("Ouvrir"), QStringLiteral("Ouvrir")}));
}

TEST(ScriptedService, WithoutAnInstalledServiceNothingIsAsked)
{
    app();
    TFileRequest r;
    EXPECT_EQ(UiService().SaveFileName(nullptr, r), QString());
    EXPECT_EQ(UiService().BrowseDirectory(nullptr, QStringLiteral("Dossier"), QString()), QString());
}

// A name typed without extension in a save dialog gets the extension of
// the file type chosen, and the caller learns which type it was.
TEST(SaveDialog, TheTypeChosenGivesItsExtensionToANameWithoutOne)
{
    app();
    QTemporaryDir dir;
    TFileRequest r;
    r.caption = QStringLiteral("Enregistrer le rapport");
    r.directory = dir.path();
    r.filters = {QStringLiteral("Document PDF (*.PDF *.pdf)"), QStringLiteral("HTML document (*.HTM *.htm)"),
        QStringLiteral("CSV comma separated (*.CSV *.csv)")};
    r.defaultSuffix = QStringLiteral("PDF");
    std::unique_ptr<QFileDialog> dlg(CreateTypedSaveDialog(r));
    EXPECT_EQ(dlg->defaultSuffix(), QStringLiteral("PDF"));
    EXPECT_EQ(ChosenFilterIndex(*dlg), 0);
    auto* types = dlg->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(types && name);
    dlg->show();
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(ChosenFilterIndex(*dlg), 1);
    EXPECT_EQ(dlg->defaultSuffix(), QStringLiteral("HTM"));
    name->setText(QStringLiteral("rapport"));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->selectedFiles(), QStringList{QDir(dir.path()).filePath(QStringLiteral("rapport.HTM"))});

    struct Case {
        const char* filter;
        const char* ext;
    };
    for (const Case c : {Case{"Document PDF (*.PDF *.pdf)", "PDF"}, Case{"Tout (*)", ""}, Case{"Texte", ""}})
        EXPECT_EQ(FilterExtension(QString::fromUtf8(c.filter)), QString::fromUtf8(c.ext)) << c.filter;
}

} // namespace
} // namespace mx::ui
