#pragma once
// The splash picture of the programs, drawn by our own code: the build
// writes it as LOGOFr.BMP and LOGOEn.BMP into the installation folder.

#include <QImage>
#include <QString>

namespace mx::ui {

// The picture for a language code ("Fr", "En"); the text under the name
// is in that language.
QImage DrawLogo(const QString& langCode);

} // namespace mx::ui
