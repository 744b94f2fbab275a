#pragma once
// A small CLIENT/COMMANDE data model built in code, for the tests of the
// data model and of what is built on it (queries, SQL, runs).
//
//   tables    CLIENT (Id 3): NUMCLI N "Numéro client", NOM A "Nom",
//                            VILLE A "Ville", DATENAIS D "Date de naissance"
//             COMMANDE (Id 5): NUMCDE N "Numéro de commande",
//                            NUMCLI N "Client de la commande",
//                            MONTANT N "Montant", DATECDE D "Date de commande"
//   link      CLIENT -> COMMANDE on NUMCLI = NUMCLI, one to many
//   entities  "Clients" on CLIENT (VILLE, NOM: deliberately not sorted),
//             with the criterion "Clients parisiens" (VILLE = 'Paris');
//             "Commandes" on COMMANDE (MONTANT, DATECDE, NUMCDE)
//   sets      1 "Ensemble principal" (group Admins);
//             2 "Ventes" (groups Ventes and the missing "Disparus";
//             fields Nom and Montant; the calculated field "Montant TTC";
//             the variable "Seuil"; a criterion MONTANT > 100)
//   users     Admin / "secret", level 0; Marie / "Marie1", level 1
//   groups    Admins {Admin}, Ventes {Marie}
//   database  one item named like the tables' Database, driver STANDARD

#include <QString>

#include <array>
#include <initializer_list>

namespace mx {
class TMxDataModel;
class TMxTable;
}

namespace mxtest {

struct SampleModel {
    static constexpr int ClientId = 3;
    static constexpr int CommandeId = 5;
    static constexpr int MainSetId = 1;
    static constexpr int SalesSetId = 2;
    static QString DefaultDatabase() { return QStringLiteral("VENTES"); }
};

// The model, owned by the caller (free it with Free).
mx::TMxDataModel* MakeSampleModel(const QString& database = SampleModel::DefaultDatabase());

// Adds a table with Id id to a model: fields {name, type letter, readable
// name}, numbered from 1, text fields VARCHAR(40), dates DATE, others NUMERIC.
mx::TMxTable* AddModelTable(mx::TMxDataModel* m, int id, const QString& name, const QString& fullName,
    const QString& database, std::initializer_list<std::array<const char*, 3>> fields);

// Saves the sample model to fileName (an .MDD).
void SaveSampleModel(const QString& fileName, const QString& database = SampleModel::DefaultDatabase());

} // namespace mxtest
