#pragma once
// The open designer windows, as the local server and the exported
// functions see them. The designer window (a user-interface unit, which
// this library does not link) joins the registry when it is built and
// leaves it when it is destroyed; the server finds a designer's query by
// its name, runs it through the designer's own run, and asks for a new
// designer window through the factory.
//
// A designer window:
//   - implements TServedDesigner;
//   - holds a TDesignerRegistration member made in its constructor's body,
//     once everything the three functions use exists, and destroyed before
//     anything they use (reset it first thing in the destructor);
//   - holds a TEngineBusyScope (enginebusy.h) around its own Run command,
//     so that no request of another program is served inside it;
//   - never frees its query while RunDesignerQuery runs.
// The designer window's unit fills CreateDesigner once, at start.
//
// Used on the program's main thread only.

#include <QList>
#include <QString>

#include <functional>

namespace mx {

class TMxQuery;

class TServedDesigner {
public:
    // The query the window edits; none when it holds no query.
    virtual TMxQuery* DesignerQuery() = 0;
    // Runs the window's query as its Run command does: the views over the
    // steps' results (the grid, the report) let go of them, the query runs
    // (ExecuteQuery: the parameters asked, every step run), and the views
    // are bound to the new results. Raises what the run raises; the views
    // then stay unbound, as after a failed Run command.
    virtual void RunDesignerQuery() = 0;
    // Shows the window and brings it to the front.
    virtual void ShowDesigner() = 0;

protected:
    ~TServedDesigner() = default;
};

class TDesignerRegistry {
public:
    // Appends a designer (creation order); a designer already there stays
    // where it is.
    void Add(TServedDesigner* designer);
    void Remove(TServedDesigner* designer);

    // The number of open designer windows.
    int Count() const { return int(m_designers.size()); }
    // In creation order.
    QList<TServedDesigner*> Designers() const { return m_designers; }

    // The first designer, in creation order, whose query is named name,
    // without regard to case; none when no designer holds such a query.
    TServedDesigner* FindByQueryName(const QString& name) const;
    // The first designer holding no query.
    TServedDesigner* FindEmpty() const;

    // Builds and shows a new designer window with no query; raises what
    // the window raises. Empty until the designer window's unit fills it.
    std::function<void()> CreateDesigner;

private:
    QList<TServedDesigner*> m_designers;
};

// The process's registry.
TDesignerRegistry& DesignerRegistry();

// Membership of one designer for the life of the object.
class TDesignerRegistration {
public:
    explicit TDesignerRegistration(TServedDesigner* designer, TDesignerRegistry& registry = DesignerRegistry());
    ~TDesignerRegistration();
    TDesignerRegistration(const TDesignerRegistration&) = delete;
    TDesignerRegistration& operator=(const TDesignerRegistration&) = delete;

private:
    TServedDesigner* m_designer;
    TDesignerRegistry& m_registry;
};

} // namespace mx
