#pragma once
// The properties of one control of a parameter dialog: its kind, the
// parameter it answers, its caption, font, picture and values.

#include "engine/model/modeltypes.h"

#include "engine/core/types.h"

#include <QDialog>
#include <QFont>

#include <memory>

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

    QFont ChosenFont;

private:
    // The builder's shape edited and the model its field lists come from,
    // as given when the dialog was made.
    TVParamControl* Shape;
    TMxDataModel* DataModel;
    struct TUi;
    std::unique_ptr<TUi> m_ui;
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
