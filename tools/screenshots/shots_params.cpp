// The parameter dialogs over the sample's date-range query: the builder in
// design, the control properties, the type dialog, the prompter and the
// parameter editor.

#include "shots.h"

#include "query/params/dialogbuilder.h"
#include "query/params/paramdialogs.h"
#include "query/params/parameditor.h"
#include "query/params/paramprop.h"
#include "query/params/paramrules.h"

#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/query/query.h"

#include <QComboBox>

#include <memory>

namespace mx::shots {

void ShootParams(TShots& shots)
{
    std::unique_ptr<TMxQuery, void (*)(TMxQuery*)> query(new TMxQuery(nullptr), [](TMxQuery* q) { q->Free(); });
    query->LoadFromFile(shots.Sample(QStringLiteral("COMMANDES_PERIODE.MQR")));
    TMxParamControlList* controls = query->ParamControls();

    {
        TDialogBuilder builder;
        builder.Params = query->Params();
        builder.SetDesigning(true);
        builder.SetShowFrames(true);
        builder.SetParamControls(controls);
        builder.AddControlAt(18, 84, ckCheck)->ParamControl()->SetCaption(QStringLiteral("Livrées"));
        builder.SelectControl(builder.Shapes().value(0));
        shots.Save(&builder, QStringLiteral("paramdialog-design"), controls->DesignW(), controls->DesignH() + 40);

        TfmParamProp prop(builder.Shapes().value(0), query->DataModel());
        shots.Save(&prop, QStringLiteral("fmParamProp"));
        auto* kinds = prop.findChild<QComboBox*>(QStringLiteral("cobParamType"));
        // Each page of values: one value (an edit), a list (a list box),
        // none (a check box).
        for (const auto& [kind, name] : {std::pair{ckEdit, "fmParamProp-edit"}, std::pair{ckListBox, "fmParamProp-list"},
                 std::pair{ckCheck, "fmParamProp-check"}}) {
            kinds->setCurrentIndex(int(kind) - 1);
            shots.Save(&prop, QString::fromLatin1(name));
        }
        builder.Params = nullptr;
    }
    {
        TfmParamType type;
        type.SetParam(query->Params()->Items(0)->Name(), int(query->Params()->Items(0)->ParamType()), ParamTypeNames());
        shots.Save(&type, QStringLiteral("fmParamType"));
    }
    {
        TfmParamPrompter prompter;
        prompter.Prepare(query->DataModel(), query->GetCaption(), controls, false);
        shots.Save(&prompter, QStringLiteral("fmParamPrompter"), prompter.width(), prompter.height());
    }
    {
        TfmParamEditor editor(query->DataModel(), controls, query->Params());
        shots.Save(&editor, QStringLiteral("fmParamEditor"), editor.width(), editor.height());
    }
}

} // namespace mx::shots
