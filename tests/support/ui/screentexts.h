#pragma once
// Checks over what a window shows: mnemonics that two of its controls
// share, and "&" shown as such (a label without a buddy draws it).

#include <QStringList>

class QWidget;

namespace mxtest {

// The letter a text's "&" marks, lower case; null when there is none
// ("&&" is a plain "&").
QChar Mnemonic(const QString& text);

// Each clash as "<scope>: <letter>: <text>, <text>". The window's scope
// holds its visible buttons, check boxes, labels with a buddy, group
// boxes, tab titles and menu-bar titles; each of its menus (pop-up menus
// included) is a scope of its own.
QStringList MnemonicClashes(const QWidget* window);

// The visible labels of the window that show a literal "&".
QStringList LiteralAmpersands(const QWidget* window);

} // namespace mxtest
