#pragma once
// The parameter editor: a query's parameters on the left, the palette of
// control kinds and the dialog builder on the right. It works on copies
// and writes them back only on Ok.

#include "engine/core/types.h"

#include <QDialog>
#include <QSize>

#include <memory>

namespace mx {

namespace ui {
class TObservedListModel;
class TItemObserver;
} // namespace ui

class TMxDataModel;
class TMxParam;
class TMxParamControlList;
class TMxParamList;

class TfmParamEditor : public QDialog {
    Q_OBJECT

public:
    TfmParamEditor(TMxDataModel* model, TMxParamControlList* controls, TMxParamList* params, QWidget* parent = nullptr);
    ~TfmParamEditor() override;

    // The editor's own copy of the parameters.
    TMxParamList* Params() const { return m_params; }
    TDlgControlKind PaletteKind() const { return m_paletteKind; }
    TMxParam* SelectedParam() const;
    // Writes the copies back into the caller's lists.
    void StoreInto(TMxParamControlList* controls, TMxParamList* params);

    void AtStateChange();
    void AtNewClick();
    void AtParamsDblClick();
    void AtDeleteClick();
    void AtTestClick();
    void BtOkClick();
    void AtParamMouseDown(QPoint at);
    void AtParamDragDrop(QPoint at);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLeft();
    void buildRight();
    void buildMenu();
    void paramAdded(TMxItem* item);
    void paramRemoved(TMxItem* item);
    QModelIndex lineOf(const TMxParam* param) const;
    void layoutCommands();
    void storeDesignSize();

    struct TUi;
    std::unique_ptr<TUi> m_ui;
    TMxParamList* m_params;
    ui::TItemObserver* m_observer;
    ui::TObservedListModel* m_lines; // the list's lines, keyed by parameter Id
    TDlgControlKind m_paletteKind = ckNone;
    bool m_paramDrag = false;
    QSize m_designSize;   // the design's size as it came
    QSize m_openedSize;   // the window's size as it opened
};

// The editor's hook routine: the caption is not shown (the window keeps
// its own); controls and params change only on Ok.
void EditParams(const QString& caption, TMxDataModel* model, TMxParamControlList* controls, TMxParamList* params);

} // namespace mx
