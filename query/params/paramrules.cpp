#include "paramrules.h"

#include "engine/core/translate.h"
#include "engine/core/userservice.h"
#include "engine/model/param.h"
#include "engine/model/paramcontrol.h"
#include "engine/tools/hooks.h"

#include <algorithm>
#include <array>

namespace mx {

namespace {

const std::array<TDlgControlClass, 9> kKinds = {{
    {"", 0, 0x04},
    {"Texte", 0, 0x0E},
    {"Saisie", 1, 0x0B},
    {"Liste", 3, 0x0B},
    {"Combo", 3, 0x03},
    {"Choix", 2, 0x0F},
    {"Option", 1, 0x0F},
    {"Cadre", 0, 0x04},
    {"Image", 0, 0x14},
}};

} // namespace

const TDlgControlClass& DlgControlClass(TDlgControlKind kind)
{
    const int i = int(kind);
    return kKinds[i >= 0 && i < int(kKinds.size()) ? i : 0];
}

QString DlgControlName(TDlgControlKind kind)
{
    const char* name = DlgControlClass(kind).Name;
    return *name ? Translate(name) : QString();
}

int Snap(int v)
{
    // towards minus infinity, so that the grid is the same on both sides of 0
    const int q = v >= 0 ? v / kGrid : -((-v + kGrid - 1) / kGrid);
    return q * kGrid;
}

QPoint Snap(QPoint p)
{
    return {Snap(p.x()), Snap(p.y())};
}

QSize DefaultControlSize(TDlgControlKind kind, int itemHeight)
{
    switch (kind) {
    case ckEdit:
        return {121, 21};
    case ckListBox:
        return {121, 5 * itemHeight};
    case ckCombo:
        return {145, 21};
    case ckCheck:
        return {97, 17};
    case ckRadio:
        return {113, 17};
    case ckBevel:
        return {50, 50};
    case ckImage:
        return {105, 105};
    default:
        return {65, 13};
    }
}

QRect ShapeRequest(const QRect& current, int left, int top, int width, int height)
{
    return QRect(std::max(left, 0), std::max(top, 0), width == 0 ? current.width() : width,
        height == 0 ? current.height() : height);
}

QRect ControlRectOf(const QRect& shape)
{
    return shape.adjusted(kShapeBorder, kShapeBorder, -kShapeBorder, -kShapeBorder);
}

QRect ShapeRectOf(const QRect& control)
{
    return control.adjusted(-kShapeBorder, -kShapeBorder, kShapeBorder, kShapeBorder);
}

QPoint CaptionPos(TCaptionAlign align, const QRect& control, QSize label)
{
    switch (align) {
    case caRight:
        return {control.x() + control.width() + kLabelGap, control.y()};
    case caTop:
        return {control.x(), control.y() - kLabelGap - label.height()};
    case caBottom:
        return {control.x(), control.y() + control.height() + kLabelGap};
    case caLeft:
    default:
        return {control.x() - kLabelGap - label.width(), control.y()};
    }
}

QRect HandleRect(QSize shape, int column, int row)
{
    const auto at = [](int i, int extent) { return i == 0 ? 0 : i == 1 ? (extent - kShapeBorder) / 2 : extent - kShapeBorder; };
    return QRect(at(column, shape.width()), at(row, shape.height()), kShapeBorder, kShapeBorder);
}

int EdgesAt(QSize shape, QPoint p)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            if (!HandleRect(shape, i, j).contains(p))
                continue;
            int edges = 0;
            if (i == 0)
                edges |= deLeft;
            if (i == 2)
                edges |= deRight;
            if (j == 0)
                edges |= deTop;
            if (j == 2)
                edges |= deBottom;
            return edges;
        }
    return 0;
}

TDragStep DragStep(int edges, QPoint start, QPoint last, QPoint now)
{
    TDragStep s;
    if (edges == 0) {
        s.dx = now.x() - start.x();
        s.dy = now.y() - start.y();
        return s;
    }
    if (edges & deRight)
        s.dw += now.x() - last.x();
    if (edges & deBottom)
        s.dh += now.y() - last.y();
    if (edges & deLeft) {
        s.dx = now.x() - start.x();
        s.dw -= s.dx;
    }
    if (edges & deTop) {
        s.dy = now.y() - start.y();
        s.dh -= s.dy;
    }
    return s;
}

QRect ApplyDragStep(const QRect& r, const TDragStep& s)
{
    return QRect(r.x() + s.dx, r.y() + s.dy, r.width() + s.dw, r.height() + s.dh);
}

TPrompterLayout PrompterLayout(int designW, int designH)
{
    const int bw = kPrompterButton.width();
    const int bh = kPrompterButton.height();
    TPrompterLayout l;
    if (designH < designW) {
        const int w = std::max(designW, 3 * bw + 32);
        const int h = designH + bh + 16;
        l.client = QSize(w, h);
        l.cancel = QRect(w - 8 - bw, h - 8 - bh, bw, bh);
        l.ok = QRect(l.cancel.x() - 8 - bw, l.cancel.y(), bw, bh);
    } else {
        const int h = std::max(designH, 3 * bh + 32);
        const int w = designW + bw + 16;
        l.client = QSize(w, h);
        l.ok = QRect(w - 8 - bw, 8, bw, bh);
        l.cancel = QRect(l.ok.x(), 8 + bh + 8, bw, bh);
    }
    return l;
}

QList<QRect> CommandBarLayout(int barWidth, int barHeight)
{
    const int w = barWidth < 360 ? (barWidth - 40) / 4 : 80;
    const int h = 25;
    const int top = (barHeight - h) / 2;
    QList<QRect> r;
    int right = barWidth - 8;
    for (int i = 0; i < 4; ++i) {
        r.prepend(QRect(right - w, top, w, h));
        right -= w + 8;
    }
    return r;
}

QStringList ControlAnswers(TDlgControlKind kind, const QStringList& values, const TControlState& state)
{
    switch (kind) {
    case ckEdit:
    case ckCombo:
        return {state.text};
    case ckListBox: {
        if (state.lineCount > 0 && state.selected.size() == state.lineCount)
            return {}; // every line: no restriction
        QStringList answers;
        for (int i : state.selected)
            if (i >= 0 && i < state.lines.size())
                answers << state.lines[i];
        return answers;
    }
    case ckCheck: {
        // A check box whose values were never confirmed may lack a line:
        // it then answers nothing rather than a line it does not have.
        const int line = state.checked ? 1 : 0;
        if (line < values.size())
            return {values[line]};
        return {};
    }
    case ckRadio:
        return state.checked ? values : QStringList();
    default:
        return {};
    }
}

bool StateOfAnswers(TDlgControlKind kind, const QStringList& values, const QStringList& answers,
    const QStringList& lines, TControlState& state)
{
    if (answers.isEmpty())
        return false;
    state = TControlState();
    switch (kind) {
    case ckEdit:
    case ckCombo:
        state.text = answers.first();
        return true;
    case ckListBox:
        state.lines = lines;
        state.lineCount = int(lines.size());
        for (int i = 0; i < lines.size(); ++i)
            if (answers.contains(lines[i]))
                state.selected << i;
        return true;
    case ckCheck:
        if (values.size() < 2)
            return false;
        state.checked = answers.first() == values[1];
        return true;
    case ckRadio:
        state.checked = true;
        return true;
    default:
        return false;
    }
}

bool CheckParamControls(const TMxParamControlList& controls, const TMxParamList* params,
    const std::function<int(const QString&)>& ask, const std::function<void(int)>& repair)
{
    bool ok = true;
    // Yes repairs, No goes on, Cancel ends the check at once.
    const auto question = [&](const QString& text, int index) {
        ok = false;
        switch (ask(text)) {
        case mrYes:
            repair(index);
            return true;
        case mrNo:
            return true;
        default:
            return false;
        }
    };
    for (int i = 0; i < controls.Count(); ++i) {
        const TMxParamControl* c = controls.Items(i);
        const TDlgControlClass& kind = DlgControlClass(c->Kind());
        if ((kind.Flags & dfBound) && !(params && params->FindByName(c->ParamName()))) {
            QString text = c->ParamName().isEmpty()
                ? Translate(QStringLiteral("Vous n'avez pas défini de paramètre pour certains composants dans votre fiche de requête."))
                : TranslateFmt(QStringLiteral("Vous utilisez le paramètre '%s' dans votre fiche de requête."), {c->ParamName()})
                    + u'\n' + Translate(QStringLiteral("Ce paramètre n'existe plus ou a été renommé."));
            text += u'\n' + Translate(QStringLiteral("Voulez-vous réassigner un autre paramètre ?"));
            if (!question(text, i))
                return false;
        }
        // Only the kinds that offer a list have one to complete: a control
        // once a list and now an edit keeps TableId -1 and needs no values.
        c = controls.Items(i);
        if (DlgControlClass(c->Kind()).ValuePage == 3
            && ((c->TableId() != -1 && c->FieldName().isEmpty()) || (c->TableId() == -1 && c->Values()->Count() == 0))) {
            const QString text = Translate(QStringLiteral("Un paramètre de type liste n'est pas complètement défini.")) + u'\n'
                + Translate(QStringLiteral("Voulez-vous modifier la définition de ce paramètre ?"));
            if (!question(text, i))
                return false;
        }
    }
    return ok;
}

QStringList ParamTypeNames()
{
    QStringList names;
    for (const TFieldTypeName& t : FieldTypeNames)
        names << Translate(t.name);
    return names;
}

bool EditParam(TMxParam* param)
{
    if (!param || !ParamTypeEditorHook)
        return false;
    QString name = param->Name();
    int type = int(param->ParamType());
    if (!ParamTypeEditorHook(name, type, ParamTypeNames()))
        return false;
    param->SetName(name);
    if (type >= 0 && type <= int(ptTime))
        param->SetParamType(TParamType(type));
    return true;
}

} // namespace mx
