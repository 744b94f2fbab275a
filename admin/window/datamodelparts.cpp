// The parts of the data model window: tool bar, diagram, status bar,
// menus and the table popup.

#include "datamodelwindow.h"
#include "datamodelui.h"

#include "admin/diagram/graph.h"

#include "engine/core/translate.h"

#include "ui/controls/docklayout.h"
#include "ui/services/hints.h"
#include "ui/controls/nrpanel.h"
#include "ui/controls/pictures.h"
#include "ui/controls/splitter.h"

#include <QAction>
#include <QFontMetrics>
#include <QGraphicsView>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>

namespace mx::admin {

namespace {

template <class W>
W* named(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

struct TBoardButton {
    const char* name;
    const char* hint;       // "short|*long"; the long part less its "*" is the large caption
    const char* themeIcon;  // the desktop's picture of the command
    QStyle::StandardPixmap fallback;
    int picture;            // a program picture instead of the fallback (-1: none)
    bool gapAfter;
};

// In the order of the bar; a gap follows Open, Sets and Report.
const TBoardButton kBoard[kBoardButtonCount] = {
    {"sbNew", "Nouveau modèle de données|*Nouveau", "document-new", QStyle::SP_FileIcon, -1, false},
    {"sbOpen", "Ouvrir un modèle de données|*Ouvrir", "document-open", QStyle::SP_DialogOpenButton, -1, true},
    {"sbTables", "Propriétés des tables|*Tables", "", QStyle::SP_FileDialogDetailedView, int(ui::TPicture::Table), false},
    {"sbEntities", "Entités des tables|*Entités", "", QStyle::SP_DirIcon, int(ui::TPicture::Entity), false},
    {"sbDatabases", "Paramètres des bases de données|*Bases", "network-server-database", QStyle::SP_DriveHDIcon, -1, false},
    {"sbRights", "Utilisateurs et groupes|*Droits", "system-users", QStyle::SP_DirHomeIcon, int(ui::TPicture::User), false},
    {"sbDomains", "Ensembles de données|*Ensembles", "", QStyle::SP_FileDialogListView, int(ui::TPicture::Set), true},
    {"sbVerify", "Analyse des tables|*Vérif.", "tools-check-spelling", QStyle::SP_DialogApplyButton, -1, false},
    {"sbReport", "Voir le dernier rapport|*Rapport", "document-properties", QStyle::SP_FileDialogContentsView, -1, true},
    {"fbAbout", "A propos de Morvelin Administration|*A propos", "help-about", QStyle::SP_MessageBoxInformation, -1, false},
};

QIcon boardIcon(const QStyle* style, const TBoardButton& b)
{
    QPixmap picture;
    if (b.picture >= 0) {
        picture = ui::Picture(ui::TPicture(b.picture));
    } else {
        const QIcon fallback = style->standardIcon(b.fallback);
        const QIcon icon = *b.themeIcon ? QIcon::fromTheme(QString::fromLatin1(b.themeIcon), fallback) : fallback;
        picture = icon.pixmap(QSize(48, 48));
    }
    // Every picture of the bar at the same size, whatever sizes its source
    // has, so that the captions under them stand on one line. The program's
    // own small pictures keep their sharp lines.
    QIcon out;
    for (int size : {24, 28, 48})
        out.addPixmap(picture.scaled(size, size, Qt::KeepAspectRatio,
            b.picture >= 0 ? Qt::FastTransformation : Qt::SmoothTransformation));
    return out;
}

struct TMenuEntry {
    const char* name;
    const char* text;
    const char* shortcut;
};

} // namespace

void TfmDataModel::buildPanels()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);
    auto* dock = new ui::TDockLayout(m_client);

    m_ui->nrpaBoard = named<ui::TNRPanel>(m_client, "nrpaBoard");
    dock->AddWidget(m_ui->nrpaBoard, ui::TAlign::alTop, 66);
    m_ui->Splitter1 = named<ui::TMxSplitter>(m_client, "Splitter1");
    dock->AddWidget(m_ui->Splitter1, ui::TAlign::alTop, 3);
    m_ui->Splitter1->SetAlign(ui::TAlign::alTop);
    m_ui->Splitter1->SetMarquees(QStringLiteral("39;63"));
    m_ui->Splitter1->SetOptions(m_ui->Splitter1->Options() | ui::TMxSplitter::soUseMarquees);
    m_ui->Splitter1->SetLowMinSize(10);
    m_ui->Splitter1->SetHighMinSize(10);
    ui::SetHint(m_ui->Splitter1, Translate(QStringLiteral("Grandes/petites icônes")));

    m_ui->nrpaBottom = named<ui::TNRPanel>(m_client, "nrpaBottom");
    const int line = QFontMetrics(font()).height() + 6;
    dock->AddWidget(m_ui->nrpaBottom, ui::TAlign::alBottom, line);
    auto* bottom = new ui::TDockLayout(m_ui->nrpaBottom);
    m_ui->paLeft = named<QLabel>(m_ui->nrpaBottom, "paLeft");
    m_ui->paLeft->setFrameShape(QFrame::Panel);
    m_ui->paLeft->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(m_ui->paLeft, ui::TAlign::alLeft, QFontMetrics(font()).horizontalAdvance(QStringLiteral("00000000000")));
    m_ui->paProgress = named<QWidget>(m_ui->nrpaBottom, "paProgress");
    const int gaugeWidth = QFontMetrics(font()).horizontalAdvance(QString(20, u'0'));
    bottom->AddWidget(m_ui->paProgress, ui::TAlign::alRight, gaugeWidth + 4);
    m_ui->gaProgress = named<QProgressBar>(m_ui->paProgress, "gaProgress");
    m_ui->gaProgress->setTextVisible(false);
    m_ui->gaProgress->setGeometry(2, 2, gaugeWidth, line - 4);
    m_ui->gaProgress->hide();
    m_ui->paMiddle = named<QLabel>(m_ui->nrpaBottom, "paMiddle");
    m_ui->paMiddle->setFrameShape(QFrame::Panel);
    m_ui->paMiddle->setFrameShadow(QFrame::Sunken);
    bottom->AddWidget(m_ui->paMiddle, ui::TAlign::alClient);
    // The hint of what is under the mouse, unless it begins with "*".
    new ui::TStatusHints(this, m_ui->paMiddle);

    m_ui->sbx = named<QGraphicsView>(m_client, "sbx");
    m_ui->sbx->setFrameShape(QFrame::NoFrame);
    m_ui->sbx->setBackgroundBrush(QColor(255, 255, 225));
    m_ui->sbx->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    dock->AddWidget(m_ui->sbx, ui::TAlign::alClient);

    m_graph = new TGraph(this);
    m_graph->setObjectName(QStringLiteral("Graph"));
    m_graph->SetDisplay(m_ui->sbx);
    m_graph->SetFieldPicture(ui::Picture(ui::TPicture::Field));
    m_graph->SetEntityPicture(ui::Picture(ui::TPicture::Entity));
}

void TfmDataModel::buildToolBar()
{
    for (int i = 0; i < kBoardButtonCount; ++i) {
        auto* b = named<QToolButton>(m_ui->nrpaBoard, kBoard[i].name);
        b->setAutoRaise(true);
        b->setIcon(boardIcon(style(), kBoard[i]));
        const QString hint = Translate(QString::fromUtf8(kBoard[i].hint));
        ui::SetHint(b, ui::GetShortHint(hint));
        b->setProperty("hint", hint);
        m_ui->buttons[i] = b;
    }
    m_ui->nrpaBoard->installEventFilter(this);
}

void TfmDataModel::SetLargeIcons(bool large)
{
    if (large == m_largeIcons && m_aboutLeft > 0)
        return;
    m_largeIcons = large;
    if (QAction* small = action("miSmallIcons"))
        small->setChecked(!large);
    const int margin = large ? 8 : 4;
    const int size = large ? 50 : 34;
    if (!m_ui->Splitter1->Sizing())
        ui::TDockLayout::Of(m_client)->SetExtent(m_ui->nrpaBoard, size + 2 * margin);
    const QFontMetrics fm(font());
    const int iconSize = large ? 28 : 24;
    int x = 8;
    for (int i = 0; i < kBoardButtonCount; ++i) {
        QToolButton* b = m_ui->buttons[i];
        const QString hint = b->property("hint").toString();
        const QString caption = large ? ui::GetLongHint(hint).mid(1) : QString();
        // The bar's own width, or the caption's when the font asks for more.
        const int width = std::max(size + margin, large ? fm.horizontalAdvance(caption) + 12 : 0);
        b->setText(caption);
        b->setIconSize(QSize(iconSize, iconSize));
        b->setToolButtonStyle(large ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        b->setGeometry(x, margin, width, size);
        if (i == kBoardButtonCount - 1)
            break;
        x += width;
        if (kBoard[i].gapAfter)
            x += 8;
    }
    m_aboutLeft = x;
    layoutBoard();
}

void TfmDataModel::layoutBoard()
{
    QToolButton* about = m_ui->buttons[kBoardButtonCount - 1];
    about->move(std::max(m_ui->nrpaBoard->width() - about->width() - 8, m_aboutLeft), about->y());
}

void TfmDataModel::buildMenus()
{
    QMenuBar* mm = menuBar();
    mm->setObjectName(QStringLiteral("mm"));
    const auto menu = [&](QWidget* parent, const char* name, const char* text) {
        QMenu* m = parent == mm ? mm->addMenu(Translate(QString::fromUtf8(text)))
                                : static_cast<QMenu*>(parent)->addMenu(Translate(QString::fromUtf8(text)));
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
            QAction* a = m->addAction(Translate(QString::fromUtf8(e.text)));
            a->setObjectName(QString::fromLatin1(e.name));
            if (e.shortcut)
                a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
        }
    };
    constexpr TMenuEntry sep{nullptr, nullptr, nullptr};
    QMenu* file = menu(mm, "miFile", "&Fichier");
    entries(file, {{"miNewWindow", "Nouvelle &fenêtre", nullptr}, sep, {"miNew", "&Nouveau", "Ctrl+N"},
                      {"miOpen", "&Ouvrir...", "Ctrl+O"}});
    m_ui->miFavorites = menu(file, "miFavorites", "Fa&voris");
    entries(file, {{"miSave", "&Enregistrer", "Ctrl+S"}, {"miSaveAs", "En&registrer sous...", nullptr}, sep,
                      {"miPrintPreview", "&Aperçu avant impression", nullptr}, {"miPrint", "&Imprimer", "Ctrl+P"},
                      {"miPrintConfig", "&Configuration de l'imprimante", nullptr}, sep,
                      {"miClose", "&Fermer", "Ctrl+W"}, {"miExit", "&Quitter", nullptr}});
    QMenu* edit = menu(mm, "miEdit", "&Edition");
    entries(edit, {{"miTables", "&Tables...", nullptr}, {"miEntities", "&Entités...", nullptr},
                      {"miDatabases", "&Base de données...", nullptr}, {"miRights", "&Droits...", nullptr},
                      {"miSets", "E&nsembles...", nullptr}});
    QMenu* model = menu(mm, "miModel", "&Modèle");
    entries(model, {{"miAddTable", "Ajouter des tables...", nullptr}, {"miFindTable", "Chercher table...", "Ctrl+F"},
                       sep, {"miUnlinkAll", "Tout délier", nullptr}, {"miReverse", "Reverse Engeneering", nullptr},
                       sep, {"miVerify", "Analyse des tables", nullptr}, {"miReport", "Voir le dernier rapport", nullptr}});
    QMenu* options = menu(mm, "miOptions", "&Options");
    entries(options, {{"miGeneralOptions", "&Options générales...", nullptr},
                         {"miSysParams", "Paramètres systèmes...", nullptr}, sep,
                         {"miShowHint", "Afficher les &bulles d'aide", nullptr},
                         {"miSmallIcons", "Afficher de petites &icônes", nullptr}});
    QMenu* help = menu(mm, "miHelp", "&?");
    entries(help, {{"miHelpIndex", "&Sommaire...", nullptr}, {"A1", "&Aide", "F1"}, {"miTips", "As&tuces...", nullptr},
                      sep, {"miAdminManual", "Manuel de l'a&dministrateur", nullptr},
                      {"miUserManual", "Manuel de l'uti&lisateur", nullptr}, sep,
                      {"miJumptoCustomerSupport", "Assistance &utilisateur", nullptr},
                      {"miJumptoBrenwick", "Site &Brenwick", nullptr},
                      {"miJumptoMV", "Site &Morvelin", nullptr},
                      {"miJumptoProducts", "Produits et &services", nullptr}, sep,
                      {"miAbout", "A &propos...", nullptr}});
    action("miShowHint")->setCheckable(true);
    action("miShowHint")->setChecked(true);
    action("miSmallIcons")->setCheckable(true);
    action("miAdminManual")->setProperty("hint", QStringLiteral("*Morva"));
    action("miUserManual")->setProperty("hint", QStringLiteral("*Morv"));
    buildTablePopup();
}

void TfmDataModel::buildTablePopup()
{
    m_ui->pmTable = new QMenu(this);
    m_ui->pmTable->setObjectName(QStringLiteral("pmTable"));
    const auto add = [&](QMenu* m, const char* name, const char* text) {
        QAction* a = m->addAction(Translate(QString::fromUtf8(text)));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QAction* title = add(m_ui->pmTable, "miTableName", "");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    m_ui->pmTable->addSeparator();
    add(m_ui->pmTable, "miTableProps", "&Propriétés...");
    add(m_ui->pmTable, "miTableEntities", "&Entités...");
    m_ui->pmTable->addSeparator();
    add(m_ui->pmTable, "miUnlinkTable", "&Délier");
    add(m_ui->pmTable, "miLinkTable", "&Lier...");
    add(m_ui->pmTable, "miAnalyseTable", "&Analyse...");
    QMenu* print = m_ui->pmTable->addMenu(Translate(QStringLiteral("&Imprimer")));
    print->setObjectName(QStringLiteral("miTablePrint"));
    print->menuAction()->setObjectName(QStringLiteral("miTablePrint"));
    add(print, "miTableStructure", "&Structure de la table");
    print->menuAction()->setEnabled(false);
    m_ui->pmTable->addSeparator();
    add(m_ui->pmTable, "miRemoveTable", "&Retirer");
    m_graph->SetTablePopup(m_ui->pmTable);
}

QAction* TfmDataModel::action(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace mx::admin
