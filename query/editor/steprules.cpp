#include "steprules.h"

#include "engine/core/translate.h"
#include "engine/model/entity.h"
#include "engine/model/formula.h"
#include "engine/model/queryfield.h"
#include "engine/query/queryentity.h"

#include <algorithm>
#include <cmath>

namespace mx::ui {

// The glyphs are the Symbol font's characters of the totals, as Unicode:
// Θ (0x54), ⊄ (0xCC), ≅ (0x40), ∑ (0xE5), θ (0x71), ∞ (0xA5).
const std::array<TTotalItem, 6> TotalItems = {{
    {"(Tout)", u'A', "toutes les valeurs du champ", QChar(0x0398)},
    {"Nombre", u'U', "le nombre de valeurs du champ", QChar(0x2284)},
    {"Moyenne", u'M', "la moyenne des valeurs du champ", QChar(0x2245)},
    {"Somme", u'S', "la somme des valeurs du champ", QChar(0x2211)},
    {"Minimum", u'n', "la valeur minimum du champ", QChar(0x03B8)},
    {"Maximum", u'x', "la valeur maximum du champ", QChar(0x221E)},
}};

QString AccelCaption(const QString& caption, QChar letter)
{
    QString text = caption;
    const int at = int(text.indexOf(letter, 0, Qt::CaseSensitive));
    if (at >= 0)
        text.insert(at, u'&');
    return text;
}

int TotalIndexOf(const QString& total)
{
    const QString t = total.trimmed();
    if (t == u"count" || t == u"count all")
        return 1;
    if (t == u"average")
        return 2;
    if (t == u"sum")
        return 3;
    if (t == u"min")
        return 4;
    if (t == u"max")
        return 5;
    return 0;
}

QString TotalOfIndex(int index)
{
    static const char* const kTotals[] = {"", "count", "average", "sum", "min", "max"};
    if (index <= 0 || index > 5)
        return {};
    return QString::fromLatin1(kTotals[index]);
}

namespace {

// Averages and sums are for numbers only.
bool summable(QChar type)
{
    static const QString kNotNumbers = QStringLiteral("AD@TLBFMG");
    return type.isNull() || !kNotNumbers.contains(type.toUpper());
}

} // namespace

bool TotalEnabled(int index, const TMxQueryField* field, const TSQLSyntaxProperties& syntax)
{
    if (index == 0)
        return true;
    if (!field || index < 0 || index > 5)
        return false;
    if (field->Calculated() && !HasCap(syntax.Capabilities, scCalculatedSum))
        return false;
    if ((index == 2 || index == 3) && !summable(field->FieldType()))
        return false;
    return true;
}

int FieldDisplayWidth(const TMxQueryField* field)
{
    if (!field || field->DesignWidth() == 0)
        return kDefaultFieldWidth;
    return std::max(field->DesignWidth(), kMinFieldWidth);
}

double WidthScale(double averageLetterWidth)
{
    return std::max(1.0, averageLetterWidth / kDrawnLetterWidth);
}

int ShownWidth(int stored, double scale)
{
    return int(std::lround(stored * scale));
}

int StoredWidth(int shown, double scale)
{
    return int(std::lround(shown / scale));
}

QString EntityCaption(const TMxQueryEntity* entity)
{
    if (!entity)
        return Translate(QStringLiteral("     Autres"));
    QString caption = entity->Name();
    if (const TMxEntityCriteria* criterion = entity->SourceItem())
        caption += QStringLiteral("       ") + criterion->Name();
    return caption;
}

QString FormulaText(const TMxQueryField* field)
{
    QString text = QStringLiteral("    ");
    if (field && field->FormulaList())
        text += field->FormulaList()->Line();
    return text;
}

QString FieldHint(const TMxQueryField* field, const QString& nameText, const QString& formulaText)
{
    if (!field)
        return {};
    const bool hasFormula = field->FormulaList() && !field->FormulaList()->Line().isEmpty();
    if (field->Checked() || hasFormula) {
        const QString verb = Translate(field->Checked() ? QStringLiteral("sélectionner") : QStringLiteral("où"));
        const QString total = Translate(TotalItems[size_t(TotalIndexOf(field->Total()))].hint);
        return QStringLiteral("%1 %2 %3 %4").arg(verb, total, nameText, formulaText);
    }
    return TranslateFmt(QStringLiteral("%s (Inutilisé)"), {nameText});
}

} // namespace mx::ui
