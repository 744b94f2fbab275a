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
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(s.text);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        const int index = c->findText(s.text);
        if (index >= 0)
            c->setCurrentIndex(index);
        if (c->isEditable())
            c->setEditText(s.text);
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        for (int i = 0; i < l->count(); ++i)
            l->item(i)->setSelected(s.selected.contains(i));
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
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

struct TfmParamPrompter::TUi {
    TDialogBuilder* DialogBuilder = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
};

TfmParamPrompter::TfmParamPrompter(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<TUi>())
{
    m_ui->DialogBuilder = new TDialogBuilder(this);
    m_ui->btOk = new QPushButton(Translate(QStringLiteral("Ok")), this);
    m_ui->btCancel = new QPushButton(Translate(QStringLiteral("Annuler")), this);
    setObjectName(QStringLiteral("fmParamPrompter"));
    setWindowTitle(Translate(QStringLiteral("Paramètres")));
    m_ui->btOk->setObjectName(QStringLiteral("btOk"));
    m_ui->btCancel->setObjectName(QStringLiteral("btCancel"));
    m_ui->btOk->setDefault(true);
    m_ui->DialogBuilder->SetDesigning(false);
    m_ui->DialogBuilder->SetShowFrames(false);
    ui::Connect(m_ui->btOk, &QPushButton::clicked, this, [this] { accept(); });
    ui::Connect(m_ui->btCancel, &QPushButton::clicked, this, [this] { reject(); });
}

TfmParamPrompter::~TfmParamPrompter()
{
    // the children signal while they go, after the widget table is gone
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

void TfmParamPrompter::Prepare(TMxDataModel* model, const QString& caption, TMxParamControlList* controls, bool testing)
{
    setWindowTitle(caption);
    m_ui->DialogBuilder->DataModel = model;
    m_ui->DialogBuilder->SetTesting(testing);
    m_ui->DialogBuilder->SetParamControls(controls);
    showLastAnswers(controls);
    const int w = m_ui->DialogBuilder->ParamControls()->DesignW();
    const int h = m_ui->DialogBuilder->ParamControls()->DesignH();
    m_ui->DialogBuilder->setGeometry(0, 0, w, h);
    // placed from the design size, before the buttons are added
    centre(this, QSize(w, h));
    const TPrompterLayout layout = PrompterLayout(w, h);
    setFixedSize(layout.client);
    m_ui->btOk->setGeometry(layout.ok);
    m_ui->btCancel->setGeometry(layout.cancel);
}

void TfmParamPrompter::showLastAnswers(TMxParamControlList* controls)
{
    // A prompt that comes back (a run refused a value) shows what the user
    // answered, not the design's values again.
    const QList<TVParamControl*>& shapes = m_ui->DialogBuilder->Shapes();
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
    m_ui->DialogBuilder->hide();
    const QList<TVParamControl*>& shapes = m_ui->DialogBuilder->Shapes();
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

void TfmParamPrompter::ReleaseControls()
{
    m_ui->DialogBuilder->SetParamControls(nullptr);
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
        form->ReleaseControls();
        throw;
    }
    form->ReleaseControls();
}

struct TfmParamType::TUi {
    QLineEdit* edParamName = nullptr;
    QComboBox* cobParamType = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
};

TfmParamType::TfmParamType(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<TUi>())
{
    m_ui->edParamName = new QLineEdit(this);
    m_ui->cobParamType = new QComboBox(this);
    setObjectName(QStringLiteral("fmParamType"));
    setWindowTitle(Translate(QStringLiteral("Paramètre")));
    setProperty("helpContext", 78);
    m_ui->edParamName->setObjectName(QStringLiteral("edParamName"));
    m_ui->cobParamType->setObjectName(QStringLiteral("cobParamType"));
    auto* form = new QFormLayout;
    form->addRow(Translate(QStringLiteral("&Nom :")), m_ui->edParamName);
    form->addRow(Translate(QStringLiteral("&Type :")), m_ui->cobParamType);
    auto* buttons = new QDialogButtonBox(this);
    m_ui->btOk = buttons->addButton(Translate(QStringLiteral("Ok")), QDialogButtonBox::AcceptRole);
    m_ui->btCancel = buttons->addButton(Translate(QStringLiteral("Annuler")), QDialogButtonBox::RejectRole);
    m_ui->btOk->setObjectName(QStringLiteral("btOk"));
    m_ui->btCancel->setObjectName(QStringLiteral("btCancel"));
    m_ui->btOk->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ui::Connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    ui::Connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    ui::Connect(m_ui->edParamName, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    ui::Connect(m_ui->cobParamType, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
}

TfmParamType::~TfmParamType()
{
    // the children signal while they go, after the widget table is gone
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

void TfmParamType::SetParam(const QString& name, int typeIndex, const QStringList& typeNames)
{
    m_ui->edParamName->setText(name);
    m_ui->cobParamType->clear();
    m_ui->cobParamType->addItems(typeNames);
    m_ui->cobParamType->setCurrentIndex(typeIndex >= 0 && typeIndex < typeNames.size() ? typeIndex : -1);
    UpdateOk();
}

QString TfmParamType::ParamName() const
{
    return m_ui->edParamName->text();
}

int TfmParamType::TypeIndex() const
{
    return m_ui->cobParamType->currentIndex();
}

void TfmParamType::UpdateOk()
{
    m_ui->btOk->setEnabled(!m_ui->edParamName->text().isEmpty() && m_ui->cobParamType->currentIndex() >= 0);
}

bool EditParamType(QString& name, int& typeIndex, const QStringList& typeNames)
{
    TfmParamType form;
    form.setWindowModality(Qt::ApplicationModal);
    form.SetParam(name, typeIndex, typeNames);
    if (ui::RunModal(form) != QDialog::Accepted)
        return false;
    name = form.ParamName();
    typeIndex = form.TypeIndex();
    return true;
}

} // namespace mx
