#include "reporteditor.h"

#include "designsurface.h"

#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"

#include "engine/core/userservice.h"
#include "report/designlayout.h"
#include "report/reportparts.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/settings/global.h"
#include "engine/settings/lang.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mx::ui {

using namespace rpt;

namespace {

// The name of the band that holds control, as the band switches say it.
QString bandOf(const TQuickRep* report, const TQRPrintable* control)
{
    if (report)
        for (TQRBand* b : report->Bands())
            for (TQRPrintable* p : b->Controls())
                if (p == control)
                    return TDesignLayout::BandName(*b);
    return Translate(QStringLiteral("Rapport"));
}

} // namespace

TReportEditor::TReportEditor(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ReportEditor"));
    const std::pair<QCheckBox**, std::pair<const char*, std::pair<const char*, TQRBandType>>> switches[] = {
        {&cbTitle, {"cbTitle", {"|Titre", rbTitle}}},
        {&cbPageHeader, {"cbPageHeader", {"|En-tête de page", rbPageHeader}}},
        {&cbColumnHeader, {"cbColumnHeader", {"|En-tête de colonnes", rbColumnHeader}}},
        {&cbDetail, {"cbDetail", {"|Détail", rbDetail}}},
        {&cbSummary, {"cbSummary", {"|Résumé", rbSummary}}},
        {&cbPageFooter, {"cbPageFooter", {"|Pied de page", rbPageFooter}}},
    };
    auto* bands = new QHBoxLayout;
    bands->setContentsMargins(6, 4, 6, 0);
    for (const auto& [field, rest] : switches) {
        auto* box = new QCheckBox(QString::fromUtf8(rest.second.first), this);
        box->setObjectName(QString::fromLatin1(rest.first));
        *field = box;
        const int type = rest.second.second;
        m_switches.emplace_back(box, type);
        Connect(box, &QCheckBox::toggled, this, [this, type](bool on) { switchBand(type, on); });
        bands->addWidget(box);
    }
    bands->addStretch(1);
    cbxOrientation = new QComboBox(this);
    cbxOrientation->setObjectName(QStringLiteral("cbxOrientation"));
    cbxOrientation->addItems({Translate(QStringLiteral("Portrait")), Translate(QStringLiteral("Paysage"))});
    bands->addWidget(cbxOrientation);

    auto* control = new QHBoxLayout;
    control->setContentsMargins(6, 4, 6, 4);
    laControl = new QLabel(this);
    laControl->setObjectName(QStringLiteral("laControl"));
    laControl->setMinimumWidth(laControl->fontMetrics().horizontalAdvance(Translate(QStringLiteral("Expression (En-tête de colonnes) :"))));
    edText = new QLineEdit(this);
    edText->setObjectName(QStringLiteral("edText"));
    btFont = new QPushButton(QStringLiteral("|&Police..."), this);
    btFont->setObjectName(QStringLiteral("btFont"));
    control->addWidget(laControl);
    control->addWidget(edText, 1);
    control->addWidget(btFont);

    Surface = new TDesignSurface;
    sbDesign = new QScrollArea(this);
    sbDesign->setObjectName(QStringLiteral("sbDesign"));
    sbDesign->setWidget(Surface);
    sbDesign->setBackgroundRole(QPalette::Mid);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bands);
    layout->addLayout(control);
    layout->addWidget(sbDesign, 1);

    Connect(cbxOrientation, &QComboBox::currentIndexChanged, this, [this](int i) { orientationChosen(i); });
    Connect(edText, &QLineEdit::editingFinished, this, [this] { textEdited(); });
    Connect(btFont, &QPushButton::clicked, this, [this] { chooseFont(); });
    Connect(Surface, &TDesignSurface::selectionChanged, this, [this] { fillSelection(); });
    Connect(Surface, &TDesignSurface::geometryChanged, this, [this] { markChanged(); });

    resize(760, 480);
    LangClientLoadedOrPlain(this);
    fill();
}

void TReportEditor::SetReport(TQuickRep* report)
{
    m_report = report;
    Surface->SetReport(report);
    fill();
}

TQRPrintable* TReportEditor::Selected() const
{
    return Surface->Selected();
}

void TReportEditor::Select(TQRPrintable* control)
{
    Surface->Select(control);
}

void TReportEditor::fill()
{
    m_filling = true;
    for (const auto& [box, type] : m_switches) {
        box->setEnabled(m_report != nullptr);
        box->setChecked(m_report && m_report->HasBand(TQRBandType(type)));
    }
    cbxOrientation->setEnabled(m_report != nullptr);
    cbxOrientation->setCurrentIndex(m_report && m_report->Orientation() == poLandscape ? 1 : 0);
    m_filling = false;
    fillSelection();
}

void TReportEditor::fillSelection()
{
    m_filling = true;
    TQRPrintable* c = Selected();
    QString label;
    QString text;
    // A control is named by what it is and the band it lies in, never by
    // its component name, which means nothing to the user.
    const QString band = c ? bandOf(m_report, c) : QString();
    if (c) {
        switch (c->ControlKind()) {
        case qkLabel:
            label = TranslateFmt(QStringLiteral("Texte (%s) :"), {band});
            break;
        case qkExpr:
            label = TranslateFmt(QStringLiteral("Expression (%s) :"), {band});
            break;
        case qkSysData:
            label = TranslateFmt(QStringLiteral("Préfixe (%s) :"), {band});
            break;
        case qkShape:
        case qkPlain:
            label = TranslateFmt(QStringLiteral("Forme (%s)"), {band});
            break;
        }
        text = c->EditableText().value_or(QString());
    } else if (TQRBand* band = Surface->SelectedBand()) {
        label = TDesignLayout::BandName(*band);
    }
    laControl->setText(label);
    edText->setText(text);
    edText->setEnabled(c && c->EditableText().has_value());
    btFont->setEnabled(c != nullptr && c->ControlKind() != qkShape);
    m_filling = false;
}

void TReportEditor::markChanged()
{
    if (m_report && m_report->Step())
        if (TMxQuery* query = m_report->Step()->GetQuery())
            query->MarkModified();
    emit changed();
}

void TReportEditor::switchBand(int type, bool on)
{
    if (m_filling || !m_report || m_report->HasBand(TQRBandType(type)) == on)
        return;
    if (!on) {
        // a band's controls go with it: the user says so first
        TQRBand* band = m_report->Band(TQRBandType(type));
        const int controls = band ? int(band->Controls().size()) : 0;
        if (controls > 0
            && UserService().MessageDlg(TranslateFmt(QStringLiteral("La bande %s contient %d contrôles, qui seront supprimés avec elle. Continuer ?"),
                                            {TDesignLayout::BandName(*band), controls}),
                   TMsgDlgType::mtConfirmation, mbYes | mbNo)
                != mrYes) {
            fill();
            return;
        }
    }
    if (!on && Selected() && Selected()->ParentPart() == m_report->Band(TQRBandType(type)))
        Surface->Select(nullptr);
    m_report->SetHasBand(TQRBandType(type), on);
    Surface->Relayout();
    markChanged();
}

void TReportEditor::textEdited()
{
    if (m_filling)
        return;
    TQRPrintable* c = Selected();
    if (c && c->SetEditableText(edText->text())) {
        Surface->update();
        markChanged();
    }
}

void TReportEditor::chooseFont()
{
    TQRPrintable* c = Selected();
    if (!c)
        return;
    const TFontSpec& spec = c->EffectiveFont();
    QFont font(spec.Name());
    font.setPointSize(spec.Size() > 0 ? spec.Size() : 10);
    font.setBold(spec.Style() & FontStyle(fsBold));
    font.setItalic(spec.Style() & FontStyle(fsItalic));
    font.setUnderline(spec.Style() & FontStyle(fsUnderline));
    font.setStrikeOut(spec.Style() & FontStyle(fsStrikeOut));
    if (!UiService().PickFont(this, font))
        return;
    TFontSpec chosen;
    chosen.Assign(&spec);
    chosen.SetName(font.family());
    if (font.pointSize() > 0)
        chosen.SetSize(font.pointSize());
    TFontStyles style = 0;
    if (font.bold())
        style |= FontStyle(fsBold);
    if (font.italic())
        style |= FontStyle(fsItalic);
    if (font.underline())
        style |= FontStyle(fsUnderline);
    if (font.strikeOut())
        style |= FontStyle(fsStrikeOut);
    chosen.SetStyle(style);
    c->Font()->Assign(&chosen);
    c->SetParentFont(false);
    Surface->update();
    markChanged();
}

void TReportEditor::orientationChosen(int index)
{
    if (m_filling || !m_report)
        return;
    const TQRPrintOrientation o = index == 1 ? poLandscape : poPortrait;
    if (m_report->Orientation() == o)
        return;
    m_report->SetOrientation(o);
    // bands span the printable width of the page
    for (TQRBand* b : m_report->Bands()) {
        QRectF r = b->Bounds();
        r.setWidth(m_report->PrintableWidth());
        b->SetBounds(r);
    }
    Surface->Relayout();
    markChanged();
}

} // namespace mx::ui
