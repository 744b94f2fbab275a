// The formula editor driven as a user would: double clicks on palettes,
// typing, Enter, OK and Cancel; and what reaches the query and its SQL.

#include "formulafixture.h"
#include "tests/support/ui/screentexts.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/ui/uitest.h"

#include "ui/formula/fmformula.h"

#include "engine/core/hookslot.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/field.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/tools/hooks.h"

#include "ui/controls/entityoutline.h"
#include "ui/controls/picturelistbox.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <initializer_list>
#include <memory>

using namespace mx;
using namespace mx::ui;
using namespace qtest;
using mx::ui::test::Child;

namespace formulatest {
namespace {

// The first row of a tree view showing text, at any depth.
QModelIndex RowShowing(const QAbstractItemView* view, const QString& text)
{
    const QAbstractItemModel* m = view->model();
    return m->match(m->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

// The texts of the rows under the top rows of a tree view.
QStringList ChildTexts(const QAbstractItemView* view)
{
    const QAbstractItemModel* m = view->model();
    QStringList out;
    for (int i = 0; i < m->rowCount(); ++i)
        for (int j = 0; j < m->rowCount(m->index(i, 0)); ++j)
            out << m->index(j, 0, m->index(i, 0)).data().toString();
    return out;
}

class FormulaDialogTest : public FormulaTest {
protected:
    FormulaDialogTest() { InstallFormulaEditor(); }
    ~FormulaDialogTest() override
    {
        FieldFormulaHook.clear();
        FieldFilterHook.clear();
        EntityCriteriaHook.clear();
        SetCriteriaHook.clear();
        StepCriteriaHook.clear();
    }

    mx::ui::test::TScriptedModal m_modal;

    // The dialog and the widgets the tests work, found by object name.
    struct TFormulaWidgets {
        explicit TFormulaWidgets(TfmFormula& f)
            : form(&f),
              sbInsert(Child<QToolButton>(f, "sbInsert")),
              sbDelete(Child<QToolButton>(f, "sbDelete")),
              me(Child<QLineEdit>(f, "me")),
              cobFieldType(Child<QComboBox>(f, "cobFieldType")),
              lbOperator(Child<QListWidget>(f, "lbOperator")),
              olFields(Child<TEntityOutline>(f, "olFields")),
              pnParams(Child<QWidget>(f, "pnParams")),
              plbParams(Child<TPictureListBox>(f, "plbParams")),
              gbFormula(Child<QGroupBox>(f, "gbFormula")),
              lbFormula(Child<QListWidget>(f, "lbFormula")),
              laResult(Child<QLabel>(f, "laResult")),
              btParams(Child<QPushButton>(f, "btParams")),
              btEmpty(Child<QPushButton>(f, "btEmpty")),
              btOk(Child<QPushButton>(f, "btOk")),
              btCancel(Child<QPushButton>(f, "btCancel")),
              edFormula(Child<QLineEdit>(f, "edFormula"))
        {
        }
        bool complete() const
        {
            for (const QObject* o : std::initializer_list<const QObject*>{sbInsert, sbDelete, me, cobFieldType, lbOperator,
                     olFields, pnParams, plbParams, gbFormula, lbFormula, laResult, btParams, btEmpty, btOk, btCancel, edFormula})
                if (!o)
                    return false;
            return true;
        }
        TfmFormula* form;
        QToolButton* sbInsert;
        QToolButton* sbDelete;
        QLineEdit* me;
        QComboBox* cobFieldType;
        QListWidget* lbOperator;
        TEntityOutline* olFields;
        QWidget* pnParams;
        TPictureListBox* plbParams;
        QGroupBox* gbFormula;
        QListWidget* lbFormula;
        QLabel* laResult;
        QPushButton* btParams;
        QPushButton* btEmpty;
        QPushButton* btOk;
        QPushButton* btCancel;
        QLineEdit* edFormula;
    };
    using TForm = std::unique_ptr<TFormulaWidgets>;

    // The formula editor shown, none (and a failure) for another dialog or
    // one that lacks a widget.
    static TForm Form(QWidget* w)
    {
        auto* form = qobject_cast<TfmFormula*>(w);
        EXPECT_NE(form, nullptr);
        if (!form)
            return nullptr;
        auto widgets = std::make_unique<TFormulaWidgets>(*form);
        return widgets->complete() ? std::move(widgets) : nullptr;
    }
    static void DoubleClickRow(QListWidget* list, const QString& text)
    {
        const QList<QListWidgetItem*> rows = list->findItems(text, Qt::MatchExactly);
        ASSERT_FALSE(rows.isEmpty()) << text.toStdString();
        const QRect r = list->visualItemRect(rows.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    static void TypeConstant(const TForm& f, const QString& text)
    {
        f->me->setFocus();
        f->me->selectAll();
        QTest::keyClicks(f->me, text);
        QTest::keyClick(f->me, Qt::Key_Return);
    }
    // Types "= value" into a field's filter and confirms or cancels.
    bool Filter(TMxQueryField* field, const QString& value, bool ok, QString* result = nullptr)
    {
        m_modal.AsFilled([=](QDialog& dialog) {
            QWidget* w = &dialog;
            const TForm f = Form(w);
            if (!f)
                return;
            DoubleClickRow(f->lbOperator, QStringLiteral("="));
            TypeConstant(f, value);
            if (result)
                *result = f->laResult->text() + u'|' + f->edFormula->text() + u'|' + (f->btOk->isEnabled() ? u'1' : u'0');
            QTest::mouseClick(ok ? f->btOk : f->btCancel, Qt::LeftButton);
        });
        return FieldFilterHook(m_query, m_step->Id(), field);
    }
};

// The strong case: "= 10" on a number field, confirmed, is two tokens and
// the SQL criterion; the same cancelled leaves the query's file as it was.
TEST_F(FormulaDialogTest, AFilterTypedAndConfirmed)
{
    TMxQueryField* amount = Add(5, QStringLiteral("MONTANT"));
    amount->SetChecked(true);
    const QByteArray before = SavedBytes();
    QString shown;
    EXPECT_FALSE(Filter(amount, QStringLiteral("50"), false, &shown));
    EXPECT_EQ(shown, QStringLiteral("Le filtre est correct.|= 50 |1"));
    EXPECT_EQ(amount->FormulaList()->Count(), 0);
    EXPECT_EQ(SavedBytes(), before);

    ASSERT_TRUE(Filter(amount, QStringLiteral("50"), true));
    EXPECT_EQ(Describe(amount->FormulaList()), (QStringList{QStringLiteral("=::N"), QStringLiteral("CONST:50:N")}));
    EXPECT_EQ(amount->FormulaList()->Line(), QStringLiteral("= 50 "));
    EXPECT_NE(SavedBytes(), before);
    // OK prepared the query: the criterion is in the step's statement
    const QString sql = m_step->SQL()->Text();
    EXPECT_TRUE(sql.contains(QStringLiteral("\"MONTANT\" =50"))) << sql.toStdString();
    ShopDb db;
    EXPECT_EQ(db.Rows(sql), QStringList{QStringLiteral("50")}) << sql.toStdString();
    EXPECT_TRUE(m_ui.texts(QStringLiteral("message")).isEmpty()) << m_ui.texts(QStringLiteral("message")).join(u'\n').toStdString();
}

// The element buttons say what they do, a number is typed in a field that
// shows none of a mask's blanks or separator, and the window's mnemonics
// are each used once.
TEST_F(FormulaDialogTest, ElementButtonsNumbersAndMnemonicsAsShown)
{
    TMxQueryField* amount = Add(5, QStringLiteral("MONTANT"));
    amount->SetChecked(true);
    QStringList seen;
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        const TForm f = Form(w);
        if (!f)
            return;
        for (QToolButton* b : {f->sbInsert, f->sbDelete}) {
            EXPECT_TRUE(b->isVisible());
            EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->text().toStdString();
            seen << b->text();
        }
        EXPECT_EQ(f->me->displayText(), QString()) << "an empty number shows nothing";
        EXPECT_TRUE(mxtest::MnemonicClashes(f->form).isEmpty()) << mxtest::MnemonicClashes(f->form).join(u'\n').toStdString();
        EXPECT_TRUE(mxtest::LiteralAmpersands(f->form).isEmpty()) << mxtest::LiteralAmpersands(f->form).join(u'\n').toStdString();
        DoubleClickRow(f->lbOperator, QStringLiteral("="));
        f->me->setFocus();
        QTest::keyClicks(f->me, QStringLiteral("12a,5"));
        EXPECT_EQ(f->me->text(), QStringLiteral("12,5")) << "a letter is no digit";
        QTest::keyClick(f->me, Qt::Key_Return);
        seen << f->edFormula->text();
        QTest::mouseClick(f->btCancel, Qt::LeftButton);
    });
    FieldFilterHook(m_query, m_step->Id(), amount);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Ajouter l'élément"), QStringLiteral("Retirer l'élément"), QStringLiteral("= 12,5 ")}));
}

// What a user types as a text constant is a value, whatever it holds: the
// statement finds that literal name only and changes nothing.
TEST_F(FormulaDialogTest, HostileConstantsFindTheirLiteralValueOnly)
{
    const struct {
        const char* value;
        QStringList rows;
    } cases[] = {
        {"O'Brien", {"O'Brien"}},
        {"x') OR ('1'='1", {}},
        {"'; DROP TABLE CLIENT; --", {}},
        {"Dupont' --", {}},
        {"Dupont/* */", {}},
    };
    ShopDb db;
    const QString snapshot = db.Snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Open();
        TMxQueryField* name = Add(3, QStringLiteral("NOM"));
        name->SetChecked(true);
        ASSERT_TRUE(Filter(name, QString::fromUtf8(c.value), true));
        ASSERT_EQ(name->FormulaList()->Count(), 2);
        EXPECT_EQ(name->FormulaList()->Items(1)->FieldName(), QString::fromUtf8(c.value));
        const QString sql = m_step->SQL()->Text();
        EXPECT_EQ(db.PrepareError(sql), QString()) << sql.toStdString();
        EXPECT_EQ(db.Rows(sql), c.rows) << sql.toStdString();
    }
    EXPECT_EQ(db.Snapshot(), snapshot);
}

// A date the SQL writer cannot take is refused in the editor, with the
// reason, and no token is added.
TEST_F(FormulaDialogTest, AWrongConstantIsRefusedWhenTyped)
{
    TMxQueryField* date = Add(5, QStringLiteral("DATECDE"));
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        const TForm f = Form(w);
        ASSERT_TRUE(f);
        DoubleClickRow(f->lbOperator, QStringLiteral("="));
        TypeConstant(f, QStringLiteral("32/13/2000"));
        EXPECT_EQ(f->form->Session().Tokens()->Count(), 1);
        EXPECT_EQ(f->laResult->text(), QStringLiteral("Erreur: Opérande de fin de formule manquant."));
        EXPECT_FALSE(f->btOk->isEnabled());
        QTest::mouseClick(f->btCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(FieldFilterHook(m_query, m_step->Id(), date));
    const QStringList messages = m_ui.texts(QStringLiteral("message"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("La valeur est incorrecte\n"))) << messages[0].toStdString();
}

// The palettes follow the chosen type, a token goes in front of the
// selected row, and a calculated field keeps the type chosen.
TEST_F(FormulaDialogTest, AFormulaOfTheChosenType)
{
    TMxQueryField* calc = AddCalc(QStringLiteral("Echéance"), {});
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        const TForm f = Form(w);
        ASSERT_TRUE(f);
        EXPECT_FALSE(f->btOk->isEnabled()); // an empty formula
        EXPECT_EQ(f->gbFormula->title(), QStringLiteral("&Formule"));
        // no parameter editor in this program: no parameter column
        EXPECT_TRUE(f->pnParams->isHidden());
        EXPECT_TRUE(f->btParams->isHidden());
        f->cobFieldType->setCurrentIndex(TypeIndexOf(u'D'));
        QStringList fields = ChildTexts(f->olFields);
        fields.sort();
        fields.removeDuplicates(); // also under "Tous les champs"
        EXPECT_EQ(fields, (QStringList{QStringLiteral("Date commande"), QStringLiteral("Naissance")}));
        // field, then "+" in front of it, then "Aujourd'hui" typed at the end
        const QModelIndex born = RowShowing(f->olFields, QStringLiteral("Naissance"));
        ASSERT_TRUE(born.isValid());
        f->olFields->setCurrentIndex(born);
        f->form->InsertField();
        EXPECT_EQ(f->lbFormula->currentRow(), 1); // the end marker again
        f->lbFormula->setCurrentRow(0);
        DoubleClickRow(f->lbOperator, QStringLiteral("+"));
        EXPECT_EQ(f->edFormula->text(), QStringLiteral("+ Naissance "));
        EXPECT_EQ(f->lbFormula->currentRow(), 1); // the row that was selected
        f->lbFormula->setCurrentRow(2);
        DoubleClickRow(f->lbOperator, QStringLiteral("Aujourd'hui"));
        EXPECT_EQ(f->edFormula->text(), QStringLiteral("+ Naissance AUJOURD'HUI "));
        EXPECT_TRUE(f->btOk->isEnabled());
        QTest::mouseClick(f->btOk, Qt::LeftButton);
    });
    ASSERT_TRUE(FieldFormulaHook(m_query, m_step->Id(), m_query->DataModel(), calc));
    EXPECT_EQ(calc->FieldType(), u'D');
    EXPECT_EQ(Describe(calc->FormulaList()),
        (QStringList{QStringLiteral("+::D"), QStringLiteral("FIELD:DATENAIS:D"), QStringLiteral("SYSV:AUJOURD'HUI:D")}));
}

// A typed character inserts the operator of that name; Delete removes the
// selected token; Vider empties the list.
TEST_F(FormulaDialogTest, KeysInsertAndDelete)
{
    TMxQueryField* amount = Add(5, QStringLiteral("MONTANT"));
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        const TForm f = Form(w);
        ASSERT_TRUE(f);
        f->lbFormula->setFocus();
        QTest::keyClicks(f->lbFormula, QStringLiteral(">"));
        EXPECT_EQ(f->edFormula->text(), QStringLiteral("> "));
        TypeConstant(f, QStringLiteral("5"));
        EXPECT_EQ(f->edFormula->text(), QStringLiteral("> 5 "));
        EXPECT_EQ(f->laResult->text(), QStringLiteral("Le filtre est correct."));
        f->lbFormula->setFocus();
        f->lbFormula->setCurrentRow(0);
        QTest::keyClick(f->lbFormula, Qt::Key_Delete);
        EXPECT_EQ(f->edFormula->text(), QStringLiteral("5 "));
        EXPECT_EQ(f->laResult->text(), QStringLiteral("Erreur: Début de formule incorrect."));
        EXPECT_FALSE(f->btOk->isEnabled());
        QTest::mouseClick(f->btOk, Qt::LeftButton); // refused: the dialog stays
        EXPECT_TRUE(f->form->isVisible());
        QTest::mouseClick(f->btEmpty, Qt::LeftButton);
        EXPECT_EQ(f->lbFormula->count(), 1);
        EXPECT_EQ(f->laResult->text(), QStringLiteral("Le filtre est vide."));
        QTest::mouseClick(f->btOk, Qt::LeftButton);
    });
    ASSERT_TRUE(FieldFilterHook(m_query, m_step->Id(), amount));
    EXPECT_EQ(amount->FormulaList()->Count(), 0);
}

// A step's criterion with parameters: the parameter palette offers every
// parameter of the query, and the parameter editor's additions are
// written back with the criterion that names them.
TEST_F(FormulaDialogTest, AStepCriterionWithAParameter)
{
    AddParam(1, QStringLiteral("Ville"), {QStringLiteral("Paris")});
    AddParam(2, QStringLiteral("Seuil"), {QStringLiteral("100")}, ptNumeric);
    ScopedHook editor(ParamsEditorHook, [](const QString&, TMxDataModel*, TMxParamControlList*, TMxParamList* params) {
        auto* p = new TMxParam(params);
        p->SetId(3);
        p->SetName(QStringLiteral("Client"));
        p->SetParamType(ptNumeric);
    });
    const QByteArray before = SavedBytes();
    auto drive = [&](bool ok) {
        m_modal.AsFilled([&, ok](QDialog& dialog) {
            QWidget* w = &dialog;
            const TForm f = Form(w);
            ASSERT_TRUE(f);
            EXPECT_FALSE(f->pnParams->isHidden());
            EXPECT_TRUE(f->cobFieldType->isHidden());
            EXPECT_EQ(f->plbParams->count(), 2);
            QTest::mouseClick(f->btParams, Qt::LeftButton);
            EXPECT_EQ(f->plbParams->count(), 3);
            const QModelIndex amount = RowShowing(f->olFields, QStringLiteral("Montant"));
            ASSERT_TRUE(amount.isValid());
            f->olFields->setCurrentIndex(amount);
            f->form->InsertField();
            DoubleClickRow(f->lbOperator, QStringLiteral(">"));
            DoubleClickRow(f->plbParams, QStringLiteral("Client"));
            EXPECT_EQ(f->edFormula->text(), QStringLiteral("Montant > [Client] "));
            EXPECT_EQ(f->laResult->text(), QString());
            QTest::mouseClick(ok ? f->btOk : f->btCancel, Qt::LeftButton);
        });
        return StepCriteriaHook(m_step);
    };
    EXPECT_FALSE(drive(false));
    EXPECT_EQ(SavedBytes(), before);
    ASSERT_TRUE(drive(true));
    EXPECT_EQ(Describe(m_step->StepCriteria()),
        (QStringList{QStringLiteral("FIELD:MONTANT:A"), QStringLiteral(">::A"), QStringLiteral("VAR::N")}));
    ASSERT_NE(m_query->Params()->FindById(3), nullptr);
    EXPECT_EQ(m_query->Params()->FindById(3)->Name(), QStringLiteral("Client"));
}

// An entity's criterion in the administration program: no query, no
// parameter column, every field of the model's set offered.
TEST_F(FormulaDialogTest, AnEntityCriterionWithoutQuery)
{
    TMxDataModel* model = m_query->DataModel();
    auto* criterion = new TMxFormulaList(nullptr);
    m_modal.AsFilled([&](QDialog& dialog) {
        QWidget* w = &dialog;
        const TForm f = Form(w);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->form->windowTitle(), QStringLiteral("Critère de l'entité"));
        EXPECT_TRUE(f->pnParams->isHidden());
        EXPECT_GT(f->olFields->model()->rowCount(), 0);
        const QModelIndex city = RowShowing(f->olFields, QStringLiteral("Ville"));
        ASSERT_TRUE(city.isValid());
        f->olFields->setCurrentIndex(city);
        f->form->InsertField();
        DoubleClickRow(f->lbOperator, QStringLiteral("="));
        DoubleClickRow(f->lbOperator, QStringLiteral("Vide"));
        EXPECT_EQ(f->laResult->text(), QString());
        QTest::mouseClick(f->btOk, Qt::LeftButton);
    });
    const bool ok = EntityCriteriaHook(criterion, model);
    const QStringList tokens = Describe(criterion);
    TMxItem::Free(criterion);
    ASSERT_TRUE(ok);
    EXPECT_EQ(tokens, (QStringList{QStringLiteral("FIELD:VILLE:A"), QStringLiteral("=::A"), QStringLiteral("BLANK::A")}));
}

} // namespace
} // namespace formulatest
