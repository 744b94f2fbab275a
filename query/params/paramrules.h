#pragma once
// The rules of a query's parameter dialog, apart from its widgets: the
// table of control kinds, the 6-pixel grid and the shape geometry, the
// mouse's handles, the prompter's button placement, the answers a control
// gives, the check of a designed dialog and the editing of one parameter.
// QtCore only; the widgets of query/params display and forward.

#include "engine/core/types.h"
#include "engine/model/modeltypes.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>

namespace mx {

class TMxParam;
class TMxParamControlList;
class TMxParamList;

// Kind flags.
enum : int {
    dfBound = 0x01,       // bound to a parameter name
    dfCaption = 0x02,     // has a caption
    dfOwnCaption = 0x04,  // shows its own caption: no companion label, no alignment
    dfFont = 0x08,        // has a font
    dfPicture = 0x10,     // has a picture
};

struct TDlgControlClass {
    const char* Name; // French, shown through Translate
    int ValuePage;    // 0 none, 1 one value, 2 two values, 3 a list
    int Flags;
};

const TDlgControlClass& DlgControlClass(TDlgControlKind kind);
// The translated kind name.
QString DlgControlName(TDlgControlKind kind);

// The grid of the builder, the border of a shape, the gap of a label.
inline constexpr int kGrid = 6;
inline constexpr int kShapeBorder = 6;
inline constexpr int kLabelGap = 5;

// Rounded down to the grid (towards minus infinity).
int Snap(int v);
QPoint Snap(QPoint p);

// The size a dropped control takes (a label takes its text's size).
// itemHeight is a list line's height.
QSize DefaultControlSize(TDlgControlKind kind, int itemHeight);

// A shape's bounds asked as (left, top, width, height) from its current
// ones: negative left and top become 0, a zero width or height keeps the
// current one.
QRect ShapeRequest(const QRect& current, int left, int top, int width, int height);
// The live control inside a shape, and the shape around a control.
QRect ControlRectOf(const QRect& shape);
QRect ShapeRectOf(const QRect& control);
// The top-left of a companion label of size label beside a control.
QPoint CaptionPos(TCaptionAlign align, const QRect& control, QSize label);

// The handles of a selected shape: column i and row j in 0..2.
QRect HandleRect(QSize shape, int column, int row);
// Edges a press at p marks (none: the centre).
enum : int { deLeft = 0x01, deRight = 0x02, deTop = 0x04, deBottom = 0x08 };
int EdgesAt(QSize shape, QPoint p);
// A mouse move of a drag on a shape, in the shape's own coordinates
// snapped: start and last are the press point and the previous point.
// The change applies to every selected shape's rectangle.
struct TDragStep {
    int dx = 0, dy = 0, dw = 0, dh = 0;
};
TDragStep DragStep(int edges, QPoint start, QPoint last, QPoint now);
QRect ApplyDragStep(const QRect& r, const TDragStep& s);

// The prompter's window: its client size and its two buttons for a
// design of w x h (buttons below when wider than tall, else to the right).
struct TPrompterLayout {
    QSize client;
    QRect ok;
    QRect cancel;
};
inline constexpr QSize kPrompterButton{80, 26};
TPrompterLayout PrompterLayout(int designW, int designH);

// The command bar of the parameter editor: btTest, btOk, btCancel,
// btHelp, right-aligned.
QList<QRect> CommandBarLayout(int barWidth, int barHeight);

// What a live control shows when the dialog is answered.
struct TControlState {
    QString text;           // edit and combo
    QList<int> selected;    // list: the selected lines, in list order
    int lineCount = 0;      // list: its lines
    QStringList lines;      // list: its lines' texts
    bool checked = false;   // check box, radio button
};
// The answers of a control of that kind and those values.
QStringList ControlAnswers(TDlgControlKind kind, const QStringList& values, const TControlState& state);

// What a control shows again for the answers it gave last (a prompt that
// comes back keeps the user's choices); lines: a list's lines. False when
// the answers say nothing to show again (none given, a list that answered
// every line, a radio button left unchecked): the control keeps its
// design.
bool StateOfAnswers(TDlgControlKind kind, const QStringList& values, const QStringList& answers,
    const QStringList& lines, TControlState& state);

// The check of a designed dialog. ask shows a warning with Yes, No and
// Cancel and returns the answer (mrYes...); repair opens the properties of
// control i. False when something is wrong.
bool CheckParamControls(const TMxParamControlList& controls, const TMxParamList* params,
    const std::function<int(const QString&)>& ask, const std::function<void(int)>& repair);

// The six parameter type names, translated, in type order.
QStringList ParamTypeNames();
// Edits a parameter's name and type through the type dialog's hook; False
// without the hook or when cancelled (the parameter is then untouched).
bool EditParam(TMxParam* param);

} // namespace mx
