#include "paramdialogs.h"

#include "dialogbuilder.h"

#include "engine/core/translate.h"
#include "engine/model/paramcontrol.h"

#include "ui/services/guarded.h"
#include "ui/services/modalrunner.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <memory>

namespace mx {

namespace {

TControlState stateOf(QWidget* w)
{
    TControlState s;
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        s.text = e->text();
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        s.text = c->currentText();
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        s.lineCount = l->count();
        for (int i = 0; i < l->count(); ++i) {
            s.lines << l->item(i)->text();
            if (l->item(i)->isSelected())
                s.selected << i;
        }
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        s.checked = b->isChecked();
    }
    return s;
}

// Shows state in the live control w.
void showState(QWidget* w, const TControlState& s)
{
    if (auto* e = dynamic_cast<QLineEdit*>(w)) {
        e->setText(s.text);
    } else if (auto* c = dynamic_cast<QComboBox*>(w)) {
        const int index = c->findText(s.text);
        if (index >= 0)
            c->setCurrentIndex(index);
        if (c->isEditable())
            c->setEditText(s.text);
    } else if (auto* l = dynamic_cast<QListWidget*>(w)) {
        for (int i = 0; i < l->count(); ++i)
            l->item(i)->setSelected(s.selected.contains(i));
    } else if (auto* b = dynamic_cast<QAbstractButton*>(w)) {
        b->setChecked(s.checked);
    }
}

void centre(QWidget* w, QSize size)
{
    QScreen* screen = QApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    w->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

} // namespace

TfmParamPrompter::TfmParamPrompter(QWidget* parent)
    : QDialog(parent)
    , DialogBuilder(new TDialogBuilder(this))
    , btOk(new QPushButton(Translate(QStringLiteral("Ok")), this))
    , btCancel(new QPushButton(Translate(QStringLiteral("Annuler")), this))
{
    setObjectName(QStringLiteral("fmParamPrompter"));
    setWindowTitle(Translate(QStringLiteral("Paramètres")));
    btOk->setObjectName(QStringLiteral("btOk"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btOk->setDefault(true);
    DialogBuilder->SetDesigning(false);
    DialogBuilder->SetShowFrames(false);
    ui::Connect(btOk, &QPushButton::clicked, this, [this] { accept(); });
    ui::Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
}

void TfmParamPrompter::Prepare(TMxDataModel* model, const QString& caption, TMxParamControlList* controls, bool testing)
{
    setWindowTitle(caption);
    DialogBuilder->DataModel = model;
    DialogBuilder->SetTesting(testing);
    DialogBuilder->SetParamControls(controls);
    showLastAnswers(controls);
    const int w = DialogBuilder->ParamControls()->DesignW();
    const int h = DialogBuilder->ParamControls()->DesignH();
    DialogBuilder->setGeometry(0, 0, w, h);
    // placed from the design size, before the buttons are added
    centre(this, QSize(w, h));
    const TPrompterLayout layout = PrompterLayout(w, h);
    setFixedSize(layout.client);
    btOk->setGeometry(layout.ok);
    btCancel->setGeometry(layout.cancel);
}

void TfmParamPrompter::showLastAnswers(TMxParamControlList* controls)
{
    // A prompt that comes back (a run refused a value) shows what the user
    // answered, not the design's values again.
    const QList<TVParamControl*>& shapes = DialogBuilder->Shapes();
    for (int i = 0; i < shapes.size() && controls && i < controls->Count(); ++i) {
        TMxParamControl* shown = shapes[i]->ParamControl();
        QWidget* live = shapes[i]->Control();
        if (!shown || !live)
            continue;
        TControlState state;
        const TControlState now = stateOf(live);
        if (StateOfAnswers(shown->Kind(), shown->Values()->toStringList(), controls->Items(i)->LoadedValues()->toStringList(),
                now.lines, state))
            showState(live, state);
    }
}

void TfmParamPrompter::StoreAnswers(TMxParamControlList* target)
{
    DialogBuilder->hide();
    const QList<TVParamControl*>& shapes = DialogBuilder->Shapes();
    for (int i = 0; i < shapes.size() && target && i < target->Count(); ++i) {
        TMxParamControl* answered = target->Items(i);
        TMxParamControl* shown = shapes[i]->ParamControl();
        answered->LoadedValues()->Clear();
        if (!shown)
            continue;
        const QStringList answers = ControlAnswers(shown->Kind(), shown->Values()->toStringList(), stateOf(shapes[i]->Control()));
        answered->LoadedValues()->setStringList(answers);
    }
}

void PromptParams(TMxDataModel* model, const QString& caption, bool& ok, TStrings*, TMxParamControlList* controls, bool testing)
{
    auto form = std::make_unique<TfmParamPrompter>();
    form->setWindowModality(Qt::ApplicationModal);
    try {
        form->Prepare(model, caption, controls, testing);
        form->raise();
        form->activateWindow();
        ok = ui::RunModal(*form) == QDialog::Accepted;
        // Cancel too: the answers are what the dialog shows.
        form->StoreAnswers(controls);
    } catch (...) {
        form->DialogBuilder->SetParamControls(nullptr);
        throw;
    }
    form->DialogBuilder->SetParamControls(nullptr);
}

TfmParamType::TfmParamType(QWidget* parent)
    : QDialog(parent)
    , edParamName(new QLineEdit(this))
    , cobParamType(new QComboBox(this))
{
    setObjectName(QStringLiteral("fmParamType"));
    setWindowTitle(Translate(QStringLiteral("Paramètre")));
    setProperty("helpContext", 78);
    edParamName->setObjectName(QStringLiteral("edParamName"));
    cobParamType->setObjectName(QStringLiteral("cobParamType"));
    auto* form = new QFormLayout;
    form->addRow(Translate(QStringLiteral("&Nom :")), edParamName);
    form->addRow(Translate(QStringLiteral("&Type :")), cobParamType);
    auto* buttons = new QDialogButtonBox(this);
    btOk = buttons->addButton(Translate(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    btCancel = buttons->addButton(Translate(QStringLiteral("Annuler")), QDialogButtonBox::RejectRole);
    btOk->setObjectName(QStringLiteral("btOk"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btOk->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ui::Connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    ui::Connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    ui::Connect(edParamName, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    ui::Connect(cobParamType, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
}

void TfmParamType::UpdateOk()
{
    btOk->setEnabled(!edParamName->text().isEmpty() && cobParamType->currentIndex() >= 0);
}

bool EditParamType(QString& name, int& typeIndex, const QStringList& typeNames)
{
    TfmParamType form;
    form.setWindowModality(Qt::ApplicationModal);
    form.edParamName->setText(name);
    form.cobParamType->addItems(typeNames);
    form.cobParamType->setCurrentIndex(typeIndex >= 0 && typeIndex < typeNames.size() ? typeIndex : -1);
    form.UpdateOk();
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    name = form.edParamName->text();
    typeIndex = form.cobParamType->currentIndex();
    return true;
}

} // namespace mx
