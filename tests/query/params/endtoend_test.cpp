// A parameter dialog designed over the sample's date-range query, streamed
// into the query, answered through the prompter, and the answers found in
// the step's statement and in the rows a run on the sample database gives;
// the built program refusing the same query when nobody can answer.

#include "paramfixture.h"

#include "query/params/dialogbuilder.h"
#include "query/params/paramdialogs.h"
#include "query/params/parameditor.h"
#include "query/params/paramprop.h"

#include "ui/controls/picturelistbox.h"

#include "engine/core/exceptions.h"
#include "engine/core/itemptr.h"
#include "engine/driver/dataset.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/run/queryrun.h"
#include "engine/tools/hooks.h"

#include "tests/support/samplefiles.h"
#include "tests/support/testsupport.h"

#include <QDate>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace mx;
using namespace paramtest;

namespace {

using QueryPtr = TItemPtr<TMxQuery>;

class SampleParams : public mxtest::SampleEngineTest {
protected:
    static QueryPtr Load(const QString& file)
    {
        QueryPtr q(new TMxQuery(nullptr));
        q->LoadFromFile(file);
        return q;
    }

    // Answers the next prompter with these texts in its edits, in order.
    static void Answer(const QStringList& texts, bool ok)
    {
        Modal().AsFilled([=](QDialog& dialog) {
            QWidget* w = &dialog;
            auto* builder = w->findChild<TDialogBuilder*>(QStringLiteral("DialogBuilder"));
            ASSERT_NE(builder, nullptr);
            int i = 0;
            for (TVParamControl* s : builder->Shapes())
                if (auto* edit = dynamic_cast<QLineEdit*>(s->Control()))
                    edit->setText(texts.value(i++));
            w->findChild<QPushButton*>(ok ? QStringLiteral("btOk") : QStringLiteral("btCancel"))->click();
        });
    }

    ScopedHook<decltype(ParamsPrompterHook)> m_prompter{ParamsPrompterHook, PromptParams};
};

} // namespace

TEST_F(SampleParams, ADesignedDialogsAnswersReachTheStatementAndTheRows)
{
    // The dialog is designed again over the sample query's parameters: a
    // title, the two dates under it.
    const QString file = Path(QStringLiteral("PERIODE.MQR"));
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("COMMANDES_PERIODE.MQR")), file));
    ASSERT_TRUE(QFile::copy(mxtest::SampleFile(QStringLiteral("EXEMPLE.MDD")), Path(QStringLiteral("EXEMPLE.MDD"))));
    {
        QueryPtr q = Load(file);
        ASSERT_EQ(q->Params()->Count(), 2);
        TDialogBuilder builder;
        builder.SetDesigning(true);
        builder.resize(330, 150);
        builder.Params = q->Params();
        TVParamControl* title = builder.AddControlAt(10, 5, ckLabel);
        title->ParamControl()->SetCaption(QStringLiteral("Période des commandes"));
        for (int i = 0; i < 2; ++i) {
            TVParamControl* s = builder.AddControlAt(100, 40 + 40 * i, ckEdit, q->Params()->Items(i));
            s->ParamControl()->SetCaption(q->Params()->Items(i)->Name());
        }
        EXPECT_TRUE(builder.CheckControls());
        builder.StoreDesignSize();
        q->ParamControls()->Assign(builder.ParamControls());
        builder.Params = nullptr;
        q->SaveToFile(file);
    }

    QueryPtr q = Load(file);
    ASSERT_EQ(q->ParamControls()->Count(), 3);
    EXPECT_EQ(q->ParamControls()->DesignW(), 330);
    EXPECT_EQ(q->ParamControls()->Items(2)->ParamName(), QStringLiteral("Fin"));
    Answer({QStringLiteral("01/02/2023"), QStringLiteral("28/02/2023")}, true);
    ASSERT_TRUE(PromptQueryParams(*q));
    EXPECT_EQ(q->ParamControls()->FindByParamName(QStringLiteral("Début"))->LoadedValues()->toStringList(),
        QStringList{QStringLiteral("01/02/2023")});

    q->Prepare(false);
    TMxQueryStep* step = q->Steps()->Items(0);
    const QString sql = step->SQL()->Text();
    EXPECT_TRUE(sql.contains(QStringLiteral("2023-02-01"))) << sql.toStdString();
    EXPECT_TRUE(sql.contains(QStringLiteral("2023-02-28"))) << sql.toStdString();

    ASSERT_EQ(ExecuteStepPhase(*step, soNone), srDone);
    TIMxDataset* rows = step->Dataset();
    ASSERT_NE(rows, nullptr);
    int count = 0;
    for (rows->First(); !rows->Eof(); rows->Next()) {
        const QDate date = QDate::fromString(rows->GetFieldValue(0).left(10), QStringLiteral("dd/MM/yyyy"));
        EXPECT_TRUE(date >= QDate(2023, 2, 1) && date <= QDate(2023, 2, 28)) << rows->GetFieldValue(0).toStdString();
        ++count;
    }
    EXPECT_GT(count, 0);
    const QList<QStringList> expected = mxtest::SqliteRows(mxtest::SampleFile(QStringLiteral("MORVELIN.DB")),
        QStringLiteral("SELECT COUNT(*) FROM COMMANDES WHERE DATE_COMMANDE BETWEEN '2023-02-01' AND '2023-02-28'"));
    ASSERT_EQ(expected.size(), 1);
    EXPECT_EQ(count, expected[0][0].toInt());
    step->FreeDataset();
}

TEST_F(SampleParams, CancellingThePrompterAbortsTheRunBeforeItReadsAnything)
{
    QueryPtr q = Load(mxtest::SampleFile(QStringLiteral("COMMANDES_PERIODE.MQR")));
    Answer({QStringLiteral("01/02/2023"), QStringLiteral("28/02/2023")}, false);
    try {
        ExecuteQuery(q.get());
        ADD_FAILURE() << "the run went on";
    } catch (const EMxAbort& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Abandon par l'utilisateur"));
    }
    EXPECT_EQ(q->Steps()->Items(0)->Dataset(), nullptr);
    EXPECT_EQ(q->ParamControls()->Items(0)->LoadedValues()->toStringList(), QStringList{QStringLiteral("01/02/2023")})
        << "the answers shown are kept all the same";
}

TEST_F(SampleParams, CancelInTheEditorLeavesTheSavedQueryByteIdentical)
{
    ScopedHook type(ParamTypeEditorHook, EditParamType);
    ScopedHook properties(ParamControlEditorHook, EditParamControl);
    QueryPtr q = Load(mxtest::SampleFile(QStringLiteral("COMMANDES_PERIODE.MQR")));
    const QByteArray before = q->SaveToBytes();
    for (bool confirm : {false, true}) {
        SCOPED_TRACE(confirm);
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            ASSERT_NE(dynamic_cast<TfmParamEditor*>(w), nullptr);
            auto* plbParams = mx::ui::test::Child<ui::TPictureListView>(dialog, "plbParams");
            auto* builder = mx::ui::test::Child<TDialogBuilder>(dialog, "DialogBuilder");
            // a parameter deleted and one made, a control moved, one deleted
            plbParams->setCurrentIndex(plbParams->model()->index(1, 0));
            mx::ui::test::Child<QPushButton>(dialog, "btDelete")->click();
            Modal().AsFilled([](QDialog& typeDialog) {
                QWidget* t = &typeDialog;
                t->findChild<QLineEdit*>(QStringLiteral("edParamName"))->setText(QStringLiteral("Au"));
                t->findChild<QPushButton*>(QStringLiteral("btOk"))->click();
            });
            mx::ui::test::Child<QPushButton>(dialog, "btNew")->click();
            TVParamControl* first = builder->Shapes()[0];
            Press(first, QPoint(60, 16));
            MoveTo(first, QPoint(20, 40));
            Release(first, QPoint(20, 40));
            builder->SelectControl(builder->Shapes()[1]);
            builder->DeleteSelected();
            mx::ui::test::Child<QPushButton>(dialog, confirm ? "btOk" : "btCancel")->click();
        });
        ParamsEditorHook.set(EditParams);
        ParamsEditorHook(QStringLiteral("Commandes"), q->DataModel(), q->ParamControls(), q->Params());
        ParamsEditorHook.clear();
        if (confirm) {
            EXPECT_NE(q->SaveToBytes(), before);
            EXPECT_EQ(q->ParamControls()->Count(), 1);
            EXPECT_EQ(q->Params()->Items(1)->Name(), QStringLiteral("Au"));
        } else {
            EXPECT_EQ(q->SaveToBytes(), before);
        }
    }
}

TEST(SampleParamsProgram, TheUnattendedRunWithoutADisplayNamesTheParametersAndEndsWithStatusTwo)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("settings"));
    mxtest::WriteAll(dir.filePath(QStringLiteral("settings/MORVELIN.INI")),
        QStringLiteral("[Options]\nPrivateQueryPath=%1/\n").arg(dir.path()).toUtf8());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("MORVELIN_WINDIR"), dir.filePath(QStringLiteral("settings")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(QDir(mxtest::BinDir()).filePath(QStringLiteral("morv32")), {QStringLiteral("/EXE"), mxtest::SampleFile(QStringLiteral("COMMANDES_PERIODE.MQR"))});
    ASSERT_TRUE(p.waitForFinished(60000)) << "morv32 waits for an answer nobody can give";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("Commandes de la période : la requête demande des paramètres (Début, Fin)")))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("COMMANDES_PERIODE.TXT"))));
}
