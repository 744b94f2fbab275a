#pragma once
// The rules of the step editor that need no widget: the totals pop-up's
// table and which of its items a field may take, the width a field panel
// is shown at, the texts of the entity caption and of a field panel's
// hint. The widgets of the step editor only apply them.

#include "engine/core/sqlsyntax.h"

#include <QChar>
#include <QString>

#include <array>

namespace mx {
class TMxQueryEntity;
class TMxQueryField;
} // namespace mx

namespace mx::ui {

// One item of the totals pop-up: caption (French, translated when shown),
// its accelerator letter, its hint, and the glyph shown in a field's total
// label.
struct TTotalItem {
    const char* caption;
    QChar letter;
    const char* hint;
    QChar glyph;
};
// (Tout), Nombre, Moyenne, Somme, Minimum, Maximum.
extern const std::array<TTotalItem, 6> TotalItems;

// The caption with "&" before the first occurrence of letter (compared
// with case); unchanged when the letter does not occur.
QString AccelCaption(const QString& caption, QChar letter);

// The index of a stored total in the pop-up: 0 for none; "count" and
// "count all" are both "Nombre"; an unknown text is 0.
int TotalIndexOf(const QString& total);
// The stored text an item sets: empty for 0, else the global totals list's
// entry ("count", "average", "sum", "min", "max").
QString TotalOfIndex(int index);

// Whether item index may be chosen for field: "(Tout)" always; the others
// only for a field that is not calculated, or when the dialect sums
// calculated fields; "Moyenne" and "Somme" only for numbers (not for text,
// dates, times, booleans or blobs). Without a field only "(Tout)".
bool TotalEnabled(int index, const TMxQueryField* field, const TSQLSyntaxProperties& syntax);

// The width a field is shown at: 100 for DesignWidth 0 (or no field),
// else DesignWidth and at least 30.
int FieldDisplayWidth(const TMxQueryField* field);
constexpr int kMinFieldWidth = 30;
constexpr int kDefaultFieldWidth = 100;

// Stored widths (DesignWidth, the default and the least width, and the
// panels' inner places) are pixels of the font the queries were drawn
// with, whose Latin letters are 5.6 pixels wide on average. They are shown
// multiplied by WidthScale, the ratio of the editor font's average letter
// width to that (never less than 1), so that the proportions stay and a
// wider font cuts no name. ShownWidth and StoredWidth round, and a stored
// width shown then stored again comes back the same.
constexpr double kDrawnLetterWidth = 5.6;
double WidthScale(double averageLetterWidth);
int ShownWidth(int stored, double scale);
int StoredWidth(int shown, double scale);

// The entity panel's caption: the entity's name, seven blanks and the
// chosen criterion's name when one is chosen; "     Autres" (translated)
// without an entity.
QString EntityCaption(const TMxQueryEntity* entity);

// A field panel's hint: "sélectionner|où <total hint> <name> <formula>"
// for a checked field or one with a formula, else "<name> (Inutilisé)".
QString FieldHint(const TMxQueryField* field, const QString& nameText, const QString& formulaText);
// The formula label's text: four blanks and the formula's text.
QString FormulaText(const TMxQueryField* field);

} // namespace mx::ui
