// The prompter, the parameter type dialog and the control properties,
// answered as a user would.

#include "paramfixture.h"
#include "tests/support/ui/screentexts.h"

#include "query/params/dialogbuilder.h"
#include "query/params/paramdialogs.h"
#include "query/params/paramprop.h"
#include "query/params/paramrules.h"

#include "engine/core/hookslot.h"
#include "engine/core/itemptr.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/tools/hooks.h"

#include "tests/support/ui/scriptedservice.h"

#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include <gtest/gtest.h>

using namespace mx;
using namespace paramtest;

namespace {

using ListPtr = TItemPtr<TMxParamControlList>;

ListPtr newList()
{
    return ListPtr(new TMxParamControlList(nullptr));
}

TMxParamControl* add(TMxParamControlList* list, TDlgControlKind kind, const QString& param, const QStringList& values,
    int top)
{
    TMxParamControl* c = list->AddNew();
    c->SetKind(kind);
    c->SetParamName(param);
    c->SetCaption(param);
    TStrings lines;
    lines.setStringList(values);
    c->SetValues(lines);
    c->SetTableId(-1);
    c->SetAllowMultiSelect(true);
    c->SetDesignX(100);
    c->SetDesignY(top);
    c->SetDesignW(150);
    c->SetDesignH(kind == ckListBox ? 80 : 33);
    return c;
}

template <class W>
W* child(QWidget* w, const char* name)
{
    auto* c = w->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

QWidget* liveControl(QWidget* prompter, int i)
{
    return child<TDialogBuilder>(prompter, "DialogBuilder")->Shapes()[i]->Control();
}

} // namespace

TEST(Prompter, AnswersByKindOnOkAndOnCancel)
{
    const QStringList towns{QStringLiteral("Lyon"), QStringLiteral("Paris"), QStringLiteral("Nice")};
    for (bool accept : {true, false}) {
        SCOPED_TRACE(accept);
        ListPtr list = newList();
        list->SetDesignW(200);
        list->SetDesignH(100);
        add(list.get(), ckEdit, QStringLiteral("Début"), {QStringLiteral("01/01/2023")}, 0);
        add(list.get(), ckListBox, QStringLiteral("Villes"), towns, 40);
        add(list.get(), ckCombo, QStringLiteral("Ville"), towns, 130);
        add(list.get(), ckCheck, QStringLiteral("Payée"), {QStringLiteral("non"), QStringLiteral("oui")}, 170);
        add(list.get(), ckRadio, QStringLiteral("Toutes"), towns, 210);
        add(list.get(), ckLabel, QString(), {}, 250);
        list->Items(3)->LoadedValues()->Add(QStringLiteral("stale"));

        QSize client;
        QRect ok, cancel;
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            EXPECT_EQ(w->objectName(), QStringLiteral("fmParamPrompter"));
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Commandes"));
            client = w->size();
            ok = child<QPushButton>(w, "btOk")->geometry();
            cancel = child<QPushButton>(w, "btCancel")->geometry();
            static_cast<QLineEdit*>(liveControl(w, 0))->setText(QStringLiteral("15/02/2023"));
            auto* lb = static_cast<QListWidget*>(liveControl(w, 1));
            lb->item(0)->setSelected(true);
            lb->item(2)->setSelected(true);
            static_cast<QComboBox*>(liveControl(w, 2))->setEditText(QStringLiteral("Paris"));
            static_cast<QCheckBox*>(liveControl(w, 3))->setChecked(false);
            static_cast<QRadioButton*>(liveControl(w, 4))->setChecked(true);
            child<QPushButton>(w, accept ? "btOk" : "btCancel")->click();
        });
        bool answered = true;
        PromptParams(nullptr, QStringLiteral("Commandes"), answered, nullptr, list.get(), false);
        EXPECT_EQ(answered, accept);
        // Placed by the prompter's rule from the design size.
        const TPrompterLayout placed = PrompterLayout(list->DesignW(), list->DesignH());
        EXPECT_EQ(client, placed.client);
        EXPECT_EQ(ok, placed.ok);
        EXPECT_EQ(cancel, placed.cancel);
        // Cancel writes them too: the caller decides what a cancel means.
        EXPECT_EQ(list->Items(0)->LoadedValues()->toStringList(), QStringList{QStringLiteral("15/02/2023")});
        EXPECT_EQ(list->Items(1)->LoadedValues()->toStringList(), (QStringList{QStringLiteral("Lyon"), QStringLiteral("Nice")}));
        EXPECT_EQ(list->Items(2)->LoadedValues()->toStringList(), QStringList{QStringLiteral("Paris")});
        EXPECT_EQ(list->Items(3)->LoadedValues()->toStringList(), QStringList{QStringLiteral("non")});
        EXPECT_EQ(list->Items(4)->LoadedValues()->toStringList(), towns);
        EXPECT_EQ(list->Items(5)->LoadedValues()->Count(), 0);
        EXPECT_EQ(list->Items(0)->Values()->toStringList(), QStringList{QStringLiteral("01/01/2023")}) << "values untouched";
    }
}

// A prompt that comes back (the run refused a date) shows what the user
// answered last, kind by kind, and answers it again unchanged; controls
// never answered show their design.
TEST(Prompter, APromptThatComesBackKeepsTheUsersAnswers)
{
    const QStringList towns{QStringLiteral("Lyon"), QStringLiteral("Paris"), QStringLiteral("Nice")};
    ListPtr list = newList();
    list->SetDesignW(200);
    list->SetDesignH(300);
    add(list.get(), ckEdit, QStringLiteral("Début"), {QStringLiteral("01/01/2023")}, 0);
    add(list.get(), ckListBox, QStringLiteral("Villes"), towns, 40);
    add(list.get(), ckCombo, QStringLiteral("Ville"), towns, 130);
    add(list.get(), ckCheck, QStringLiteral("Payée"), {QStringLiteral("non"), QStringLiteral("oui")}, 170);
    add(list.get(), ckEdit, QStringLiteral("Fin"), {QStringLiteral("31/12/2023")}, 210);
    const QList<QStringList> answered = {
        {QStringLiteral("31/02/2023")}, // a wrong date, as typed
        {QStringLiteral("Lyon"), QStringLiteral("Nice")},
        {QStringLiteral("Paris")},
        {QStringLiteral("oui")},
        {}, // never answered
    };
    for (int i = 0; i < answered.size(); ++i)
        list->Items(i)->LoadedValues()->setStringList(answered[i]);

    TfmParamPrompter form;
    form.Prepare(nullptr, QStringLiteral("Commandes"), list.get(), false);
    EXPECT_EQ(static_cast<QLineEdit*>(liveControl(&form, 0))->text(), QStringLiteral("31/02/2023"));
    auto* lb = static_cast<QListWidget*>(liveControl(&form, 1));
    ASSERT_EQ(lb->count(), 3);
    EXPECT_TRUE(lb->item(0)->isSelected());
    EXPECT_FALSE(lb->item(1)->isSelected());
    EXPECT_TRUE(lb->item(2)->isSelected());
    EXPECT_EQ(static_cast<QComboBox*>(liveControl(&form, 2))->currentText(), QStringLiteral("Paris"));
    EXPECT_TRUE(static_cast<QCheckBox*>(liveControl(&form, 3))->isChecked());
    EXPECT_EQ(static_cast<QLineEdit*>(liveControl(&form, 4))->text(), QStringLiteral("31/12/2023")) << "the design's value";

    form.StoreAnswers(list.get());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(list->Items(i)->LoadedValues()->toStringList(), answered[i]) << i;
    EXPECT_EQ(list->Items(4)->LoadedValues()->toStringList(), QStringList{QStringLiteral("31/12/2023")});
    form.ReleaseControls();
}

TEST(Prompter, TestModeShowsTheStoredValuesWithoutTheDriver)
{
    FakeDriver driver;
    driver.rows = Numbered(30);
    ListPtr list = newList();
    TMxParamControl* c = add(list.get(), ckListBox, QStringLiteral("Ville"), {QStringLiteral("Lyon")}, 0);
    c->SetTableId(mxtest::SampleModel::ClientId);
    c->SetFieldName(QStringLiteral("VILLE"));
    for (bool testing : {true, false}) {
        int lines = -1;
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            lines = static_cast<QListWidget*>(liveControl(w, 0))->count();
            child<QPushButton>(w, "btOk")->click();
        });
        bool ok = true;
        PromptParams(driver.model, QStringLiteral("Ventes"), ok, nullptr, list.get(), testing);
        EXPECT_EQ(lines, testing ? 1 : 30) << testing;
    }
    EXPECT_EQ(driver.requests, QStringList{QStringLiteral("CLIENT.VILLE")});
}

TEST(ParamTypeDialog, OkNeedsANameAndWritesBackOnlyOnOk)
{
    const QStringList types{QStringLiteral("Date Heure"), QStringLiteral("Chaîne"), QStringLiteral("Date")};
    for (bool accept : {true, false}) {
        QString name;
        int type = 1;
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            EXPECT_EQ(w->objectName(), QStringLiteral("fmParamType"));
            auto* ok = child<QPushButton>(w, "btOk");
            EXPECT_FALSE(ok->isEnabled()) << "no name yet";
            EXPECT_EQ(child<QComboBox>(w, "cobParamType")->currentIndex(), 1);
            child<QLineEdit>(w, "edParamName")->setText(QStringLiteral("Début"));
            EXPECT_TRUE(ok->isEnabled());
            child<QComboBox>(w, "cobParamType")->setCurrentIndex(2);
            child<QPushButton>(w, accept ? "btOk" : "btCancel")->click();
        });
        EXPECT_EQ(EditParamType(name, type, types), accept);
        EXPECT_EQ(name, accept ? QStringLiteral("Début") : QString());
        EXPECT_EQ(type, accept ? 2 : 1);
    }
}

namespace {

// The widgets of the control properties the tests use, found by name.
struct PropUi {
    explicit PropUi(TfmParamProp& f)
        : form(&f)
        , cobParamName(mx::ui::test::Child<QComboBox>(f, "cobParamName"))
        , cobParamType(mx::ui::test::Child<QComboBox>(f, "cobParamType"))
        , edCaption(mx::ui::test::Child<QLineEdit>(f, "edCaption"))
        , cobCaptionAlign(mx::ui::test::Child<QComboBox>(f, "cobCaptionAlign"))
        , btFont(mx::ui::test::Child<QPushButton>(f, "btFont"))
        , btPicture(mx::ui::test::Child<QPushButton>(f, "btPicture"))
        , nbk(mx::ui::test::Child<QStackedWidget>(f, "nbk"))
        , edOneValue(mx::ui::test::Child<QLineEdit>(f, "edOneValue"))
        , eduncheckedValue(mx::ui::test::Child<QLineEdit>(f, "eduncheckedValue"))
        , edCheckedValue(mx::ui::test::Child<QLineEdit>(f, "edCheckedValue"))
        , rbStaticValues(mx::ui::test::Child<QRadioButton>(f, "rbStaticValues"))
        , rbFieldValues(mx::ui::test::Child<QRadioButton>(f, "rbFieldValues"))
        , cobValue(mx::ui::test::Child<QComboBox>(f, "cobValue"))
        , lbValues(mx::ui::test::Child<QListWidget>(f, "lbValues"))
        , btAdd(mx::ui::test::Child<QPushButton>(f, "btAdd"))
        , cbPreview(mx::ui::test::Child<QCheckBox>(f, "cbPreview"))
        , btOK(mx::ui::test::Child<QPushButton>(f, "btOK"))
    {
    }
    TfmParamProp* form;
    QComboBox* cobParamName;
    QComboBox* cobParamType;
    QLineEdit* edCaption;
    QComboBox* cobCaptionAlign;
    QPushButton* btFont;
    QPushButton* btPicture;
    QStackedWidget* nbk;
    QLineEdit* edOneValue;
    QLineEdit* eduncheckedValue;
    QLineEdit* edCheckedValue;
    QRadioButton* rbStaticValues;
    QRadioButton* rbFieldValues;
    QComboBox* cobValue;
    QListWidget* lbValues;
    QPushButton* btAdd;
    QCheckBox* cbPreview;
    QPushButton* btOK;
};

// A builder holding one control, whose properties the test edits.
struct PropFixture {
    PropFixture()
    {
        params->AddNew()->SetName(QStringLiteral("Ville"));
        builder.Params = params;
        builder.SetDesigning(true);
        shape = builder.AddControlAt(120, 12, ckEdit);
        shape->ParamControl()->SetParamName(QStringLiteral("Ville"));
    }
    ~PropFixture()
    {
        builder.Params = nullptr;
        params->Free();
    }
    TMxParamControl* control() const { return shape->ParamControl(); }
    // Opens the properties; edit runs on the open dialog, which is then
    // confirmed.
    void Edit(TMxDataModel* model, const std::function<void(PropUi*)>& edit)
    {
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            auto* form = dynamic_cast<TfmParamProp*>(w);
            ASSERT_NE(form, nullptr);
            PropUi widgets(*form);
            edit(&widgets);
            widgets.btOK->click();
        });
        EditParamControl(shape, model);
    }

    TMxParamList* params = new TMxParamList(nullptr);
    TDialogBuilder builder;
    TVParamControl* shape = nullptr;
};

} // namespace

TEST(ControlProperties, ValuesStoredByKind)
{
    struct Case {
        const char* what;
        TDlgControlKind kind;
        std::function<void(PropUi*)> fill;
        QStringList values;
        int tableId;
    };
    const Case cases[] = {
        {"check box", ckCheck,
            [](PropUi* f) {
                f->eduncheckedValue->setText(QStringLiteral("non"));
                f->edCheckedValue->setText(QStringLiteral("oui"));
            },
            {QStringLiteral("non"), QStringLiteral("oui")}, 0},
        {"radio", ckRadio, [](PropUi* f) { f->edOneValue->setText(QStringLiteral("Lyon")); }, {QStringLiteral("Lyon")}, 0},
        {"list of three lines", ckListBox,
            [](PropUi* f) {
                for (const char* town : {"Lyon", "Paris", "Nice"}) {
                    f->cobValue->setEditText(QString::fromLatin1(town));
                    EXPECT_TRUE(f->btAdd->isEnabled());
                    f->btAdd->click();
                }
                f->cobValue->setEditText(QStringLiteral("Nice"));
                EXPECT_FALSE(f->btAdd->isEnabled()) << "a line already there";
            },
            {QStringLiteral("Lyon"), QStringLiteral("Paris"), QStringLiteral("Nice")}, -1},
        {"a list made an edit", ckEdit, [](PropUi* f) { f->edOneValue->setText(QStringLiteral("Paris")); },
            {QStringLiteral("Paris")}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PropFixture p;
        if (QString::fromLatin1(c.what).startsWith(u"a list made")) {
            p.control()->SetKind(ckListBox);
            TStrings three{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
            p.control()->SetValues(three);
            p.control()->SetTableId(-1);
        }
        p.Edit(nullptr, [&](PropUi* f) {
            f->cobParamType->setCurrentIndex(int(c.kind) - 1);
            EXPECT_EQ(f->nbk->currentIndex(), DlgControlClass(c.kind).ValuePage);
            c.fill(f);
        });
        EXPECT_EQ(p.control()->Kind(), c.kind);
        EXPECT_EQ(p.control()->Values()->toStringList(), c.values);
        EXPECT_EQ(p.control()->TableId(), c.tableId);
        EXPECT_EQ(p.shape->ParamControl(), p.control());
    }
}

// Every page of the properties: one letter per mnemonic, and no "&" shown
// as such (the values' label leads to its list).
TEST(ControlProperties, EveryPageShowsItsMnemonicsOnce)
{
    PropFixture p;
    p.Edit(nullptr, [&](PropUi* f) {
        f->form->show();
        const int original = f->cobParamType->currentIndex();
        for (TDlgControlKind kind : {ckLabel, ckEdit, ckListBox, ckCombo, ckCheck, ckRadio}) {
            SCOPED_TRACE(int(kind));
            f->cobParamType->setCurrentIndex(int(kind) - 1);
            EXPECT_TRUE(mxtest::MnemonicClashes(f->form).isEmpty()) << mxtest::MnemonicClashes(f->form).join(u'\n').toStdString();
            EXPECT_TRUE(mxtest::LiteralAmpersands(f->form).isEmpty()) << mxtest::LiteralAmpersands(f->form).join(u'\n').toStdString();
        }
        f->cobParamType->setCurrentIndex(int(ckListBox) - 1);
        const auto* values = f->form->findChild<QLabel*>(QStringLiteral("laValues"));
        ASSERT_NE(values, nullptr);
        EXPECT_EQ(values->buddy(), f->lbValues);
        f->cobParamType->setCurrentIndex(original);
    });
}

TEST(ControlProperties, FieldValuesComeFromTheModelAndPreviewTen)
{
    FakeDriver driver;
    driver.rows = Numbered(40);
    for (bool preview : {true, false}) {
        SCOPED_TRACE(preview);
        driver.requests.clear();
        PropFixture p;
        int shown = -1;
        bool editable = true;
        p.Edit(driver.model, [&](PropUi* f) {
            f->cobParamType->setCurrentIndex(int(ckCombo) - 1);
            f->rbFieldValues->click();
            editable = f->cobValue->isEditable();
            f->cbPreview->setChecked(preview);
            const int town = f->cobValue->findText(QStringLiteral("Ville"));
            ASSERT_GE(town, 0);
            f->cobValue->setCurrentIndex(town);
            shown = f->lbValues->count();
        });
        EXPECT_FALSE(editable) << "a field is chosen from the model's, never typed";
        EXPECT_EQ(shown, preview ? 10 : 0);
        EXPECT_EQ(p.control()->Values()->Count(), preview ? 10 : 0);
        EXPECT_EQ(p.control()->TableId(), mxtest::SampleModel::ClientId);
        EXPECT_EQ(p.control()->FieldName(), QStringLiteral("VILLE"));
        EXPECT_EQ(driver.requests, preview ? QStringList{QStringLiteral("CLIENT.VILLE")} : QStringList{});
    }
}

TEST(ControlProperties, WithoutAModelNoFieldCanBeChosen)
{
    PropFixture p;
    p.control()->SetKind(ckListBox);
    p.control()->SetTableId(4); // bound once, shown in a test preview
    p.Edit(nullptr, [](PropUi* f) {
        EXPECT_FALSE(f->rbFieldValues->isEnabled());
        EXPECT_TRUE(f->rbStaticValues->isChecked());
        EXPECT_EQ(f->cobValue->count(), 0);
    });
}

TEST(ControlProperties, AnUnknownParameterIsAskedBeforeTheDialogCloses)
{
    PropFixture p;
    bool typeAsked = false;
    ScopedHook hook(ParamTypeEditorHook, EditParamType);
    p.Edit(nullptr, [&](PropUi* f) {
        f->cobParamName->setEditText(QStringLiteral("Cité"));
        Modal().AsFilled([&](QDialog& dialog) {
            QWidget* w = &dialog;
            typeAsked = w->objectName() == QStringLiteral("fmParamType");
            child<QComboBox>(w, "cobParamType")->setCurrentIndex(1);
            child<QPushButton>(w, "btOk")->click();
        });
    });
    EXPECT_TRUE(typeAsked);
    ASSERT_EQ(p.params->Count(), 2);
    EXPECT_EQ(p.params->Items(1)->Name(), QStringLiteral("Cité"));
    EXPECT_EQ(p.control()->ParamName(), QStringLiteral("Cité"));
    EXPECT_EQ(p.control()->Caption(), QStringLiteral("Cité"));
}

TEST(ControlProperties, FieldsEnabledByKind)
{
    PropFixture p;
    p.Edit(nullptr, [](PropUi* f) {
        for (int k = ckLabel; k <= ckImage; ++k) {
            f->cobParamType->setCurrentIndex(k - 1);
            const int flags = DlgControlClass(TDlgControlKind(k)).Flags;
            const QList<QPair<QWidget*, bool>> expected{{f->cobParamName, bool(flags & dfBound)},
                {f->btPicture, bool(flags & dfPicture)}, {f->btFont, bool(flags & dfFont)},
                {f->edCaption, bool(flags & dfCaption)},
                {f->cobCaptionAlign, (flags & dfCaption) && !(flags & dfOwnCaption)}};
            for (const auto& [w, on] : expected)
                EXPECT_EQ(w->isEnabled(), on) << k << " " << w->objectName().toStdString();
        }
        f->cobParamType->setCurrentIndex(int(ckEdit) - 1);
        f->cobParamName->setEditText(QStringLiteral("Ville"));
    });
}
