#include "paramprop.h"

#include "dialogbuilder.h"

#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/datamodel.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/model/picturespec.h"
#include "engine/model/queryfield.h"
#include "engine/settings/global.h"

#include "ui/services/dialogservice.h"
#include "ui/services/guarded.h"
#include "ui/services/namedwidget.h"
#include "ui/services/modalrunner.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace mx {

struct TfmParamProp::TUi {
    QComboBox* cobParamName = nullptr;
    QComboBox* cobParamType = nullptr;
    QLineEdit* edCaption = nullptr;
    QComboBox* cobCaptionAlign = nullptr;
    QPushButton* btFont = nullptr;
    QPushButton* btPicture = nullptr;
    QGroupBox* gbValues = nullptr;
    QStackedWidget* nbk = nullptr;
    QLineEdit* edOneValue = nullptr;
    QLineEdit* eduncheckedValue = nullptr;
    QLineEdit* edCheckedValue = nullptr;
    QRadioButton* rbStaticValues = nullptr;
    QRadioButton* rbFieldValues = nullptr;
    QComboBox* cobValue = nullptr;
    QListWidget* lbValues = nullptr;
    QWidget* nrpaValues = nullptr;
    QPushButton* btAdd = nullptr;
    QPushButton* btUpdate = nullptr;
    QPushButton* btSort = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btEmpty = nullptr;
    QPushButton* btUp = nullptr;
    QPushButton* btDown = nullptr;
    QCheckBox* cbPreview = nullptr;
    QCheckBox* cbAllowMultiSelect = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;
    QPushButton* btHelp = nullptr;
};

TfmParamProp::TfmParamProp(TVParamControl* shape, TMxDataModel* model, QWidget* parent)
    : QDialog(parent)
    , Shape(shape)
    , DataModel(model)
    , m_ui(std::make_unique<TUi>())
{
    setObjectName(QStringLiteral("fmParamProp"));
    setWindowTitle(Translate("Paramètre"));
    setProperty("helpContext", 68);
    buildControlGroup();
    buildValuePages();
    m_ui->btOK = ui::NamedButton(this, "btOK", "&OK");
    m_ui->btCancel = ui::NamedButton(this, "btCancel", "Annuler");
    m_ui->btHelp = ui::NamedButton(this, "btHelp", "&Aide");
    m_ui->btOK->setDefault(false);
    m_ui->btOK->setAutoDefault(false);
    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(m_ui->btOK);
    commands->addWidget(m_ui->btCancel);
    commands->addWidget(m_ui->btHelp);
    static_cast<QVBoxLayout*>(layout())->addLayout(commands);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    ui::Connect(m_ui->btOK, &QPushButton::clicked, this, [this] {
        ParamNameExit();
        accept();
    });
    ui::Connect(m_ui->btCancel, &QPushButton::clicked, this, [this] { reject(); });
    ui::Connect(m_ui->btHelp, &QPushButton::clicked, this, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });

    TMxParamControl* c = control();
    m_filling = true;
    for (int k = ckLabel; k <= ckImage; ++k)
        m_ui->cobParamType->addItem(DlgControlName(TDlgControlKind(k)));
    fillParamNames();
    m_ui->cobParamType->setCurrentIndex(c ? int(c->Kind()) - 1 : -1);
    m_ui->cobCaptionAlign->setCurrentIndex(c ? int(c->CaptionAlign()) : 0);
    if (c) {
        m_ui->cobParamName->setCurrentIndex(m_ui->cobParamName->findText(c->ParamName()));
        m_ui->cobParamName->setEditText(c->ParamName());
        m_ui->edCaption->setText(c->Caption());
        ChosenFont = ControlFont(*c->Font());
    }
    m_filling = false;
    ui::Connect(m_ui->cobParamType, &QComboBox::currentIndexChanged, this, [this] { UpdatePage(); });
    UpdatePage();
}

TfmParamProp::~TfmParamProp()
{
    // The name's edit loses the focus while the dialog goes: that is no
    // leaving of the field; nor may any child signal after the widget
    // table is gone.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

TMxParamControl* TfmParamProp::control() const
{
    return Shape ? Shape->ParamControl() : nullptr;
}

void TfmParamProp::buildControlGroup()
{
    auto* main = new QVBoxLayout(this);
    auto* group = ui::Named(new QGroupBox(Translate("Contrôle"), this), "gbControl");
    auto* form = new QFormLayout(group);
    m_ui->cobParamName = ui::Named(new QComboBox(group), "cobParamName");
    m_ui->cobParamName->setEditable(true);
    m_ui->cobParamName->setInsertPolicy(QComboBox::NoInsert);
    m_ui->cobParamType = ui::Named(new QComboBox(group), "cobParamType");
    m_ui->edCaption = ui::Named(new QLineEdit(group), "edCaption");
    m_ui->cobCaptionAlign = ui::Named(new QComboBox(group), "cobCaptionAlign");
    for (const char* a : {"Gauche", "Droite", "Haut", "Bas"})
        m_ui->cobCaptionAlign->addItem(Translate(a));
    m_ui->btFont = ui::NamedButton(group, "btFont", "&Police...");
    m_ui->btPicture = ui::NamedButton(group, "btPicture", "&Image...");
    form->addRow(Translate("Pa&ramètre :"), m_ui->cobParamName);
    form->addRow(Translate("T&ype de saisie :"), m_ui->cobParamType);
    form->addRow(Translate("&Légende :"), m_ui->edCaption);
    form->addRow(Translate("Ali&gnement :"), m_ui->cobCaptionAlign);
    auto* pickers = new QHBoxLayout;
    pickers->addWidget(m_ui->btFont);
    pickers->addWidget(m_ui->btPicture);
    pickers->addStretch();
    form->addRow(pickers);
    main->addWidget(group);

    ui::Connect(m_ui->cobParamName->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (!m_filling)
            ParamNameExit();
    });
    ui::Connect(m_ui->btFont, &QPushButton::clicked, this, [this] { ui::UiService().PickFont(this, ChosenFont); });
    ui::Connect(m_ui->btPicture, &QPushButton::clicked, this, [this] { choosePicture(); });
}

void TfmParamProp::buildValuePages()
{
    m_ui->gbValues = ui::Named(new QGroupBox(Translate("Valeur(s)"), this), "gbValues");
    auto* groupLayout = new QVBoxLayout(m_ui->gbValues);
    m_ui->nbk = ui::Named(new QStackedWidget(m_ui->gbValues), "nbk");
    groupLayout->addWidget(m_ui->nbk);

    m_ui->nbk->addWidget(new QWidget);
    auto* one = new QWidget;
    m_ui->edOneValue = ui::Named(new QLineEdit(one), "edOneValue");
    (new QFormLayout(one))->addRow(Translate("&Valeur initiale :"), m_ui->edOneValue);
    m_ui->nbk->addWidget(one);

    auto* two = new QWidget;
    m_ui->eduncheckedValue = ui::Named(new QLineEdit(two), "eduncheckedValue");
    m_ui->edCheckedValue = ui::Named(new QLineEdit(two), "edCheckedValue");
    auto* twoForm = new QFormLayout(two);
    twoForm->addRow(Translate("Valeur si &non cochée :"), m_ui->eduncheckedValue);
    twoForm->addRow(Translate("Valeur si &cochée :"), m_ui->edCheckedValue);
    m_ui->nbk->addWidget(two);

    auto* list = new QWidget;
    auto* grid = new QGridLayout(list);
    m_ui->rbStaticValues = ui::Named(new QRadioButton(Translate("&Définir"), list), "rbStaticValues");
    m_ui->rbFieldValues = ui::Named(new QRadioButton(Translate("&Champ"), list), "rbFieldValues");
    m_ui->rbStaticValues->setChecked(true);
    m_ui->cobValue = ui::Named(new QComboBox(list), "cobValue");
    m_ui->cobValue->setInsertPolicy(QComboBox::NoInsert);
    m_ui->lbValues = ui::Named(new QListWidget(list), "lbValues");
    m_ui->cbPreview = ui::Named(new QCheckBox(Translate("(Aperçu)"), list), "cbPreview");
    m_ui->cbPreview->setChecked(true);
    m_ui->cbAllowMultiSelect = ui::Named(new QCheckBox(Translate("A&utoriser la sélection multi-valuée"), list), "cbAllowMultiSelect");
    m_ui->nrpaValues = ui::Named(new QWidget(list), "nrpaValues");
    auto* column = new QVBoxLayout(m_ui->nrpaValues);
    column->setContentsMargins(0, 0, 0, 0);
    m_ui->btAdd = ui::NamedButton(m_ui->nrpaValues, "btAdd", "A&jouter");
    m_ui->btUpdate = ui::NamedButton(m_ui->nrpaValues, "btUpdate", "&Modifier");
    m_ui->btSort = ui::NamedButton(m_ui->nrpaValues, "btSort", "&Trier");
    m_ui->btDelete = ui::NamedButton(m_ui->nrpaValues, "btDelete", "&Effacer");
    m_ui->btEmpty = ui::NamedButton(m_ui->nrpaValues, "btEmpty", "&Vider");
    m_ui->btUp = ui::NamedButton(m_ui->nrpaValues, "btUp", "Vers le &haut");
    m_ui->btDown = ui::NamedButton(m_ui->nrpaValues, "btDown", "Vert le &bas");
    m_ui->btUp->setProperty("Tag", -1);
    m_ui->btDown->setProperty("Tag", 1);
    for (QPushButton* b : {m_ui->btAdd, m_ui->btUpdate, m_ui->btSort, m_ui->btDelete, m_ui->btEmpty, m_ui->btUp, m_ui->btDown})
        column->addWidget(b);
    column->addStretch();
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_ui->rbStaticValues);
    modes->addWidget(m_ui->rbFieldValues);
    modes->addStretch();
    grid->addLayout(modes, 0, 0, 1, 2);
    grid->addWidget(m_ui->cobValue, 1, 0);
    // The label leads to the list, so its "&" marks a mnemonic, not a
    // character shown.
    auto* laValues = new QLabel(Translate("Valeur&s :"), list);
    laValues->setObjectName(QStringLiteral("laValues"));
    laValues->setBuddy(m_ui->lbValues);
    grid->addWidget(laValues, 2, 0);
    grid->addWidget(m_ui->lbValues, 3, 0);
    grid->addWidget(m_ui->nrpaValues, 1, 1, 3, 1);
    grid->addWidget(m_ui->cbPreview, 4, 0);
    grid->addWidget(m_ui->cbAllowMultiSelect, 5, 0, 1, 2);
    m_ui->nbk->addWidget(list);
    static_cast<QVBoxLayout*>(layout())->addWidget(m_ui->gbValues);

    // Without a data model there are no fields to bind to.
    m_ui->rbFieldValues->setEnabled(DataModel != nullptr);

    ui::Connect(m_ui->rbStaticValues, &QRadioButton::clicked, this, [this] { UpdateValues(); });
    ui::Connect(m_ui->rbFieldValues, &QRadioButton::clicked, this, [this] { UpdateValues(); });
    ui::Connect(m_ui->lbValues, &QListWidget::itemClicked, this, [this] {
        if (m_ui->rbStaticValues->isChecked() && m_ui->lbValues->currentItem())
            m_ui->cobValue->setEditText(m_ui->lbValues->currentItem()->text());
        RefreshButtons();
    });
    ui::Connect(m_ui->lbValues, &QListWidget::currentRowChanged, this, [this] { RefreshButtons(); });
    ui::Connect(m_ui->cobValue, &QComboBox::editTextChanged, this, [this] { RefreshButtons(); });
    ui::Connect(m_ui->cobValue, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling && m_ui->rbFieldValues->isChecked())
            fieldChosen();
    });
    ui::Connect(m_ui->cbPreview, &QCheckBox::clicked, this, [this] {
        if (m_ui->rbFieldValues->isChecked())
            fieldChosen();
    });
    ui::Connect(m_ui->cbAllowMultiSelect, &QCheckBox::clicked, this, [this](bool on) {
        if (TMxParamControl* c = control())
            c->SetAllowMultiSelect(on);
    });
    ui::Connect(m_ui->btAdd, &QPushButton::clicked, this, [this] {
        m_ui->lbValues->addItem(m_ui->cobValue->currentText());
        m_ui->cobValue->setEditText(QString());
        RefreshButtons();
    });
    ui::Connect(m_ui->btUpdate, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = m_ui->lbValues->currentItem())
            item->setText(m_ui->cobValue->currentText());
        RefreshButtons();
    });
    ui::Connect(m_ui->btSort, &QPushButton::clicked, this, [this] {
        m_ui->lbValues->sortItems();
        RefreshButtons();
    });
    ui::Connect(m_ui->btDelete, &QPushButton::clicked, this, [this] {
        delete m_ui->lbValues->takeItem(m_ui->lbValues->currentRow());
        RefreshButtons();
    });
    ui::Connect(m_ui->btEmpty, &QPushButton::clicked, this, [this] {
        m_ui->lbValues->clear();
        RefreshButtons();
    });
    ui::Connect(m_ui->btUp, &QPushButton::clicked, this, [this] { move(-1); });
    ui::Connect(m_ui->btDown, &QPushButton::clicked, this, [this] { move(1); });
}

void TfmParamProp::fillParamNames()
{
    const QString text = m_ui->cobParamName->currentText();
    const bool filling = m_filling;
    m_filling = true;
    m_ui->cobParamName->clear();
    if (TMxParamList* params = Shape ? Shape->Builder()->Params : nullptr)
        for (int i = 0; i < params->Count(); ++i)
            m_ui->cobParamName->addItem(params->Items(i)->Name());
    m_ui->cobParamName->setEditText(text);
    m_filling = filling;
}

TDlgControlKind TfmParamProp::SelectedKind() const
{
    return TDlgControlKind(m_ui->cobParamType->currentIndex() + 1);
}

void TfmParamProp::UpdatePage()
{
    TMxParamControl* c = control();
    const TDlgControlClass& kind = DlgControlClass(SelectedKind());
    m_ui->cobParamName->setEnabled(kind.Flags & dfBound);
    if (!m_ui->cobParamName->isEnabled())
        m_ui->cobParamName->setEditText(QString());
    m_ui->btPicture->setEnabled(kind.Flags & dfPicture);
    m_ui->btFont->setEnabled(kind.Flags & dfFont);
    m_ui->edCaption->setEnabled(kind.Flags & dfCaption);
    m_ui->cobCaptionAlign->setEnabled(m_ui->edCaption->isEnabled() && !(kind.Flags & dfOwnCaption));
    m_ui->nbk->setCurrentIndex(kind.ValuePage);
    // the notebook takes the height of the page shown
    for (int i = 0; i < m_ui->nbk->count(); ++i)
        m_ui->nbk->widget(i)->setSizePolicy(QSizePolicy::Preferred, i == kind.ValuePage ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    m_ui->gbValues->setVisible(kind.ValuePage != 0);
    const QStringList values = c ? c->Values()->toStringList() : QStringList();
    switch (kind.ValuePage) {
    case 1:
        m_ui->edOneValue->setText(values.value(0));
        break;
    case 2:
        if (values.size() >= 2) {
            m_ui->eduncheckedValue->setText(values[0]);
            m_ui->edCheckedValue->setText(values[1]);
        }
        break;
    case 3:
        m_ui->lbValues->clear();
        m_ui->lbValues->addItems(values);
        if (c && c->TableId() != -1 && DataModel)
            m_ui->rbFieldValues->setChecked(true);
        else
            m_ui->rbStaticValues->setChecked(true);
        m_ui->cbAllowMultiSelect->setVisible(SelectedKind() == ckListBox);
        m_ui->cbAllowMultiSelect->setChecked(c && c->AllowMultiSelect());
        UpdateValues();
        break;
    default:
        break;
    }
    RefreshButtons();
    adjustSize();
}

void TfmParamProp::UpdateValues()
{
    m_filling = true;
    const bool fields = m_ui->rbFieldValues->isChecked();
    m_ui->nrpaValues->setVisible(!fields);
    m_ui->cbPreview->setVisible(fields);
    m_ui->cobValue->clear();
    m_ui->cobValue->setEditable(!fields);
    if (fields && DataModel) {
        // The fields of the current set, by their readable names; each
        // entry holds its field's index, never text to be read back.
        QList<QPair<QString, int>> entries;
        for (int i = 0; i < DataModel->GetDomainFieldCount(); ++i)
            if (TMxQueryField* f = DataModel->GetDomainField(i))
                entries << qMakePair(f->FullName(), i);
        std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return QString::localeAwareCompare(a.first, b.first) < 0; });
        for (const auto& e : entries)
            m_ui->cobValue->addItem(e.first, e.second);
        TMxParamControl* c = control();
        m_ui->cobValue->setCurrentIndex(c ? m_ui->cobValue->findText(c->FieldFullName()) : -1);
    }
    m_filling = false;
    if (m_ui->lbValues->count() > 0)
        m_ui->lbValues->setCurrentRow(0);
    RefreshButtons();
}

void TfmParamProp::fieldChosen()
{
    TMxParamControl* c = control();
    m_ui->lbValues->clear();
    if (!c)
        return;
    const QVariant index = m_ui->cobValue->currentData();
    TMxQueryField* field = index.isValid() && DataModel ? DataModel->GetDomainField(index.toInt()) : nullptr;
    c->BeginUpdate();
    if (!field) {
        c->SetFieldFullName(QString());
        c->SetFieldName(QString());
        c->SetTableId(-1);
        c->Values()->Clear();
    } else {
        c->SetFieldFullName(field->FullName());
        c->SetFieldName(field->Name());
        c->SetTableId(field->TableId());
        if (m_ui->cbPreview->isChecked())
            c->FillValues(DataModel, 10);
        else
            c->Values()->Clear();
    }
    c->EndUpdate();
    m_ui->lbValues->addItems(c->Values()->toStringList());
    RefreshButtons();
}

void TfmParamProp::RefreshButtons()
{
    const QString text = m_ui->cobValue->currentText();
    const int row = m_ui->lbValues->currentRow();
    const int count = m_ui->lbValues->count();
    bool present = false;
    for (int i = 0; i < count; ++i)
        present = present || m_ui->lbValues->item(i)->text() == text;
    m_ui->btAdd->setEnabled(!text.isEmpty() && !present);
    m_ui->btUpdate->setEnabled(row >= 0 && !text.isEmpty());
    m_ui->btDelete->setEnabled(row >= 0);
    m_ui->btSort->setEnabled(count > 0);
    m_ui->btEmpty->setEnabled(count > 0);
    m_ui->btUp->setEnabled(row > 0);
    m_ui->btDown->setEnabled(row >= 0 && row < count - 1);
}

void TfmParamProp::move(int by)
{
    const int row = m_ui->lbValues->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_ui->lbValues->count())
        return;
    QListWidgetItem* item = m_ui->lbValues->takeItem(row);
    m_ui->lbValues->insertItem(to, item);
    m_ui->lbValues->setCurrentRow(to);
    RefreshButtons();
}

void TfmParamProp::choosePicture()
{
    ui::TFileRequest request;
    request.caption = Translate("Selection d'image");
    // The images Qt reads; the metafiles of the original format are not
    // offered, since nothing here can draw them.
    request.filters = QStringList{Translate("Images PaintBrush (*.bmp)"), Translate("Icônes (*.ico)"), Translate("Tous (*.*)")};
    const QString file = ui::UiService().OpenFileName(this, request);
    TMxParamControl* c = control();
    if (file.isEmpty() || !c)
        return;
    QImage image;
    if (!image.load(file)) {
        UserService().Warning(TranslateFmt(QStringLiteral("L'image %s ne peut pas être lue."), {file}));
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    TPictureSpec picture;
    picture.SetImage(bytes, QStringLiteral("TBitmap"));
    c->SetPicture(picture);
}

void TfmParamProp::ParamNameExit()
{
    TMxParamList* params = Shape ? Shape->Builder()->Params : nullptr;
    const QString name = m_ui->cobParamName->currentText();
    if (!params || name.isEmpty() || !m_ui->cobParamName->isEnabled() || params->FindByName(name))
        return;
    const int id = params->NextId();
    TMxParam* param = params->AddNew();
    param->SetId(id);
    param->SetName(name);
    const bool confirmed = EditParam(param);
    const QString finalName = param->Name();
    if (!confirmed)
        param->Free();
    fillParamNames();
    m_ui->cobParamName->setEditText(finalName);
    if (confirmed)
        m_ui->edCaption->setText(finalName);
    m_ui->cobParamName->setFocus();
}

void TfmParamProp::StoreControl()
{
    TMxParamControl* c = control();
    if (!c)
        return;
    const TDlgControlKind kind = SelectedKind();
    c->BeginUpdate();
    try {
        c->SetParamName(m_ui->cobParamName->currentText());
        c->SetCaption(m_ui->edCaption->text());
        c->SetCaptionAlign(TCaptionAlign(std::max(m_ui->cobCaptionAlign->currentIndex(), 0)));
        QStringList values;
        switch (DlgControlClass(kind).ValuePage) {
        case 1:
            values << m_ui->edOneValue->text();
            break;
        case 2:
            values << m_ui->eduncheckedValue->text() << m_ui->edCheckedValue->text();
            break;
        case 3:
            for (int i = 0; i < m_ui->lbValues->count(); ++i)
                values << m_ui->lbValues->item(i)->text();
            if (m_ui->rbStaticValues->isChecked()) {
                c->SetTableId(-1);
                c->SetFieldName(QString());
                c->SetFieldFullName(QString());
            }
            break;
        default:
            break;
        }
        TStrings lines;
        lines.setStringList(values);
        c->SetValues(lines);
        c->SetKind(kind);
        TFontSpec font;
        StoreControlFont(ChosenFont, font);
        c->SetFont(font);
    } catch (...) {
        c->EndUpdate();
        throw;
    }
    c->EndUpdate();
}

void EditParamControl(QObject* shape, TMxDataModel* model)
{
    auto* s = qobject_cast<TVParamControl*>(shape);
    if (!s || !s->ParamControl())
        return;
    TfmParamProp form(s, model);
    form.setWindowModality(Qt::ApplicationModal);
    if (ui::RunModal(form) == QDialog::Accepted)
        form.StoreControl();
}

} // namespace mx
