#pragma once
// The pictures of the designer's tool bar: the desktop's icon theme where
// it has one for the command, else a picture of our own that shows the
// same thing (a page, a folder, a play mark, a form, a funnel, a
// calculator, sorted lines, a table sent out, an "i").

#include <QIcon>
#include <QImage>

namespace mx {

// The theme's name for the tool button number index (kToolButtons order).
const char* ToolButtonThemeName(int index);
// Our own 16 x 16 picture for it.
QImage ToolButtonPicture(int index);
// The theme's icon, with our picture as fallback.
QIcon ToolButtonIcon(int index);

} // namespace mx
