#include "param.h"

#include "storevalue.h"

namespace mx {

static void describeParamValue(ClassBuilder<TMxParamValue>& c)
{
    c.string(QStringLiteral("Caption1"), &TMxParamValue::Caption1, &TMxParamValue::SetCaption1);
    c.string(QStringLiteral("Caption2"), &TMxParamValue::Caption2, &TMxParamValue::SetCaption2);
}
MX_DEFINE_CLASS(TMxParamValue, TMxItem, describeParamValue)

TMxParamValue::TMxParamValue(TMxItem* owner) : TMxItem(owner) {}

void TMxParamValue::SetCaption1(const QString& value)
{
    if (StoreIfChanged(m_caption1, value))
        Change();
}

void TMxParamValue::SetCaption2(const QString& value)
{
    if (StoreIfChanged(m_caption2, value))
        Change();
}

void TMxParamValue::Assign(const TPersistent* source)
{
    auto* v = dynamic_cast<const TMxParamValue*>(source);
    if (!v) {
        TMxItem::Assign(source);
        return;
    }
    SetCaption1(v->m_caption1);
    SetCaption2(v->m_caption2);
}

MX_DEFINE_CLASS(TMxParamValueList, TMxList, [](ClassBuilder<TMxParamValueList>& c) { c.items<TMxParamValue>(); })

static void describeParam(ClassBuilder<TMxParam>& c)
{
    c.character(
        QStringLiteral("Entry"), [](const TMxParam* p) { return qint64(p->Entry().unicode()); },
        [](TMxParam* p, qint64 v) { p->SetEntry(QChar(char16_t(v))); }, qint64(u'S'));
    c.integer(QStringLiteral("Size"), &TMxParam::Size, &TMxParam::SetSize);
    c.object(QStringLiteral("Prompt"), &TMxParam::Prompt);
    c.enumeration(QStringLiteral("ParamType"), ParamTypeInfo(), &TMxParam::ParamType, &TMxParam::SetParamType, qint64(ptString));
    c.integer(QStringLiteral("TblId"), &TMxParam::TblId, &TMxParam::SetTblId);
    c.string(QStringLiteral("FldName"), &TMxParam::FldName, &TMxParam::SetFldName);
    c.integer(QStringLiteral("ExtId"), &TMxParam::ExtId, &TMxParam::SetExtId);
    c.object(QStringLiteral("VarVal"), &TMxParam::VarVal);
}
MX_DEFINE_CLASS(TMxParam, TMxItem, describeParam)

TMxParam::TMxParam(TMxItem* owner) : TMxItem(owner), m_prompt(std::make_unique<TStrings>()), m_varVal(this) {}

TMxParam::~TMxParam() = default;

void TMxParam::SetEntry(QChar value)
{
    if (StoreIfChanged(m_entry, value))
        Change();
}
void TMxParam::SetSize(int value)
{
    if (StoreIfChanged(m_size, value))
        Change();
}
void TMxParam::SetParamType(TParamType value)
{
    if (StoreIfChanged(m_paramType, value))
        Change();
}
void TMxParam::SetTblId(int value)
{
    if (StoreIfChanged(m_tblId, value))
        Change();
}
void TMxParam::SetFldName(const QString& value)
{
    if (StoreIfChanged(m_fldName, value))
        Change();
}
void TMxParam::SetExtId(int value)
{
    if (StoreIfChanged(m_extId, value))
        Change();
}

QString TMxParam::GetIdentifier() const
{
    QString id;
    for (QChar c : Name())
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_')
            id += c;
    return id;
}

void TMxParam::Assign(const TPersistent* source)
{
    TMxItem::Assign(source);
    auto* p = dynamic_cast<const TMxParam*>(source);
    if (!p || p == this)
        return;
    SetEntry(p->m_entry);
    SetSize(p->m_size);
    m_prompt->Assign(p->Prompt());
    SetParamType(p->m_paramType);
    SetTblId(p->m_tblId);
    SetFldName(p->m_fldName);
    SetExtId(p->m_extId);
    m_varVal->Assign(p->VarVal());
}

MX_DEFINE_CLASS(TMxParamList, TMxList, [](ClassBuilder<TMxParamList>& c) { c.items<TMxParam>(); })

} // namespace mx
