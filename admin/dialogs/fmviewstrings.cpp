#include "fmviewstrings.h"

#include "engine/core/translate.h"
#include "engine/stream/safefile.h"

#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"
#include "ui/services/modalrunner.h"
#include "ui/services/namedwidget.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace mx::admin {

struct TfmViewStrings::TUi {
    QPlainTextEdit* moLines;
    QPushButton* btClear;
    QPushButton* btSave;
    QPushButton* btClose;
};

TfmViewStrings::TfmViewStrings(const QString& caption, const QStringList& lines, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_lines(lines)
{
    using ui::Named;
    setObjectName(QStringLiteral("fmViewStrings"));
    setWindowTitle(caption);
    TUi& u = *m_ui;
    u.moLines = Named(new QPlainTextEdit(this), "moLines");
    u.moLines->setReadOnly(true);
    u.moLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    u.moLines->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    u.moLines->setPlainText(lines.join(QLatin1Char('\n')));
    u.btClear = ui::NamedButton(this, "btClear", "&Vider");
    u.btSave = ui::NamedButton(this, "btSave", "&Enregistrer...");
    u.btClose = ui::NamedButton(this, "btClose", "&Fermer");
    u.btClose->setDefault(true);
    u.btClear->setAutoDefault(false);
    u.btSave->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(u.btClear);
    buttons->addStretch();
    buttons->addWidget(u.btSave);
    buttons->addWidget(u.btClose);
    auto* main = new QVBoxLayout(this);
    main->addWidget(u.moLines, 1);
    main->addLayout(buttons);
    // As wide as the longest line, within reason; the rest scrolls.
    const QFontMetrics fm(u.moLines->font());
    const int em = fm.horizontalAdvance(QLatin1Char('M'));
    int longest = 0;
    for (const QString& line : lines)
        longest = std::max(longest, fm.horizontalAdvance(line));
    const int chrome = u.moLines->frameWidth() * 2 + int(u.moLines->document()->documentMargin() * 2)
        + u.moLines->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + em;
    u.moLines->setMinimumSize(std::clamp(longest + chrome, em * 30, em * 70), fm.lineSpacing() * 16);

    ui::Connect(u.btClear, &QPushButton::clicked, this, [this] { done(mrClear); });
    ui::Connect(u.btClose, &QPushButton::clicked, this, [this] { done(mrClose); });
    ui::Connect(u.btSave, &QPushButton::clicked, this, [this] { SaveLines(); });
}

TfmViewStrings::~TfmViewStrings() = default;

void TfmViewStrings::reject()
{
    done(mrClose);
}

void TfmViewStrings::SaveLines()
{
    ui::TFileRequest request;
    request.caption = Translate("Enregistrer sous");
    request.filters = {Translate("Fichier texte (*.TXT *.txt)")};
    request.defaultSuffix = QStringLiteral("txt");
    const QString name = ui::UiService().SaveFileName(this, request);
    if (name.isEmpty())
        return;
    QString text;
    for (const QString& line : m_lines)
        text += line + QLatin1Char('\n');
    WriteFileWithBackup(name, text.toUtf8(), false);
}

int ViewStrings(const QString& caption, const QStringList& lines)
{
    TfmViewStrings form(caption, lines);
    return ui::RunModal(form);
}

} // namespace mx::admin
