#include "splitterrules.h"

#include <QStringList>

#include <algorithm>

namespace mx::ui {
namespace {

constexpr int kMarqueeMax = 65535;

// A plain decimal number in 0..65535 (blanks around it allowed).
bool readValue(const QString& text, int& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 5)
        return false;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return false;
    value = t.toInt();
    return value <= kMarqueeMax;
}

} // namespace

QList<TMarquee> ParseMarquees(const QString& text)
{
    QList<TMarquee> out;
    int last = -1;
    for (const QString& entry : text.split(u';')) {
        if (entry.trimmed().isEmpty())
            continue;
        TMarquee m;
        const qsizetype dash = entry.indexOf(u'-');
        if (dash < 0) {
            if (!readValue(entry, m.low))
                continue;
            m.high = m.low;
        } else if (!readValue(entry.left(dash), m.low) || !readValue(entry.mid(dash + 1), m.high)) {
            continue;
        }
        if (m.high < m.low)
            std::swap(m.low, m.high);
        if (m.low < last)
            m.low = last + 1;
        // Lifting the low end alone could turn the range round ("10-20;
        // 20-19" would give 21-20, and snapping would then leave the size
        // outside its own range).
        if (m.high < m.low)
            m.high = m.low;
        if (m.high > kMarqueeMax)
            continue;
        last = m.high;
        out.append(m);
    }
    return out;
}

QString FormatMarquees(const QList<TMarquee>& marquees)
{
    QStringList parts;
    for (const TMarquee& m : marquees)
        parts << (m.low == m.high ? QString::number(m.low) : QStringLiteral("%1-%2").arg(m.low).arg(m.high));
    return parts.join(u';');
}

TSplitSize ComputeSplitSize(int proposed, const TSplitLimits& limits, const std::function<void(int&)>& onMoving)
{
    TSplitSize r;
    int size = proposed;
    if (limits.scale > 1)
        size = size / limits.scale * limits.scale;
    if (onMoving)
        onMoving(size);
    if (limits.useMarquees && !limits.marquees.isEmpty()) {
        for (int i = 0; i < limits.marquees.size(); ++i)
            if (limits.marquees[i].low <= size)
                r.marqueeIndex = i;
        const TMarquee& m = limits.marquees[r.marqueeIndex];
        size = std::clamp(size, m.low, m.high);
    }
    if (size > limits.maximum)
        size = limits.maximum;
    if (size < limits.lowMinSize)
        size = limits.lowMinSize;
    r.size = size;
    return r;
}

} // namespace mx::ui
