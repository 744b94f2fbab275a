#pragma once
// The rules of the splitter that need no widget: its snap ranges
// ("marquees") and the size a drag step comes to.

#include <QList>
#include <QString>

#include <functional>

namespace mx::ui {

// One snap range: sizes from low to high.
struct TMarquee {
    int low = 0;
    int high = 0;
    bool operator==(const TMarquee&) const = default;
};

// Reads "39;63" or "10-20;50": entries separated by ";", each a number
// (low = high) or "low-high" (swapped when written the other way round).
// The list comes out ascending: an entry that starts below the end of the
// one before is lifted just above it, and a range lifted that way keeps
// low <= high. Entries that are not decimal numbers, and values outside
// 0..65535 (also after lifting), are left out.
QList<TMarquee> ParseMarquees(const QString& text);
// The entries joined by ";": "39" when low = high, else "10-20".
QString FormatMarquees(const QList<TMarquee>& marquees);

// What bounds the size of the control being resized.
struct TSplitLimits {
    int scale = 1;       // sizes are rounded down to a multiple of it
    int lowMinSize = 2;  // smallest size; wins over maximum
    int maximum = 0;     // largest size
    bool useMarquees = false;
    QList<TMarquee> marquees;
};

struct TSplitSize {
    int size = 0;
    int marqueeIndex = 0;
};

// The size for a proposed one: rounded down to the scale, offered to
// onMoving (which may change it), snapped into its range (the last range
// whose low is at most the size, else the first), then held between the
// maximum and the minimum size, the minimum winning.
TSplitSize ComputeSplitSize(int proposed, const TSplitLimits& limits, const std::function<void(int&)>& onMoving);

} // namespace mx::ui
