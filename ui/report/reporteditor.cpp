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

struct TReportEditor::TUi {
    QCheckBox* cbTitle = nullptr;
    QCheckBox* cbPageHeader = nullptr;
    QCheckBox* cbColumnHeader = nullptr;
    QCheckBox* cbDetail = nullptr;
    QCheckBox* cbSummary = nullptr;
    QCheckBox* cbPageFooter = nullptr;
    QComboBox* cbxOrientation = nullptr;
    QLabel* laControl = nullptr;
    QLineEdit* edText = nullptr;
    QPushButton* btFont = nullptr;
    QScrollArea* sbDesign = nullptr;
    TDesignSurface* Surface = nullptr;
};

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

TReportEditor::TReportEditor(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<TUi>())
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("ReportEditor"));
    const std::pair<QCheckBox**, std::pair<const char*, std::pair<const char*, TQRBandType>>> switches[] = {
        {&u.cbTitle, {"cbTitle", {"|Titre", rbTitle}}},
        {&u.cbPageHeader, {"cbPageHeader", {"|En-tête de page", rbPageHeader}}},
        {&u.cbColumnHeader, {"cbColumnHeader", {"|En-tête de colonnes", rbColumnHeader}}},
        {&u.cbDetail, {"cbDetail", {"|Détail", rbDetail}}},
        {&u.cbSummary, {"cbSummary", {"|Résumé", rbSummary}}},
        {&u.cbPageFooter, {"cbPageFooter", {"|Pied de page", rbPageFooter}}},
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
    u.cbxOrientation = new QComboBox(this);
    u.cbxOrientation->setObjectName(QStringLiteral("cbxOrientation"));
    u.cbxOrientation->addItems({Translate(QStringLiteral("Portrait")), Translate(QStringLiteral("Paysage"))});
    bands->addWidget(u.cbxOrientation);

    auto* control = new QHBoxLayout;
    control->setContentsMargins(6, 4, 6, 4);
    u.laControl = new QLabel(this);
    u.laControl->setObjectName(QStringLiteral("laControl"));
    u.laControl->setMinimumWidth(u.laControl->fontMetrics().horizontalAdvance(Translate(QStringLiteral("Expression (En-tête de colonnes) :"))));
    u.edText = new QLineEdit(this);
    u.edText->setObjectName(QStringLiteral("edText"));
    u.btFont = new QPushButton(QStringLiteral("|&Police..."), this);
    u.btFont->setObjectName(QStringLiteral("btFont"));
    control->addWidget(u.laControl);
    control->addWidget(u.edText, 1);
    control->addWidget(u.btFont);

    u.Surface = new TDesignSurface;
    u.sbDesign = new QScrollArea(this);
    u.sbDesign->setObjectName(QStringLiteral("sbDesign"));
    u.sbDesign->setWidget(u.Surface);
    u.sbDesign->setBackgroundRole(QPalette::Mid);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bands);
    layout->addLayout(control);
    layout->addWidget(u.sbDesign, 1);

    Connect(u.cbxOrientation, &QComboBox::currentIndexChanged, this, [this](int i) { orientationChosen(i); });
    Connect(u.edText, &QLineEdit::editingFinished, this, [this] { textEdited(); });
    Connect(u.btFont, &QPushButton::clicked, this, [this] { chooseFont(); });
    Connect(u.Surface, &TDesignSurface::selectionChanged, this, [this] { fillSelection(); });
    Connect(u.Surface, &TDesignSurface::geometryChanged, this, [this] { markChanged(); });

    resize(760, 480);
    LangClientLoadedOrPlain(this);
    fill();
}

TReportEditor::~TReportEditor() = default;

void TReportEditor::SetReport(TQuickRep* report)
{
    m_report = report;
    m_ui->Surface->SetReport(report);
    fill();
}

TQRPrintable* TReportEditor::Selected() const
{
    return m_ui->Surface->Selected();
}

void TReportEditor::Select(TQRPrintable* control)
{
    m_ui->Surface->Select(control);
}

void TReportEditor::fill()
{
    m_filling = true;
    for (const auto& [box, type] : m_switches) {
        box->setEnabled(m_report != nullptr);
        box->setChecked(m_report && m_report->HasBand(TQRBandType(type)));
    }
    m_ui->cbxOrientation->setEnabled(m_report != nullptr);
    m_ui->cbxOrientation->setCurrentIndex(m_report && m_report->Orientation() == poLandscape ? 1 : 0);
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
    } else if (TQRBand* band = m_ui->Surface->SelectedBand()) {
        label = TDesignLayout::BandName(*band);
    }
    m_ui->laControl->setText(label);
    m_ui->edText->setText(text);
    m_ui->edText->setEnabled(c && c->EditableText().has_value());
    m_ui->btFont->setEnabled(c != nullptr && c->ControlKind() != qkShape);
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
        m_ui->Surface->Select(nullptr);
    m_report->SetHasBand(TQRBandType(type), on);
    m_ui->Surface->Relayout();
    markChanged();
}

void TReportEditor::textEdited()
{
    if (m_filling)
        return;
    TQRPrintable* c = Selected();
    if (c && c->SetEditableText(m_ui->edText->text())) {
        m_ui->Surface->update();
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
    m_ui->Surface->update();
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
    m_ui->Surface->Relayout();
    markChanged();
}

} // namespace mx::ui
