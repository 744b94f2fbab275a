#pragma once
// The small pictures of the shared controls, drawn by the program itself:
// the outline's entity and field, the items of the dialogs' lists, and the
// light bulb of the tips window. Each is made once and kept.

#include <QPixmap>

namespace mx::ui {

enum class TPicture {
    Entity,    // a folder of fields
    Field,     // one field
    Parameter, // a parameter of a query
    Step,      // a step of a query
    Table,     // a database table
    User,      // a user
    Set,       // a set (ensemble) of fields
    Tip,       // the light bulb of the tips window (32 x 32)
};

// 16 x 16 pixels, the tip 32 x 32.
const QPixmap& Picture(TPicture which);

} // namespace mx::ui
