// morvdde: sends macros to the running query program of the same user
// and prints the item "Data" after each macro that fills it.
//
//   morvdde MACRO...    each macro in order, for example
//       morvdde 'LOAD(V, /chemin/VENTES_PAR_PRODUIT.MQR)' 'RUN(V)' 'FIRST(V)' 'GETEOF(V)' 'GETRECORD(V)'
//   morvdde -           the macros of standard input, one a line
//
// Exit status: 0 every macro sent; 1 no server, or the connection was
// refused or lost; 2 a wrong command line.

#include "dde/ddeclient.h"
#include "dde/ddemacro.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

constexpr const char* kService = "morv32";

void printError(const QString& text)
{
    std::fprintf(stderr, "morvdde : %s\n", text.toLocal8Bit().constData());
}

int usage()
{
    std::fputs("usage : morvdde MACRO...\n"
               "        morvdde -          (les macros de l'entrée standard, une par ligne)\n"
               "Envoie chaque macro au morv32 de cet utilisateur et affiche l'élément Data\n"
               "après GETEOF et GETRECORD. Exemple :\n"
               "  morvdde 'LOAD(V, /chemin/VENTES_PAR_PRODUIT.MQR)' 'RUN(V)' 'FIRST(V)' 'GETEOF(V)' 'GETRECORD(V)'\n",
        stderr);
    return 2;
}

// Sends one macro; prints Data after the macros that fill it.
bool send(mx::dde::TClient& client, const QString& macro)
{
    const bool readData = mx::dde::MacroFillsData(mx::dde::ParseMacro(macro).command);
    const std::optional<QString> data = client.Execute(macro, readData);
    if (!data) {
        printError(client.Error());
        return false;
    }
    if (readData) {
        QString text = *data;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.contains(QStringLiteral("-h")) || args.contains(QStringLiteral("--help")))
        return usage();

    mx::dde::TClient client;
    if (!client.ConnectToService(QString::fromLatin1(kService))) {
        printError(client.Error());
        return 1;
    }
    for (const QString& arg : args) {
        if (arg != u"-") {
            if (!send(client, arg))
                return 1;
            continue;
        }
        std::string line;
        while (std::getline(std::cin, line)) {
            QString macro = QString::fromLocal8Bit(line.c_str(), qsizetype(line.size()));
            if (macro.endsWith(u'\r'))
                macro.chop(1);
            if (macro.trimmed().isEmpty())
                continue;
            if (!send(client, macro))
                return 1;
        }
    }
    return 0;
}
