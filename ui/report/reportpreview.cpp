#include "reportpreview.h"

#include "pageview.h"

#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"

#include "engine/core/exceptions.h"
#include "report/painterrender.h"
#include "report/paginator.h"
#include "report/reportsave.h"
#include "report/rowsource.h"
#include "engine/settings/global.h"
#include "engine/settings/lang.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace mx::ui {

namespace {

QToolButton* pageButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const char* hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoRaise(true);
    return b;
}

} // namespace

TfmReportPreview::TfmReportPreview(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmReportPreview"));
    setWindowTitle(QStringLiteral("|Aperçu avant impression"));

    btFirst = pageButton(this, "btFirst", QStyle::SP_MediaSkipBackward, "|Première page");
    btPrior = pageButton(this, "btPrior", QStyle::SP_MediaSeekBackward, "|Page précédente");
    btNext = pageButton(this, "btNext", QStyle::SP_MediaSeekForward, "|Page suivante");
    btLast = pageButton(this, "btLast", QStyle::SP_MediaSkipForward, "|Dernière page");
    laPage = new QLabel(this);
    laPage->setObjectName(QStringLiteral("laPage"));
    cbZoom = new QComboBox(this);
    cbZoom->setObjectName(QStringLiteral("cbZoom"));
    // item texts are no properties: translated here
    cbZoom->addItems({Translate(QStringLiteral("Page entière")), Translate(QStringLiteral("Largeur de page")), QStringLiteral("50 %"),
        QStringLiteral("75 %"), QStringLiteral("100 %"), QStringLiteral("150 %"), QStringLiteral("200 %")});
    btPrint = new QPushButton(QStringLiteral("|&Imprimer..."), this);
    btPrint->setObjectName(QStringLiteral("btPrint"));
    btSave = new QPushButton(QStringLiteral("|&Enregistrer..."), this);
    btSave->setObjectName(QStringLiteral("btSave"));
    btClose = new QPushButton(QStringLiteral("|&Fermer"), this);
    btClose->setObjectName(QStringLiteral("btClose"));

    pvPage = new TPageView;
    sbPages = new QScrollArea(this);
    sbPages->setObjectName(QStringLiteral("sbPages"));
    sbPages->setWidget(pvPage);
    sbPages->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    sbPages->setBackgroundRole(QPalette::Dark);
    // the zooms that fit the page follow the view's size
    sbPages->viewport()->installEventFilter(this);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 4);
    for (QWidget* w : {static_cast<QWidget*>(btFirst), static_cast<QWidget*>(btPrior)})
        bar->addWidget(w);
    bar->addWidget(laPage);
    bar->addWidget(btNext);
    bar->addWidget(btLast);
    bar->addSpacing(12);
    bar->addWidget(cbZoom);
    bar->addStretch(1);
    bar->addWidget(btPrint);
    bar->addWidget(btSave);
    bar->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(sbPages, 1);

    Connect(btFirst, &QToolButton::clicked, this, [this] { SetPageIndex(0); });
    Connect(btPrior, &QToolButton::clicked, this, [this] { SetPageIndex(PageIndex() - 1); });
    Connect(btNext, &QToolButton::clicked, this, [this] { SetPageIndex(PageIndex() + 1); });
    Connect(btLast, &QToolButton::clicked, this, [this] { SetPageIndex(m_doc ? m_doc->PageCount() - 1 : 0); });
    Connect(cbZoom, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
    Connect(btPrint, &QPushButton::clicked, this, [this] { Print(); });
    Connect(btSave, &QPushButton::clicked, this, [this] { Save(); });
    Connect(btClose, &QPushButton::clicked, this, [this] { close(); });

    // The text at the size it prints: a whole page in a window is too
    // small to read; the other zooms are one choice away.
    cbZoom->setCurrentIndex(z100);
    resize(640, 720);
    LangClientLoadedOrPlain(this);
    refresh();
}

TfmReportPreview::~TfmReportPreview() = default;

void TfmReportPreview::SetDocument(std::shared_ptr<rpt::TReportDocument> document)
{
    m_doc = std::move(document);
    pvPage->SetDocument(m_doc);
    applyZoom();
    refresh();
}

void TfmReportPreview::Preview(const rpt::TQuickRep& report, TIMxDataset* dataset)
{
    std::unique_ptr<rpt::TReportDocument> doc;
    if (dataset) {
        rpt::TDatasetRows rows(*dataset);
        doc = rpt::Paginate(report, &rows);
    } else {
        doc = rpt::Paginate(report, nullptr);
    }
    SetDocument(std::move(doc));
}

int TfmReportPreview::PageIndex() const
{
    return pvPage->PageIndex();
}

void TfmReportPreview::SetPageIndex(int index)
{
    const int count = m_doc ? m_doc->PageCount() : 0;
    pvPage->SetPageIndex(std::clamp(index, 0, std::max(0, count - 1)));
    sbPages->verticalScrollBar()->setValue(0);
    refresh();
}

void TfmReportPreview::SetZoomChoice(TZoomChoice choice)
{
    cbZoom->setCurrentIndex(choice);
    applyZoom();
}

double TfmReportPreview::Zoom() const
{
    return pvPage->Zoom();
}

void TfmReportPreview::applyZoom()
{
    const QSize full = pvPage->SheetSize(1.0);
    const QSize room = sbPages->viewport()->size() - QSize(2 * TPageView::kBorder, 2 * TPageView::kBorder);
    double zoom = 1.0;
    switch (TZoomChoice(cbZoom->currentIndex())) {
    case zWholePage:
        zoom = std::min(double(room.width()) / full.width(), double(room.height()) / full.height());
        break;
    case zPageWidth:
        zoom = double(room.width() - sbPages->verticalScrollBar()->sizeHint().width()) / full.width();
        break;
    case z50:
        zoom = 0.5;
        break;
    case z75:
        zoom = 0.75;
        break;
    case z100:
        zoom = 1.0;
        break;
    case z150:
        zoom = 1.5;
        break;
    case z200:
        zoom = 2.0;
        break;
    }
    pvPage->SetZoom(zoom > 0 ? zoom : 1.0);
}

void TfmReportPreview::refresh()
{
    const int count = m_doc ? m_doc->PageCount() : 0;
    const int page = PageIndex();
    laPage->setText(count == 0 ? Translate(QStringLiteral("Aucune page"))
                               : TranslateFmt(QStringLiteral("Page %d sur %d"), {page + 1, count}));
    btFirst->setEnabled(page > 0);
    btPrior->setEnabled(page > 0);
    btNext->setEnabled(page + 1 < count);
    btLast->setEnabled(page + 1 < count);
    btPrint->setEnabled(count > 0);
    btSave->setEnabled(count > 0);
}

void TfmReportPreview::Print()
{
    if (!m_doc || m_doc->PageCount() == 0)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_doc->Title);
    printer.setFromTo(1, m_doc->PageCount());
    if (!UiService().PrintDialog(this, printer))
        return;
    rpt::PrintDocument(*m_doc, printer);
}

void TfmReportPreview::Save()
{
    if (!m_doc || m_doc->PageCount() == 0)
        return;
    TFileRequest request;
    request.caption = Translate(QStringLiteral("Enregistrer le rapport"));
    request.fileName = m_doc->Title;
    request.filters = rpt::SaveFileFilters();
    request.defaultSuffix = QStringLiteral("PDF");
    // the type chosen decides the format, and the extension of a name
    // typed without one
    const TSaveChoice chosen = UiService().SaveFileAs(this, request);
    if (chosen.fileName.isEmpty())
        return;
    rpt::SaveDocument(*m_doc, rpt::SaveFileName(chosen.fileName, chosen.filterIndex), chosen.filterIndex);
}

bool TfmReportPreview::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == sbPages->viewport() && e->type() == QEvent::Resize) {
        Guard(this, [&] {
            if (cbZoom->currentIndex() == zWholePage || cbZoom->currentIndex() == zPageWidth)
                applyZoom();
        });
    }
    return QWidget::eventFilter(watched, e);
}

void TfmReportPreview::keyPressEvent(QKeyEvent* e)
{
    Guard(this, [&] {
        switch (e->key()) {
        case Qt::Key_PageDown:
            SetPageIndex(PageIndex() + 1);
            break;
        case Qt::Key_PageUp:
            SetPageIndex(PageIndex() - 1);
            break;
        case Qt::Key_Home:
            SetPageIndex(0);
            break;
        case Qt::Key_End:
            SetPageIndex(m_doc ? m_doc->PageCount() - 1 : 0);
            break;
        default:
            QWidget::keyPressEvent(e);
        }
    });
}

void TfmReportPreview::closeEvent(QCloseEvent* e)
{
    Guard(this, [&] {
        QWidget::closeEvent(e);
        emit closed();
    });
}

} // namespace mx::ui
