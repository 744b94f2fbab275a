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

QString TfmFormula::EndMarkerText()
{
    return Translate("fin");
}

TfmFormula::TfmFormula(TFormulaSession& session, const QString& caption, QWidget* parent)
    : QDialog(parent), m_session(session), m_caption(caption)
{
    setObjectName(QStringLiteral("fmFormula"));
    setProperty("helpContext", kHelpContext);
    build();
    m_session.PrepareModelView();

    switch (m_session.Mode()) {
    case ftFormula:
        gbFormula->setTitle(Translate("&Formule"));
        break;
    case ftFilter:
        gbFormula->setTitle(Translate("F&iltre"));
        cobFieldType->setEnabled(false);
        break;
    default:
        gbFormula->setTitle(Translate("&Critère"));
        cobFieldType->hide();
        laFieldType->hide();
        break;
    }
    m_operators = m_session.OperatorEntries();
    for (const TOperatorEntry& e : m_operators)
        lbOperator->addItem(e.text);

    for (int i = 0; i < 6; ++i)
        cobFieldType->addItem(ParamTypeName(TypeLetterAt(i)));
    const int selected = TypeIndexOf(m_session.FieldLetter());
    cobFieldType->setCurrentIndex(selected);
    m_session.SetTypeIndex(selected);
    FillPalettes();
    ShowFormula();
    Connect(cobFieldType, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_session.SetTypeIndex(index);
        FillPalettes();
    });
    setWindowTitle(m_caption);
}

TfmFormula::~TfmFormula()
{
    // the focus moves while the children go
    QObject::disconnect(m_focusConnection);
    for (QWidget* w : findChildren<QWidget*>())
        w->removeEventFilter(this);
    olFields->SetEntities(nullptr);
}

void TfmFormula::build()
{
    sbInsert = new QToolButton(this);
    sbInsert->setObjectName(QStringLiteral("sbInsert"));
    // Buttons that say what they do, beside their arrows.
    sbInsert->setArrowType(Qt::RightArrow);
    sbInsert->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    sbInsert->setText(Translate("Ajouter l'élément"));
    sbInsert->setToolTip(Translate("Ajouter l'élément"));
    sbInsert->setStatusTip(sbInsert->toolTip());
    sbDelete = new QToolButton(this);
    sbDelete->setObjectName(QStringLiteral("sbDelete"));
    sbDelete->setArrowType(Qt::LeftArrow);
    sbDelete->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    sbDelete->setText(Translate("Retirer l'élément"));
    sbDelete->setToolTip(Translate("Retirer l'élément"));
    sbDelete->setStatusTip(sbDelete->toolTip());

    gbEdit = new QGroupBox(Translate("Eléments"), this);
    gbEdit->setObjectName(QStringLiteral("gbEdit"));
    me = new QLineEdit;
    me->setObjectName(QStringLiteral("me"));
    laConstant = buddyLabel(Translate("&Constante :"), me, "laConstant");
    cobFieldType = new QComboBox;
    cobFieldType->setObjectName(QStringLiteral("cobFieldType"));
    laFieldType = buddyLabel(Translate("&Type :"), cobFieldType, "laFieldType");

    // three columns, the outer two resized by splitter bars
    pnPalettes = new QWidget;
    pnPalettes->setObjectName(QStringLiteral("pnPalettes"));
    auto* dock = new TDockLayout(pnPalettes);
    const int column = fontMetrics().horizontalAdvance(QLatin1Char('M')) * 11;
    auto* pnOperators = new QWidget(pnPalettes);
    lbOperator = new QListWidget;
    lbOperator->setObjectName(QStringLiteral("lbOperator"));
    lbOperator->setMouseTracking(true);
    laOperator = buddyLabel(Translate("&Opérateurs :"), lbOperator, "laOperator");
    auto* vo = new QVBoxLayout(pnOperators);
    vo->setContentsMargins(0, 0, 0, 0);
    vo->addWidget(laOperator);
    vo->addWidget(lbOperator);
    dock->AddWidget(pnOperators, TAlign::alLeft, column + column / 5);
    const int bar = std::max(3, fontMetrics().averageCharWidth() / 2);
    spLeft = new TMxSplitter(pnPalettes);
    spLeft->setObjectName(QStringLiteral("spLeft"));
    spLeft->resize(bar, bar);
    spLeft->SetAlign(TAlign::alLeft);
    spLeft->SetLowMinSize(65);
    spLeft->SetHighMinSize(65);
    pnParams = new QWidget(pnPalettes);
    pnParams->setObjectName(QStringLiteral("pnParams"));
    plbParams = new TPictureListBox;
    plbParams->setObjectName(QStringLiteral("plbParams"));
    plbParams->SetPicture(Picture(TPicture::Parameter));
    laParams = buddyLabel(Translate("&Paramètres :"), plbParams, "laParams");
    auto* vp = new QVBoxLayout(pnParams);
    vp->setContentsMargins(0, 0, 0, 0);
    vp->addWidget(laParams);
    vp->addWidget(plbParams);
    dock->AddWidget(pnParams, TAlign::alRight, column);
    spRight = new TMxSplitter(pnPalettes);
    spRight->setObjectName(QStringLiteral("spRight"));
    spRight->resize(bar, bar);
    spRight->SetAlign(TAlign::alRight);
    spRight->SetLowMinSize(65);
    spRight->SetHighMinSize(65);
    auto* pnFields = new QWidget(pnPalettes);
    olFields = new TEntityOutline;
    olFields->setObjectName(QStringLiteral("olFields"));
    laFields = buddyLabel(Translate("Entités/C&hamps :"), olFields, "laFields");
    auto* vf = new QVBoxLayout(pnFields);
    vf->setContentsMargins(0, 0, 0, 0);
    vf->addWidget(laFields);
    vf->addWidget(olFields);
    dock->AddWidget(pnFields, TAlign::alClient);

    auto* editTop = new QHBoxLayout;
    editTop->addWidget(laConstant);
    editTop->addWidget(me, 3);
    editTop->addWidget(laFieldType);
    editTop->addWidget(cobFieldType, 1);
    auto* ve = new QVBoxLayout(gbEdit);
    ve->addLayout(editTop);
    ve->addWidget(pnPalettes, 1);

    gbFormula = new QGroupBox(this);
    gbFormula->setObjectName(QStringLiteral("gbFormula"));
    lbFormula = new QListWidget;
    lbFormula->setObjectName(QStringLiteral("lbFormula"));
    lbFormula->setItemDelegate(new TTokenDelegate(lbFormula));
    QPalette grey = lbFormula->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    lbFormula->setPalette(grey);
    laResult = new QLabel;
    laResult->setObjectName(QStringLiteral("laResult"));
    laResult->setWordWrap(true);
    // Wide enough for a token of a field name and its entity, in the
    // font shown.
    lbFormula->setMinimumWidth(lbFormula->fontMetrics().averageCharWidth() * 26);
    auto* vr = new QVBoxLayout(gbFormula);
    vr->addWidget(lbFormula, 1);
    vr->addWidget(laResult);

    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(sbInsert);
    arrows->addWidget(sbDelete);
    // Both as wide as the wider caption.
    for (QToolButton* b : {sbInsert, sbDelete})
        b->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    arrows->addStretch();

    auto* middle = new QHBoxLayout;
    middle->addWidget(gbEdit, 4);
    middle->addLayout(arrows);
    middle->addWidget(gbFormula, 1);

    edFormula = new QLineEdit;
    edFormula->setObjectName(QStringLiteral("edFormula"));
    edFormula->setReadOnly(true);
    btParams = new QPushButton(Translate("Pa&ramètres..."));
    btParams->setObjectName(QStringLiteral("btParams"));
    btEmpty = new QPushButton(Translate("&Vider"));
    btEmpty->setObjectName(QStringLiteral("btEmpty"));
    btOk = new QPushButton(Translate("Ok"));
    btOk->setObjectName(QStringLiteral("btOk"));
    btOk->setDefault(true);
    btCancel = new QPushButton(Translate("Annuler"));
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btHelp = new QPushButton(Translate("Aide"));
    btHelp->setObjectName(QStringLiteral("btHelp"));
    for (QPushButton* b : {btParams, btEmpty, btCancel, btHelp})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btParams);
    buttons->addWidget(btEmpty);
    buttons->addStretch();
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    buttons->addWidget(btHelp);

    auto* main = new QVBoxLayout(this);
    main->addLayout(middle, 1);
    main->addWidget(edFormula);
    main->addLayout(buttons);

    const QFontMetrics fm = fontMetrics();
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 78, fm.height() * 26);

    // without a parameter editor (the administration program) there is
    // no parameter column: the form is narrower
    if (!ParamsEditorHook) {
        pnParams->hide();
        spRight->hide();
        btParams->hide();
        spLeft->setEnabled(false);
        resize(width() - column, height());
    }
    // the parameters edited are the query's: criteria without one have none
    btParams->setEnabled(m_session.Query() != nullptr);

    Connect(lbOperator, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { InsertOperatorRow(lbOperator->row(item)); });
    Connect(lbOperator, &QListWidget::itemEntered, this, [this](QListWidgetItem* item) {
        const int row = lbOperator->row(item);
        QString hint;
        if (row >= 0 && row < int(m_operators.size()) && !m_operators[size_t(row)].function.isEmpty()) {
            const QString key = m_operators[size_t(row)].function + QStringLiteral("Hint");
            const QString text = Translate(key);
            if (text != key)
                hint = text;
        }
        lbOperator->setToolTip(hint);
    });
    Connect(olFields, &QAbstractItemView::doubleClicked, this, [this] { InsertField(); });
    Connect(plbParams, &QListWidget::itemDoubleClicked, this, [this] { InsertParam(); });
    Connect(sbInsert, &QToolButton::clicked, this, [this] { InsertFromFocus(); });
    Connect(sbDelete, &QToolButton::clicked, this, [this] { DeleteToken(); });
    Connect(btEmpty, &QPushButton::clicked, this, [this] {
        m_session.Clear();
        ShowFormula();
    });
    Connect(lbFormula, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
    Connect(btParams, &QPushButton::clicked, this, [this] { editParams(); });
    Connect(btOk, &QPushButton::clicked, this, [this] {
        if (m_session.CanConfirm())
            accept();
    });
    Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
    Connect(btHelp, &QPushButton::clicked, this, [this] { ShowDialogHelp(this); });
    m_focusConnection = Connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });

    // typed characters choose operators wherever the focus is, except in
    // the constant edit, where Enter inserts the constant
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void TfmFormula::FillPalettes()
{
    olFields->SetEntities(nullptr);
    TMxDataModel* model = m_session.Model();
    olFields->OnFieldAdded = [this](TMxItem* item, bool& accept) { accept = m_session.AcceptsField(item); };
    olFields->SetEntities(model ? model->DomainEntities() : nullptr);
    olFields->RemoveEmptyEntities();
    const bool fields = olFields->model()->rowCount() > 0;
    olFields->setEnabled(fields);
    laFields->setEnabled(fields);

    plbParams->clear();
    for (TMxParam* p : m_session.ParamEntries()) {
        auto* row = new QListWidgetItem(p->Name(), plbParams);
        row->setData(Qt::UserRole, p->Id());
    }
    plbParams->setEnabled(plbParams->count() > 0);
    laParams->setEnabled(plbParams->count() > 0);

    SetupFieldMask(me, QString(m_session.SelectedLetter()), 250);
    // A mask of digits shows its blanks and separator in an empty field
    // (", "): a number is typed freely, its digits held to the mask's
    // (a sign, seven before the separator, six after).
    if (me->property(kMaskKindProperty).toInt() == int(mkNumber)) {
        me->setInputMask(QString());
        const QString separator = QRegularExpression::escape(FormatSettings().DecimalSeparator);
        me->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[-+]?\\d{0,7}(") + separator + QStringLiteral("\\d{0,6})?")), me));
    } else if (const QValidator* old = me->validator()) {
        me->setValidator(nullptr);
        delete old;
    }
}

void TfmFormula::ShowFormula()
{
    const int remembered = std::max(0, lbFormula->currentRow());
    const QSignalBlocker block(lbFormula);
    lbFormula->clear();
    const QStringList texts = m_session.Texts();
    for (const QString& t : texts)
        lbFormula->addItem(t);
    auto* marker = new QListWidgetItem(EndMarkerText(), lbFormula);
    marker->setData(kMarkerRole, true);
    edFormula->setText(m_session.Line());
    const TFormulaVerdict& verdict = m_session.Check();
    if (!verdict.keepLabel)
        laResult->setText(verdict.message);
    lbFormula->setCurrentRow(std::min(int(texts.size()), remembered));
    updateButtons();
}

void TfmFormula::updateButtons()
{
    btEmpty->setEnabled(m_session.Tokens()->Count() > 0);
    const QListWidgetItem* current = lbFormula->currentItem();
    sbDelete->setEnabled(current && !current->data(kMarkerRole).toBool());
    btOk->setEnabled(m_session.CanConfirm());
}

void TfmFormula::InsertToken(const TTokenSource& source)
{
    const int row = std::max(0, lbFormula->currentRow());
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
    lbFormula->setCurrentRow(std::min(lbFormula->count() - 1, at + 1));
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
    if (!olFields->isEnabled())
        return;
    TMxField* field = olFields->SelectedField();
    if (!field && olFields->currentIndex().isValid())
        field = TEntityOutline::FieldOfItem(olFields->ItemAt(olFields->currentIndex()));
    if (!field)
        return;
    TTokenSource s;
    s.op = foField;
    s.field = field;
    InsertToken(s);
}

void TfmFormula::InsertParam()
{
    const QListWidgetItem* row = plbParams->currentItem();
    if (!plbParams->isEnabled() || !row)
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
    s.constant = me->text();
    const QVariant kind = me->property(kMaskKindProperty);
    s.constantKind = kind.isValid() ? TMaskKind(kind.toInt()) : mkText;
    InsertToken(s);
}

void TfmFormula::InsertFromFocus()
{
    if (m_lastPalette == olFields)
        InsertField();
    else if (m_lastPalette == plbParams)
        InsertParam();
    else if (m_lastPalette == me)
        InsertConstant();
    else if (m_lastPalette == lbOperator)
        InsertOperatorRow(lbOperator->currentRow());
}

void TfmFormula::DeleteToken()
{
    if (!sbDelete->isEnabled())
        return;
    m_session.Delete(lbFormula->currentRow());
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
    if (now == lbOperator || now == olFields || now == plbParams || now == me)
        m_lastPalette = now;
    // Enter in the constant edit inserts the constant, not OK; the
    // enabled state of OK stays as the check left it
    const bool enabled = btOk->isEnabled();
    btOk->setDefault(now != me);
    btOk->setEnabled(enabled);
}

bool TfmFormula::typedOperator(const QString& text)
{
    if (text.size() != 1 || !text.at(0).isPrint() || text.at(0).isSpace())
        return false;
    for (int i = 0; i < lbOperator->count(); ++i)
        if (lbOperator->item(i)->text() == text) {
            lbOperator->setCurrentRow(i);
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
        if (watched == me) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                InsertConstant();
                handled = true;
            }
            return;
        }
        if (watched == lbFormula && key->key() == Qt::Key_Delete) {
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
