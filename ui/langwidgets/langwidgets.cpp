#include "langwidgets.h"

#include "engine/settings/lang.h"

#include <QComboBox>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

namespace mx::ui {
namespace {

template <class Get, class Set>
void apply(const TCustomLang::StringRoutine& routine, Get get, Set set)
{
    const QString old = get();
    QString s = old;
    routine(s);
    if (s != old)
        set(s);
}

void translateItems(QObject* obj, const TCustomLang::StringRoutine& routine)
{
    if (auto* c = qobject_cast<QComboBox*>(obj)) {
        for (int i = 0; i < c->count(); ++i)
            apply(routine, [&] { return c->itemText(i); }, [&](const QString& s) { c->setItemText(i, s); });
    } else if (auto* l = qobject_cast<QListWidget*>(obj)) {
        for (int i = 0; i < l->count(); ++i) {
            QListWidgetItem* it = l->item(i);
            apply(routine, [&] { return it->text(); }, [&](const QString& s) { it->setText(s); });
        }
    } else if (auto* t = qobject_cast<QTabWidget*>(obj)) {
        for (int i = 0; i < t->count(); ++i) {
            apply(routine, [&] { return t->tabText(i); }, [&](const QString& s) { t->setTabText(i, s); });
            apply(routine, [&] { return t->tabToolTip(i); }, [&](const QString& s) { t->setTabToolTip(i, s); });
        }
    } else if (auto* tr = qobject_cast<QTreeWidget*>(obj)) {
        if (QTreeWidgetItem* h = tr->headerItem())
            for (int c = 0; c < h->columnCount(); ++c)
                apply(routine, [&] { return h->text(c); }, [&](const QString& s) { h->setText(c, s); });
    } else if (auto* tb = qobject_cast<QTableWidget*>(obj)) {
        for (int c = 0; c < tb->columnCount(); ++c)
            if (QTableWidgetItem* h = tb->horizontalHeaderItem(c))
                apply(routine, [&] { return h->text(); }, [&](const QString& s) { h->setText(s); });
        for (int r = 0; r < tb->rowCount(); ++r)
            if (QTableWidgetItem* h = tb->verticalHeaderItem(r))
                apply(routine, [&] { return h->text(); }, [&](const QString& s) { h->setText(s); });
    }
}

} // namespace

void InstallWidgetTranslation()
{
    TranslateItemTextsHook.set(translateItems);
}

} // namespace mx::ui
