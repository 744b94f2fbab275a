// The administration program's editors of a model and of the
// installation over the sample: configuration, sets, users and groups,
// entities and the field picker.

#include "shots.h"

#include "admin/modeldialogs/fmconfig.h"
#include "admin/modeldialogs/fmentities.h"
#include "admin/modeldialogs/fmsets.h"
#include "admin/modeldialogs/fmusers.h"

#include "engine/core/itemptr.h"
#include "engine/model/datamodel.h"
#include "engine/model/domain.h"
#include "engine/model/entity.h"
#include "engine/model/table.h"
#include "engine/model/user.h"

#include <QAbstractItemView>
#include <QTabWidget>

namespace mx::shots {

namespace {

void SelectRow(QWidget& form, const char* view, int row)
{
    auto* v = form.findChild<QAbstractItemView*>(QString::fromLatin1(view));
    if (v && v->model() && row < v->model()->rowCount())
        v->selectionModel()->setCurrentIndex(v->model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

} // namespace

void ShootAdminModel(TShots& shots)
{
    // The sample model with users and groups, opened as its administrator.
    TItemPtr<TMxDataModel> model(new TMxDataModel(nullptr));
    model->Open(shots.Sample(QStringLiteral("EXEMPLE_ACCES.MDD")), QStringLiteral("Admin"), QStringLiteral("admin"));
    {
        admin::TfmConfig form;
        shots.Save(&form, QStringLiteral("fmConfig-results"));
    }
    {
        admin::TfmConfig form;
        if (auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("pcMain")))
            tabs->setCurrentIndex(1);
        form.ShowDatasource(0);
        shots.Save(&form, QStringLiteral("fmConfig"));
    }
    {
        admin::TfmSets form(model.get());
        SelectRow(form, "lbSets", model->Domains()->Count() > 1 ? 1 : 0);
        shots.Save(&form, QStringLiteral("fmSets"));
    }
    {
        TMxDomainList* sets = model->Domains();
        TMxDomain* set = sets->Items(sets->Count() > 1 ? 1 : 0);
        admin::TfmSet form(model.get(), set, sets, model->Groups());
        shots.Save(&form, QStringLiteral("fmSet"));
    }
    {
        admin::TfmUserList form(model.get());
        SelectRow(form, "lbUsers", 0);
        SelectRow(form, "lbGroups", 0);
        shots.Save(&form, QStringLiteral("fmUserList"));
    }
    {
        TMxUserList* users = model->Users();
        const int index = users->Count() > 1 ? 1 : 0;
        TItemPtr<TMxUser> none(new TMxUser(nullptr));
        admin::TfmUser form(users->Count() > 0 ? users->Items(index) : none.get(), users, users->Count() > 0 ? index : -1);
        shots.Save(&form, QStringLiteral("fmUser"));
    }
    {
        TMxUserGroupList* groups = model->Groups();
        const int index = groups->Count() > 1 ? 1 : 0;
        TItemPtr<TMxUserGroup> none(new TMxUserGroup(nullptr));
        admin::TfmUserGroup form(groups->Count() > 0 ? groups->Items(index) : none.get(), model->Users(), groups,
            groups->Count() > 0 ? index : -1);
        shots.Save(&form, QStringLiteral("fmUserGroup"));
    }
    {
        admin::TfmEntities form(model.get());
        shots.Save(&form, QStringLiteral("fmEntities"));
    }
    {
        // The table whose entity leaves the most fields to choose from.
        TMxTable* table = nullptr;
        int best = -1;
        for (int i = 0; i < model->Tables()->Count(); ++i) {
            TMxTable* t = model->Tables()->Items(i);
            int held = 0;
            for (int e = 0; e < t->Entities()->Count(); ++e)
                held += t->Entities()->Items(e)->WFields()->Count();
            if (t->Entities()->Count() > 0 && t->Fields()->Count() - held > best) {
                best = t->Fields()->Count() - held;
                table = t;
            }
        }
        if (table) {
            // On a copy whose entity gave back its last two fields, so
            // that both sides show.
            TItemPtr<TMxTable> copy(static_cast<TMxTable*>(table->Clone(nullptr)));
            TMxList* fields = copy->Entities()->Items(0)->WFields();
            for (int n = 0; n < 2 && fields->Count() > 1; ++n)
                TMxItem::Free(fields->Last());
            admin::TfmSelectEntityFields form(copy.get(), copy->Entities()->Items(0));
            SelectRow(form, "lbAvailable", 0);
            shots.Save(&form, QStringLiteral("fmSelectEntityFields"));
        } else {
            shots.Fail(QStringLiteral("fmSelectEntityFields"), QStringLiteral("the sample has no entity"));
        }
    }
}

} // namespace mx::shots
