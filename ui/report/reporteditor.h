#pragma once
// The report editor: a step's report shown as it is designed, to change it
// where it lies (the step's own report object, so the query saves what was
// done). Band switches (title, page header, column header, detail,
// summary, page footer), the page's orientation, the selected control's
// text (a label's caption, an expression, a system datum's prefix) and
// font; controls are moved and resized on the surface. Each change marks
// the step's query modified and says so through changed().

#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;

namespace mx::rpt {
class TQuickRep;
class TQRPrintable;
} // namespace mx::rpt

namespace mx::ui {

class TReportEditor : public QWidget {
    Q_OBJECT
public:
    explicit TReportEditor(QWidget* parent = nullptr);
    ~TReportEditor() override;

    // The report shown (none: nothing). The editor does not own it.
    void SetReport(rpt::TQuickRep* report);
    rpt::TQuickRep* Report() const { return m_report; }
    // The selected control, or none.
    rpt::TQRPrintable* Selected() const;
    void Select(rpt::TQRPrintable* control);

signals:
    void changed();

private:
    struct TUi;
    std::unique_ptr<TUi> m_ui;
    void fill();
    void fillSelection();
    void switchBand(int type, bool on);
    void textEdited();
    void chooseFont();
    void orientationChosen(int index);
    void markChanged();

    rpt::TQuickRep* m_report = nullptr;
    std::vector<std::pair<QCheckBox*, int>> m_switches;
    bool m_filling = false;
};

} // namespace mx::ui
