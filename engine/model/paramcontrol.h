#pragma once
// The controls of a query's parameter dialog, and the dialog itself.

#include "fontspec.h"
#include "modeltypes.h"
#include "picturespec.h"

#include "engine/core/list.h"
#include "engine/core/strings.h"
#include "engine/core/types.h"

#include <memory>

namespace mx {

class TMxDataModel;

class TMxParamControl : public TMxItem {
    MX_CLASS(TMxParamControl)
public:
    explicit TMxParamControl(TMxItem* owner);
    ~TMxParamControl() override;

    TDlgControlKind Kind() const { return m_kind; }
    void SetKind(TDlgControlKind value);
    // The values the control offers.
    TStrings* Values() const { return m_values.get(); }
    void SetValues(const TStrings& value);
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    TCaptionAlign CaptionAlign() const { return m_captionAlign; }
    void SetCaptionAlign(TCaptionAlign value);
    // The parameter the control sets. A caption that was the old name
    // follows a new name.
    const QString& ParamName() const { return m_paramName; }
    void SetParamName(const QString& value);
    int DesignX() const { return m_designX; }
    void SetDesignX(int value);
    int DesignY() const { return m_designY; }
    void SetDesignY(int value);
    int DesignW() const { return m_designW; }
    void SetDesignW(int value);
    int DesignH() const { return m_designH; }
    void SetDesignH(int value);
    TFontSpec* Font() const { return m_font.get(); }
    void SetFont(const TFontSpec& value);
    int TableId() const { return m_tableId; }
    void SetTableId(int value);
    const QString& FieldName() const { return m_fieldName; }
    void SetFieldName(const QString& value);
    const QString& FieldFullName() const { return m_fieldFullName; }
    void SetFieldFullName(const QString& value);
    bool AllowMultiSelect() const { return m_allowMultiSelect; }
    void SetAllowMultiSelect(bool value);
    TPictureSpec* Picture() const { return m_picture.get(); }
    void SetPicture(const TPictureSpec& value);
    // The values chosen when the dialog was answered (not stored).
    TStrings* LoadedValues() const { return m_loadedValues.get(); }

    // Loads Values with at most maxCount distinct values of the bound
    // field, read through the database driver. What is missing on the way
    // (field, table, database item, dialect) is reported as a warning and
    // leaves Values empty. Observers see one change.
    void FillValues(TMxDataModel* model, int maxCount);

    void Destroying() override;
    void Assign(const TPersistent* source) override;

private:
    TDlgControlKind m_kind = ckEdit;
    std::unique_ptr<TStrings> m_values;
    QString m_caption;
    TCaptionAlign m_captionAlign = caLeft;
    QString m_paramName;
    int m_designX = 0;
    int m_designY = 0;
    int m_designW = 0;
    int m_designH = 0;
    std::unique_ptr<TFontSpec> m_font;
    int m_tableId = 0;
    QString m_fieldName;
    QString m_fieldFullName;
    bool m_allowMultiSelect = false;
    std::unique_ptr<TPictureSpec> m_picture;
    std::unique_ptr<TStrings> m_loadedValues;
};

class TMxParamControlList : public TMxTypedList<TMxParamControl> {
    MX_CLASS(TMxParamControlList)
public:
    using TMxTypedList::TMxTypedList;

    int DesignW() const { return m_designW; }
    void SetDesignW(int value);
    int DesignH() const { return m_designH; }
    void SetDesignH(int value);

    // Among the controls (labels aside) of that parameter name, compared
    // without regard to case: the first that holds answers, else the first.
    TMxParamControl* FindByParamName(const QString& name) const;
    // Shows the dialog through the prompter; False without one.
    bool Execute(TMxDataModel* model, const QString& caption, TStrings& values, bool testing);

    void Assign(const TPersistent* source) override;

private:
    int m_designW = 400;
    int m_designH = 300;
};

} // namespace mx
