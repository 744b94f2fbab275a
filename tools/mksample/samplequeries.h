#pragma once
// The sample's queries over EXEMPLE.MDD. Their results go into the
// private query folder (the user setting PrivateQueryPath).
//
//   VENTES_PAR_PRODUIT.MQR  quantities sold per product: a total, sorted
//                           by family then by quantity, descending; a
//                           text file, a dBASE table, the report
//                           VENTES_PAR_PRODUIT.rpt of the report runtime
//                           and the step's own report (the default report
//                           of its result)
//   CLIENTS_FIDELES.MQR     two chained steps: the quantity each client
//                           ordered, into a Paradox table, which the second
//                           step reads to keep the clients of more than 250 items; a text file
//   CLIENTS.MQR             the clients with their town, sorted; a table of
//                           each type (Paradox, dBASE, text)
//   COMMANDES_PERIODE.MQR   the orders between two dates, the parameters
//                           Début and Fin asked by a dialog of two edits
//                           when it runs; a text file

#include <QString>
#include <QStringList>

namespace mksample {

inline constexpr const char* kSalesQuery = "VENTES_PAR_PRODUIT.MQR";
inline constexpr const char* kLoyalQuery = "CLIENTS_FIDELES.MQR";
inline constexpr const char* kClientsQuery = "CLIENTS.MQR";
inline constexpr const char* kPeriodQuery = "COMMANDES_PERIODE.MQR";
// The report files of the runtime, copied from data/sample.
inline constexpr const char* kSalesReport = "VENTES_PAR_PRODUIT.rpt";
inline constexpr const char* kClientsReport = "CLIENTS.rpt";

// Writes the queries into folder, over the model file modelFile
// (which must exist, its database too: a report is built over a step's
// result). The destination types and the report classes must be loaded.
void WriteSampleQueries(const QString& folder, const QString& modelFile);

// The query of the benchmark: every order line with its product, one
// step, into a text file and a dBASE table named resultName (either may
// be left out).
void WriteBenchQuery(const QString& fileName, const QString& modelFile, const QString& resultName, bool text, bool dbase);

} // namespace mksample
