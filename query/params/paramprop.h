#pragma once
// The properties of one control of a parameter dialog: its kind, the
// parameter it answers, its caption, font, picture and values.

#include "engine/model/modeltypes.h"

#include "engine/core/types.h"

#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace mx {

class TMxDataModel;
class TMxParamControl;
class TVParamControl;

class TfmParamProp : public QDialog {
    Q_OBJECT

public:
    TfmParamProp(TVParamControl* shape, TMxDataModel* model, QWidget* parent = nullptr);
    ~TfmParamProp() override;

    TDlgControlKind SelectedKind() const;
    void UpdatePage();
    void UpdateValues();
    void RefreshButtons();
    // A name typed in cobParamName that no parameter has: a new parameter.
    void ParamNameExit();
    void StoreControl();

    TVParamControl* Shape;
    TMxDataModel* DataModel;

    QComboBox* cobParamName;
    QComboBox* cobParamType;
    QLineEdit* edCaption;
    QComboBox* cobCaptionAlign;
    QPushButton* btFont;
    QPushButton* btPicture;
    QGroupBox* gbValues;
    QStackedWidget* nbk;
    QLineEdit* edOneValue;
    QLineEdit* eduncheckedValue;
    QLineEdit* edCheckedValue;
    QRadioButton* rbStaticValues;
    QRadioButton* rbFieldValues;
    QComboBox* cobValue;
    QListWidget* lbValues;
    QWidget* nrpaValues;
    QPushButton *btAdd, *btUpdate, *btSort, *btDelete, *btEmpty, *btUp, *btDown;
    QCheckBox* cbPreview;
    QCheckBox* cbAllowMultiSelect;
    QPushButton* btOK;
    QPushButton* btCancel;
    QPushButton* btHelp;
    QFont ChosenFont;

private:
    TMxParamControl* control() const;
    void buildControlGroup();
    void buildValuePages();
    void fillParamNames();
    void fieldChosen();
    void move(int by);
    void choosePicture();
    bool m_filling = false;
};

// The properties hook's routine: shape is the builder's TVParamControl.
void EditParamControl(QObject* shape, TMxDataModel* model);

} // namespace mx
