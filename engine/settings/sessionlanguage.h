#pragma once
// The session's language beyond the language component: the language of a
// user who chose none, the tips' section that goes with it, and Qt's own
// translation of its dialogs and buttons.

#include <QString>

namespace mx {

class TGlobal;

// The language of a user who chose none: "Francais", as the windows are.
QString DefaultLanguage();

// The tips' section of a program ("designer", "adm") in the session's
// language: "Tips.designer.Francais" for "Français" as well.
QString TipsSectionName(const TGlobal& global, const QString& program);

// Loads Qt's translation of its own texts (qtbase_<code>.qm from Qt's
// translations folder) into the application, replacing the one loaded
// before, and makes the language's locale Qt's default (dates and sizes in
// its dialogs); none for a language Qt has none for. False when no
// translation is loaded. Unloading puts the previous locale back.
bool LoadQtTranslation(const QString& langCode);
void UnloadQtTranslation();

} // namespace mx
