// F1 on each editor opens the help page of its context, as its "Aide"
// button does; the configuration window's context follows its tab.

#include "modeldialogtest.h"

#include "admin/modeldialogs/fmconfig.h"
#include "admin/modeldialogs/fmentities.h"
#include "admin/modeldialogs/fmsets.h"
#include "admin/modeldialogs/fmusers.h"

#include "engine/model/domain.h"
#include "engine/model/user.h"

#include <QTabWidget>

#include <functional>
#include <memory>

namespace admintest {
namespace {

class Help : public AdminDialogTest {
protected:
    mx::TItemPtr<mx::TMxDataModel> model{mxtest::MakeSampleModel()};
};

TEST_F(Help, F1AndAideOpenTheContextOfEachEditor)
{
    using Make = std::function<std::unique_ptr<QDialog>()>;
    mx::TMxDataModel* m = model.get();
    const std::pair<Make, int> cases[] = {
        {[m] { return std::make_unique<mx::admin::TfmSets>(m); }, 111},
        {[m] { return std::make_unique<mx::admin::TfmSet>(m, m->Domains()->Items(1), m->Domains(), m->Groups()); }, 174},
        {[m] { return std::make_unique<mx::admin::TfmUserList>(m); }, 110},
        {[m] { return std::make_unique<mx::admin::TfmUser>(m->Users()->Items(1), m->Users(), 1); }, 163},
        {[m] { return std::make_unique<mx::admin::TfmUserGroup>(m->Groups()->Items(0), m->Users(), m->Groups(), 0); }, 164},
        {[m] { return std::make_unique<mx::admin::TfmEntities>(m); }, 108},
        {[] { return std::make_unique<mx::admin::TfmConfig>(); }, 129},
    };
    for (const auto& [make, context] : cases) {
        std::unique_ptr<QDialog> d = make();
        d->show();
        m_ui.service.requests.clear();
        QTest::keyClick(d.get(), Qt::Key_F1);
        Click(*d, "btHelp");
        const QStringList help = m_ui.service.texts(QStringLiteral("help"));
        ASSERT_EQ(help.size(), 2) << d->objectName().toStdString();
        EXPECT_TRUE(help[0].endsWith(u'#' + QString::number(context))) << help[0].toStdString();
        EXPECT_EQ(help[1], help[0]);
    }
    mx::admin::TfmConfig config;
    config.show();
    m_ui.service.requests.clear();
    Child<QTabWidget>(config, "pcMain")->setCurrentIndex(1);
    QTest::keyClick(&config, Qt::Key_F1);
    ASSERT_EQ(m_ui.service.count(QStringLiteral("help")), 1);
    EXPECT_TRUE(m_ui.service.texts(QStringLiteral("help"))[0].endsWith(QStringLiteral("#105")));
}

} // namespace
} // namespace admintest
