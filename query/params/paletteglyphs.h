#pragma once
// The glyphs of the parameter editor's palette, drawn by the program.

#include "engine/core/types.h"

#include <QIcon>

namespace mx {

QIcon PaletteGlyph(TDlgControlKind kind);

} // namespace mx
