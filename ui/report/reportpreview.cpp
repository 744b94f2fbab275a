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

struct TfmReportPreview::TUi {
    QToolButton* btFirst = nullptr;
    QToolButton* btPrior = nullptr;
    QToolButton* btNext = nullptr;
    QToolButton* btLast = nullptr;
    QLabel* laPage = nullptr;
    QComboBox* cbZoom = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btSave = nullptr;
    QPushButton* btClose = nullptr;
    QScrollArea* sbPages = nullptr;
    TPageView* pvPage = nullptr;
};

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

TfmReportPreview::TfmReportPreview(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<TUi>())
{
    TUi& u = *m_ui;
    setObjectName(QStringLiteral("fmReportPreview"));
    setWindowTitle(QStringLiteral("|Aperçu avant impression"));

    u.btFirst = pageButton(this, "btFirst", QStyle::SP_MediaSkipBackward, "|Première page");
    u.btPrior = pageButton(this, "btPrior", QStyle::SP_MediaSeekBackward, "|Page précédente");
    u.btNext = pageButton(this, "btNext", QStyle::SP_MediaSeekForward, "|Page suivante");
    u.btLast = pageButton(this, "btLast", QStyle::SP_MediaSkipForward, "|Dernière page");
    u.laPage = new QLabel(this);
    u.laPage->setObjectName(QStringLiteral("laPage"));
    u.cbZoom = new QComboBox(this);
    u.cbZoom->setObjectName(QStringLiteral("cbZoom"));
    // item texts are no properties: translated here
    u.cbZoom->addItems({Translate(QStringLiteral("Page entière")), Translate(QStringLiteral("Largeur de page")), QStringLiteral("50 %"),
        QStringLiteral("75 %"), QStringLiteral("100 %"), QStringLiteral("150 %"), QStringLiteral("200 %")});
    u.btPrint = new QPushButton(QStringLiteral("|&Imprimer..."), this);
    u.btPrint->setObjectName(QStringLiteral("btPrint"));
    u.btSave = new QPushButton(QStringLiteral("|&Enregistrer..."), this);
    u.btSave->setObjectName(QStringLiteral("btSave"));
    u.btClose = new QPushButton(QStringLiteral("|&Fermer"), this);
    u.btClose->setObjectName(QStringLiteral("btClose"));

    u.pvPage = new TPageView;
    u.sbPages = new QScrollArea(this);
    u.sbPages->setObjectName(QStringLiteral("sbPages"));
    u.sbPages->setWidget(u.pvPage);
    u.sbPages->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    u.sbPages->setBackgroundRole(QPalette::Dark);
    // the zooms that fit the page follow the view's size
    u.sbPages->viewport()->installEventFilter(this);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(6, 4, 6, 4);
    for (QWidget* w : {static_cast<QWidget*>(u.btFirst), static_cast<QWidget*>(u.btPrior)})
        bar->addWidget(w);
    bar->addWidget(u.laPage);
    bar->addWidget(u.btNext);
    bar->addWidget(u.btLast);
    bar->addSpacing(12);
    bar->addWidget(u.cbZoom);
    bar->addStretch(1);
    bar->addWidget(u.btPrint);
    bar->addWidget(u.btSave);
    bar->addWidget(u.btClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(u.sbPages, 1);

    Connect(u.btFirst, &QToolButton::clicked, this, [this] { SetPageIndex(0); });
    Connect(u.btPrior, &QToolButton::clicked, this, [this] { SetPageIndex(PageIndex() - 1); });
    Connect(u.btNext, &QToolButton::clicked, this, [this] { SetPageIndex(PageIndex() + 1); });
    Connect(u.btLast, &QToolButton::clicked, this, [this] { SetPageIndex(m_doc ? m_doc->PageCount() - 1 : 0); });
    Connect(u.cbZoom, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
    Connect(u.btPrint, &QPushButton::clicked, this, [this] { Print(); });
    Connect(u.btSave, &QPushButton::clicked, this, [this] { Save(); });
    Connect(u.btClose, &QPushButton::clicked, this, [this] { close(); });

    // The text at the size it prints: a whole page in a window is too
    // small to read; the other zooms are one choice away.
    u.cbZoom->setCurrentIndex(z100);
    resize(640, 720);
    LangClientLoadedOrPlain(this);
    refresh();
}

TfmReportPreview::~TfmReportPreview() = default;

void TfmReportPreview::SetDocument(std::shared_ptr<rpt::TReportDocument> document)
{
    m_doc = std::move(document);
    m_ui->pvPage->SetDocument(m_doc);
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
    return m_ui->pvPage->PageIndex();
}

void TfmReportPreview::SetPageIndex(int index)
{
    const int count = m_doc ? m_doc->PageCount() : 0;
    m_ui->pvPage->SetPageIndex(std::clamp(index, 0, std::max(0, count - 1)));
    m_ui->sbPages->verticalScrollBar()->setValue(0);
    refresh();
}

void TfmReportPreview::SetZoomChoice(TZoomChoice choice)
{
    m_ui->cbZoom->setCurrentIndex(choice);
    applyZoom();
}

double TfmReportPreview::Zoom() const
{
    return m_ui->pvPage->Zoom();
}

void TfmReportPreview::applyZoom()
{
    const QSize full = m_ui->pvPage->SheetSize(1.0);
    const QSize room = m_ui->sbPages->viewport()->size() - QSize(2 * TPageView::kBorder, 2 * TPageView::kBorder);
    double zoom = 1.0;
    switch (TZoomChoice(m_ui->cbZoom->currentIndex())) {
    case zWholePage:
        zoom = std::min(double(room.width()) / full.width(), double(room.height()) / full.height());
        break;
    case zPageWidth:
        zoom = double(room.width() - m_ui->sbPages->verticalScrollBar()->sizeHint().width()) / full.width();
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
    m_ui->pvPage->SetZoom(zoom > 0 ? zoom : 1.0);
}

void TfmReportPreview::refresh()
{
    const int count = m_doc ? m_doc->PageCount() : 0;
    const int page = PageIndex();
    m_ui->laPage->setText(count == 0 ? Translate(QStringLiteral("Aucune page"))
                               : TranslateFmt(QStringLiteral("Page %d sur %d"), {page + 1, count}));
    m_ui->btFirst->setEnabled(page > 0);
    m_ui->btPrior->setEnabled(page > 0);
    m_ui->btNext->setEnabled(page + 1 < count);
    m_ui->btLast->setEnabled(page + 1 < count);
    m_ui->btPrint->setEnabled(count > 0);
    m_ui->btSave->setEnabled(count > 0);
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
    if (watched == m_ui->sbPages->viewport() && e->type() == QEvent::Resize) {
        Guard(this, [&] {
            if (m_ui->cbZoom->currentIndex() == zWholePage || m_ui->cbZoom->currentIndex() == zPageWidth)
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
