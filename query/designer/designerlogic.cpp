#include "designerlogic.h"

#include "engine/core/strings.h"
#include "engine/core/userservice.h"

#include "platform/core/inifile.h"

#include <QCoreApplication>

#include <algorithm>

namespace mx {

TDesignerStates ComputeDesignerStates(const TDesignerSituation& s)
{
    TDesignerStates st;
    st.Q = s.hasQuery && s.hasModel;
    st.M = st.Q && s.modified;
    st.S = st.Q && s.hasStep;
    st.F = st.S && s.fieldSelected;
    st.R = st.S && s.entityCount > 0;
    st.domainEnabled = st.Q && s.stepCount == 1 && !st.R;
    return st;
}

QList<TElementState> DesignerElementStates(const TDesignerSituation& s)
{
    const TDesignerStates st = ComputeDesignerStates(s);
    QList<TElementState> out;
    const auto put = [&](std::initializer_list<const char*> names, TElementProperty p, bool value) {
        for (const char* n : names)
            out.append({QString::fromLatin1(n), p, value});
    };
    using P = TElementProperty;
    put({"plbSteps", "olFields"}, P::Enabled, st.Q);
    put({"miQuery", "miStep"}, P::Visible, st.Q);
    put({"miStepDelete", "miDeleteStep"}, P::Enabled, st.S && s.stepIndex > 0);
    put({"miFieldDelete"}, P::Enabled, st.F);
    put({"fbRun", "miQueryRun"}, P::Enabled, st.R);
    put({"miSaveQuery"}, P::Enabled, st.M);
    put({"miSaveQueryAs", "miCloseQuery", "fbParams"}, P::Enabled, st.Q);
    put({"fbStepFilter", "fbCalcFields", "fbSort", "fbDest"}, P::Enabled, st.S);
    put({"laQueryName", "edQueryName", "laViewPrefix", "edViewPrefix", "cbPrintAuto", "cbDumpTables", "laQryInfos",
            "moQryInfos", "laDomain"},
        P::Enabled, st.Q);
    put({"cbPrintAuto"}, P::Checked, st.Q && s.printAuto);
    put({"cbDumpTables"}, P::Checked, st.Q && s.dumpTables);
    put({"cobDomain"}, P::Enabled, st.domainEnabled);
    return out;
}

QString DesignerCaption(bool hasQuery, const QString& queryCaption, bool modified, bool interactive,
    const QString& conception, const QString& appTitle)
{
    QString text;
    if (hasQuery) {
        text = queryCaption;
        if (modified)
            text += u'*';
        if (interactive)
            text += u' ' + conception;
    }
    if (!text.isEmpty())
        text += QStringLiteral(" - ");
    return text + appTitle;
}

TToolBarLayout LayoutToolBar(bool large)
{
    const TButtonMetrics m = kButtonMetrics[large ? 1 : 0];
    TToolBarLayout out;
    out.height = m.size + 2 * m.margin;
    int x = 8;
    const auto button = [&] {
        out.buttons.append(QRect(x, m.margin, m.size + m.margin, m.size));
        x += m.size + m.margin;
    };
    // New, Open | Run | Params, Filter, Calc., Sort, Results |
    const int groups[] = {2, 1, 5};
    for (int count : groups) {
        for (int i = 0; i < count; ++i)
            button();
        x += 8;
    }
    out.aboutLeft = x;
    button();
    return out;
}

int AboutButtonLeft(int clientWidth, int aboutWidth, int aboutLeft)
{
    return std::max(clientWidth - aboutWidth - 8, aboutLeft);
}

QString ToolButtonToolTip(const QString& hint)
{
    return hint.section(u'|', 0, 0);
}

QString ToolButtonCaption(const QString& hint, bool large)
{
    if (!large)
        return {};
    const int bar = hint.indexOf(u'|');
    return bar < 0 ? QString() : hint.mid(bar + 1).mid(1);
}

namespace {

const char* const kLayoutKeys[] = {"WindowState", "Left", "Top", "Width", "Height", "nrpaLeft", "plbSteps", "moSQL"};

std::optional<int> number(const TStrings& lines, const char* key)
{
    bool ok = false;
    const int v = lines.Values(QString::fromLatin1(key)).trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

} // namespace

void WriteDesignerLayout(TStrings& lines, const TDesignerLayout& layout)
{
    lines.Clear();
    const auto put = [&](const char* key, const std::optional<int>& v) {
        if (v)
            lines.Add(QString::fromLatin1(key) + u'=' + QString::number(*v));
    };
    put(kLayoutKeys[0], layout.windowState);
    if (layout.windowState.value_or(0) != 2) {
        put(kLayoutKeys[1], layout.left);
        put(kLayoutKeys[2], layout.top);
        put(kLayoutKeys[3], layout.width);
        put(kLayoutKeys[4], layout.height);
    }
    put(kLayoutKeys[5], layout.leftPane);
    put(kLayoutKeys[6], layout.stepsHeight);
    put(kLayoutKeys[7], layout.sqlHeight);
}

TDesignerLayout ReadDesignerLayout(const TStrings& lines)
{
    TDesignerLayout l;
    l.windowState = number(lines, kLayoutKeys[0]);
    l.left = number(lines, kLayoutKeys[1]);
    l.top = number(lines, kLayoutKeys[2]);
    l.width = number(lines, kLayoutKeys[3]);
    l.height = number(lines, kLayoutKeys[4]);
    l.leftPane = number(lines, kLayoutKeys[5]);
    l.stepsHeight = number(lines, kLayoutKeys[6]);
    l.sqlHeight = number(lines, kLayoutKeys[7]);
    return l;
}

QRect FitOnScreen(const QRect& bounds, const QRect& available)
{
    if (available.isEmpty())
        return bounds;
    QRect r = bounds;
    r.setWidth(std::min(r.width(), available.width()));
    r.setHeight(std::min(r.height(), available.height()));
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() - r.height() + 1));
    return r;
}

bool ReadHideSQL(const QString& installationIni, const QString& userIni)
{
    for (const QString& name : {installationIni, userIni}) {
        if (name.isEmpty())
            continue;
        if (platform::IniFile::open(name)->readInteger(QStringLiteral("Options"), QStringLiteral("HideSQL"), 0) == 1)
            return true;
    }
    return false;
}

TSaveOutcome DecideSaveIfModified(bool modified, const std::function<int()>& ask, const std::function<bool()>& save)
{
    if (!modified)
        return TSaveOutcome::Proceed;
    switch (ask()) {
    case mrYes:
        return save() ? TSaveOutcome::Proceed : TSaveOutcome::Keep;
    case mrNo:
        return TSaveOutcome::Proceed;
    default:
        return TSaveOutcome::Keep;
    }
}

void TDesignerCount::Decrease()
{
    --m_count;
    if (m_count <= 0) {
        m_count = 0;
        if (Quit)
            Quit();
        else if (QCoreApplication::instance())
            QCoreApplication::quit();
    }
}

TDesignerCount& DesignerCount()
{
    static TDesignerCount count;
    return count;
}

} // namespace mx
