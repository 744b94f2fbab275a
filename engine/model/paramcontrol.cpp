#include "paramcontrol.h"

#include "database.h"
#include "datamodel.h"
#include "modelhooks.h"
#include "engine/settings/global.h"
#include "queryfield.h"
#include "storevalue.h"
#include "table.h"

#include "engine/core/userservice.h"
#include "engine/tools/hooks.h"

namespace mx {

static void describeControl(ClassBuilder<TMxParamControl>& c)
{
    using C = TMxParamControl;
    c.enumeration(QStringLiteral("Kind"), DlgControlKindInfo(), &C::Kind, &C::SetKind, qint64(ckEdit));
    c.object(QStringLiteral("Values"), &C::Values);
    c.string(QStringLiteral("Caption"), &C::Caption, &C::SetCaption);
    c.enumeration(QStringLiteral("CaptionAlign"), CaptionAlignInfo(), &C::CaptionAlign, &C::SetCaptionAlign);
    c.string(QStringLiteral("ParamName"), &C::ParamName, &C::SetParamName);
    c.integer(QStringLiteral("DesignX"), &C::DesignX, &C::SetDesignX);
    c.integer(QStringLiteral("DesignY"), &C::DesignY, &C::SetDesignY);
    c.integer(QStringLiteral("DesignW"), &C::DesignW, &C::SetDesignW);
    c.integer(QStringLiteral("DesignH"), &C::DesignH, &C::SetDesignH);
    c.object(QStringLiteral("Font"), &C::Font);
    c.integer(QStringLiteral("TableId"), &C::TableId, &C::SetTableId);
    c.string(QStringLiteral("FieldName"), &C::FieldName, &C::SetFieldName);
    c.string(QStringLiteral("FieldFullName"), &C::FieldFullName, &C::SetFieldFullName);
    c.boolean(QStringLiteral("AllowMultiSelect"), &C::AllowMultiSelect, &C::SetAllowMultiSelect);
    c.object(QStringLiteral("Picture"), &C::Picture);
}
MX_DEFINE_CLASS(TMxParamControl, TMxItem, describeControl)

TMxParamControl::TMxParamControl(TMxItem* owner)
    : TMxItem(owner)
    , m_values(std::make_unique<TStrings>())
    , m_font(std::make_unique<TFontSpec>())
    , m_picture(std::make_unique<TPictureSpec>())
    , m_loadedValues(std::make_unique<TStrings>())
{
    m_font->OnChange = [this] { Change(); };
    m_picture->OnChange = [this] { Change(); };
}

TMxParamControl::~TMxParamControl()
{
    m_font->OnChange = nullptr;
    m_picture->OnChange = nullptr;
}

void TMxParamControl::Destroying()
{
    SetKind(ckNone);
    TMxItem::Destroying();
}

void TMxParamControl::SetKind(TDlgControlKind value)
{
    if (StoreIfChanged(m_kind, value))
        Change();
}

void TMxParamControl::SetValues(const TStrings& value)
{
    m_values->Assign(&value);
    Change();
}

void TMxParamControl::SetCaption(const QString& value)
{
    if (StoreIfChanged(m_caption, value))
        Change();
}

void TMxParamControl::SetCaptionAlign(TCaptionAlign value)
{
    if (StoreIfChanged(m_captionAlign, value))
        Change();
}

void TMxParamControl::SetParamName(const QString& value)
{
    if (value == m_paramName)
        return;
    if (!m_paramName.isEmpty() && m_caption == m_paramName)
        m_caption = value;
    m_paramName = value;
    Change();
}

void TMxParamControl::SetDesignX(int value)
{
    if (StoreIfChanged(m_designX, value))
        Change();
}
void TMxParamControl::SetDesignY(int value)
{
    if (StoreIfChanged(m_designY, value))
        Change();
}
void TMxParamControl::SetDesignW(int value)
{
    if (StoreIfChanged(m_designW, value))
        Change();
}
void TMxParamControl::SetDesignH(int value)
{
    if (StoreIfChanged(m_designH, value))
        Change();
}

void TMxParamControl::SetFont(const TFontSpec& value)
{
    m_font->Assign(&value);
    Change();
}

void TMxParamControl::SetTableId(int value)
{
    if (StoreIfChanged(m_tableId, value))
        Change();
}
void TMxParamControl::SetFieldName(const QString& value)
{
    if (StoreIfChanged(m_fieldName, value))
        Change();
}
void TMxParamControl::SetFieldFullName(const QString& value)
{
    if (StoreIfChanged(m_fieldFullName, value))
        Change();
}
void TMxParamControl::SetAllowMultiSelect(bool value)
{
    if (StoreIfChanged(m_allowMultiSelect, value))
        Change();
}

void TMxParamControl::SetPicture(const TPictureSpec& value)
{
    m_picture->Assign(&value);
    Change();
}

void TMxParamControl::FillValues(TMxDataModel* model, int maxCount)
{
    struct Session {
        TMxParamControl* control;
        explicit Session(TMxParamControl* c) : control(c)
        {
            control->BeginUpdate();
            UserService().SetBusy(true);
        }
        ~Session()
        {
            UserService().SetBusy(false);
            control->EndUpdate();
        }
    } session(this);

    m_values->Clear();
    if (!model)
        return;
    // By table and name: two tables may hold fields of the same name.
    TMxQueryField* field = model->AllFields()->FindByTable(m_tableId, m_fieldName, 0);
    if (!field) {
        UserService().Warning(TranslateFmt(QStringLiteral("Le champ %s n'existe pas dans le modèle de données"), {m_fieldFullName}));
        return;
    }
    TMxTable* table = model->Tables()->FindById(m_tableId);
    if (!table) {
        UserService().Warning(TranslateFmt(QStringLiteral("La table du champ %s n'existe pas dans le modèle de données"), {m_fieldFullName}));
        return;
    }
    TMxDatabaseItem* database = model->Databases()->FindByName(table->Database());
    if (!database) {
        UserService().Warning(TranslateFmt(QStringLiteral("La base de données %s n'est pas décrite dans le modèle de données"), {table->Database()}));
        return;
    }
    TFieldValuesRequest request;
    if (!database->GetSyntax(request.Syntax)) {
        UserService().Warning(TranslateFmt(QStringLiteral("Le pilote %s n'a pas de dialecte SQL"), {database->DriverName()}));
        return;
    }
    request.DatabaseName = table->Database();
    request.TableName = table->Name();
    request.UserName = database->UserName();
    request.Password = database->Password();
    request.FieldName = field->Name();
    std::unique_ptr<TFieldValueCursor> values = ReadFieldValues(request);
    if (!values)
        return;
    values->First();
    m_values->Clear();
    QStringList taken;
    while (taken.size() < maxCount && !values->Eof()) {
        taken << values->FirstColumn();
        values->Next();
    }
    m_values->setStringList(taken);
}

void TMxParamControl::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* c = dynamic_cast<const TMxParamControl*>(source);
    if (!c || c == this)
        return;
    BeginUpdate();
    try {
        SetDesignX(c->m_designX);
        SetDesignY(c->m_designY);
        SetDesignW(c->m_designW);
        SetDesignH(c->m_designH);
        SetKind(c->m_kind);
        SetFont(*c->Font());
        SetValues(*c->Values());
        m_caption = c->m_caption; // not through SetParamName's caption rule
        SetCaptionAlign(c->m_captionAlign);
        m_paramName = c->m_paramName;
        SetTableId(c->m_tableId);
        SetFieldName(c->m_fieldName);
        SetFieldFullName(c->m_fieldFullName);
        SetAllowMultiSelect(c->m_allowMultiSelect);
        SetPicture(*c->Picture());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

static void describeControlList(ClassBuilder<TMxParamControlList>& c)
{
    c.items<TMxParamControl>();
    c.integer(QStringLiteral("DesignW"), &TMxParamControlList::DesignW, &TMxParamControlList::SetDesignW, 400);
    c.integer(QStringLiteral("DesignH"), &TMxParamControlList::DesignH, &TMxParamControlList::SetDesignH, 300);
}
MX_DEFINE_CLASS(TMxParamControlList, TMxList, describeControlList)

void TMxParamControlList::SetDesignW(int value)
{
    if (StoreIfChanged(m_designW, value))
        Change();
}

void TMxParamControlList::SetDesignH(int value)
{
    if (StoreIfChanged(m_designH, value))
        Change();
}

TMxParamControl* TMxParamControlList::FindByParamName(const QString& name) const
{
    TMxParamControl* first = nullptr;
    for (int i = 0; i < Count(); ++i) {
        TMxParamControl* c = Items(i);
        if (c->Kind() == ckLabel || c->ParamName().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (c->LoadedValues()->Count() > 0)
            return c;
        if (!first)
            first = c;
    }
    return first;
}

bool TMxParamControlList::Execute(TMxDataModel* model, const QString& caption, TStrings& values, bool testing)
{
    if (!ParamsPrompterHook)
        return false;
    bool result = true;
    ParamsPrompterHook(model, caption, result, &values, this, testing);
    return result;
}

void TMxParamControlList::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (auto* l = dynamic_cast<const TMxParamControlList*>(source)) {
        SetDesignW(l->m_designW);
        SetDesignH(l->m_designH);
    }
    TMxList::Assign(source);
}

} // namespace mx
