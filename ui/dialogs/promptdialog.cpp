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

struct TfmPromptString::TUi {
    QGroupBox* gb = nullptr;
    QLabel* laPrompt = nullptr;
    QLineEdit* ed = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
};

TfmPromptString::TfmPromptString(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<TUi>())
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmPromptString"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    u.gb = new QGroupBox(this);
    u.gb->setObjectName(QStringLiteral("gb"));
    auto* inner = new QVBoxLayout(u.gb);
    u.laPrompt = new QLabel(u.gb);
    u.laPrompt->setObjectName(QStringLiteral("laPrompt"));
    u.laPrompt->setWordWrap(true);
    u.ed = new QLineEdit(u.gb);
    u.ed->setObjectName(QStringLiteral("ed"));
    u.laPrompt->setBuddy(u.ed);
    inner->addWidget(u.laPrompt);
    inner->addWidget(u.ed);
    layout->addWidget(u.gb);
    auto* buttons = new QDialogButtonBox(this);
    u.btOk = buttons->addButton(QStringLiteral("|Ok"), QDialogButtonBox::AcceptRole);
    u.btOk->setObjectName(QStringLiteral("btOk"));
    u.btOk->setDefault(true);
    u.btCancel = buttons->addButton(QStringLiteral("|Annuler"), QDialogButtonBox::RejectRole);
    u.btCancel->setObjectName(QStringLiteral("btCancel"));
    layout->addWidget(buttons);
    Connect(buttons, &QDialogButtonBox::accepted, this, [this] { accept(); });
    Connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    Connect(u.ed, &QLineEdit::textChanged, this, [this] { edChange(); });
    const int em = fontMetrics().horizontalAdvance(u'M');
    setMinimumWidth(em * 28);
    u.ed->setFocus();
    LangClientLoadedOrPlain(this);
}

TfmPromptString::~TfmPromptString() = default;

void TfmPromptString::Setup(const QString& caption, const QString& prompt, int maxLength, const QString& value, const QString& kind)
{
    m_kind = kind;
    setWindowTitle(caption);
    m_ui->laPrompt->setText(prompt);
    m_ui->ed->setMaxLength(maxLength > 0 ? maxLength : 32767);
    m_ui->ed->setText(value);
    edChange();
}

QString TfmPromptString::Value() const
{
    return m_ui->ed->text();
}

void TfmPromptString::edChange()
{
    m_ui->btOk->setEnabled(!m_ui->ed->text().isEmpty());
}

void TfmPromptString::accept()
{
    if (m_ui->ed->text().isEmpty())
        return;
    const bool ok = Guard(this, [this] {
        CheckValueType(m_kind.left(1), m_ui->ed->text(), QStringLiteral("La valeur %s doit être %s"));
    });
    if (!ok) {
        m_ui->ed->setFocus();
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
