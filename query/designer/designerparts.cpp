// The parts of the designer window: panels, splitters, tool bar, menus.

#include "querydesigner.h"
#include "toolpictures.h"

#include "engine/core/translate.h"

#include "ui/controls/docklayout.h"
#include "ui/controls/entityoutline.h"
#include "ui/controls/nrpanel.h"
#include "ui/controls/picturelistbox.h"
#include "ui/controls/pictures.h"
#include "ui/controls/splitter.h"
#include "ui/services/hints.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

namespace mx {

namespace {

template <class W>
W* named(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* label(QWidget* parent, const char* name, const char* text)
{
    auto* l = named<QLabel>(parent, name);
    l->setText(Translate(text));
    return l;
}

ui::TMxSplitter* splitter(QWidget* parent, ui::TDockLayout* layout, const char* name, ui::TAlign align, const char* marquees)
{
    auto* s = named<ui::TMxSplitter>(parent, name);
    layout->AddWidget(s, align, 3);
    s->SetAlign(align);
    if (marquees) {
        s->SetMarquees(QString::fromLatin1(marquees));
        s->SetOptions(s->Options() | ui::TMxSplitter::soUseMarquees);
    }
    return s;
}

struct TButtonText {
    const char* caption; // the button's own text, before translation
    const char* hint;    // "short|*long"
};

// In kToolButtons order; their pictures come from toolpictures.h.
const TButtonText kButtonTexts[kToolButtonCount] = {
    {"Nouvelle", "Nouvelle requête|*Nouvelle"},
    {"Ouvrir", "Ouvrir une requête|*Ouvrir"},
    {"Exécuter", "Exécuter l'étape|*Exécuter"},
    {"Param.", "Paramètres de la requête|*Param."},
    {"Filtre", "Filtre de l'étape|*Filtre"},
    {"Calc.", "Nouveau champ calculé|*Calc."},
    {"Tri", "Ordre de tri|*Tri"},
    {"Résultats", "Destinations des résultats|*Résultats"},
    {"A propos", "A propos de Morvelin|*A propos"},
};

} // namespace

void TfmQueryDesigner::buildPanels()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    auto* dock = new ui::TDockLayout(m_client);

    nrpaBoard = named<ui::TNRPanel>(m_client, "nrpaBoard");
    dock->AddWidget(nrpaBoard, ui::TAlign::alTop, 66);
    Splitter1 = splitter(m_client, dock, "Splitter1", ui::TAlign::alTop, "39;63");

    nrpaQueryProp = named<ui::TNRPanel>(m_client, "nrpaQueryProp");
    dock->AddWidget(nrpaQueryProp, ui::TAlign::alTop, 30);
    laDomain = label(nrpaQueryProp, "laDomain", "Ensemble :");
    cobDomain = named<QComboBox>(nrpaQueryProp, "cobDomain");
    laQueryName = label(nrpaQueryProp, "laQueryName", "Requête :");
    edQueryName = named<QLineEdit>(nrpaQueryProp, "edQueryName");
    cbPrintAuto = named<QCheckBox>(nrpaQueryProp, "cbPrintAuto");
    cbPrintAuto->setText(Translate(QStringLiteral("Impression &automatique")));
    cbDumpTables = named<QCheckBox>(nrpaQueryProp, "cbDumpTables");
    cbDumpTables->setText(Translate(QStringLiteral("Générer table ré&ponses")));
    laQryInfos = label(nrpaQueryProp, "laQryInfos", "Informations :");
    moQryInfos = named<QPlainTextEdit>(nrpaQueryProp, "moQryInfos");
    laViewPrefix = label(nrpaQueryProp, "laViewPrefix", "Préfixe stockage serveur :");
    edViewPrefix = named<QLineEdit>(nrpaQueryProp, "edViewPrefix");
    edViewPrefix->setMaxLength(8);
    laViewPrefix->hide();
    edViewPrefix->hide();
    nrpaQueryProp->installEventFilter(this);
    Splitter2 = splitter(m_client, dock, "Splitter2", ui::TAlign::alTop, "30;54;86;150");

    nrpaBottom = named<ui::TNRPanel>(m_client, "nrpaBottom");
    dock->AddWidget(nrpaBottom, ui::TAlign::alBottom, 19);
    auto* bottom = new ui::TDockLayout(nrpaBottom);
    paLeft = named<QLabel>(nrpaBottom, "paLeft");
    paLeft->setFrameShape(QFrame::Panel);
    paLeft->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(paLeft, ui::TAlign::alLeft, 81);
    paProgress = named<QWidget>(nrpaBottom, "paProgress");
    bottom->AddWidget(paProgress, ui::TAlign::alRight, 120);
    gaProgress = named<QProgressBar>(paProgress, "gaProgress");
    gaProgress->setTextVisible(false);
    gaProgress->setGeometry(2, 2, 116, 15);
    paMiddle = named<QLabel>(nrpaBottom, "paMiddle");
    paMiddle->setFrameShape(QFrame::Panel);
    paMiddle->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(paMiddle, ui::TAlign::alClient);
    // The hint of what is under the mouse, unless it begins with "*".
    new ui::TStatusHints(this, paMiddle);

    moSQL = named<QPlainTextEdit>(m_client, "moSQL");
    moSQL->setReadOnly(true);
    moSQL->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dock->AddWidget(moSQL, ui::TAlign::alBottom, 100);
    splSQL = splitter(m_client, dock, "splSQL", ui::TAlign::alBottom, "16;70;100;130;160");
    applySqlMarquee();

    nrpaLeft = named<ui::TNRPanel>(m_client, "nrpaLeft");
    dock->AddWidget(nrpaLeft, ui::TAlign::alLeft, 161);
    auto* left = new ui::TDockLayout(nrpaLeft);
    plbSteps = named<ui::TPictureListView>(nrpaLeft, "plbSteps");
    left->AddWidget(plbSteps, ui::TAlign::alTop, 80);
    plbSteps->setContextMenuPolicy(Qt::CustomContextMenu);
    plbSteps->SetPicture(ui::Picture(ui::TPicture::Step));
    Splitter5 = splitter(nrpaLeft, left, "Splitter5", ui::TAlign::alTop, nullptr);
    olFields = named<ui::TEntityOutline>(nrpaLeft, "olFields");
    left->AddWidget(olFields, ui::TAlign::alClient);
    Splitter4 = splitter(m_client, dock, "Splitter4", ui::TAlign::alLeft, nullptr);

    auto editor = std::make_unique<TSurfaceQueryEditor>(m_client, plbSteps, olFields);
    dock->AddWidget(editor->StepEditor(), ui::TAlign::alClient);
    editor->StepEditor()->raise();
    m_editor = std::move(editor);
}

void TfmQueryDesigner::buildToolBar()
{
    for (int i = 0; i < kToolButtonCount; ++i) {
        auto* b = named<QToolButton>(nrpaBoard, kToolButtons[i]);
        b->setAutoRaise(true);
        b->setIcon(ToolButtonIcon(i));
        const QString hint = Translate(kButtonTexts[i].hint);
        b->setToolTip(ToolButtonToolTip(hint));
        b->setStatusTip(ToolButtonToolTip(hint));
        b->setProperty("hint", hint);
        buttons[i] = b;
    }
    nrpaBoard->installEventFilter(this);
}

void TfmQueryDesigner::layoutBoard()
{
    QToolButton* about = buttons[kToolButtonCount - 1];
    about->move(AboutButtonLeft(nrpaBoard->width(), about->width(), m_aboutLeft), about->y());
}

void TfmQueryDesigner::SetLargeIcons(bool large)
{
    if (large == m_largeIcons)
        return;
    m_largeIcons = large;
    if (QAction* small = action("miSmallIcons"))
        small->setChecked(!large);
    const TToolBarLayout bar = LayoutToolBar(large);
    if (!Splitter1->Sizing())
        ui::TDockLayout::Of(nrpaBoard->parentWidget())->SetExtent(nrpaBoard, bar.height);
    const int iconSize = kButtonMetrics[large ? 1 : 0].size - (large ? 22 : 10);
    for (int i = 0; i < kToolButtonCount; ++i) {
        QToolButton* b = buttons[i];
        b->setGeometry(bar.buttons[i]);
        b->setText(ToolButtonCaption(b->property("hint").toString(), large));
        b->setIconSize(QSize(iconSize, iconSize));
        b->setToolButtonStyle(large ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    }
    m_aboutLeft = bar.aboutLeft;
    layoutBoard();
}

void TfmQueryDesigner::layoutQueryProp()
{
    // Geometry from the font: one row of fields, the informations under it
    // when the panel is taller.
    const QFontMetrics fm(nrpaQueryProp->font());
    const int w = nrpaQueryProp->width();
    const int h = nrpaQueryProp->height();
    const int row = std::min(fm.height() + 8, std::max(h - 6, 10));
    const int y = 3;
    int x = 8;
    const auto place = [&](QWidget* widget, int width) {
        widget->setGeometry(x, y, width, row);
        x += width + 6;
    };
    place(laDomain, fm.horizontalAdvance(laDomain->text()) + 4);
    place(cobDomain, fm.horizontalAdvance(QString(16, u'x')) + 30);
    place(cbPrintAuto, cbPrintAuto->sizeHint().width());
    place(cbDumpTables, cbDumpTables->sizeHint().width());
    place(laQueryName, fm.horizontalAdvance(laQueryName->text()) + 4);
    // edQueryName stretches to 8 px from the right edge.
    edQueryName->setGeometry(x, y, std::max(w - 8 - x, 40), row);
    const int below = y + row + 4;
    laQryInfos->setGeometry(8, below, fm.horizontalAdvance(laQryInfos->text()) + 4, row);
    const int infoLeft = laQryInfos->geometry().right() + 6;
    // moQryInfos stretches to 8 px from the right and bottom edges.
    moQryInfos->setGeometry(infoLeft, below, std::max(w - 8 - infoLeft, 40), std::max(h - 8 - below, 0));
    const bool room = h - 8 - below >= row;
    laQryInfos->setVisible(room);
    moQryInfos->setVisible(room);
    // The hidden pair ends 8 px from the right edge.
    edViewPrefix->setGeometry(w - 8 - edViewPrefix->width(), below, edViewPrefix->width(), row);
    laViewPrefix->setGeometry(edViewPrefix->x() - 8 - laViewPrefix->sizeHint().width(), below, laViewPrefix->sizeHint().width(), row);
}

void TfmQueryDesigner::applySqlMarquee()
{
    // The whole statement is always reachable: it wraps at the pane's width
    // and scrolls down at every height, the one-line marquee included (the
    // wheel and the keys scroll it there too).
    moSQL->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    moSQL->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    moSQL->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    moSQL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    moSQL->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

namespace {

struct TMenuEntry {
    const char* name;
    const char* text;
    const char* shortcut;
};

} // namespace

void TfmQueryDesigner::buildMenus()
{
    QMenuBar* mm = menuBar();
    mm->setObjectName(QStringLiteral("mm"));
    const auto menu = [&](QWidget* parent, const char* name, const char* text) {
        QMenu* m = parent == mm ? mm->addMenu(Translate(text))
                                : static_cast<QMenu*>(parent)->addMenu(Translate(text));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    const auto entries = [&](QMenu* m, std::initializer_list<TMenuEntry> list) {
        for (const TMenuEntry& e : list) {
            if (!e.name) {
                m->addSeparator();
                continue;
            }
            QAction* a = m->addAction(Translate(e.text));
            a->setObjectName(QString::fromLatin1(e.name));
            if (e.shortcut)
                a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
        }
    };
    QMenu* file = menu(mm, "miFile", "&Fichier");
    entries(file, {{"miNewWindow", "&Nouvelle fenêtre", "Ctrl+N"}});
    miSelectDm = menu(file, "miSelectDm", "Nouvelle &Requête");
    entries(miSelectDm, {{"miNewQueryFromOtherDic", "&Sélectionner un modèle de données", nullptr}});
    entries(file, {{"miOpenQuery", "&Ouvrir...", "Ctrl+O"}});
    miFavorites = menu(file, "miFavorites", "Fa&voris");
    entries(file, {{nullptr, nullptr, nullptr}, {"miSaveQuery", "&Enregistrer", "Ctrl+S"},
                      {"miSaveQueryAs", "Enregistrer &sous...", nullptr}, {"miCloseQuery", "&Fermer", "Ctrl+W"},
                      {nullptr, nullptr, nullptr}, {"miExit", "&Quitter", "Alt+F4"}});
    QMenu* edit = menu(mm, "miEdit", "&Edition");
    entries(edit, {{"miFieldDelete", "S&upprimer le champ", nullptr}});
    QMenu* query = menu(mm, "miQuery", "&Requête");
    entries(query, {{"miQueryRun", "E&xécuter...", "F8"}});
    QMenu* step = menu(mm, "miStep", "E&tape");
    entries(step, {{"miNewStep", "&Nouvelle", nullptr}, {"miStepDuplicate", "&Renommer...", nullptr},
                      {"miStepDelete", "&Supprimer", nullptr}, {nullptr, nullptr, nullptr},
                      {"miStepRun", "E&xécuter !", nullptr}, {"miStepParams", "&Paramètres...", nullptr},
                      {"miStepSort", "&Ordre de tri...", nullptr}, {"miStepDest", "&Results/Options...", nullptr}});
    QMenu* options = menu(mm, "miOptions", "&Options");
    entries(options, {{"miGeneralOptions", "&Options générales...", nullptr},
                         {"miShowHint", "Afficher les bulles d'&aide", nullptr},
                         {"miSmallIcons", "Afficher de petites &icônes", nullptr}});
    QMenu* windows = menu(mm, "mliWindows", "Fe&nêtres");
    entries(windows, {{"miNextWindow", "&Suivante", nullptr}, {"miPreviousWindow", "&Précédente", nullptr}});
    windows->menuAction()->setVisible(false);
    QMenu* help = menu(mm, "miHelp", "&?");
    entries(help, {{"miMainHelp", "&Contents...", nullptr}, {"Aide1", "&Aide", "F1"}, {"miTips", "As&tuces...", nullptr},
                      {"miUserManual", "User Ma&nual", nullptr}, {nullptr, nullptr, nullptr},
                      {"Assistanceutilisateur1", "Assistance &utilisateur", nullptr},
                      {"miJumptoBrenwick", "Brenwick &Home Page", nullptr},
                      {"miJumptoMV", "&Morvelin Home Page", nullptr},
                      {"miJumptoProducts", "Produits et &services Brenwick", nullptr}, {nullptr, nullptr, nullptr},
                      {"miAbout", "A &propos...", nullptr}});
    action("miShowHint")->setCheckable(true);
    action("miShowHint")->setChecked(true);
    action("miSmallIcons")->setCheckable(true);
    action("miStepRun")->setEnabled(false);

    pmSteps = new QMenu(this);
    pmSteps->setObjectName(QStringLiteral("pmSteps"));
    entries(pmSteps, {{"miInsertStep", "&Nouvelle", nullptr}, {"miRenameStep", "&Renommer...", nullptr},
                         {"miDeleteStep", "&Supprimer", nullptr}, {nullptr, nullptr, nullptr},
                         {"pmiStepRun", "E&xécuter", nullptr}, {"pmiStepParameters", "&Paramètres...", nullptr},
                         {"pmiStepSort", "&Ordre de tri...", nullptr}, {"pmiStepDest", "&Destinations...", nullptr}});
    action("pmiStepRun")->setEnabled(false);
}

QAction* TfmQueryDesigner::action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace mx
