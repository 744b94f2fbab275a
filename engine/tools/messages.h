#pragma once
// Messages and prompts that the engine shows through the user service and
// the prompt hooks.

#include <QString>

#include <exception>

namespace mx {

class TStrings;

// An error box naming the routine, the program and the exception:
// "Erreur dans la procédure <proc> dans le module <program>", a line break,
// "Message de type <class> = <message>" (both translated).
void ShowProcError(const QString& procName, const std::exception& e);
QString ProcErrorText(const QString& procName, const std::exception& e);

// The busy cursor is a stack: every SetBusyCursor is undone by one
// RestoreCursor, and when the last is undone the normal cursor shows again,
// however the calls nest. A RestoreCursor without a SetBusyCursor does
// nothing.
void SetBusyCursor();
void RestoreCursor();
int BusyCursorDepth();

// A busy cursor for the life of the object.
class TBusyCursor {
public:
    TBusyCursor() { SetBusyCursor(); }
    ~TBusyCursor() { RestoreCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Ask the user for a text through the prompt hooks; false when the hook is
// not filled or the user cancelled. Kind: "A" any text, "D" a date, "N" a
// number. A given list receives the text on OK (a history list). The
// unused argument is passed through as it stands.
bool CallPromptString(const QString& caption, const QString& prompt, QString& value);
bool CallPromptStringEx(const QString& caption, const QString& prompt, TStrings* list, int maxLength,
    QString& value, const QString& unused, const QString& kind);

} // namespace mx
