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
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    auto* dock = new ui::TDockLayout(m_client);

    m_ui->nrpaBoard = named<ui::TNRPanel>(m_client, "nrpaBoard");
    dock->AddWidget(m_ui->nrpaBoard, ui::TAlign::alTop, 66);
    m_ui->Splitter1 = splitter(m_client, dock, "Splitter1", ui::TAlign::alTop, "39;63");

    m_ui->nrpaQueryProp = named<ui::TNRPanel>(m_client, "nrpaQueryProp");
    dock->AddWidget(m_ui->nrpaQueryProp, ui::TAlign::alTop, 30);
    m_ui->laDomain = label(m_ui->nrpaQueryProp, "laDomain", "Ensemble :");
    m_ui->cobDomain = named<QComboBox>(m_ui->nrpaQueryProp, "cobDomain");
    m_ui->laQueryName = label(m_ui->nrpaQueryProp, "laQueryName", "Requête :");
    m_ui->edQueryName = named<QLineEdit>(m_ui->nrpaQueryProp, "edQueryName");
    m_ui->cbPrintAuto = named<QCheckBox>(m_ui->nrpaQueryProp, "cbPrintAuto");
    m_ui->cbPrintAuto->setText(Translate(QStringLiteral("Impression &automatique")));
    m_ui->cbDumpTables = named<QCheckBox>(m_ui->nrpaQueryProp, "cbDumpTables");
    m_ui->cbDumpTables->setText(Translate(QStringLiteral("Générer table ré&ponses")));
    m_ui->laQryInfos = label(m_ui->nrpaQueryProp, "laQryInfos", "Informations :");
    m_ui->moQryInfos = named<QPlainTextEdit>(m_ui->nrpaQueryProp, "moQryInfos");
    m_ui->laViewPrefix = label(m_ui->nrpaQueryProp, "laViewPrefix", "Préfixe stockage serveur :");
    m_ui->edViewPrefix = named<QLineEdit>(m_ui->nrpaQueryProp, "edViewPrefix");
    m_ui->edViewPrefix->setMaxLength(8);
    m_ui->laViewPrefix->hide();
    m_ui->edViewPrefix->hide();
    m_ui->nrpaQueryProp->installEventFilter(this);
    m_ui->Splitter2 = splitter(m_client, dock, "Splitter2", ui::TAlign::alTop, "30;54;86;150");

    m_ui->nrpaBottom = named<ui::TNRPanel>(m_client, "nrpaBottom");
    dock->AddWidget(m_ui->nrpaBottom, ui::TAlign::alBottom, 19);
    auto* bottom = new ui::TDockLayout(m_ui->nrpaBottom);
    m_ui->paLeft = named<QLabel>(m_ui->nrpaBottom, "paLeft");
    m_ui->paLeft->setFrameShape(QFrame::Panel);
    m_ui->paLeft->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(m_ui->paLeft, ui::TAlign::alLeft, 81);
    m_ui->paProgress = named<QWidget>(m_ui->nrpaBottom, "paProgress");
    bottom->AddWidget(m_ui->paProgress, ui::TAlign::alRight, 120);
    m_ui->gaProgress = named<QProgressBar>(m_ui->paProgress, "gaProgress");
    m_ui->gaProgress->setTextVisible(false);
    m_ui->gaProgress->setGeometry(2, 2, 116, 15);
    m_ui->paMiddle = named<QLabel>(m_ui->nrpaBottom, "paMiddle");
    m_ui->paMiddle->setFrameShape(QFrame::Panel);
    m_ui->paMiddle->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(m_ui->paMiddle, ui::TAlign::alClient);
    // The hint of what is under the mouse, unless it begins with "*".
    new ui::TStatusHints(this, m_ui->paMiddle);

    m_ui->moSQL = named<QPlainTextEdit>(m_client, "moSQL");
    m_ui->moSQL->setReadOnly(true);
    m_ui->moSQL->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    dock->AddWidget(m_ui->moSQL, ui::TAlign::alBottom, 100);
    m_ui->splSQL = splitter(m_client, dock, "splSQL", ui::TAlign::alBottom, "16;70;100;130;160");
    applySqlMarquee();

    m_ui->nrpaLeft = named<ui::TNRPanel>(m_client, "nrpaLeft");
    dock->AddWidget(m_ui->nrpaLeft, ui::TAlign::alLeft, 161);
    auto* left = new ui::TDockLayout(m_ui->nrpaLeft);
    m_ui->plbSteps = named<ui::TPictureListView>(m_ui->nrpaLeft, "plbSteps");
    left->AddWidget(m_ui->plbSteps, ui::TAlign::alTop, 80);
    m_ui->plbSteps->setContextMenuPolicy(Qt::CustomContextMenu);
    m_ui->plbSteps->SetPicture(ui::Picture(ui::TPicture::Step));
    m_ui->Splitter5 = splitter(m_ui->nrpaLeft, left, "Splitter5", ui::TAlign::alTop, nullptr);
    m_ui->olFields = named<ui::TEntityOutline>(m_ui->nrpaLeft, "olFields");
    left->AddWidget(m_ui->olFields, ui::TAlign::alClient);
    m_ui->Splitter4 = splitter(m_client, dock, "Splitter4", ui::TAlign::alLeft, nullptr);

    auto editor = std::make_unique<TSurfaceQueryEditor>(m_client, m_ui->plbSteps, m_ui->olFields);
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
    // Geometry from the font: one row of fields, the informations under it
    // when the panel is taller.
    const QFontMetrics fm(m_ui->nrpaQueryProp->font());
    const int w = m_ui->nrpaQueryProp->width();
    const int h = m_ui->nrpaQueryProp->height();
    const int row = std::min(fm.height() + 8, std::max(h - 6, 10));
    const int y = 3;
    int x = 8;
    const auto place = [&](QWidget* widget, int width) {
        widget->setGeometry(x, y, width, row);
        x += width + 6;
    };
    place(m_ui->laDomain, fm.horizontalAdvance(m_ui->laDomain->text()) + 4);
    place(m_ui->cobDomain, fm.horizontalAdvance(QString(16, u'x')) + 30);
    place(m_ui->cbPrintAuto, m_ui->cbPrintAuto->sizeHint().width());
    place(m_ui->cbDumpTables, m_ui->cbDumpTables->sizeHint().width());
    place(m_ui->laQueryName, fm.horizontalAdvance(m_ui->laQueryName->text()) + 4);
    // edQueryName stretches to 8 px from the right edge.
    m_ui->edQueryName->setGeometry(x, y, std::max(w - 8 - x, 40), row);
    const int below = y + row + 4;
    m_ui->laQryInfos->setGeometry(8, below, fm.horizontalAdvance(m_ui->laQryInfos->text()) + 4, row);
    const int infoLeft = m_ui->laQryInfos->geometry().right() + 6;
    // moQryInfos stretches to 8 px from the right and bottom edges.
    m_ui->moQryInfos->setGeometry(infoLeft, below, std::max(w - 8 - infoLeft, 40), std::max(h - 8 - below, 0));
    const bool room = h - 8 - below >= row;
    m_ui->laQryInfos->setVisible(room);
    m_ui->moQryInfos->setVisible(room);
    // The hidden pair ends 8 px from the right edge.
    m_ui->edViewPrefix->setGeometry(w - 8 - m_ui->edViewPrefix->width(), below, m_ui->edViewPrefix->width(), row);
    m_ui->laViewPrefix->setGeometry(m_ui->edViewPrefix->x() - 8 - m_ui->laViewPrefix->sizeHint().width(), below, m_ui->laViewPrefix->sizeHint().width(), row);
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
