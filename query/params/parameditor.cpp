#include "parameditor.h"

#include "dialogbuilder.h"
#include "paletteglyphs.h"

#include "engine/core/strings.h"
#include "engine/core/translate.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/settings/global.h"

#include "ui/controls/docklayout.h"
#include "ui/controls/itemobserver.h"
#include "ui/controls/observedlistmodel.h"
#include "ui/controls/picturelistbox.h"
#include "ui/controls/pictures.h"
#include "ui/controls/splitter.h"
#include "ui/services/guarded.h"
#include "ui/services/namedwidget.h"
#include "ui/services/modalrunner.h"

#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace mx {

namespace {

QFrame* bevel(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    return f;
}

constexpr int kVarsWidth = 145;
constexpr int kPaletteHeight = 34;
constexpr int kBevelHeight = 2;
constexpr int kCommandsHeight = 32;
constexpr int kSplitterWidth = 3;
// The design area's least size as the window opens: the splitter's high
// minimum, the default design's height.
constexpr int kMinDesignWidth = 355;
constexpr int kMinDesignHeight = 300;
// Room kept right of and under the last control when the design grows.
constexpr int kDesignMargin = 8;

} // namespace

struct TfmParamEditor::TUi {
    QMenuBar* menu = nullptr;
    QAction* miParamNew = nullptr;
    QAction* miParamEdit = nullptr;
    QAction* miParamDelete = nullptr;
    QAction* miParamTest = nullptr;
    QAction* miParamClose = nullptr;
    QAction* miShowFrames = nullptr;
    QWidget* nrpaVars = nullptr;
    ui::TPictureListView* plbParams = nullptr;
    QPushButton* btNew = nullptr;
    QPushButton* btEdit = nullptr;
    QPushButton* btDelete = nullptr;
    ui::TMxSplitter* Splitter1 = nullptr;
    QWidget* nrpa = nullptr;
    QButtonGroup* palette = nullptr;
    QFrame* Bevel1 = nullptr;
    TDialogBuilder* DialogBuilder = nullptr;
    QFrame* Bevel2 = nullptr;
    QWidget* nrpaCommands = nullptr;
    QPushButton* btTest = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
    QPushButton* btHelp = nullptr;
};

TfmParamEditor::TfmParamEditor(TMxDataModel* model, TMxParamControlList* controls, TMxParamList* params, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_ui(std::make_unique<TUi>())
    , m_params(new TMxParamList(nullptr))
    , m_observer(new ui::TItemObserver(this))
    , m_lines(new ui::TObservedListModel(this))
{
    setObjectName(QStringLiteral("fmParamEditor"));
    setWindowTitle(Translate("Editeur de Paramètres"));
    setProperty("helpContext", 15);
    m_params->Assign(params);

    auto* dock = new ui::TDockLayout(this);
    buildMenu();
    dock->AddWidget(m_ui->menu, ui::TAlign::alTop, m_ui->menu->sizeHint().height());
    buildLeft();
    dock->AddWidget(m_ui->nrpaVars, ui::TAlign::alLeft, kVarsWidth);
    m_ui->Splitter1 = new ui::TMxSplitter(this);
    m_ui->Splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_ui->Splitter1->resize(kSplitterWidth, kSplitterWidth);
    m_ui->Splitter1->SetAlign(ui::TAlign::alLeft);
    dock->SetExtent(m_ui->Splitter1, kSplitterWidth);
    m_ui->Splitter1->SetLowMinSize(100);
    m_ui->Splitter1->SetHighMinSize(355);
    auto* right = new QWidget(this);
    right->setObjectName(QStringLiteral("paRight"));
    dock->AddWidget(right, ui::TAlign::alClient);
    auto* rightDock = new ui::TDockLayout(right);
    m_ui->nrpa = new QWidget(right);
    m_ui->nrpa->setObjectName(QStringLiteral("nrpa"));
    m_ui->Bevel1 = bevel(right, "Bevel1");
    m_ui->DialogBuilder = new TDialogBuilder(right);
    m_ui->Bevel2 = bevel(right, "Bevel2");
    m_ui->nrpaCommands = new QWidget(right);
    m_ui->nrpaCommands->setObjectName(QStringLiteral("nrpaCommands"));
    rightDock->AddWidget(m_ui->nrpa, ui::TAlign::alTop, kPaletteHeight);
    rightDock->AddWidget(m_ui->Bevel1, ui::TAlign::alTop, kBevelHeight);
    rightDock->AddWidget(m_ui->nrpaCommands, ui::TAlign::alBottom, kCommandsHeight);
    rightDock->AddWidget(m_ui->Bevel2, ui::TAlign::alBottom, kBevelHeight);
    rightDock->AddWidget(m_ui->DialogBuilder, ui::TAlign::alClient);
    buildRight();

    // The list's lines follow the parameters edited; the model observes
    // them first, so a parameter reported as added has its line already
    // (every parameter already there is reported as added).
    m_lines->SetList(m_params);
    ui::Connect(m_observer, &ui::TItemObserver::added, this, [this](TMxItem* item) { paramAdded(item); });
    ui::Connect(m_observer, &ui::TItemObserver::removed, this, [this](TMxItem* item) { paramRemoved(item); });
    m_observer->Observe(m_params);

    m_ui->DialogBuilder->Params = m_params;
    m_ui->DialogBuilder->SetDesigning(true);
    m_ui->DialogBuilder->SetShowFrames(false);
    m_ui->DialogBuilder->SetParamControls(controls);
    m_ui->DialogBuilder->DataModel = model;
    m_ui->DialogBuilder->OnSurfaceMouseDown = [this](QMouseEvent* e) { AtParamMouseDown(e->position().toPoint()); };

    const int w = m_ui->DialogBuilder->ParamControls()->DesignW();
    const int h = m_ui->DialogBuilder->ParamControls()->DesignH();
    m_designSize = QSize(w, h);
    // A small design opens in room to work in: the design area no smaller
    // than its splitter allows and the default design's height, the left
    // column whole, never beyond the screen. The design keeps its own size
    // unless the user resizes the window (storeDesignSize).
    const int leftColumn = m_ui->nrpaVars->layout() ? m_ui->nrpaVars->layout()->minimumSize().height() : 0;
    const int chrome = kPaletteHeight + 2 * kBevelHeight + kCommandsHeight;
    QSize client(kVarsWidth + std::max(w, kMinDesignWidth) + kSplitterWidth,
        m_ui->menu->sizeHint().height() + std::max(chrome + std::max(h, kMinDesignHeight), leftColumn));
    if (QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        client = client.boundedTo(area.size());
        move(area.x() + (area.width() - client.width()) / 2, area.y() + (area.height() - client.height()) / 2);
    }
    resize(client);
    m_openedSize = size();
    // The Delete key, whichever child has the focus.
    qApp->installEventFilter(this);
    AtStateChange();
}

TfmParamEditor::~TfmParamEditor()
{
    qApp->removeEventFilter(this);
    // the children signal while they go, after the widget table is gone
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    m_observer->Release(false);
    m_ui->plbParams->setModel(nullptr);
    m_lines->SetList(nullptr);
    m_ui->DialogBuilder->Params = nullptr;
    m_ui->DialogBuilder->SetParamControls(nullptr);
    m_params->Free();
}

void TfmParamEditor::buildMenu()
{
    m_ui->menu = new QMenuBar(this);
    m_ui->menu->setObjectName(QStringLiteral("MainMenu"));
    QMenu* params = m_ui->menu->addMenu(Translate("&Paramètres"));
    const auto action = [](QMenu* m, const char* name, const char* text) {
        QAction* a = m->addAction(Translate(text));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    m_ui->miParamNew = action(params, "miParamNew", "&Nouveau...");
    m_ui->miParamEdit = action(params, "miParamEdit", "&Modifier");
    m_ui->miParamDelete = action(params, "miParamDelete", "&Supprimer");
    m_ui->miParamTest = action(params, "miParamTest", "&Tester");
    m_ui->miParamClose = action(params, "miParamClose", "&Fermer");
    QMenu* options = m_ui->menu->addMenu(Translate("&Options"));
    m_ui->miShowFrames = action(options, "miShowFrames", "&Afficher les contours");
    m_ui->miShowFrames->setCheckable(true);
    ui::Connect(m_ui->miParamNew, &QAction::triggered, this, [this] { AtNewClick(); });
    ui::Connect(m_ui->miParamEdit, &QAction::triggered, this, [this] { AtParamsDblClick(); });
    ui::Connect(m_ui->miParamDelete, &QAction::triggered, this, [this] { AtDeleteClick(); });
    ui::Connect(m_ui->miParamTest, &QAction::triggered, this, [this] { AtTestClick(); });
    ui::Connect(m_ui->miParamClose, &QAction::triggered, this, [this] { BtOkClick(); });
    ui::Connect(m_ui->miShowFrames, &QAction::triggered, this, [this](bool on) {
        m_ui->DialogBuilder->SetShowFrames(on);
        AtStateChange();
    });
}

void TfmParamEditor::buildLeft()
{
    m_ui->nrpaVars = new QWidget(this);
    m_ui->nrpaVars->setObjectName(QStringLiteral("nrpaVars"));
    auto* column = new QVBoxLayout(m_ui->nrpaVars);
    m_ui->plbParams = new ui::TPictureListView(m_ui->nrpaVars);
    m_ui->plbParams->setObjectName(QStringLiteral("plbParams"));
    m_ui->plbParams->setModel(m_lines);
    m_ui->plbParams->SetPicture(ui::Picture(ui::TPicture::Parameter));
    m_ui->btNew = ui::NamedButton(m_ui->nrpaVars, "btNew", "&Nouveau...");
    m_ui->btEdit = ui::NamedButton(m_ui->nrpaVars, "btEdit", "&Modifier");
    m_ui->btDelete = ui::NamedButton(m_ui->nrpaVars, "btDelete", "&Supprimer");
    column->addWidget(m_ui->plbParams);
    for (QPushButton* b : {m_ui->btNew, m_ui->btEdit, m_ui->btDelete})
        column->addWidget(b);
    m_ui->plbParams->viewport()->installEventFilter(this);
    ui::Connect(m_ui->btNew, &QPushButton::clicked, this, [this] { AtNewClick(); });
    ui::Connect(m_ui->btEdit, &QPushButton::clicked, this, [this] { AtParamsDblClick(); });
    ui::Connect(m_ui->btDelete, &QPushButton::clicked, this, [this] { AtDeleteClick(); });
    ui::Connect(m_ui->plbParams, &QAbstractItemView::doubleClicked, this, [this] { AtParamsDblClick(); });
    ui::Connect(m_ui->plbParams->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { AtStateChange(); });
}

void TfmParamEditor::buildRight()
{
    m_ui->palette = new QButtonGroup(this);
    m_ui->palette->setExclusive(true);
    static const char* const names[] = {"sb0", "sb1", "sb2", "sb3", "sb4", "sb5", "sb6", "sb7", "s8b"};
    static const char* const hints[] = {"", "Texte", "Saisie", "Liste", "Combo", "Choix", "Radio", "Cadre", "Image"};
    const int side = kPaletteHeight - 6;
    for (int k = ckNone; k <= ckImage; ++k) {
        auto* b = new QToolButton(m_ui->nrpa);
        b->setObjectName(QString::fromLatin1(names[k]));
        b->setProperty("Tag", k);
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setIcon(PaletteGlyph(TDlgControlKind(k)));
        b->setToolTip(Translate(hints[k]));
        b->setGeometry(3 + k * (side + 2), 3, side, side);
        b->setChecked(k == ckNone);
        m_ui->palette->addButton(b, k);
    }
    ui::Connect(m_ui->palette, &QButtonGroup::idClicked, this, [this](int kind) {
        m_paletteKind = TDlgControlKind(kind);
        AtStateChange();
    });

    m_ui->btTest = ui::NamedButton(m_ui->nrpaCommands, "btTest", "&Tester");
    m_ui->btOk = ui::NamedButton(m_ui->nrpaCommands, "btOk", "Ok");
    m_ui->btCancel = ui::NamedButton(m_ui->nrpaCommands, "btCancel", "Annuler");
    m_ui->btHelp = ui::NamedButton(m_ui->nrpaCommands, "btHelp", "Aide");
    m_ui->btOk->setDefault(true);
    m_ui->nrpaCommands->installEventFilter(this);
    ui::Connect(m_ui->btTest, &QPushButton::clicked, this, [this] { AtTestClick(); });
    ui::Connect(m_ui->btOk, &QPushButton::clicked, this, [this] { BtOkClick(); });
    ui::Connect(m_ui->btCancel, &QPushButton::clicked, this, [this] { reject(); });
    ui::Connect(m_ui->btHelp, &QPushButton::clicked, this, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });
}

void TfmParamEditor::layoutCommands()
{
    const QList<QRect> r = CommandBarLayout(m_ui->nrpaCommands->width(), m_ui->nrpaCommands->height());
    const QList<QPushButton*> buttons{m_ui->btTest, m_ui->btOk, m_ui->btCancel, m_ui->btHelp};
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setGeometry(r[i]);
}

bool TfmParamEditor::eventFilter(QObject* watched, QEvent* event)
{
    bool taken = false;
    Guard(this, [&] {
        if (watched == m_ui->nrpaCommands && event->type() == QEvent::Resize) {
            layoutCommands();
        } else if (event->type() == QEvent::KeyPress) {
            auto* w = qobject_cast<QWidget*>(watched);
            // the form's keys first, as long as no other window is on top
            if (w && w->window() == this && QApplication::activeModalWidget() == this)
                taken = m_ui->DialogBuilder->EditorKeyDown(static_cast<QKeyEvent*>(event));
        } else if (watched == m_ui->plbParams->viewport()) {
            // A parameter dragged onto the builder with a kind chosen.
            if (event->type() == QEvent::MouseButtonPress && m_paletteKind != ckNone) {
                m_paramDrag = true;
            } else if (event->type() == QEvent::MouseButtonRelease && m_paramDrag) {
                m_paramDrag = false;
                const auto* e = static_cast<QMouseEvent*>(event);
                const QPoint at = m_ui->DialogBuilder->Canvas()->mapFromGlobal(e->globalPosition().toPoint());
                if (m_ui->DialogBuilder->Canvas()->rect().contains(at) && m_ui->DialogBuilder->viewport()->rect().contains(
                        m_ui->DialogBuilder->viewport()->mapFromGlobal(e->globalPosition().toPoint())))
                    AtParamDragDrop(at);
            }
        }
    });
    return taken || QDialog::eventFilter(watched, event);
}

QModelIndex TfmParamEditor::lineOf(const TMxParam* param) const
{
    return param ? m_lines->IndexOfId(param->Id()) : QModelIndex();
}

void TfmParamEditor::paramAdded(TMxItem* item)
{
    if (!item_cast<TMxParam>(item))
        return;
    if (!m_ui->plbParams->currentIndex().isValid())
        m_ui->plbParams->setCurrentIndex(m_lines->index(0));
    AtStateChange();
}

void TfmParamEditor::paramRemoved(TMxItem*)
{
    AtStateChange();
}

TMxParam* TfmParamEditor::SelectedParam() const
{
    // A line holds its parameter's Id; the parameter is found again in
    // the list edited.
    const QVariant id = m_ui->plbParams->currentIndex().data(ui::TObservedListModel::IdRole);
    return id.isValid() ? m_params->FindById(id.toInt()) : nullptr;
}

void TfmParamEditor::AtStateChange()
{
    const bool selected = SelectedParam() != nullptr;
    for (QPushButton* b : {m_ui->btEdit, m_ui->btDelete})
        b->setEnabled(selected);
    m_ui->miParamEdit->setEnabled(selected);
    m_ui->miParamDelete->setEnabled(selected);
    m_ui->miShowFrames->setChecked(m_ui->DialogBuilder->ShowFrames());
}

void TfmParamEditor::AtNewClick()
{
    const int id = m_params->NextId();
    TMxParam* param = m_params->AddNew();
    param->SetId(id);
    m_ui->plbParams->setCurrentIndex(lineOf(param));
    if (!EditParam(param))
        param->Free();
    AtStateChange();
}

void TfmParamEditor::AtParamsDblClick()
{
    if (TMxParam* param = SelectedParam())
        EditParam(param);
}

void TfmParamEditor::AtDeleteClick()
{
    // Controls bound to its name stay; the check reports them.
    if (TMxParam* param = SelectedParam())
        param->Free();
}

void TfmParamEditor::storeDesignSize()
{
    if (size() != m_openedSize) {
        m_ui->DialogBuilder->StoreDesignSize();
        return;
    }
    // The window as it opened: the design keeps its size, grown only to
    // hold the controls placed in the room around it.
    QSize design = m_designSize;
    for (const TVParamControl* shape : m_ui->DialogBuilder->Shapes()) {
        const QRect r = shape->geometry();
        design = design.expandedTo(QSize(r.right() + 1 + kDesignMargin, r.bottom() + 1 + kDesignMargin));
    }
    design = design.boundedTo(m_ui->DialogBuilder->size().expandedTo(m_designSize));
    m_ui->DialogBuilder->ParamControls()->SetDesignW(design.width());
    m_ui->DialogBuilder->ParamControls()->SetDesignH(design.height());
}

void TfmParamEditor::AtTestClick()
{
    if (!m_ui->DialogBuilder->CheckControls())
        return;
    storeDesignSize();
    TStringList answers;
    m_ui->DialogBuilder->ParamControls()->Execute(nullptr, Translate("Aperçu dialogue"), answers, true);
}

void TfmParamEditor::BtOkClick()
{
    if (!m_ui->DialogBuilder->CheckControls())
        return;
    storeDesignSize();
    accept();
}

void TfmParamEditor::AtParamMouseDown(QPoint at)
{
    if (m_paletteKind == ckNone) {
        m_ui->DialogBuilder->SelectControl(nullptr);
        return;
    }
    TVParamControl* shape = m_ui->DialogBuilder->AddControlAt(at.x(), at.y(), m_paletteKind, SelectedParam());
    m_ui->palette->button(ckNone)->setChecked(true);
    m_paletteKind = ckNone;
    AtStateChange();
    update();
    if (shape)
        shape->EditProperties();
}

void TfmParamEditor::AtParamDragDrop(QPoint at)
{
    if (m_paletteKind == ckNone || !SelectedParam())
        return;
    m_ui->DialogBuilder->AddControlAt(at.x(), at.y(), m_paletteKind, SelectedParam());
}

void TfmParamEditor::StoreInto(TMxParamControlList* controls, TMxParamList* params)
{
    if (controls)
        controls->Assign(m_ui->DialogBuilder->ParamControls());
    if (params)
        params->Assign(m_params);
}

void EditParams(const QString&, TMxDataModel* model, TMxParamControlList* controls, TMxParamList* params)
{
    TfmParamEditor form(model, controls, params);
    form.setWindowModality(Qt::ApplicationModal);
    if (ui::RunModal(form) == QDialog::Accepted)
        form.StoreInto(controls, params);
}

} // namespace mx
