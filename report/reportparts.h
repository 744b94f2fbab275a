#pragma once
// The design of a band report: the report (TQuickRep), its bands (TQRBand)
// and the controls they hold (TQRLabel, TQRExpr, TQRSysData, TQRShape).
// Each is a component streamed as a record of its own, under the class
// and property names query files use: a step's report is one TQuickRep
// record with its bands as child records and their controls inside them.
//
// Geometry is kept in 0.1 mm ("Size.Values"); the whole-pixel properties
// Left, Top, Width and Height (96 dots per inch) are written beside it for
// readers that know only those, and read when Size.Values is absent.
//
// What a record holds that the layer does not know, a property or a child
// record, is kept as the bytes read and written back in its place; a
// property the layer knows is written back as read unless it was changed
// (see reportstream.h).

#include "engine/core/component.h"
#include "engine/model/fontspec.h"
#include "engine/query/stepreport.h"

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace mx {
class TIMxDataset;
class TMxQueryStep;
class TMxReader;
class TMxWriter;
} // namespace mx

namespace mx::rpt {

enum TQRBandType {
    rbTitle,
    rbPageHeader,
    rbDetail,
    rbPageFooter,
    rbSummary,
    rbGroupHeader,
    rbGroupFooter,
    rbSubDetail,
    rbColumnHeader,
    rbOverlay,
    rbChild,
};
const EnumInfo& BandTypeInfo();

enum TQRAlignment { taLeftJustify, taRightJustify, taCenter };
const EnumInfo& AlignmentInfo();

// System data: the print time, the page number, the title, the number of
// records and the record's number. qrsPageOfPages prints "N sur M", M
// being known only after the last page.
enum TQRSysDataType {
    qrsTime,
    qrsDate,
    qrsDateTime,
    qrsPageNumber,
    qrsReportTitle,
    qrsDetailCount,
    qrsDetailNo,
    qrsPageOfPages,
};
const EnumInfo& SysDataTypeInfo();

enum TQRShapeType { qrsRectangle, qrsCircle, qrsVertLine, qrsHorLine, qrsTopAndBottom, qrsRightAndLeft };
const EnumInfo& ShapeTypeInfo();

// What a control is, as the paginator prints it and the report editor
// offers it: a label's fixed text, an expression over the record, system
// data, a shape; qkPlain for a control of the base class, which prints
// nothing. Only the classes below answer another kind, and their answer is
// final: a control of kind qkShape is a TQRShape, of kind qkSysData a
// TQRSysData, whatever derives from them.
enum TQRControlKind { qkPlain, qkLabel, qkExpr, qkSysData, qkShape };

enum TQRPrintOrientation { poPortrait, poLandscape };
const EnumInfo& OrientationInfo();

enum TQRPaperSize {
    psDefault,
    psLetter,
    psLetterSmall,
    psTabloid,
    psLedger,
    psLegal,
    psStatement,
    psExecutive,
    psA3,
    psA4,
    psA4Small,
    psA5,
    psB4,
    psB5,
    psFolio,
    psQuarto,
    psCustom,
};
// Stored as the band-report library names them: "A4", "Letter", "Custom".
const EnumInfo& PaperSizeInfo();
// Portrait width and length in 0.1 mm; none (0, 0) for Custom.
QSizeF PaperSizeTenthMm(TQRPaperSize size);

enum TQROption { FirstPageHeader, LastPageFooter };
const EnumInfo& OptionInfo();

inline constexpr qint32 clBlack = 0;
inline constexpr qint32 clWhite = 0xFFFFFF;

// 0.1 mm and whole pixels at 96 dots per inch.
inline double PixelsToTenthMm(double px) { return px * 254.0 / 96.0; }
inline double TenthMmToPixels(double t) { return t * 96.0 / 254.0; }

class TQRComponent;
class TQuickRep;

// Position and size in 0.1 mm, stored as "Size.Values": a list of floats,
// Height and Width for a band, Height, Left, Top and Width for a control.
class TQRSize : public TPersistent {
    MX_CLASS(TQRSize)
public:
    explicit TQRSize(bool withPosition = true) : m_withPosition(withPosition) {}
    QRectF Rect; // left, top, width, height
    bool WithPosition() const { return m_withPosition; }
    // True once Values was read: the pixel properties then give way.
    bool ValuesRead = false;
    void DefineProperties(TFiler& filer) override;

private:
    bool m_withPosition;
};

// The lines drawn around a band or a control.
class TQRFrame : public TPersistent {
    MX_CLASS(TQRFrame)
public:
    qint32 Color = clBlack;
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;
    int Width = 1; // pixels
    bool Any() const { return DrawTop || DrawBottom || DrawLeft || DrawRight; }
    void Assign(const TPersistent* source) override;
};

// The pen of a shape.
class TQRPen : public TPersistent {
    MX_CLASS(TQRPen)
public:
    qint32 Color = clBlack;
    int Width = 1; // pixels
    void Assign(const TPersistent* source) override;
};

// What a record held that the layer does not know, and the stored form of
// the properties it knows as they were read (see reportstream.h).
struct TKeptRecord {
    struct Property {
        QString name;
        QByteArray bytes; // name and value, as read
        bool known = false;
    };
    QString className;                 // as read; empty for a part made here
    std::vector<Property> properties;  // in file order
    std::vector<std::pair<QString, QByteArray>> baseline; // known properties as read, in their written form
    bool loaded = false;
};

// One child of a part: a part the layer knows, or a record kept as read.
struct TQRChild {
    std::unique_ptr<TQRComponent> part;
    QByteArray record;
};

// The base of the report, its bands and its controls.
class TQRComponent : public TComponent {
    MX_CLASS(TQRComponent)
public:
    explicit TQRComponent(bool withPosition = true);
    ~TQRComponent() override;

    // Geometry in 0.1 mm: for a control relative to its band, for a band
    // its height (and width).
    QRectF Bounds() const { return m_size.Rect; }
    void SetBounds(const QRectF& r) { m_size.Rect = r; }
    TQRSize* Size() const { return const_cast<TQRSize*>(&m_size); }
    // Whole pixels at 96 dots per inch.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int px);
    void SetTop(int px);
    void SetWidth(int px);
    void SetHeight(int px);

    int Tag() const { return m_tag; }
    void SetTag(int value) { m_tag = value; }

    TFontSpec* Font() const { return const_cast<TFontSpec*>(&m_font); }
    // The font is the parent's as long as ParentFont is set; changing the
    // font clears it.
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value);
    // The font the part prints with.
    const TFontSpec& EffectiveFont() const;
    bool FontStored() const { return !m_parentFont || !m_parent; }

    TQRFrame* Frame() const { return const_cast<TQRFrame*>(&m_frame); }

    TQRComponent* ParentPart() const { return m_parent; }
    TQuickRep* Report() const;

    // The children, in stream order (parts and kept records).
    const std::vector<TQRChild>& ChildRecords() const { return m_children; }
    // The parts among them, in order.
    std::vector<TQRComponent*> Parts() const;
    // Appends a part (owned); returns it.
    TQRComponent* AddPart(std::unique_ptr<TQRComponent> part);
    // Removes and frees a part; false when it is not a child.
    bool RemovePart(TQRComponent* part);
    void AppendKeptRecord(const QByteArray& record);
    // Frees every child, parts and kept records.
    void ClearChildRecords() { m_children.clear(); }

    TKeptRecord& Kept() { return m_kept; }
    const TKeptRecord& Kept() const { return m_kept; }

    // The stored class name: the one read (even empty), else the class's.
    QString StoredClassName() const;

    // A copy through the stored form (what was kept included).
    std::unique_ptr<TQRComponent> Clone() const;

    // Reading sets this while properties are applied: setters that act
    // (band switches) then only store.
    bool Loading() const { return m_loading; }
    void SetLoading(bool value) { m_loading = value; }

private:
    TQRSize m_size;
    int m_tag = 0;
    TFontSpec m_font;
    bool m_parentFont = true;
    TQRFrame m_frame;
    TQRComponent* m_parent = nullptr;
    std::vector<TQRChild> m_children;
    TKeptRecord m_kept;
    bool m_loading = false;
};

// A band: a horizontal strip printed as a whole, of one kind.
class TQRBand : public TQRComponent {
    MX_CLASS(TQRBand)
public:
    TQRBand();
    explicit TQRBand(TQRBandType type);
    TQRBandType BandType() const { return m_type; }
    void SetBandType(TQRBandType t) { m_type = t; }
    bool ForceNewPage() const { return m_forceNewPage; }
    void SetForceNewPage(bool v) { m_forceNewPage = v; }
    qint32 Color() const { return m_color; }
    void SetColor(qint32 c) { m_color = c; }
    // The band's controls, in order.
    std::vector<class TQRPrintable*> Controls() const;

private:
    TQRBandType m_type = rbDetail;
    bool m_forceNewPage = false;
    qint32 m_color = clWhite;
};

// A control printed in a band.
class TQRPrintable : public TQRComponent {
    MX_CLASS(TQRPrintable)
public:
    TQRPrintable();
    TQRAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TQRAlignment a) { m_alignment = a; }
    // A control that sizes itself prints its whole text; one that does not
    // is cut at its box.
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool v) { m_autoSize = v; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v) { m_transparent = v; }
    qint32 Color() const { return m_color; }
    void SetColor(qint32 c) { m_color = c; }
    // The text shown for the control in the report editor.
    virtual QString DesignText() const { return QString(); }
    virtual TQRControlKind ControlKind() const { return qkPlain; }
    // The text the user edits for the control (a label's caption, an
    // expression, the text printed before system data); none for a control
    // that has no such text.
    virtual std::optional<QString> EditableText() const { return std::nullopt; }
    // Sets that text; false when the control has none or holds it already.
    virtual bool SetEditableText(const QString& text)
    {
        Q_UNUSED(text);
        return false;
    }

private:
    TQRAlignment m_alignment = taLeftJustify;
    bool m_autoSize = true;
    bool m_transparent = true;
    qint32 m_color = clWhite;
};

class TQRLabel : public TQRPrintable {
    MX_CLASS(TQRLabel)
public:
    TQRLabel();
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& c) { m_caption = c; }
    QString DesignText() const override { return m_caption; }
    TQRControlKind ControlKind() const final { return qkLabel; }
    std::optional<QString> EditableText() const override { return m_caption; }
    bool SetEditableText(const QString& text) override;

private:
    QString m_caption;
};

// An expression over the record: a result field's name (as it stands, or
// between [ ]), or a text between single quotes ('' inside for a quote).
class TQRExpr : public TQRPrintable {
    MX_CLASS(TQRExpr)
public:
    TQRExpr();
    const QString& Expression() const { return m_expression; }
    void SetExpression(const QString& e) { m_expression = e; }
    QString DesignText() const override { return m_expression; }
    TQRControlKind ControlKind() const final { return qkExpr; }
    std::optional<QString> EditableText() const override { return m_expression; }
    bool SetEditableText(const QString& text) override;

    // The expression as a text constant, or none when it names a field.
    static std::optional<QString> Constant(const QString& expression);
    // The field name the expression names (brackets taken off).
    static QString FieldName(const QString& expression);
    // A text as an expression constant: 'it''s'.
    static QString Quote(const QString& text);

private:
    QString m_expression;
};

class TQRSysData : public TQRPrintable {
    MX_CLASS(TQRSysData)
public:
    TQRSysData();
    TQRSysDataType Data() const { return m_data; }
    void SetData(TQRSysDataType d) { m_data = d; }
    // Printed before the value.
    const QString& Text() const { return m_text; }
    void SetText(const QString& t) { m_text = t; }
    QString DesignText() const override;
    TQRControlKind ControlKind() const final { return qkSysData; }
    std::optional<QString> EditableText() const override { return m_text; }
    bool SetEditableText(const QString& text) override;

private:
    TQRSysDataType m_data = qrsTime;
    QString m_text;
};

// A line or a box.
class TQRShape : public TQRPrintable {
    MX_CLASS(TQRShape)
public:
    TQRShape();
    TQRShapeType Shape() const { return m_shape; }
    void SetShape(TQRShapeType s) { m_shape = s; }
    TQRPen* Pen() const { return const_cast<TQRPen*>(&m_pen); }
    TQRControlKind ControlKind() const final { return qkShape; }

private:
    TQRShapeType m_shape = qrsRectangle;
    TQRPen m_pen;
};

// The report. Its band switches ("Bands.HasTitle"...) say which bands it
// has: switching one on makes the band, switching it off frees it.
class TQuickRep : public TQRComponent, public TStepReportStreaming {
    MX_CLASS(TQuickRep)
public:
    TQuickRep();
    ~TQuickRep() override;

    TQRPrintOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TQRPrintOrientation o) { m_orientation = o; }
    TQRPaperSize PaperSize() const { return m_paperSize; }
    void SetPaperSize(TQRPaperSize s);
    // Margins and the page in 0.1 mm (the page as the paper size gives it,
    // portrait, before the orientation).
    double TopMargin = 100;
    double BottomMargin = 100;
    double LeftMargin = 100;
    double RightMargin = 100;
    double ColumnSpace = 0;
    double PageWidth = 2100;
    double PageLength = 2970;
    // The page as printed, orientation applied, in 0.1 mm.
    QSizeF PageSizeTenthMm() const;
    // The printable width and the height between the margins, in 0.1 mm.
    double PrintableWidth() const;
    double PrintableHeight() const;

    quint32 Options() const { return m_options; }
    void SetOptions(quint32 o) { m_options = o; }
    bool HasOption(TQROption o) const { return m_options & (1u << o); }
    bool PrintIfEmpty() const { return m_printIfEmpty; }
    void SetPrintIfEmpty(bool v) { m_printIfEmpty = v; }
    const QString& ReportTitle() const { return m_title; }
    void SetReportTitle(const QString& t) { m_title = t; }

    // The bands, in stream order.
    std::vector<TQRBand*> Bands() const;
    // The first band of a kind, or none.
    TQRBand* Band(TQRBandType type) const;
    // The band switches.
    bool HasBand(TQRBandType type) const { return Band(type) != nullptr; }
    void SetHasBand(TQRBandType type, bool on);

    // The persistent "Bands" switches and "Page" set-up, as streamed.
    TPersistent* BandSwitches() const;
    TPersistent* PageSetup() const;

    // The step whose report this is (none for a report of its own). The
    // report keeps no dataset: it prints the step's result as it is at
    // the time, so a run that frees the old result leaves nothing behind.
    TMxQueryStep* Step() const { return m_step; }
    void SetStep(TMxQueryStep* step) { m_step = step; }
    // The step's current result; none without a step or a result.
    TIMxDataset* StepDataset() const;

    // Reads and writes the whole record, keeping what the layer does not
    // know (reportstream.h).
    void ReadReport(TMxReader& reader) override;
    void WriteReport(TMxWriter& writer) override;

    // A copy of the whole design (kept records included), with no step.
    std::unique_ptr<TQuickRep> CloneReport() const;

private:
    TMxQueryStep* m_step = nullptr;
    TQRPrintOrientation m_orientation = poPortrait;
    TQRPaperSize m_paperSize = psA4;
    quint32 m_options = (1u << FirstPageHeader) | (1u << LastPageFooter);
    bool m_printIfEmpty = true;
    QString m_title;
    std::unique_ptr<TPersistent> m_switches;
    std::unique_ptr<TPersistent> m_page;
    friend class TQRPageSetup;
    friend class TQRBandSwitches;
};

// Registers the report classes (the class registry and the component
// classes) and fills the engine's StepReportFactoryHook so that every new
// step holds a TQuickRep. Called once at program start.
void RegisterReportClasses();

// The report a step holds, when it is this layer's; none without a step
// or for a step made before the report classes were registered (its report
// is then the engine's null report).
TQuickRep* StepReport(const TMxQueryStep* step);

// A new part of a stored class name (TQRBand, TQRLabel...); none for a
// class the layer does not know.
std::unique_ptr<TQRComponent> CreatePart(const QString& className);

} // namespace mx::rpt
