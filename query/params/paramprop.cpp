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

TfmParamProp::TfmParamProp(TVParamControl* shape, TMxDataModel* model, QWidget* parent)
    : QDialog(parent)
    , Shape(shape)
    , DataModel(model)
{
    setObjectName(QStringLiteral("fmParamProp"));
    setWindowTitle(Translate("Paramètre"));
    setProperty("helpContext", 68);
    buildControlGroup();
    buildValuePages();
    btOK = ui::NamedButton(this, "btOK", "&OK");
    btCancel = ui::NamedButton(this, "btCancel", "Annuler");
    btHelp = ui::NamedButton(this, "btHelp", "&Aide");
    btOK->setDefault(false);
    btOK->setAutoDefault(false);
    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(btOK);
    commands->addWidget(btCancel);
    commands->addWidget(btHelp);
    static_cast<QVBoxLayout*>(layout())->addLayout(commands);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    ui::Connect(btOK, &QPushButton::clicked, this, [this] {
        ParamNameExit();
        accept();
    });
    ui::Connect(btCancel, &QPushButton::clicked, this, [this] { reject(); });
    ui::Connect(btHelp, &QPushButton::clicked, this, [this] {
        if (AppGlobal())
            AppGlobal()->ShowFormHelp(this);
    });

    TMxParamControl* c = control();
    m_filling = true;
    for (int k = ckLabel; k <= ckImage; ++k)
        cobParamType->addItem(DlgControlName(TDlgControlKind(k)));
    fillParamNames();
    cobParamType->setCurrentIndex(c ? int(c->Kind()) - 1 : -1);
    cobCaptionAlign->setCurrentIndex(c ? int(c->CaptionAlign()) : 0);
    if (c) {
        cobParamName->setCurrentIndex(cobParamName->findText(c->ParamName()));
        cobParamName->setEditText(c->ParamName());
        edCaption->setText(c->Caption());
        ChosenFont = ControlFont(*c->Font());
    }
    m_filling = false;
    ui::Connect(cobParamType, &QComboBox::currentIndexChanged, this, [this] { UpdatePage(); });
    UpdatePage();
}

TfmParamProp::~TfmParamProp()
{
    // The name's edit loses the focus while the dialog goes: that is no
    // leaving of the field.
    QObject::disconnect(cobParamName->lineEdit(), nullptr, this, nullptr);
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
    cobParamName = ui::Named(new QComboBox(group), "cobParamName");
    cobParamName->setEditable(true);
    cobParamName->setInsertPolicy(QComboBox::NoInsert);
    cobParamType = ui::Named(new QComboBox(group), "cobParamType");
    edCaption = ui::Named(new QLineEdit(group), "edCaption");
    cobCaptionAlign = ui::Named(new QComboBox(group), "cobCaptionAlign");
    for (const char* a : {"Gauche", "Droite", "Haut", "Bas"})
        cobCaptionAlign->addItem(Translate(a));
    btFont = ui::NamedButton(group, "btFont", "&Police...");
    btPicture = ui::NamedButton(group, "btPicture", "&Image...");
    form->addRow(Translate("Pa&ramètre :"), cobParamName);
    form->addRow(Translate("T&ype de saisie :"), cobParamType);
    form->addRow(Translate("&Légende :"), edCaption);
    form->addRow(Translate("Ali&gnement :"), cobCaptionAlign);
    auto* pickers = new QHBoxLayout;
    pickers->addWidget(btFont);
    pickers->addWidget(btPicture);
    pickers->addStretch();
    form->addRow(pickers);
    main->addWidget(group);

    ui::Connect(cobParamName->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (!m_filling)
            ParamNameExit();
    });
    ui::Connect(btFont, &QPushButton::clicked, this, [this] { ui::UiService().PickFont(this, ChosenFont); });
    ui::Connect(btPicture, &QPushButton::clicked, this, [this] { choosePicture(); });
}

void TfmParamProp::buildValuePages()
{
    gbValues = ui::Named(new QGroupBox(Translate("Valeur(s)"), this), "gbValues");
    auto* groupLayout = new QVBoxLayout(gbValues);
    nbk = ui::Named(new QStackedWidget(gbValues), "nbk");
    groupLayout->addWidget(nbk);

    nbk->addWidget(new QWidget);
    auto* one = new QWidget;
    edOneValue = ui::Named(new QLineEdit(one), "edOneValue");
    (new QFormLayout(one))->addRow(Translate("&Valeur initiale :"), edOneValue);
    nbk->addWidget(one);

    auto* two = new QWidget;
    eduncheckedValue = ui::Named(new QLineEdit(two), "eduncheckedValue");
    edCheckedValue = ui::Named(new QLineEdit(two), "edCheckedValue");
    auto* twoForm = new QFormLayout(two);
    twoForm->addRow(Translate("Valeur si &non cochée :"), eduncheckedValue);
    twoForm->addRow(Translate("Valeur si &cochée :"), edCheckedValue);
    nbk->addWidget(two);

    auto* list = new QWidget;
    auto* grid = new QGridLayout(list);
    rbStaticValues = ui::Named(new QRadioButton(Translate("&Définir"), list), "rbStaticValues");
    rbFieldValues = ui::Named(new QRadioButton(Translate("&Champ"), list), "rbFieldValues");
    rbStaticValues->setChecked(true);
    cobValue = ui::Named(new QComboBox(list), "cobValue");
    cobValue->setInsertPolicy(QComboBox::NoInsert);
    lbValues = ui::Named(new QListWidget(list), "lbValues");
    cbPreview = ui::Named(new QCheckBox(Translate("(Aperçu)"), list), "cbPreview");
    cbPreview->setChecked(true);
    cbAllowMultiSelect = ui::Named(new QCheckBox(Translate("A&utoriser la sélection multi-valuée"), list), "cbAllowMultiSelect");
    nrpaValues = ui::Named(new QWidget(list), "nrpaValues");
    auto* column = new QVBoxLayout(nrpaValues);
    column->setContentsMargins(0, 0, 0, 0);
    btAdd = ui::NamedButton(nrpaValues, "btAdd", "A&jouter");
    btUpdate = ui::NamedButton(nrpaValues, "btUpdate", "&Modifier");
    btSort = ui::NamedButton(nrpaValues, "btSort", "&Trier");
    btDelete = ui::NamedButton(nrpaValues, "btDelete", "&Effacer");
    btEmpty = ui::NamedButton(nrpaValues, "btEmpty", "&Vider");
    btUp = ui::NamedButton(nrpaValues, "btUp", "Vers le &haut");
    btDown = ui::NamedButton(nrpaValues, "btDown", "Vert le &bas");
    btUp->setProperty("Tag", -1);
    btDown->setProperty("Tag", 1);
    for (QPushButton* b : {btAdd, btUpdate, btSort, btDelete, btEmpty, btUp, btDown})
        column->addWidget(b);
    column->addStretch();
    auto* modes = new QHBoxLayout;
    modes->addWidget(rbStaticValues);
    modes->addWidget(rbFieldValues);
    modes->addStretch();
    grid->addLayout(modes, 0, 0, 1, 2);
    grid->addWidget(cobValue, 1, 0);
    // The label leads to the list, so its "&" marks a mnemonic, not a
    // character shown.
    auto* laValues = new QLabel(Translate("Valeur&s :"), list);
    laValues->setObjectName(QStringLiteral("laValues"));
    laValues->setBuddy(lbValues);
    grid->addWidget(laValues, 2, 0);
    grid->addWidget(lbValues, 3, 0);
    grid->addWidget(nrpaValues, 1, 1, 3, 1);
    grid->addWidget(cbPreview, 4, 0);
    grid->addWidget(cbAllowMultiSelect, 5, 0, 1, 2);
    nbk->addWidget(list);
    static_cast<QVBoxLayout*>(layout())->addWidget(gbValues);

    // Without a data model there are no fields to bind to.
    rbFieldValues->setEnabled(DataModel != nullptr);

    ui::Connect(rbStaticValues, &QRadioButton::clicked, this, [this] { UpdateValues(); });
    ui::Connect(rbFieldValues, &QRadioButton::clicked, this, [this] { UpdateValues(); });
    ui::Connect(lbValues, &QListWidget::itemClicked, this, [this] {
        if (rbStaticValues->isChecked() && lbValues->currentItem())
            cobValue->setEditText(lbValues->currentItem()->text());
        RefreshButtons();
    });
    ui::Connect(lbValues, &QListWidget::currentRowChanged, this, [this] { RefreshButtons(); });
    ui::Connect(cobValue, &QComboBox::editTextChanged, this, [this] { RefreshButtons(); });
    ui::Connect(cobValue, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling && rbFieldValues->isChecked())
            fieldChosen();
    });
    ui::Connect(cbPreview, &QCheckBox::clicked, this, [this] {
        if (rbFieldValues->isChecked())
            fieldChosen();
    });
    ui::Connect(cbAllowMultiSelect, &QCheckBox::clicked, this, [this](bool on) {
        if (TMxParamControl* c = control())
            c->SetAllowMultiSelect(on);
    });
    ui::Connect(btAdd, &QPushButton::clicked, this, [this] {
        lbValues->addItem(cobValue->currentText());
        cobValue->setEditText(QString());
        RefreshButtons();
    });
    ui::Connect(btUpdate, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem* item = lbValues->currentItem())
            item->setText(cobValue->currentText());
        RefreshButtons();
    });
    ui::Connect(btSort, &QPushButton::clicked, this, [this] {
        lbValues->sortItems();
        RefreshButtons();
    });
    ui::Connect(btDelete, &QPushButton::clicked, this, [this] {
        delete lbValues->takeItem(lbValues->currentRow());
        RefreshButtons();
    });
    ui::Connect(btEmpty, &QPushButton::clicked, this, [this] {
        lbValues->clear();
        RefreshButtons();
    });
    ui::Connect(btUp, &QPushButton::clicked, this, [this] { move(-1); });
    ui::Connect(btDown, &QPushButton::clicked, this, [this] { move(1); });
}

void TfmParamProp::fillParamNames()
{
    const QString text = cobParamName->currentText();
    const bool filling = m_filling;
    m_filling = true;
    cobParamName->clear();
    if (TMxParamList* params = Shape ? Shape->Builder()->Params : nullptr)
        for (int i = 0; i < params->Count(); ++i)
            cobParamName->addItem(params->Items(i)->Name());
    cobParamName->setEditText(text);
    m_filling = filling;
}

TDlgControlKind TfmParamProp::SelectedKind() const
{
    return TDlgControlKind(cobParamType->currentIndex() + 1);
}

void TfmParamProp::UpdatePage()
{
    TMxParamControl* c = control();
    const TDlgControlClass& kind = DlgControlClass(SelectedKind());
    cobParamName->setEnabled(kind.Flags & dfBound);
    if (!cobParamName->isEnabled())
        cobParamName->setEditText(QString());
    btPicture->setEnabled(kind.Flags & dfPicture);
    btFont->setEnabled(kind.Flags & dfFont);
    edCaption->setEnabled(kind.Flags & dfCaption);
    cobCaptionAlign->setEnabled(edCaption->isEnabled() && !(kind.Flags & dfOwnCaption));
    nbk->setCurrentIndex(kind.ValuePage);
    // the notebook takes the height of the page shown
    for (int i = 0; i < nbk->count(); ++i)
        nbk->widget(i)->setSizePolicy(QSizePolicy::Preferred, i == kind.ValuePage ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    gbValues->setVisible(kind.ValuePage != 0);
    const QStringList values = c ? c->Values()->toStringList() : QStringList();
    switch (kind.ValuePage) {
    case 1:
        edOneValue->setText(values.value(0));
        break;
    case 2:
        if (values.size() >= 2) {
            eduncheckedValue->setText(values[0]);
            edCheckedValue->setText(values[1]);
        }
        break;
    case 3:
        lbValues->clear();
        lbValues->addItems(values);
        if (c && c->TableId() != -1 && DataModel)
            rbFieldValues->setChecked(true);
        else
            rbStaticValues->setChecked(true);
        cbAllowMultiSelect->setVisible(SelectedKind() == ckListBox);
        cbAllowMultiSelect->setChecked(c && c->AllowMultiSelect());
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
    const bool fields = rbFieldValues->isChecked();
    nrpaValues->setVisible(!fields);
    cbPreview->setVisible(fields);
    cobValue->clear();
    cobValue->setEditable(!fields);
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
            cobValue->addItem(e.first, e.second);
        TMxParamControl* c = control();
        cobValue->setCurrentIndex(c ? cobValue->findText(c->FieldFullName()) : -1);
    }
    m_filling = false;
    if (lbValues->count() > 0)
        lbValues->setCurrentRow(0);
    RefreshButtons();
}

void TfmParamProp::fieldChosen()
{
    TMxParamControl* c = control();
    lbValues->clear();
    if (!c)
        return;
    const QVariant index = cobValue->currentData();
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
        if (cbPreview->isChecked())
            c->FillValues(DataModel, 10);
        else
            c->Values()->Clear();
    }
    c->EndUpdate();
    lbValues->addItems(c->Values()->toStringList());
    RefreshButtons();
}

void TfmParamProp::RefreshButtons()
{
    const QString text = cobValue->currentText();
    const int row = lbValues->currentRow();
    const int count = lbValues->count();
    bool present = false;
    for (int i = 0; i < count; ++i)
        present = present || lbValues->item(i)->text() == text;
    btAdd->setEnabled(!text.isEmpty() && !present);
    btUpdate->setEnabled(row >= 0 && !text.isEmpty());
    btDelete->setEnabled(row >= 0);
    btSort->setEnabled(count > 0);
    btEmpty->setEnabled(count > 0);
    btUp->setEnabled(row > 0);
    btDown->setEnabled(row >= 0 && row < count - 1);
}

void TfmParamProp::move(int by)
{
    const int row = lbValues->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= lbValues->count())
        return;
    QListWidgetItem* item = lbValues->takeItem(row);
    lbValues->insertItem(to, item);
    lbValues->setCurrentRow(to);
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
    const QString name = cobParamName->currentText();
    if (!params || name.isEmpty() || !cobParamName->isEnabled() || params->FindByName(name))
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
    cobParamName->setEditText(finalName);
    if (confirmed)
        edCaption->setText(finalName);
    cobParamName->setFocus();
}

void TfmParamProp::StoreControl()
{
    TMxParamControl* c = control();
    if (!c)
        return;
    const TDlgControlKind kind = SelectedKind();
    c->BeginUpdate();
    try {
        c->SetParamName(cobParamName->currentText());
        c->SetCaption(edCaption->text());
        c->SetCaptionAlign(TCaptionAlign(std::max(cobCaptionAlign->currentIndex(), 0)));
        QStringList values;
        switch (DlgControlClass(kind).ValuePage) {
        case 1:
            values << edOneValue->text();
            break;
        case 2:
            values << eduncheckedValue->text() << edCheckedValue->text();
            break;
        case 3:
            for (int i = 0; i < lbValues->count(); ++i)
                values << lbValues->item(i)->text();
            if (rbStaticValues->isChecked()) {
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
