#pragma once
// The pictures of the shared dialogs, drawn by the program at first use:
// the login's key (32 x 32) and the program icon of the about box (32 x 32).

#include <QPixmap>

namespace mx::ui {

const QPixmap& KeyPicture();
const QPixmap& ProgramIcon();

} // namespace mx::ui
