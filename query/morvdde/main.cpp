// morvdde: sends macros to the running query program of the same user
// and prints the item "Data" after each macro that fills it.
//
//   morvdde MACRO...    each macro in order, for example
//       morvdde 'LOAD(V, /chemin/VENTES_PAR_PRODUIT.MQR)' 'RUN(V)' 'FIRST(V)' 'GETEOF(V)' 'GETRECORD(V)'
//   morvdde -           the macros of standard input, one a line
//
// A macro holding a password goes on standard input: the command line of
// a program is seen by every local user. Passwords read are overwritten
// once sent.
//
// Exit status: 0 every macro sent; 1 no server, the connection was
// refused or lost, or a LOAD or a RUN failed (the reason on standard
// error); 2 a wrong command line.

#include "query/dde/ddeclient.h"
#include "query/dde/ddemacro.h"

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
               "  morvdde 'LOAD(V, /chemin/VENTES_PAR_PRODUIT.MQR)' 'RUN(V)' 'FIRST(V)' 'GETEOF(V)' 'GETRECORD(V)'\n"
               "Un LOAD avec mot de passe se donne sur l'entrée standard (morvdde -) : la ligne de\n"
               "commande d'un programme est visible de tous les utilisateurs de la machine.\n"
               "  printf '%s\\n' 'LOAD(V, /chemin/REQ.MQR, Claire, secret)' 'RUN(V)' | morvdde -\n"
               "Statut : 0 tout a été envoyé ; 1 pas de serveur, connexion refusée ou perdue,\n"
               "LOAD ou RUN refusé (la raison sur la sortie d'erreur) ; 2 ligne de commande fausse.\n",
        stderr);
    return 2;
}

// Sends one macro; prints Data after the macros that fill it.
bool send(mx::dde::TClient& client, const QString& macro)
{
    mx::dde::TMacro parsed = mx::dde::ParseMacro(macro);
    const bool readData = mx::dde::MacroFillsData(parsed.command);
    mx::dde::WipeText(parsed);
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
    QStringList args = app.arguments().mid(1);
    // What the command line held is seen by others for as long as it
    // stays there.
    for (int i = 1; i < argc; ++i)
        for (char* p = argv[i]; *p; ++p)
            *p = 0;
    struct TWipe {
        QStringList& args;
        ~TWipe() { mx::dde::WipeText(args); }
    } wipeArgs{args};
    if (args.isEmpty() || args.contains(QStringLiteral("-h")) || args.contains(QStringLiteral("--help")))
        return usage();

    mx::dde::TClient client;
    if (!client.ConnectToService(QString::fromLatin1(kService))) {
        printError(client.Error());
        return 1;
    }
    for (QString& arg : args) {
        if (arg != u"-") {
            const bool sent = send(client, arg);
            mx::dde::WipeText(arg);
            if (!sent)
                return 1;
            continue;
        }
        std::string line;
        while (std::getline(std::cin, line)) {
            QString macro = QString::fromLocal8Bit(line.c_str(), qsizetype(line.size()));
            mx::dde::WipeText(line);
            if (macro.endsWith(u'\r'))
                macro.chop(1);
            const bool blank = macro.trimmed().isEmpty();
            const bool sent = blank || send(client, macro);
            mx::dde::WipeText(macro);
            if (!sent)
                return 1;
        }
    }
    return 0;
}
