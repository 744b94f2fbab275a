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

TfmParamEditor::TfmParamEditor(TMxDataModel* model, TMxParamControlList* controls, TMxParamList* params, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
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
    dock->AddWidget(menu, ui::TAlign::alTop, menu->sizeHint().height());
    buildLeft();
    dock->AddWidget(nrpaVars, ui::TAlign::alLeft, kVarsWidth);
    Splitter1 = new ui::TMxSplitter(this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->resize(kSplitterWidth, kSplitterWidth);
    Splitter1->SetAlign(ui::TAlign::alLeft);
    dock->SetExtent(Splitter1, kSplitterWidth);
    Splitter1->SetLowMinSize(100);
    Splitter1->SetHighMinSize(355);
    auto* right = new QWidget(this);
    right->setObjectName(QStringLiteral("paRight"));
    dock->AddWidget(right, ui::TAlign::alClient);
    auto* rightDock = new ui::TDockLayout(right);
    nrpa = new QWidget(right);
    nrpa->setObjectName(QStringLiteral("nrpa"));
    Bevel1 = bevel(right, "Bevel1");
    DialogBuilder = new TDialogBuilder(right);
    Bevel2 = bevel(right, "Bevel2");
    nrpaCommands = new QWidget(right);
    nrpaCommands->setObjectName(QStringLiteral("nrpaCommands"));
    rightDock->AddWidget(nrpa, ui::TAlign::alTop, kPaletteHeight);
    rightDock->AddWidget(Bevel1, ui::TAlign::alTop, kBevelHeight);
    rightDock->AddWidget(nrpaCommands, ui::TAlign::alBottom, kCommandsHeight);
    rightDock->AddWidget(Bevel2, ui::TAlign::alBottom, kBevelHeight);
    rightDock->AddWidget(DialogBuilder, ui::TAlign::alClient);
    buildRight();

    // The list's lines follow the parameters edited; the model observes
    // them first, so a parameter reported as added has its line already
    // (every parameter already there is reported as added).
    m_lines->SetList(m_params);
    ui::Connect(m_observer, &ui::TItemObserver::added, this, [this](TMxItem* item) { paramAdded(item); });
    ui::Connect(m_observer, &ui::TItemObserver::removed, this, [this](TMxItem* item) { paramRemoved(item); });
    m_observer->Observe(m_params);

    DialogBuilder->Params = m_params;
    DialogBuilder->SetDesigning(true);
    DialogBuilder->SetShowFrames(false);
    DialogBuilder->SetParamControls(controls);
    DialogBuilder->DataModel = model;
    DialogBuilder->OnSurfaceMouseDown = [this](QMouseEvent* e) { AtParamMouseDown(e->position().toPoint()); };

    const int w = DialogBuilder->ParamControls()->DesignW();
    const int h = DialogBuilder->ParamControls()->DesignH();
    m_designSize = QSize(w, h);
    // A small design opens in room to work in: the design area no smaller
    // than its splitter allows and the default design's height, the left
    // column whole, never beyond the screen. The design keeps its own size
    // unless the user resizes the window (storeDesignSize).
    const int leftColumn = nrpaVars->layout() ? nrpaVars->layout()->minimumSize().height() : 0;
    const int chrome = kPaletteHeight + 2 * kBevelHeight + kCommandsHeight;
    QSize client(kVarsWidth + std::max(w, kMinDesignWidth) + kSplitterWidth,
        menu->sizeHint().height() + std::max(chrome + std::max(h, kMinDesignHeight), leftColumn));
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
    m_observer->Release(false);
    plbParams->setModel(nullptr);
    m_lines->SetList(nullptr);
    DialogBuilder->Params = nullptr;
    DialogBuilder->SetParamControls(nullptr);
    m_params->Free();
}

void TfmParamEditor::buildMenu()
{
    menu = new QMenuBar(this);
    menu->setObjectName(QStringLiteral("MainMenu"));
    QMenu* params = menu->addMenu(Translate("&Paramètres"));
    const auto action = [](QMenu* m, const char* name, const char* text) {
        QAction* a = m->addAction(Translate(text));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    miParamNew = action(params, "miParamNew", "&Nouveau...");
    miParamEdit = action(params, "miParamEdit", "&Modifier");
    miParamDelete = action(params, "miParamDelete", "&Supprimer");
    miParamTest = action(params, "miParamTest", "&Tester");
    miParamClose = action(params, "miParamClose", "&Fermer");
    QMenu* options = menu->addMenu(Translate("&Options"));
    miShowFrames = action(options, "miShowFrames", "&Afficher les contours");
    miShowFrames->setCheckable(true);
    ui::Connect(miParamNew, &QAction::triggered, this, [this] { AtNewClick(); });
    ui::Connect(miParamEdit, &QAction::triggered, this, [this] { AtParamsDblClick(); });
    ui::Connect(miParamDelete, &QAction::triggered, this, [this] { AtDeleteClick(); });
    ui::Connect(miParamTest, &QAction::triggered, this, [this] { AtTestClick(); });
    ui::Connect(miParamClose, &QAction::triggered, this, [this] { BtOkClick(); });
    ui::Connect(miShowFrames, &QAction::triggered, this, [this](bool on) {
        DialogBuilder->SetShowFrames(on);
        AtStateChange();
    });
}

void TfmParamEditor::buildLeft()
{
    nrpaVars = new QWidget(this);
    nrpaVars->setObjectName(QStringLiteral("nrpaVars"));
    auto* column = new QVBoxLayout(nrpaVars);
    plbParams = new ui::TPictureListView(nrpaVars);
    plbParams->setObjectName(QStringLiteral("plbParams"));
    plbParams->setModel(m_lines);
    plbParams->SetPicture(ui::Picture(ui::TPicture::Parameter));
    btNew = ui::NamedButton(nrpaVars, "btNew", "&Nouveau...");
    btEdit = ui::NamedButton(nrpaVars, "btEdit", "&Modifier");
    btDelete = ui::NamedButton(nrpaVars, "btDelete", "&Supprimer");
    column->addWidget(plbParams);
    for (QPushButton* b : {btNew, btEdit, btDelete})
        column->addWidget(b);
    plbParams->viewport()->installEventFilter(this);
    ui::Connect(btNew, &QPushButton::clicked, this, [this] { AtNewClick(); });
    ui::Connect(btEdit, &QPushButton::clicked, this, [this] { AtParamsDblClick(); });
    ui::Connect(btDelete, &QPushButton::clicked, this, [this] { AtDeleteClick(); });
    ui::Connect(plbParams, &QAbstractItemView::doubleClicked, this, [this] { AtParamsDblClick(); });
    ui::Connect(plbParams->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { AtStateChange(); });
}

void TfmParamEditor::buildRight()
{
    palette = new QButtonGroup(this);
    palette->setExclusive(true);
    static const char* const names[] = {"sb0", "sb1", "sb2", "sb3", "sb4", "sb5", "sb6", "sb7", "s8b"};
    static const char* const hints[] = {"", "Texte", "Saisie", "Liste", "Combo", "Choix", "Radio", "Cadre", "Image"};
    const int side = kPaletteHeight - 6;
    for (int k = ckNone; k <= ckImage; ++k) {
        auto* b = new QToolButton(nrpa);
        b->setObjectName(QString::fromLatin1(names[k]));
        b->setProperty("Tag", k);
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setIcon(PaletteGlyph(TDlgControlKind(k)));
        b->setToolTip(Translate(hints[k]));
        b->setGeometry(3 + k * (side + 2), 3, side, side);
        b->setChecked(k == ckNone);
        palette->addButton(b, k);
    }
    ui::Connect(palette, &QButtonGroup::idClicked, this, [this](int kind) {
        m_paletteKind = TDlgControlKind(kind);
        AtStateChange();
    });

    btTest = ui::NamedButton(nrpaCommands, "btTest", "&Tester");
    btOk = ui::NamedButton(nrpaCommands, "btOk", "Ok");
    btCancel = ui::NamedButton(nrpaCommands, "btCancel", "Annuler");
    btHelp = ui::NamedButton(nrpaCommands, "btHelp", "Aide");
    btOk->setDefault(true);
    nrpaCommands->installEventFilter(this);
    ui::Connect(btTest, &QPushButton::clicked, this, [this] { AtTestClick(); });
    ui::Connect(btOk, &QPushButton::clicked, this, [this] { BtOkClick(); });
    ui::Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
    ui::Connect(btHelp, &QPushButton::clicked, this, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });
}

void TfmParamEditor::layoutCommands()
{
    const QList<QRect> r = CommandBarLayout(nrpaCommands->width(), nrpaCommands->height());
    const QList<QPushButton*> buttons{btTest, btOk, btCancel, btHelp};
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setGeometry(r[i]);
}

bool TfmParamEditor::eventFilter(QObject* watched, QEvent* event)
{
    bool taken = false;
    Guard(this, [&] {
        if (watched == nrpaCommands && event->type() == QEvent::Resize) {
            layoutCommands();
        } else if (event->type() == QEvent::KeyPress) {
            auto* w = qobject_cast<QWidget*>(watched);
            // the form's keys first, as long as no other window is on top
            if (w && w->window() == this && QApplication::activeModalWidget() == this)
                taken = DialogBuilder->EditorKeyDown(static_cast<QKeyEvent*>(event));
        } else if (watched == plbParams->viewport()) {
            // A parameter dragged onto the builder with a kind chosen.
            if (event->type() == QEvent::MouseButtonPress && m_paletteKind != ckNone) {
                m_paramDrag = true;
            } else if (event->type() == QEvent::MouseButtonRelease && m_paramDrag) {
                m_paramDrag = false;
                const auto* e = static_cast<QMouseEvent*>(event);
                const QPoint at = DialogBuilder->Canvas()->mapFromGlobal(e->globalPosition().toPoint());
                if (DialogBuilder->Canvas()->rect().contains(at) && DialogBuilder->viewport()->rect().contains(
                        DialogBuilder->viewport()->mapFromGlobal(e->globalPosition().toPoint())))
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
    if (!plbParams->currentIndex().isValid())
        plbParams->setCurrentIndex(m_lines->index(0));
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
    const QVariant id = plbParams->currentIndex().data(ui::TObservedListModel::IdRole);
    return id.isValid() ? m_params->FindById(id.toInt()) : nullptr;
}

void TfmParamEditor::AtStateChange()
{
    const bool selected = SelectedParam() != nullptr;
    for (QPushButton* b : {btEdit, btDelete})
        b->setEnabled(selected);
    miParamEdit->setEnabled(selected);
    miParamDelete->setEnabled(selected);
    miShowFrames->setChecked(DialogBuilder->ShowFrames());
}

void TfmParamEditor::AtNewClick()
{
    const int id = m_params->NextId();
    TMxParam* param = m_params->AddNew();
    param->SetId(id);
    plbParams->setCurrentIndex(lineOf(param));
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
        DialogBuilder->StoreDesignSize();
        return;
    }
    // The window as it opened: the design keeps its size, grown only to
    // hold the controls placed in the room around it.
    QSize design = m_designSize;
    for (const TVParamControl* shape : DialogBuilder->Shapes()) {
        const QRect r = shape->geometry();
        design = design.expandedTo(QSize(r.right() + 1 + kDesignMargin, r.bottom() + 1 + kDesignMargin));
    }
    design = design.boundedTo(DialogBuilder->size().expandedTo(m_designSize));
    DialogBuilder->ParamControls()->SetDesignW(design.width());
    DialogBuilder->ParamControls()->SetDesignH(design.height());
}

void TfmParamEditor::AtTestClick()
{
    if (!DialogBuilder->CheckControls())
        return;
    storeDesignSize();
    TStringList answers;
    DialogBuilder->ParamControls()->Execute(nullptr, Translate("Aperçu dialogue"), answers, true);
}

void TfmParamEditor::BtOkClick()
{
    if (!DialogBuilder->CheckControls())
        return;
    storeDesignSize();
    accept();
}

void TfmParamEditor::AtParamMouseDown(QPoint at)
{
    if (m_paletteKind == ckNone) {
        DialogBuilder->SelectControl(nullptr);
        return;
    }
    TVParamControl* shape = DialogBuilder->AddControlAt(at.x(), at.y(), m_paletteKind, SelectedParam());
    palette->button(ckNone)->setChecked(true);
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
    DialogBuilder->AddControlAt(at.x(), at.y(), m_paletteKind, SelectedParam());
}

void TfmParamEditor::StoreInto(TMxParamControlList* controls, TMxParamList* params)
{
    if (controls)
        controls->Assign(DialogBuilder->ParamControls());
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
