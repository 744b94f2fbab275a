#pragma once
// The rules of the result options dialog, without widgets: a step's
// destinations with their file names, the outer sides of its joins that
// the user may choose, and whether identical rows are removed. Made on a
// step, it opens an edit of the destinations' settings; Commit writes the
// choices and keeps the settings, Cancel puts everything back as it was.

#include <QString>

#include <vector>

namespace mx {

class TMxQueryStep;
class TQueryDestinationItem;

class TDestinationsEditor {
public:
    explicit TDestinationsEditor(TMxQueryStep* step);
    ~TDestinationsEditor();
    TDestinationsEditor(const TDestinationsEditor&) = delete;
    TDestinationsEditor& operator=(const TDestinationsEditor&) = delete;

    TMxQueryStep* Step() const { return m_step; }

    // One box per outer side a join allows, in join order, the left side
    // first: tag i + 1 for the left side of join i, -(i + 1) for its right.
    struct TJoinBox {
        int tag = 0;
        QString caption;
        bool checked = false;
    };
    const std::vector<TJoinBox>& JoinBoxes() const { return m_boxes; }

    bool CreateViewEnabled() const { return m_createViewEnabled; }
    bool CreateView() const { return m_createView; }
    bool DistinctSelect() const { return m_distinct; }

    int DestinationCount() const;
    TQueryDestinationItem* Destination(int index) const;

    // What the dialog shows when the user confirms: the state of each box
    // (by tag), the two options, the file name of each destination.
    struct TChoices {
        std::vector<std::pair<int, bool>> boxes;
        bool createView = false;
        bool distinct = false;
        std::vector<QString> fileNames;
    };
    void Commit(const TChoices& choices);
    // Puts back the destinations' settings, and takes out the destination
    // made for a step that had none.
    void Cancel();

    // "Editer", "Voir", "Imprimer" on destination index with the step's
    // result. False (nothing done) when the step has no active result.
    enum class TAction { Customize, View, Print };
    bool Act(TAction action, int index);

private:
    TMxQueryStep* m_step;
    std::vector<TJoinBox> m_boxes;
    bool m_createViewEnabled = false;
    bool m_createView = false;
    bool m_distinct = false;
    TQueryDestinationItem* m_added = nullptr;
    bool m_done = false;
};

} // namespace mx
