#include "fmformula.h"

#include "engine/core/exceptions.h"
#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/global/formulaoperator.h"
#include "engine/model/datamodel.h"
#include "engine/model/formula.h"
#include "engine/model/param.h"
#include "engine/model/queryfield.h"
#include "engine/model/sqlfunction.h"
#include "engine/query/query.h"
#include "engine/query/querystep.h"
#include "engine/tools/convert.h"
#include "engine/tools/hooks.h"

#include "ui/controls/docklayout.h"
#include "ui/controls/entityoutline.h"
#include "ui/controls/picturelistbox.h"
#include "ui/controls/pictures.h"
#include "ui/controls/splitter.h"
#include "ui/services/guarded.h"
#include "ui/services/helpsystem.h"
#include "ui/services/modalrunner.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QStyledItemDelegate>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace mx::ui {

namespace {

constexpr int kMarkerRole = Qt::UserRole + 1;
constexpr int kHelpContext = 7;

// The token rows: each on the window colour, the end marker as "fin"
// against the right edge under a line.
class TTokenDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        painter->save();
        painter->fillRect(option.rect, selected ? pal.highlight() : pal.window());
        painter->setPen(selected ? pal.highlightedText().color() : pal.windowText().color());
        QRect r = option.rect;
        if (index.data(kMarkerRole).toBool()) {
            // against the visible right edge, however wide the rows are
            if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
                r.setRight(std::min(r.right(), view->viewport()->width() - 1));
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawText(r.adjusted(0, 0, -2, 0), Qt::AlignRight | Qt::AlignVCenter, TfmFormula::EndMarkerText());
        } else {
            painter->drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
        }
        painter->restore();
    }
};

QLabel* buddyLabel(const QString& text, QWidget* buddy, const char* name)
{
    auto* l = new QLabel(text);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(buddy);
    return l;
}

} // namespace

struct TfmFormula::TUi {
    QToolButton* sbInsert = nullptr;
    QToolButton* sbDelete = nullptr;
    QGroupBox* gbEdit = nullptr;
    QLabel* laConstant = nullptr;
    QLineEdit* me = nullptr;
    QLabel* laFieldType = nullptr;
    QComboBox* cobFieldType = nullptr;
    QWidget* pnPalettes = nullptr;
    QLabel* laOperator = nullptr;
    QListWidget* lbOperator = nullptr;
    TMxSplitter* spLeft = nullptr;
    QLabel* laFields = nullptr;
    TEntityOutline* olFields = nullptr;
    TMxSplitter* spRight = nullptr;
    QWidget* pnParams = nullptr;
    QLabel* laParams = nullptr;
    TPictureListBox* plbParams = nullptr;
    QGroupBox* gbFormula = nullptr;
    QListWidget* lbFormula = nullptr;
    QLabel* laResult = nullptr;
    QPushButton* btParams = nullptr;
    QPushButton* btEmpty = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
    QPushButton* btHelp = nullptr;
    QLineEdit* edFormula = nullptr;
};

QString TfmFormula::EndMarkerText()
{
    return Translate("fin");
}

TfmFormula::TfmFormula(TFormulaSession& session, const QString& caption, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<TUi>()), m_session(session), m_caption(caption)
{
    setObjectName(QStringLiteral("fmFormula"));
    setProperty("helpContext", kHelpContext);
    build();
    m_session.PrepareModelView();

    switch (m_session.Mode()) {
    case ftFormula:
        m_ui->gbFormula->setTitle(Translate("&Formule"));
        break;
    case ftFilter:
        m_ui->gbFormula->setTitle(Translate("F&iltre"));
        m_ui->cobFieldType->setEnabled(false);
        break;
    default:
        m_ui->gbFormula->setTitle(Translate("&Critère"));
        m_ui->cobFieldType->hide();
        m_ui->laFieldType->hide();
        break;
    }
    m_operators = m_session.OperatorEntries();
    for (const TOperatorEntry& e : m_operators)
        m_ui->lbOperator->addItem(e.text);

    for (int i = 0; i < 6; ++i)
        m_ui->cobFieldType->addItem(ParamTypeName(TypeLetterAt(i)));
    const int selected = TypeIndexOf(m_session.FieldLetter());
    m_ui->cobFieldType->setCurrentIndex(selected);
    m_session.SetTypeIndex(selected);
    FillPalettes();
    ShowFormula();
    Connect(m_ui->cobFieldType, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_session.SetTypeIndex(index);
        FillPalettes();
    });
    setWindowTitle(m_caption);
}

TfmFormula::~TfmFormula()
{
    // the children go after the widget table: no focus change, key or
    // signal of theirs may reach this window then
    QObject::disconnect(m_focusConnection);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->removeEventFilter(this);
        w->disconnect(this);
    }
    m_ui->olFields->SetEntities(nullptr);
}

void TfmFormula::build()
{
    m_ui->sbInsert = new QToolButton(this);
    m_ui->sbInsert->setObjectName(QStringLiteral("sbInsert"));
    // Buttons that say what they do, beside their arrows.
    m_ui->sbInsert->setArrowType(Qt::RightArrow);
    m_ui->sbInsert->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_ui->sbInsert->setText(Translate("Ajouter l'élément"));
    m_ui->sbInsert->setToolTip(Translate("Ajouter l'élément"));
    m_ui->sbInsert->setStatusTip(m_ui->sbInsert->toolTip());
    m_ui->sbDelete = new QToolButton(this);
    m_ui->sbDelete->setObjectName(QStringLiteral("sbDelete"));
    m_ui->sbDelete->setArrowType(Qt::LeftArrow);
    m_ui->sbDelete->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_ui->sbDelete->setText(Translate("Retirer l'élément"));
    m_ui->sbDelete->setToolTip(Translate("Retirer l'élément"));
    m_ui->sbDelete->setStatusTip(m_ui->sbDelete->toolTip());

    m_ui->gbEdit = new QGroupBox(Translate("Eléments"), this);
    m_ui->gbEdit->setObjectName(QStringLiteral("gbEdit"));
    m_ui->me = new QLineEdit;
    m_ui->me->setObjectName(QStringLiteral("me"));
    m_ui->laConstant = buddyLabel(Translate("&Constante :"), m_ui->me, "laConstant");
    m_ui->cobFieldType = new QComboBox;
    m_ui->cobFieldType->setObjectName(QStringLiteral("cobFieldType"));
    m_ui->laFieldType = buddyLabel(Translate("&Type :"), m_ui->cobFieldType, "laFieldType");

    // three columns, the outer two resized by splitter bars
    m_ui->pnPalettes = new QWidget;
    m_ui->pnPalettes->setObjectName(QStringLiteral("pnPalettes"));
    auto* dock = new TDockLayout(m_ui->pnPalettes);
    const int column = fontMetrics().horizontalAdvance(QLatin1Char('M')) * 11;
    auto* pnOperators = new QWidget(m_ui->pnPalettes);
    m_ui->lbOperator = new QListWidget;
    m_ui->lbOperator->setObjectName(QStringLiteral("lbOperator"));
    m_ui->lbOperator->setMouseTracking(true);
    m_ui->laOperator = buddyLabel(Translate("&Opérateurs :"), m_ui->lbOperator, "laOperator");
    auto* vo = new QVBoxLayout(pnOperators);
    vo->setContentsMargins(0, 0, 0, 0);
    vo->addWidget(m_ui->laOperator);
    vo->addWidget(m_ui->lbOperator);
    dock->AddWidget(pnOperators, TAlign::alLeft, column + column / 5);
    const int bar = std::max(3, fontMetrics().averageCharWidth() / 2);
    m_ui->spLeft = new TMxSplitter(m_ui->pnPalettes);
    m_ui->spLeft->setObjectName(QStringLiteral("spLeft"));
    m_ui->spLeft->resize(bar, bar);
    m_ui->spLeft->SetAlign(TAlign::alLeft);
    m_ui->spLeft->SetLowMinSize(65);
    m_ui->spLeft->SetHighMinSize(65);
    m_ui->pnParams = new QWidget(m_ui->pnPalettes);
    m_ui->pnParams->setObjectName(QStringLiteral("pnParams"));
    m_ui->plbParams = new TPictureListBox;
    m_ui->plbParams->setObjectName(QStringLiteral("plbParams"));
    m_ui->plbParams->SetPicture(Picture(TPicture::Parameter));
    m_ui->laParams = buddyLabel(Translate("&Paramètres :"), m_ui->plbParams, "laParams");
    auto* vp = new QVBoxLayout(m_ui->pnParams);
    vp->setContentsMargins(0, 0, 0, 0);
    vp->addWidget(m_ui->laParams);
    vp->addWidget(m_ui->plbParams);
    dock->AddWidget(m_ui->pnParams, TAlign::alRight, column);
    m_ui->spRight = new TMxSplitter(m_ui->pnPalettes);
    m_ui->spRight->setObjectName(QStringLiteral("spRight"));
    m_ui->spRight->resize(bar, bar);
    m_ui->spRight->SetAlign(TAlign::alRight);
    m_ui->spRight->SetLowMinSize(65);
    m_ui->spRight->SetHighMinSize(65);
    auto* pnFields = new QWidget(m_ui->pnPalettes);
    m_ui->olFields = new TEntityOutline;
    m_ui->olFields->setObjectName(QStringLiteral("olFields"));
    m_ui->laFields = buddyLabel(Translate("Entités/C&hamps :"), m_ui->olFields, "laFields");
    auto* vf = new QVBoxLayout(pnFields);
    vf->setContentsMargins(0, 0, 0, 0);
    vf->addWidget(m_ui->laFields);
    vf->addWidget(m_ui->olFields);
    dock->AddWidget(pnFields, TAlign::alClient);

    auto* editTop = new QHBoxLayout;
    editTop->addWidget(m_ui->laConstant);
    editTop->addWidget(m_ui->me, 3);
    editTop->addWidget(m_ui->laFieldType);
    editTop->addWidget(m_ui->cobFieldType, 1);
    auto* ve = new QVBoxLayout(m_ui->gbEdit);
    ve->addLayout(editTop);
    ve->addWidget(m_ui->pnPalettes, 1);

    m_ui->gbFormula = new QGroupBox(this);
    m_ui->gbFormula->setObjectName(QStringLiteral("gbFormula"));
    m_ui->lbFormula = new QListWidget;
    m_ui->lbFormula->setObjectName(QStringLiteral("lbFormula"));
    m_ui->lbFormula->setItemDelegate(new TTokenDelegate(m_ui->lbFormula));
    QPalette grey = m_ui->lbFormula->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    m_ui->lbFormula->setPalette(grey);
    m_ui->laResult = new QLabel;
    m_ui->laResult->setObjectName(QStringLiteral("laResult"));
    m_ui->laResult->setWordWrap(true);
    // Wide enough for a token of a field name and its entity, in the
    // font shown.
    m_ui->lbFormula->setMinimumWidth(m_ui->lbFormula->fontMetrics().averageCharWidth() * 26);
    auto* vr = new QVBoxLayout(m_ui->gbFormula);
    vr->addWidget(m_ui->lbFormula, 1);
    vr->addWidget(m_ui->laResult);

    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(m_ui->sbInsert);
    arrows->addWidget(m_ui->sbDelete);
    // Both as wide as the wider caption.
    for (QToolButton* b : {m_ui->sbInsert, m_ui->sbDelete})
        b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    arrows->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_ui->gbEdit, 4);
    middle->addLayout(arrows);
    middle->addWidget(m_ui->gbFormula, 1);

    m_ui->edFormula = new QLineEdit;
    m_ui->edFormula->setObjectName(QStringLiteral("edFormula"));
    m_ui->edFormula->setReadOnly(true);
    m_ui->btParams = new QPushButton(Translate("Pa&ramètres..."));
    m_ui->btParams->setObjectName(QStringLiteral("btParams"));
    m_ui->btEmpty = new QPushButton(Translate("&Vider"));
    m_ui->btEmpty->setObjectName(QStringLiteral("btEmpty"));
    m_ui->btOk = new QPushButton(Translate("Ok"));
    m_ui->btOk->setObjectName(QStringLiteral("btOk"));
    m_ui->btOk->setDefault(true);
    m_ui->btCancel = new QPushButton(Translate("Annuler"));
    m_ui->btCancel->setObjectName(QStringLiteral("btCancel"));
    m_ui->btHelp = new QPushButton(Translate("Aide"));
    m_ui->btHelp->setObjectName(QStringLiteral("btHelp"));
    for (QPushButton* b : {m_ui->btParams, m_ui->btEmpty, m_ui->btCancel, m_ui->btHelp})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_ui->btParams);
    buttons->addWidget(m_ui->btEmpty);
    buttons->addStretch();
    buttons->addWidget(m_ui->btOk);
    buttons->addWidget(m_ui->btCancel);
    buttons->addWidget(m_ui->btHelp);

    auto* main = new QVBoxLayout(this);
    main->addLayout(middle, 1);
    main->addWidget(m_ui->edFormula);
    main->addLayout(buttons);

    const QFontMetrics fm = fontMetrics();
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 78, fm.height() * 26);

    // without a parameter editor (the administration program) there is
    // no parameter column: the form is narrower
    if (!ParamsEditorHook) {
        m_ui->pnParams->hide();
        m_ui->spRight->hide();
        m_ui->btParams->hide();
        m_ui->spLeft->setEnabled(false);
        resize(width() - column, height());
    }
    // the parameters edited are the query's: criteria without one have none
    m_ui->btParams->setEnabled(m_session.Query() != nullptr);

    Connect(m_ui->lbOperator, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { InsertOperatorRow(m_ui->lbOperator->row(item)); });
    Connect(m_ui->lbOperator, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
        const int row = m_ui->lbOperator->row(item);
        QString hint;
        if (row >= 0 && row < int(m_operators.size()) && !m_operators[size_t(row)].function.isEmpty()) {
            const QString key = m_operators[size_t(row)].function + QStringLiteral("Hint");
            const QString text = Translate(key);
            if (text != key)
                hint = text;
        }
        m_ui->lbOperator->setToolTip(hint);
    });
    Connect(m_ui->olFields, &QAbstractItemView::doubleClicked, this, [this] { InsertField(); });
    Connect(m_ui->plbParams, &QListWidget::itemDoubleClicked, this, [this] { InsertParam(); });
    Connect(m_ui->sbInsert, &QToolButton::clicked, this, [this] { InsertFromFocus(); });
    Connect(m_ui->sbDelete, &QToolButton::clicked, this, [this] { DeleteToken(); });
    Connect(m_ui->btEmpty, &QPushButton::clicked, this, [this] {
        m_session.Clear();
        ShowFormula();
    });
    Connect(m_ui->lbFormula, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
    Connect(m_ui->btParams, &QPushButton::clicked, this, [this] { editParams(); });
    Connect(m_ui->btOk, &QPushButton::clicked, this, [this] {
        if (m_session.CanConfirm())
            accept();
    });
    Connect(m_ui->btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(m_ui->btHelp, &QPushButton::clicked, this, [this] { ShowDialogHelp(this); });
    m_focusConnection = Connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });

    // typed characters choose operators wherever the focus is, except in
    // the constant edit, where Enter inserts the constant
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void TfmFormula::FillPalettes()
{
    m_ui->olFields->SetEntities(nullptr);
    TMxDataModel* model = m_session.Model();
    m_ui->olFields->OnFieldAdded = [this](TMxItem* item, bool& accept) { accept = m_session.AcceptsField(item); };
    m_ui->olFields->SetEntities(model ? model->DomainEntities() : nullptr);
    m_ui->olFields->RemoveEmptyEntities();
    const bool fields = m_ui->olFields->model()->rowCount() > 0;
    m_ui->olFields->setEnabled(fields);
    m_ui->laFields->setEnabled(fields);

    m_ui->plbParams->clear();
    for (TMxParam* p : m_session.ParamEntries()) {
        auto* row = new QListWidgetItem(p->Name(), m_ui->plbParams);
        row->setData(Qt::UserRole, p->Id());
    }
    m_ui->plbParams->setEnabled(m_ui->plbParams->count() > 0);
    m_ui->laParams->setEnabled(m_ui->plbParams->count() > 0);

    SetupFieldMask(m_ui->me, QString(m_session.SelectedLetter()), 250);
    // A mask of digits shows its blanks and separator in an empty field
    // (", "): a number is typed freely, its digits held to the mask's
    // (a sign, seven before the separator, six after).
    if (m_ui->me->property(kMaskKindProperty).toInt() == int(mkNumber)) {
        m_ui->me->setInputMask(QString());
        const QString separator = QRegularExpression::escape(FormatSettings().DecimalSeparator);
        m_ui->me->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[-+]?\\d{0,7}(") + separator + QStringLiteral("\\d{0,6})?")), m_ui->me));
    } else if (const QValidator* old = m_ui->me->validator()) {
        m_ui->me->setValidator(nullptr);
        delete old;
    }
}

void TfmFormula::ShowFormula()
{
    const int remembered = std::max(0, m_ui->lbFormula->currentRow());
    const QSignalBlocker block(m_ui->lbFormula);
    m_ui->lbFormula->clear();
    const QStringList texts = m_session.Texts();
    for (const QString& t : texts)
        m_ui->lbFormula->addItem(t);
    auto* marker = new QListWidgetItem(EndMarkerText(), m_ui->lbFormula);
    marker->setData(kMarkerRole, true);
    m_ui->edFormula->setText(m_session.Line());
    const TFormulaVerdict& verdict = m_session.Check();
    if (!verdict.keepLabel)
        m_ui->laResult->setText(verdict.message);
    m_ui->lbFormula->setCurrentRow(std::min(int(texts.size()), remembered));
    updateButtons();
}

void TfmFormula::updateButtons()
{
    m_ui->btEmpty->setEnabled(m_session.Tokens()->Count() > 0);
    const QListWidgetItem* current = m_ui->lbFormula->currentItem();
    m_ui->sbDelete->setEnabled(current && !current->data(kMarkerRole).toBool());
    m_ui->btOk->setEnabled(m_session.CanConfirm());
}

void TfmFormula::InsertToken(const TTokenSource& source)
{
    const int row = std::max(0, m_ui->lbFormula->currentRow());
    int at = 0;
    try {
        at = m_session.Insert(row, source);
    } catch (const EAbort&) {
        throw;
    } catch (const Exception& e) {
        UserService().MessageDlg(Translate("La valeur est incorrecte") + u'\n' + e.message(), TMsgDlgType::mtWarning, mbOK);
        ShowFormula();
        return;
    }
    ShowFormula();
    m_ui->lbFormula->setCurrentRow(std::min(m_ui->lbFormula->count() - 1, at + 1));
    updateButtons();
}

void TfmFormula::InsertOperatorRow(int row)
{
    if (row < 0 || row >= int(m_operators.size()))
        return;
    const TOperatorEntry& e = m_operators[size_t(row)];
    TTokenSource s;
    s.function = e.function;
    if (e.op) {
        s.op = e.op->Operator();
        s.entry = e.op;
    }
    InsertToken(s);
}

void TfmFormula::InsertField()
{
    if (!m_ui->olFields->isEnabled())
        return;
    TMxField* field = m_ui->olFields->SelectedField();
    if (!field && m_ui->olFields->currentIndex().isValid())
        field = TEntityOutline::FieldOfItem(m_ui->olFields->ItemAt(m_ui->olFields->currentIndex()));
    if (!field)
        return;
    TTokenSource s;
    s.op = foField;
    s.field = field;
    InsertToken(s);
}

void TfmFormula::InsertParam()
{
    const QListWidgetItem* row = m_ui->plbParams->currentItem();
    if (!m_ui->plbParams->isEnabled() || !row)
        return;
    TTokenSource s;
    s.op = foVar;
    s.param = m_session.Params()->FindById(row->data(Qt::UserRole).toInt());
    InsertToken(s);
}

void TfmFormula::InsertConstant()
{
    TTokenSource s;
    s.op = foConst;
    s.constant = m_ui->me->text();
    const QVariant kind = m_ui->me->property(kMaskKindProperty);
    s.constantKind = kind.isValid() ? TMaskKind(kind.toInt()) : mkText;
    InsertToken(s);
}

void TfmFormula::InsertFromFocus()
{
    if (m_lastPalette == m_ui->olFields)
        InsertField();
    else if (m_lastPalette == m_ui->plbParams)
        InsertParam();
    else if (m_lastPalette == m_ui->me)
        InsertConstant();
    else if (m_lastPalette == m_ui->lbOperator)
        InsertOperatorRow(m_ui->lbOperator->currentRow());
}

void TfmFormula::DeleteToken()
{
    if (!m_ui->sbDelete->isEnabled())
        return;
    m_session.Delete(m_ui->lbFormula->currentRow());
    ShowFormula();
}

void TfmFormula::editParams()
{
    if (!ParamsEditorHook || !m_session.Query())
        return;
    QString caption = Translate("Paramètres");
    if (TMxQueryStep* step = m_session.Step())
        caption += QStringLiteral(" - ") + step->GetName();
    ParamsEditorHook(caption, m_session.Model(), m_session.ParamControls(), m_session.Params());
    FillPalettes();
    ShowFormula();
}

void TfmFormula::focusMoved(QWidget* now)
{
    if (now == m_ui->lbOperator || now == m_ui->olFields || now == m_ui->plbParams || now == m_ui->me)
        m_lastPalette = now;
    // Enter in the constant edit inserts the constant, not OK; the
    // enabled state of OK stays as the check left it
    const bool enabled = m_ui->btOk->isEnabled();
    m_ui->btOk->setDefault(now != m_ui->me);
    m_ui->btOk->setEnabled(enabled);
}

bool TfmFormula::typedOperator(const QString& text)
{
    if (text.size() != 1 || !text.at(0).isPrint() || text.at(0).isSpace())
        return false;
    for (int i = 0; i < m_ui->lbOperator->count(); ++i)
        if (m_ui->lbOperator->item(i)->text() == text) {
            m_ui->lbOperator->setCurrentRow(i);
            InsertOperatorRow(i);
            return true;
        }
    return false;
}

bool TfmFormula::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    Guard(this, [&] {
        if (watched == m_ui->me) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                InsertConstant();
                handled = true;
            }
            return;
        }
        if (watched == m_ui->lbFormula && key->key() == Qt::Key_Delete) {
            DeleteToken();
            handled = true;
            return;
        }
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            handled = typedOperator(key->text());
    });
    return handled || QDialog::eventFilter(watched, event);
}

bool TfmFormula::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        setWindowTitle(tip.isEmpty() ? m_caption : tip);
        return true;
    }
    return QDialog::event(event);
}

bool EditFormula(TFormulaType mode, const QString& caption, TMxFormulaList* tokens, TMxDataModel* model,
    TMxQueryField* field, int step, TMxQuery* query)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<TFormulaSession> session;
    std::unique_ptr<TfmFormula> form;
    try {
        session = std::make_unique<TFormulaSession>(mode, tokens, model, field, step, query);
        form = std::make_unique<TfmFormula>(*session, caption);
    } catch (...) {
        QGuiApplication::restoreOverrideCursor();
        throw;
    }
    QGuiApplication::restoreOverrideCursor();
    if (RunModal(*form) != QDialog::Accepted || session->Error())
        return false;
    form.reset();
    session->Commit();
    return true;
}

bool EditFieldFormula(TMxQuery* query, int step, TMxDataModel* model, TMxQueryField* field)
{
    return EditFormula(ftFormula, TranslateFmt(QStringLiteral("Formule du champ %s"), {field->FullName()}),
        field->FormulaList(), model, field, step, query);
}

bool EditFieldFilter(TMxQuery* query, int step, TMxQueryField* field)
{
    return EditFormula(ftFilter, TranslateFmt(QStringLiteral("Filtre du champ %s"), {field->FullName()}),
        field->FormulaList(), query ? query->DataModel() : nullptr, field, step, query);
}

bool EditEntityCriteria(TMxFormulaList* criteria, TMxDataModel* model)
{
    return EditFormula(ftEntityFilter, Translate("Critère de l'entité"), criteria, model, nullptr, 0, nullptr);
}

bool EditSetCriteria(TMxFormulaList* criteria, TMxDataModel* model)
{
    return EditFormula(ftEntityFilter, Translate("Critère de l'ensemble"), criteria, model, nullptr, 0, nullptr);
}

bool EditStepCriteria(TMxQueryStep* step)
{
    return EditFormula(ftEntityFilter, Translate("Critère de l'étape"), step->StepCriteria(), step->DataModel(), nullptr,
        step->Id(), step->GetQuery());
}

void InstallFormulaEditor()
{
    FieldFormulaHook.set(EditFieldFormula);
    FieldFilterHook.set(EditFieldFilter);
    EntityCriteriaHook.set(EditEntityCriteria);
    SetCriteriaHook.set(EditSetCriteria);
    StepCriteriaHook.set(EditStepCriteria);
}

} // namespace mx::ui

#include "fmformula.moc"
