#include "screentexts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QWidget>

namespace mxtest {
namespace {

using Scope = QMap<QChar, QStringList>;

void add(Scope& scope, const QString& text)
{
    const QChar m = Mnemonic(text);
    if (!m.isNull())
        scope[m] << text;
}

void report(const QString& name, const Scope& scope, QStringList& out)
{
    for (auto it = scope.cbegin(); it != scope.cend(); ++it)
        if (it.value().size() > 1)
            out << name + QStringLiteral(": ") + it.key() + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
}

// Shown in this window (not in a window of its own inside it).
bool shownIn(const QWidget* w, const QWidget* window)
{
    return w->window() == window && w->isVisibleTo(window);
}

} // namespace

QChar Mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toCaseFolded();
    }
    return {};
}

QStringList MnemonicClashes(const QWidget* window)
{
    QStringList out;
    Scope own;
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (shownIn(b, window))
            add(own, b->text());
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && shownIn(l, window))
            add(own, l->text());
    for (const QGroupBox* g : window->findChildren<QGroupBox*>())
        if (shownIn(g, window))
            add(own, g->title());
    for (const QTabBar* t : window->findChildren<QTabBar*>())
        if (shownIn(t, window))
            for (int i = 0; i < t->count(); ++i)
                if (t->isTabVisible(i))
                    add(own, t->tabText(i));
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>())
        if (bar->window() == window)
            for (const QAction* a : bar->actions())
                if (a->isVisible())
                    add(own, a->text());
    report(window->objectName(), own, out);
    for (const QMenu* menu : window->findChildren<QMenu*>()) {
        Scope scope;
        for (const QAction* a : menu->actions())
            if (a->isVisible() && !a->isSeparator())
                add(scope, a->text());
        report(window->objectName() + u'/' + menu->objectName(), scope, out);
    }
    return out;
}

QStringList LiteralAmpersands(const QWidget* window)
{
    QStringList out;
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (!l->buddy() && l->textFormat() != Qt::RichText && shownIn(l, window)
            && !Mnemonic(l->text()).isNull())
            out << l->objectName() + QStringLiteral(": ") + l->text();
    return out;
}

} // namespace mxtest
