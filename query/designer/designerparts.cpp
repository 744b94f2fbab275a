// The parts of the designer window: panels, splitters, tool bar, menus.

#include "querydesigner.h"
#include "designerui.h"
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
    TUi& u = *m_ui;
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    auto* dock = new ui::TDockLayout(m_client);

    u.nrpaBoard = named<ui::TNRPanel>(m_client, "nrpaBoard");
    dock->AddWidget(u.nrpaBoard, ui::TAlign::alTop, 66);
    u.Splitter1 = splitter(m_client, dock, "Splitter1", ui::TAlign::alTop, "39;63");

    u.nrpaQueryProp = named<ui::TNRPanel>(m_client, "nrpaQueryProp");
    dock->AddWidget(u.nrpaQueryProp, ui::TAlign::alTop, 30);
    u.laDomain = label(u.nrpaQueryProp, "laDomain", "Ensemble :");
    u.cobDomain = named<QComboBox>(u.nrpaQueryProp, "cobDomain");
    u.laQueryName = label(u.nrpaQueryProp, "laQueryName", "Requête :");
    u.edQueryName = named<QLineEdit>(u.nrpaQueryProp, "edQueryName");
    u.cbPrintAuto = named<QCheckBox>(u.nrpaQueryProp, "cbPrintAuto");
    u.cbPrintAuto->setText(Translate(QStringLiteral("Impression &automatique")));
    u.cbDumpTables = named<QCheckBox>(u.nrpaQueryProp, "cbDumpTables");
    u.cbDumpTables->setText(Translate(QStringLiteral("Générer table ré&ponses")));
    u.laQryInfos = label(u.nrpaQueryProp, "laQryInfos", "Informations :");
    u.moQryInfos = named<QPlainTextEdit>(u.nrpaQueryProp, "moQryInfos");
    u.laViewPrefix = label(u.nrpaQueryProp, "laViewPrefix", "Préfixe stockage serveur :");
    u.edViewPrefix = named<QLineEdit>(u.nrpaQueryProp, "edViewPrefix");
    u.edViewPrefix->setMaxLength(8);
    u.laViewPrefix->hide();
    u.edViewPrefix->hide();
    u.nrpaQueryProp->installEventFilter(this);
    u.Splitter2 = splitter(m_client, dock, "Splitter2", ui::TAlign::alTop, "30;54;86;150");

    u.nrpaBottom = named<ui::TNRPanel>(m_client, "nrpaBottom");
    dock->AddWidget(u.nrpaBottom, ui::TAlign::alBottom, 19);
    auto* bottom = new ui::TDockLayout(u.nrpaBottom);
    u.paLeft = named<QLabel>(u.nrpaBottom, "paLeft");
    u.paLeft->setFrameShape(QFrame::Panel);
    u.paLeft->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(u.paLeft, ui::TAlign::alLeft, 81);
    u.paProgress = named<QWidget>(u.nrpaBottom, "paProgress");
    bottom->AddWidget(u.paProgress, ui::TAlign::alRight, 120);
    u.gaProgress = named<QProgressBar>(u.paProgress, "gaProgress");
    u.gaProgress->setTextVisible(false);
    u.gaProgress->setGeometry(2, 2, 116, 15);
    u.paMiddle = named<QLabel>(u.nrpaBottom, "paMiddle");
    u.paMiddle->setFrameShape(QFrame::Panel);
    u.paMiddle->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(u.paMiddle, ui::TAlign::alClient);
    // The hint of what is under the mouse, unless it begins with "*".
    new ui::TStatusHints(this, u.paMiddle);

    u.moSQL = named<QPlainTextEdit>(m_client, "moSQL");
    u.moSQL->setReadOnly(true);
    u.moSQL->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dock->AddWidget(u.moSQL, ui::TAlign::alBottom, 100);
    u.splSQL = splitter(m_client, dock, "splSQL", ui::TAlign::alBottom, "16;70;100;130;160");
    applySqlMarquee();

    u.nrpaLeft = named<ui::TNRPanel>(m_client, "nrpaLeft");
    dock->AddWidget(u.nrpaLeft, ui::TAlign::alLeft, 161);
    auto* left = new ui::TDockLayout(u.nrpaLeft);
    u.plbSteps = named<ui::TPictureListView>(u.nrpaLeft, "plbSteps");
    left->AddWidget(u.plbSteps, ui::TAlign::alTop, 80);
    u.plbSteps->setContextMenuPolicy(Qt::CustomContextMenu);
    u.plbSteps->SetPicture(ui::Picture(ui::TPicture::Step));
    u.Splitter5 = splitter(u.nrpaLeft, left, "Splitter5", ui::TAlign::alTop, nullptr);
    u.olFields = named<ui::TEntityOutline>(u.nrpaLeft, "olFields");
    left->AddWidget(u.olFields, ui::TAlign::alClient);
    u.Splitter4 = splitter(m_client, dock, "Splitter4", ui::TAlign::alLeft, nullptr);

    auto editor = std::make_unique<TSurfaceQueryEditor>(m_client, u.plbSteps, u.olFields);
    dock->AddWidget(editor->StepEditor(), ui::TAlign::alClient);
    editor->StepEditor()->raise();
    m_editor = std::move(editor);
}

void TfmQueryDesigner::buildToolBar()
{
    for (int i = 0; i < kToolButtonCount; ++i) {
        auto* b = named<QToolButton>(m_ui->nrpaBoard, kToolButtons[i]);
        b->setAutoRaise(true);
        b->setIcon(ToolButtonIcon(i));
        const QString hint = Translate(kButtonTexts[i].hint);
        b->setToolTip(ToolButtonToolTip(hint));
        b->setStatusTip(ToolButtonToolTip(hint));
        b->setProperty("hint", hint);
        m_ui->buttons[i] = b;
    }
    m_ui->nrpaBoard->installEventFilter(this);
}

void TfmQueryDesigner::layoutBoard()
{
    QToolButton* about = m_ui->buttons[kToolButtonCount - 1];
    about->move(AboutButtonLeft(m_ui->nrpaBoard->width(), about->width(), m_aboutLeft), about->y());
}

void TfmQueryDesigner::SetLargeIcons(bool large)
{
    if (large == m_largeIcons)
        return;
    m_largeIcons = large;
    if (QAction* small = action("miSmallIcons"))
        small->setChecked(!large);
    const TToolBarLayout bar = LayoutToolBar(large);
    if (!m_ui->Splitter1->Sizing())
        ui::TDockLayout::Of(m_ui->nrpaBoard->parentWidget())->SetExtent(m_ui->nrpaBoard, bar.height);
    const int iconSize = kButtonMetrics[large ? 1 : 0].size - (large ? 22 : 10);
    for (int i = 0; i < kToolButtonCount; ++i) {
        QToolButton* b = m_ui->buttons[i];
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
    const TUi& u = *m_ui;
    // Geometry from the font: one row of fields, the informations under it
    // when the panel is taller.
    const QFontMetrics fm(u.nrpaQueryProp->font());
    const int w = u.nrpaQueryProp->width();
    const int h = u.nrpaQueryProp->height();
    const int row = std::min(fm.height() + 8, std::max(h - 6, 10));
    const int y = 3;
    int x = 8;
    const auto place = [&](QWidget* widget, int width) {
        widget->setGeometry(x, y, width, row);
        x += width + 6;
    };
    place(u.laDomain, fm.horizontalAdvance(u.laDomain->text()) + 4);
    place(u.cobDomain, fm.horizontalAdvance(QString(16, u'x')) + 30);
    place(u.cbPrintAuto, u.cbPrintAuto->sizeHint().width());
    place(u.cbDumpTables, u.cbDumpTables->sizeHint().width());
    place(u.laQueryName, fm.horizontalAdvance(u.laQueryName->text()) + 4);
    // edQueryName stretches to 8 px from the right edge.
    u.edQueryName->setGeometry(x, y, std::max(w - 8 - x, 40), row);
    const int below = y + row + 4;
    u.laQryInfos->setGeometry(8, below, fm.horizontalAdvance(u.laQryInfos->text()) + 4, row);
    const int infoLeft = u.laQryInfos->geometry().right() + 6;
    // moQryInfos stretches to 8 px from the right and bottom edges.
    u.moQryInfos->setGeometry(infoLeft, below, std::max(w - 8 - infoLeft, 40), std::max(h - 8 - below, 0));
    const bool room = h - 8 - below >= row;
    u.laQryInfos->setVisible(room);
    u.moQryInfos->setVisible(room);
    // The hidden pair ends 8 px from the right edge.
    u.edViewPrefix->setGeometry(w - 8 - u.edViewPrefix->width(), below, u.edViewPrefix->width(), row);
    const int prefixWidth = u.laViewPrefix->sizeHint().width();
    u.laViewPrefix->setGeometry(u.edViewPrefix->x() - 8 - prefixWidth, below, prefixWidth, row);
}

void TfmQueryDesigner::applySqlMarquee()
{
    // The whole statement is always reachable: it wraps at the pane's width
    // and scrolls down at every height, the one-line marquee included (the
    // wheel and the keys scroll it there too).
    m_ui->moSQL->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_ui->moSQL->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_ui->moSQL->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_ui->moSQL->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ui->moSQL->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
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
    m_ui->miSelectDm = menu(file, "miSelectDm", "Nouvelle &Requête");
    entries(m_ui->miSelectDm, {{"miNewQueryFromOtherDic", "&Sélectionner un modèle de données", nullptr}});
    entries(file, {{"miOpenQuery", "&Ouvrir...", "Ctrl+O"}});
    m_ui->miFavorites = menu(file, "miFavorites", "Fa&voris");
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

    m_ui->pmSteps = new QMenu(this);
    m_ui->pmSteps->setObjectName(QStringLiteral("pmSteps"));
    entries(m_ui->pmSteps, {{"miInsertStep", "&Nouvelle", nullptr}, {"miRenameStep", "&Renommer...", nullptr},
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
