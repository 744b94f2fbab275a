#include "reportparts.h"

#include "reportstream.h"

#include "engine/core/exceptions.h"
#include "engine/query/querystep.h"
#include "engine/settings/global.h"
#include "engine/stream/reader.h"
#include "engine/stream/writer.h"

#include <QHash>

#include <cmath>

namespace mx::rpt {

// ---- enumerations ------------------------------------------------------

const EnumInfo& BandTypeInfo()
{
    static const EnumInfo info{QStringLiteral("TQRBandType"),
        {QStringLiteral("rbTitle"), QStringLiteral("rbPageHeader"), QStringLiteral("rbDetail"),
            QStringLiteral("rbPageFooter"), QStringLiteral("rbSummary"), QStringLiteral("rbGroupHeader"),
            QStringLiteral("rbGroupFooter"), QStringLiteral("rbSubDetail"), QStringLiteral("rbColumnHeader"),
            QStringLiteral("rbOverlay"), QStringLiteral("rbChild")}};
    return info;
}

const EnumInfo& AlignmentInfo()
{
    static const EnumInfo info{QStringLiteral("TAlignment"),
        {QStringLiteral("taLeftJustify"), QStringLiteral("taRightJustify"), QStringLiteral("taCenter")}};
    return info;
}

const EnumInfo& SysDataTypeInfo()
{
    static const EnumInfo info{QStringLiteral("TQRSysDataType"),
        {QStringLiteral("qrsTime"), QStringLiteral("qrsDate"), QStringLiteral("qrsDateTime"),
            QStringLiteral("qrsPageNumber"), QStringLiteral("qrsReportTitle"), QStringLiteral("qrsDetailCount"),
            QStringLiteral("qrsDetailNo"), QStringLiteral("qrsPageOfPages")}};
    return info;
}

const EnumInfo& ShapeTypeInfo()
{
    static const EnumInfo info{QStringLiteral("TQRShapeType"),
        {QStringLiteral("qrsRectangle"), QStringLiteral("qrsCircle"), QStringLiteral("qrsVertLine"),
            QStringLiteral("qrsHorLine"), QStringLiteral("qrsTopAndBottom"), QStringLiteral("qrsRightAndLeft")}};
    return info;
}

const EnumInfo& OrientationInfo()
{
    static const EnumInfo info{QStringLiteral("TPrinterOrientation"), {QStringLiteral("poPortrait"), QStringLiteral("poLandscape")}};
    return info;
}

const EnumInfo& PaperSizeInfo()
{
    static const EnumInfo info{QStringLiteral("TQRPaperSize"),
        {QStringLiteral("Default"), QStringLiteral("Letter"), QStringLiteral("LetterSmall"), QStringLiteral("Tabloid"),
            QStringLiteral("Ledger"), QStringLiteral("Legal"), QStringLiteral("Statement"), QStringLiteral("Executive"),
            QStringLiteral("A3"), QStringLiteral("A4"), QStringLiteral("A4Small"), QStringLiteral("A5"),
            QStringLiteral("B4"), QStringLiteral("B5"), QStringLiteral("Folio"), QStringLiteral("Quarto"),
            QStringLiteral("Custom")}};
    return info;
}

QSizeF PaperSizeTenthMm(TQRPaperSize size)
{
    switch (size) {
    case psLetter:
    case psLetterSmall:
        return {2159, 2794};
    case psTabloid:
        return {2794, 4318};
    case psLedger:
        return {4318, 2794};
    case psLegal:
        return {2159, 3556};
    case psStatement:
        return {1397, 2159};
    case psExecutive:
        return {1842, 2667};
    case psA3:
        return {2970, 4200};
    case psDefault:
    case psA4:
    case psA4Small:
        return {2100, 2970};
    case psA5:
        return {1480, 2100};
    case psB4:
        return {2500, 3530};
    case psB5:
        return {1760, 2500};
    case psFolio:
        return {2159, 3302};
    case psQuarto:
        return {2150, 2750};
    case psCustom:
        break;
    }
    return {0, 0};
}

const EnumInfo& OptionInfo()
{
    static const EnumInfo info{QStringLiteral("TQROptions"), {QStringLiteral("FirstPageHeader"), QStringLiteral("LastPageFooter")}};
    return info;
}

// ---- small persistent parts -----------------------------------------------

MX_DEFINE_CLASS(TQRSize, TPersistent, nullptr)

void TQRSize::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        QStringLiteral("Values"),
        [this](TMxReader& r) {
            r.ReadListBegin();
            std::vector<double> v;
            while (!r.EndOfList()) {
                if (v.size() >= 16)
                    throw EReadError(QStringLiteral("Invalid property value"));
                v.push_back(r.ReadFloat());
            }
            r.ReadListEnd();
            for (double d : v)
                if (!std::isfinite(d) || std::abs(d) > 1e6)
                    throw EReadError(QStringLiteral("Invalid property value"));
            if (m_withPosition && v.size() == 4)
                Rect = QRectF(v[1], v[2], v[3], v[0]);
            else if (!m_withPosition && v.size() == 2)
                Rect = QRectF(Rect.left(), Rect.top(), v[1], v[0]);
            else
                throw EReadError(QStringLiteral("Invalid property value"));
            ValuesRead = true;
        },
        [this](TMxWriter& w) {
            w.WriteListBegin();
            w.WriteFloat(Rect.height());
            if (m_withPosition) {
                w.WriteFloat(Rect.left());
                w.WriteFloat(Rect.top());
            }
            w.WriteFloat(Rect.width());
            w.WriteListEnd();
        },
        true);
}

static void describeFrame(ClassBuilder<TQRFrame>& c)
{
    using F = TQRFrame;
    c.integer(QStringLiteral("Color"), &F::Color, &F::Color, clBlack);
    c.boolean(QStringLiteral("DrawBottom"), &F::DrawBottom, &F::DrawBottom);
    c.boolean(QStringLiteral("DrawLeft"), &F::DrawLeft, &F::DrawLeft);
    c.boolean(QStringLiteral("DrawRight"), &F::DrawRight, &F::DrawRight);
    c.boolean(QStringLiteral("DrawTop"), &F::DrawTop, &F::DrawTop);
    c.integer(QStringLiteral("Width"), &F::Width, &F::Width, 1);
}
MX_DEFINE_CLASS(TQRFrame, TPersistent, describeFrame)

void TQRFrame::Assign(const TPersistent* source)
{
    auto* f = dynamic_cast<const TQRFrame*>(source);
    if (!f) {
        TPersistent::Assign(source);
        return;
    }
    Color = f->Color;
    DrawTop = f->DrawTop;
    DrawBottom = f->DrawBottom;
    DrawLeft = f->DrawLeft;
    DrawRight = f->DrawRight;
    Width = f->Width;
}

static void describePen(ClassBuilder<TQRPen>& c)
{
    c.integer(QStringLiteral("Color"), &TQRPen::Color, &TQRPen::Color, clBlack);
    c.integer(QStringLiteral("Width"), &TQRPen::Width, &TQRPen::Width, 1);
}
MX_DEFINE_CLASS(TQRPen, TPersistent, describePen)

void TQRPen::Assign(const TPersistent* source)
{
    auto* p = dynamic_cast<const TQRPen*>(source);
    if (!p) {
        TPersistent::Assign(source);
        return;
    }
    Color = p->Color;
    Width = p->Width;
}

// The report's "Page": orientation, paper and the page's measures.
class TQRPageSetup : public TPersistent {
    MX_CLASS(TQRPageSetup)
public:
    explicit TQRPageSetup(TQuickRep* report) : m_report(report) {}
    TQuickRep* Report() const { return m_report; }
    void DefineProperties(TFiler& filer) override
    {
        TQuickRep* rep = m_report;
        filer.DefineProperty(
            QStringLiteral("Values"),
            [rep](TMxReader& r) {
                r.ReadListBegin();
                std::vector<double> v;
                while (!r.EndOfList()) {
                    if (v.size() >= 16)
                        throw EReadError(QStringLiteral("Invalid property value"));
                    v.push_back(r.ReadFloat());
                }
                r.ReadListEnd();
                if (v.size() != 7)
                    throw EReadError(QStringLiteral("Invalid property value"));
                for (double d : v)
                    if (!std::isfinite(d) || d < 0 || d > 1e5)
                        throw EReadError(QStringLiteral("Invalid property value"));
                rep->BottomMargin = v[0];
                rep->PageLength = v[1];
                rep->LeftMargin = v[2];
                rep->PageWidth = v[3];
                rep->RightMargin = v[4];
                rep->TopMargin = v[5];
                rep->ColumnSpace = v[6];
            },
            [rep](TMxWriter& w) {
                w.WriteListBegin();
                for (double d : {rep->BottomMargin, rep->PageLength, rep->LeftMargin, rep->PageWidth, rep->RightMargin,
                         rep->TopMargin, rep->ColumnSpace})
                    w.WriteFloat(d);
                w.WriteListEnd();
            },
            true);
    }

private:
    TQuickRep* m_report;
};

static void describePage(ClassBuilder<TQRPageSetup>& c)
{
    using P = TQRPageSetup;
    c.enumeration(
        QStringLiteral("Orientation"), OrientationInfo(), [](const P* p) { return qint64(p->Report()->Orientation()); },
        [](P* p, qint64 v) { p->Report()->SetOrientation(TQRPrintOrientation(v)); }, qint64(poPortrait));
    c.enumeration(
        QStringLiteral("PaperSize"), PaperSizeInfo(), [](const P* p) { return qint64(p->Report()->PaperSize()); },
        [](P* p, qint64 v) { p->Report()->SetPaperSize(TQRPaperSize(v)); }, qint64(psA4));
}
MX_DEFINE_CLASS(TQRPageSetup, TPersistent, describePage)

// The report's "Bands": one switch per kind of band.
class TQRBandSwitches : public TPersistent {
    MX_CLASS(TQRBandSwitches)
public:
    explicit TQRBandSwitches(TQuickRep* report) : m_report(report) {}
    TQuickRep* Report() const { return m_report; }

private:
    TQuickRep* m_report;
};

static void describeSwitches(ClassBuilder<TQRBandSwitches>& c)
{
    using S = TQRBandSwitches;
    const std::pair<const char*, TQRBandType> switches[] = {{"HasColumnHeader", rbColumnHeader}, {"HasDetail", rbDetail},
        {"HasPageFooter", rbPageFooter}, {"HasPageHeader", rbPageHeader}, {"HasSummary", rbSummary}, {"HasTitle", rbTitle}};
    for (const auto& [name, type] : switches) {
        const TQRBandType t = type;
        c.boolean(
            QString::fromLatin1(name), [t](const S* s) { return qint64(s->Report()->HasBand(t)); },
            [t](S* s, qint64 v) { s->Report()->SetHasBand(t, v != 0); });
    }
}
MX_DEFINE_CLASS(TQRBandSwitches, TPersistent, describeSwitches)

// ---- the base part -------------------------------------------------------

namespace {
bool notReport(const TQRComponent* c)
{
    return !dynamic_cast<const TQuickRep*>(c);
}
} // namespace

static void describeComponent(ClassBuilder<TQRComponent>& c)
{
    using C = TQRComponent;
    c.integer(QStringLiteral("Tag"), &C::Tag, &C::SetTag);
    c.integer(QStringLiteral("Left"), &C::Left, &C::SetLeft, std::nullopt).storedIf(notReport);
    c.integer(QStringLiteral("Top"), &C::Top, &C::SetTop, std::nullopt).storedIf(notReport);
    c.integer(QStringLiteral("Width"), &C::Width, &C::SetWidth, std::nullopt).storedIf(notReport);
    c.integer(QStringLiteral("Height"), &C::Height, &C::SetHeight, std::nullopt).storedIf(notReport);
    c.object(QStringLiteral("Frame"), &C::Frame);
    c.object(QStringLiteral("Font"), &C::Font).storedIf(&C::FontStored);
    c.boolean(QStringLiteral("ParentFont"), &C::ParentFont, &C::SetParentFont, 1).storedIf(notReport);
    c.object(QStringLiteral("Size"), &C::Size).storedIf(notReport);
}
MX_DEFINE_CLASS(TQRComponent, TComponent, describeComponent)

TQRComponent::TQRComponent(bool withPosition) : m_size(withPosition)
{
    m_font.SetName(QStringLiteral("Arial"));
    m_font.SetSize(10);
    m_font.SetCharset(1);
    m_font.OnChange = [this] {
        if (!m_loading)
            m_parentFont = false;
    };
}

TQRComponent::~TQRComponent()
{
    m_font.OnChange = nullptr;
}

int TQRComponent::Left() const
{
    return int(std::lround(TenthMmToPixels(m_size.Rect.left())));
}

int TQRComponent::Top() const
{
    return int(std::lround(TenthMmToPixels(m_size.Rect.top())));
}

int TQRComponent::Width() const
{
    return int(std::lround(TenthMmToPixels(m_size.Rect.width())));
}

int TQRComponent::Height() const
{
    return int(std::lround(TenthMmToPixels(m_size.Rect.height())));
}

// The pixel properties give the geometry only until Size.Values is read.
void TQRComponent::SetLeft(int px)
{
    if (!(m_loading && m_size.ValuesRead))
        m_size.Rect.moveLeft(PixelsToTenthMm(px));
}

void TQRComponent::SetTop(int px)
{
    if (!(m_loading && m_size.ValuesRead))
        m_size.Rect.moveTop(PixelsToTenthMm(px));
}

void TQRComponent::SetWidth(int px)
{
    if (!(m_loading && m_size.ValuesRead))
        m_size.Rect.setWidth(PixelsToTenthMm(std::max(0, px)));
}

void TQRComponent::SetHeight(int px)
{
    if (!(m_loading && m_size.ValuesRead))
        m_size.Rect.setHeight(PixelsToTenthMm(std::max(0, px)));
}

void TQRComponent::SetParentFont(bool value)
{
    m_parentFont = value;
}

const TFontSpec& TQRComponent::EffectiveFont() const
{
    const TQRComponent* c = this;
    while (c->m_parentFont && c->m_parent)
        c = c->m_parent;
    return c->m_font;
}

TQuickRep* TQRComponent::Report() const
{
    const TQRComponent* c = this;
    while (c->m_parent)
        c = c->m_parent;
    return const_cast<TQuickRep*>(dynamic_cast<const TQuickRep*>(c));
}

std::vector<TQRComponent*> TQRComponent::Parts() const
{
    std::vector<TQRComponent*> parts;
    for (const TQRChild& c : m_children)
        if (c.part)
            parts.push_back(c.part.get());
    return parts;
}

TQRComponent* TQRComponent::AddPart(std::unique_ptr<TQRComponent> part)
{
    part->m_parent = this;
    TQRChild child;
    child.part = std::move(part);
    m_children.push_back(std::move(child));
    return m_children.back().part.get();
}

bool TQRComponent::RemovePart(TQRComponent* part)
{
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if (it->part.get() == part) {
            m_children.erase(it);
            return true;
        }
    }
    return false;
}

void TQRComponent::AppendKeptRecord(const QByteArray& record)
{
    TQRChild child;
    child.record = record;
    m_children.push_back(std::move(child));
}

QString TQRComponent::StoredClassName() const
{
    return m_kept.loaded ? m_kept.className : className();
}

std::unique_ptr<TQRComponent> TQRComponent::Clone() const
{
    QByteArray bytes;
    TMxWriter writer(bytes);
    WritePart(writer, *this);
    std::unique_ptr<TQRComponent> copy = CreatePart(className());
    TMxReader reader(bytes);
    ReadPart(reader, *copy);
    TakeBaseline(*copy);
    return copy;
}

// ---- bands and controls --------------------------------------------------

static void describeBand(ClassBuilder<TQRBand>& c)
{
    using B = TQRBand;
    c.integer(QStringLiteral("Color"), &B::Color, &B::SetColor, clWhite);
    c.boolean(QStringLiteral("ForceNewPage"), &B::ForceNewPage, &B::SetForceNewPage);
    c.enumeration(QStringLiteral("BandType"), BandTypeInfo(), &B::BandType, &B::SetBandType, std::nullopt);
}
MX_DEFINE_CLASS(TQRBand, TQRComponent, describeBand)

TQRBand::TQRBand() : TQRComponent(false) {}

TQRBand::TQRBand(TQRBandType type) : TQRComponent(false), m_type(type) {}

std::vector<TQRPrintable*> TQRBand::Controls() const
{
    std::vector<TQRPrintable*> controls;
    for (TQRComponent* p : Parts())
        if (auto* c = dynamic_cast<TQRPrintable*>(p))
            controls.push_back(c);
    return controls;
}

static void describePrintable(ClassBuilder<TQRPrintable>& c)
{
    using P = TQRPrintable;
    c.enumeration(QStringLiteral("Alignment"), AlignmentInfo(), &P::Alignment, &P::SetAlignment);
    c.boolean(QStringLiteral("AutoSize"), &P::AutoSize, &P::SetAutoSize, 1);
    c.integer(QStringLiteral("Color"), &P::Color, &P::SetColor, clWhite);
    c.boolean(QStringLiteral("Transparent"), &P::Transparent, &P::SetTransparent);
}
MX_DEFINE_CLASS(TQRPrintable, TQRComponent, describePrintable)

TQRPrintable::TQRPrintable() : TQRComponent(true) {}

MX_DEFINE_CLASS(TQRLabel, TQRPrintable,
    [](ClassBuilder<TQRLabel>& c) { c.string(QStringLiteral("Caption"), &TQRLabel::Caption, &TQRLabel::SetCaption); })

TQRLabel::TQRLabel() = default;

bool TQRLabel::SetEditableText(const QString& text)
{
    if (m_caption == text)
        return false;
    m_caption = text;
    return true;
}

MX_DEFINE_CLASS(TQRExpr, TQRPrintable,
    [](ClassBuilder<TQRExpr>& c) { c.string(QStringLiteral("Expression"), &TQRExpr::Expression, &TQRExpr::SetExpression); })

TQRExpr::TQRExpr() = default;

bool TQRExpr::SetEditableText(const QString& text)
{
    if (m_expression == text)
        return false;
    m_expression = text;
    return true;
}

std::optional<QString> TQRExpr::Constant(const QString& expression)
{
    const QString e = expression.trimmed();
    if (e.size() < 2 || !e.startsWith(u'\'') || !e.endsWith(u'\''))
        return std::nullopt;
    QString inner = e.mid(1, e.size() - 2);
    // Every quote inside must be doubled: 'a''b' is a''b, 'a'+'b' is no text.
    QString text;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'\'') {
            if (i + 1 >= inner.size() || inner[i + 1] != u'\'')
                return std::nullopt;
            ++i;
        }
        text += inner[i];
    }
    return text;
}

QString TQRExpr::FieldName(const QString& expression)
{
    QString e = expression.trimmed();
    if (e.size() >= 2 && e.startsWith(u'[') && e.endsWith(u']'))
        e = e.mid(1, e.size() - 2).trimmed();
    return e;
}

QString TQRExpr::Quote(const QString& text)
{
    QString t = text;
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

static void describeSysData(ClassBuilder<TQRSysData>& c)
{
    c.enumeration(QStringLiteral("Data"), SysDataTypeInfo(), &TQRSysData::Data, &TQRSysData::SetData, std::nullopt);
    c.string(QStringLiteral("Text"), &TQRSysData::Text, &TQRSysData::SetText);
}
MX_DEFINE_CLASS(TQRSysData, TQRPrintable, describeSysData)

TQRSysData::TQRSysData() = default;

bool TQRSysData::SetEditableText(const QString& text)
{
    if (m_text == text)
        return false;
    m_text = text;
    return true;
}

QString TQRSysData::DesignText() const
{
    static const char* const names[] = {"(Heure)", "(Date)", "(Date et heure)", "(Numéro de page)", "(Titre)",
        "(Nombre d'enregistrements)", "(Numéro d'enregistrement)", "(Page N sur M)"};
    const int i = int(m_data);
    return m_text + Translate(QString::fromUtf8(i >= 0 && i < int(std::size(names)) ? names[i] : "?"));
}

static void describeShape(ClassBuilder<TQRShape>& c)
{
    c.object(QStringLiteral("Pen"), &TQRShape::Pen);
    c.enumeration(QStringLiteral("Shape"), ShapeTypeInfo(), &TQRShape::Shape, &TQRShape::SetShape);
}
MX_DEFINE_CLASS(TQRShape, TQRPrintable, describeShape)

TQRShape::TQRShape()
{
    SetAutoSize(false);
}

// ---- the report ----------------------------------------------------------

static void describeReport(ClassBuilder<TQuickRep>& c)
{
    using R = TQuickRep;
    c.object(QStringLiteral("Bands"), &R::BandSwitches);
    c.set(QStringLiteral("Options"), OptionInfo(), &R::Options, &R::SetOptions, qint64(3));
    c.object(QStringLiteral("Page"), &R::PageSetup);
    c.boolean(QStringLiteral("PrintIfEmpty"), &R::PrintIfEmpty, &R::SetPrintIfEmpty, 1);
    c.string(QStringLiteral("ReportTitle"), &R::ReportTitle, &R::SetReportTitle);
}
MX_DEFINE_CLASS(TQuickRep, TQRComponent, describeReport)

TQuickRep::TQuickRep()
    : TQRComponent(true)
    , m_switches(std::make_unique<TQRBandSwitches>(this))
    , m_page(std::make_unique<TQRPageSetup>(this))
{
}

TQuickRep::~TQuickRep() = default;

TPersistent* TQuickRep::BandSwitches() const
{
    return m_switches.get();
}

TPersistent* TQuickRep::PageSetup() const
{
    return m_page.get();
}

void TQuickRep::SetPaperSize(TQRPaperSize s)
{
    m_paperSize = s;
    const QSizeF size = PaperSizeTenthMm(s);
    if (size.width() > 0) {
        PageWidth = size.width();
        PageLength = size.height();
    }
}

QSizeF TQuickRep::PageSizeTenthMm() const
{
    QSizeF s = m_paperSize == psCustom ? QSizeF(PageWidth, PageLength) : PaperSizeTenthMm(m_paperSize);
    if (s.width() <= 0 || s.height() <= 0)
        s = PaperSizeTenthMm(psA4);
    if (m_orientation == poLandscape)
        s.transpose();
    return s;
}

double TQuickRep::PrintableWidth() const
{
    return std::max(0.0, PageSizeTenthMm().width() - LeftMargin - RightMargin);
}

double TQuickRep::PrintableHeight() const
{
    return std::max(0.0, PageSizeTenthMm().height() - TopMargin - BottomMargin);
}

std::vector<TQRBand*> TQuickRep::Bands() const
{
    std::vector<TQRBand*> bands;
    for (TQRComponent* p : Parts())
        if (auto* b = dynamic_cast<TQRBand*>(p))
            bands.push_back(b);
    return bands;
}

TQRBand* TQuickRep::Band(TQRBandType type) const
{
    for (TQRBand* b : Bands())
        if (b->BandType() == type)
            return b;
    return nullptr;
}

namespace {

QString bandNamePrefix(TQRBandType type)
{
    switch (type) {
    case rbTitle:
        return QStringLiteral("TitleBand");
    case rbPageHeader:
        return QStringLiteral("PageHeaderBand");
    case rbDetail:
        return QStringLiteral("DetailBand");
    case rbPageFooter:
        return QStringLiteral("PageFooterBand");
    case rbSummary:
        return QStringLiteral("SummaryBand");
    case rbColumnHeader:
        return QStringLiteral("ColumnHeaderBand");
    default:
        return QStringLiteral("QRBand");
    }
}

} // namespace

void TQuickRep::SetHasBand(TQRBandType type, bool on)
{
    if (Loading())
        return; // the bands read give the switches
    if (on) {
        if (Band(type))
            return;
        auto band = std::make_unique<TQRBand>(type);
        // the first free name of the kind: DetailBand1, DetailBand2...
        const QString prefix = bandNamePrefix(type);
        QStringList names;
        for (TQRComponent* p : Parts())
            names << p->ComponentName();
        int n = 1;
        while (names.contains(prefix + QString::number(n), Qt::CaseInsensitive))
            ++n;
        band->SetComponentName(prefix + QString::number(n));
        band->SetBounds(QRectF(0, 0, PrintableWidth(), PixelsToTenthMm(40)));
        AddPart(std::move(band));
        return;
    }
    while (TQRBand* b = Band(type))
        RemovePart(b);
}

TIMxDataset* TQuickRep::StepDataset() const
{
    return m_step ? m_step->Dataset() : nullptr;
}

void TQuickRep::ReadReport(TMxReader& reader)
{
    // What an earlier read or the editor left goes: the record read is the
    // whole report.
    TQuickRep fresh;
    ClearChildRecords();
    Kept() = TKeptRecord();
    SetTag(0);
    Font()->Assign(fresh.Font());
    SetParentFont(true);
    Frame()->Assign(fresh.Frame());
    SetBounds(QRectF());
    m_orientation = poPortrait;
    SetPaperSize(psA4);
    TopMargin = BottomMargin = LeftMargin = RightMargin = 100;
    ColumnSpace = 0;
    m_options = fresh.m_options;
    m_printIfEmpty = true;
    m_title.clear();
    ReadPart(reader, *this);
    TakeBaseline(*this);
}

void TQuickRep::WriteReport(TMxWriter& writer)
{
    WritePart(writer, *this);
}

std::unique_ptr<TQuickRep> TQuickRep::CloneReport() const
{
    std::unique_ptr<TQRComponent> copy = Clone();
    return std::unique_ptr<TQuickRep>(static_cast<TQuickRep*>(copy.release()));
}

// ---- registration --------------------------------------------------------

namespace {

using PartFactory = std::unique_ptr<TQRComponent> (*)();

const QHash<QString, PartFactory>& partFactories()
{
    static const QHash<QString, PartFactory> table = {
        {QStringLiteral("TQUICKREP"), [] { return std::unique_ptr<TQRComponent>(new TQuickRep); }},
        {QStringLiteral("TQRBAND"), [] { return std::unique_ptr<TQRComponent>(new TQRBand); }},
        {QStringLiteral("TQRLABEL"), [] { return std::unique_ptr<TQRComponent>(new TQRLabel); }},
        {QStringLiteral("TQREXPR"), [] { return std::unique_ptr<TQRComponent>(new TQRExpr); }},
        {QStringLiteral("TQRSYSDATA"), [] { return std::unique_ptr<TQRComponent>(new TQRSysData); }},
        {QStringLiteral("TQRSHAPE"), [] { return std::unique_ptr<TQRComponent>(new TQRShape); }},
    };
    return table;
}

} // namespace

TQuickRep* StepReport(const TMxQueryStep* step)
{
    return step ? dynamic_cast<TQuickRep*>(step->QuickReport()) : nullptr;
}

std::unique_ptr<TQRComponent> CreatePart(const QString& className)
{
    const auto it = partFactories().constFind(className.toUpper());
    return it == partFactories().constEnd() ? nullptr : (*it)();
}

void RegisterReportClasses()
{
    for (const ClassInfo* info : {&TQRSize::staticClass(), &TQRFrame::staticClass(), &TQRPen::staticClass(),
             &TQRPageSetup::staticClass(), &TQRBandSwitches::staticClass(), &TQRComponent::staticClass(),
             &TQRBand::staticClass(), &TQRPrintable::staticClass(), &TQRLabel::staticClass(), &TQRExpr::staticClass(),
             &TQRSysData::staticClass(), &TQRShape::staticClass(), &TQuickRep::staticClass()})
        ClassRegistry::add(info);
    for (auto it = partFactories().constBegin(); it != partFactories().constEnd(); ++it) {
        const PartFactory make = it.value();
        if (it.key() != u"TQUICKREP")
            ComponentClasses::add(it.key(), [make] { return make().release(); });
    }
    StepReportFactoryHook.set([](TMxQueryStep* step) -> std::unique_ptr<TComponent> {
        auto report = std::make_unique<TQuickRep>();
        report->SetStep(step);
        return report;
    });
}

} // namespace mx::rpt
