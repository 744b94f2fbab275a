/* A small language library for the tests: French keys, English texts. */

#include "engine/settings/langlibrary.h"

#include <string.h>

struct entry {
    const char* key;
    const char* text;
};

static const struct entry table[] = {
    {"Ignorer", "Ignore"},
    {"&Abandon", "&Abort"},
    {"&Détails...", "&Details..."},
    {"Erreur", "Error"},
    {"Erreur de l'application", "Application error"},
    {"L'application a provoqué une erreur inattendue. Vous pouvez poursuivre où quitter le programme.",
        "The application caused an unexpected error. You can go on or quit the program."},
    {"Un objet de classe %s a déclenché l'erreur suivante (%s): %s", "An object of class %s raised the following error (%s): %s"},
    {"Fichier %s introuvable", "File %s not found"},
    /* a translation whose specifiers do not fit the arguments */
    {"Etape %d", "Step %s of %s"},
    {"Ok", "OK"},
    {"Annuler", "Cancel"},
    {"une date", "a date"},
    {"un nombre", "a number"},
    {"La valeur %s doit être %s", "The value %s must be %s"},
    {"", "(empty key)"},
    {"Long", "A translation longer than the first buffer the caller offers: "
             "0123456789012345678901234567890123456789012345678901234567890123456789"
             "0123456789012345678901234567890123456789012345678901234567890123456789"
             "0123456789012345678901234567890123456789012345678901234567890123456789"
             "0123456789012345678901234567890123456789012345678901234567890123456789 end"},
};

static long long calls = 0;

long long Traduce(const char* keyword, char* translation, long long size)
{
    size_t i;
    ++calls;
    if (!keyword)
        return MX_TRADUCE_FAILED;
    if (strcmp(keyword, "Boom") == 0)
        return MX_TRADUCE_FAILED;
    for (i = 0; i < sizeof table / sizeof table[0]; ++i) {
        if (strcmp(table[i].key, keyword) == 0) {
            long long len = (long long)strlen(table[i].text);
            if (size > 0) {
                long long n = len < size - 1 ? len : size - 1;
                memcpy(translation, table[i].text, (size_t)n);
                translation[n] = '\0';
            }
            return len;
        }
    }
    return MX_TRADUCE_NOT_FOUND;
}

/* For the tests: how often Traduce was called since the library was loaded. */
long long TraduceCallCount(void)
{
    return calls;
}
