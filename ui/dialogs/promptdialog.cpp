#include "promptdialog.h"

#include "dialogs.h"

#include "engine/core/exceptions.h"
#include "engine/core/strings.h"
#include "engine/errors/errorhandler.h"
#include "ui/services/guarded.h"
#include "engine/settings/global.h"
#include "engine/settings/lang.h"
#include "engine/tools/values.h"
#include "ui/services/modalrunner.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mx::ui {

TfmPromptString::TfmPromptString(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmPromptString"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    gb = new QGroupBox(this);
    gb->setObjectName(QStringLiteral("gb"));
    auto* inner = new QVBoxLayout(gb);
    laPrompt = new QLabel(gb);
    laPrompt->setObjectName(QStringLiteral("laPrompt"));
    laPrompt->setWordWrap(true);
    ed = new QLineEdit(gb);
    ed->setObjectName(QStringLiteral("ed"));
    laPrompt->setBuddy(ed);
    inner->addWidget(laPrompt);
    inner->addWidget(ed);
    layout->addWidget(gb);
    auto* buttons = new QDialogButtonBox(this);
    btOk = buttons->addButton(QStringLiteral("|Ok"), QDialogButtonBox::AcceptRole);
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);
    btCancel = buttons->addButton(QStringLiteral("|Annuler"), QDialogButtonBox::RejectRole);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    layout->addWidget(buttons);
    Connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    Connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    Connect(ed, &QLineEdit::textChanged, this, [this] { edChange(); });
    const int em = fontMetrics().horizontalAdvance(u'M');
    setMinimumWidth(em * 28);
    ed->setFocus();
    LangClientLoadedOrPlain(this);
}

void TfmPromptString::Setup(const QString& caption, const QString& prompt, int maxLength, const QString& value, const QString& kind)
{
    m_kind = kind;
    setWindowTitle(caption);
    laPrompt->setText(prompt);
    ed->setMaxLength(maxLength > 0 ? maxLength : 32767);
    ed->setText(value);
    edChange();
}

QString TfmPromptString::Value() const
{
    return ed->text();
}

void TfmPromptString::edChange()
{
    btOk->setEnabled(!ed->text().isEmpty());
}

void TfmPromptString::accept()
{
    if (ed->text().isEmpty())
        return;
    const bool ok = Guard(this, [this] {
        CheckValueType(m_kind.left(1), ed->text(), QStringLiteral("La valeur %s doit être %s"));
    });
    if (!ok) {
        ed->setFocus();
        return;
    }
    QDialog::accept();
}

namespace {

// The arrow for the life of a dialog, whatever the caller had set.
class ArrowCursor {
public:
    ArrowCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~ArrowCursor() { QGuiApplication::restoreOverrideCursor(); }
};

} // namespace

bool PromptString(const QString& caption, const QString& prompt, TStrings* list, int maxLength, QString& value,
    const QString& /*unused*/, const QString& kind)
{
    if (!CanShowDialogs())
        throw EMxAbort(TranslateFmt(QStringLiteral("%s : une valeur est demandée, et aucune fenêtre ne peut s'ouvrir pour la saisir."),
            {caption}));
    ArrowCursor cursor;
    TfmPromptString form(QApplication::activeWindow());
    form.Setup(caption, prompt, maxLength, value, kind);
    if (RunModal(form) != QDialog::Accepted)
        return false;
    value = form.Value();
    if (list)
        list->Add(value);
    return true;
}

bool PromptStringSimple(const QString& caption, const QString& prompt, QString& value)
{
    return PromptString(caption, prompt, nullptr, 255, value, QString(), QStringLiteral("A"));
}

} // namespace mx::ui
