#pragma once
// The rules of the data model window without its widgets: which commands
// act in which situation, the caption, the file name a model is saved
// under, and the count of open windows that ends the program.

#include <QString>

#include <functional>
#include <vector>

namespace mx::admin {

// What the enabling depends on: a model is loaded (m), it has tables (t),
// it has database items (d), it is modified (c).
struct TModelSituation {
    bool model = false;
    bool tables = false;
    bool databases = false;
    bool modified = false;
};

// One command or button and whether it acts.
struct TCommandState {
    const char* name;
    bool enabled;
};

// Every command and tool-bar button whose enabling follows the situation,
// in a fixed order. New, Open, the recent files, a new window, the options,
// help and About always act and are not listed.
std::vector<TCommandState> DataModelCommandStates(const TModelSituation& s);

// The window's caption: without a model the program's title; with one, its
// file name without folder and extension (unnamed when it has none), "*"
// when modified, " - " and the title.
QString DataModelCaption(bool hasModel, const QString& fileName, bool modified, const QString& unnamed,
    const QString& title);

// The name a model is saved under: the extension, whatever it was, becomes
// ".mdd"; a name without one gets it.
QString ModelFileName(const QString& fileName);

// The process-wide count of data model windows. The last window destroyed
// asks the program to end once (Quit, else the application's quit).
class TDataModelCount {
public:
    int Count() const { return m_count; }
    // The count after the increase.
    int Increase() { return ++m_count; }
    void Decrease();
    std::function<void()> Quit;

private:
    int m_count = 0;
};

TDataModelCount& DataModelWindows();

} // namespace mx::admin
