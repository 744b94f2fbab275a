#pragma once
// What the tests of the administration dialogs share: the application on
// the offscreen platform, the installation's definitions and the sample's
// alias (SampleEngineTest), the scripted service and the scripted modal
// runner, and the bytes of a model as saved.

#include "tests/ui/uitest.h"

#include "tests/support/samplefiles.h"
#include "tests/support/samplemodel.h"
#include "tests/support/ui/scriptedmodal.h"
#include "tests/support/ui/scriptedservice.h"

#include "engine/bde/bdesession.h"
#include "engine/core/itemptr.h"
#include "engine/model/datamodel.h"

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QAbstractItemView>

namespace admintest {

class AdminDialogTest : public mxtest::SampleEngineTest {
protected:
    AdminDialogTest() { mx::ResetBdeSession(); }
    ~AdminDialogTest() override { mx::ResetBdeSession(); }

    // The model as its file would hold it.
    static QByteArray Bytes(mx::TMxDataModel* model) { return model->SaveToBytes(); }

    // Every model a view of the dialog shows, under Qt's model checks.
    static void CheckModels(QWidget& dialog)
    {
        for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>())
            if (view->model())
                new QAbstractItemModelTester(view->model(), QAbstractItemModelTester::FailureReportingMode::Fatal, view);
    }

    mx::ui::test::ScopedScriptedUi m_ui;
    mx::ui::test::TScriptedModal m_modal;
};

// The texts of a view's rows, in order.
inline QStringList Rows(const QAbstractItemView* view)
{
    QStringList out;
    const QAbstractItemModel* m = view->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, 0).data().toString();
    return out;
}

// Selects the rows whose text is one of names, as ctrl-clicks would.
inline void SelectRows(QAbstractItemView* view, const QStringList& names)
{
    view->clearSelection();
    const QAbstractItemModel* m = view->model();
    for (int r = 0; r < m->rowCount(); ++r)
        if (names.contains(m->index(r, 0).data().toString()))
            view->selectionModel()->select(m->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace admintest
