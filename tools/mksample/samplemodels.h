#pragma once
// The sample's data models, over the database of its alias:
//
//   tables    VILLES (1), CLIENTS (2), PRODUITS (3), COMMANDES (4),
//             LIGNES_COMMANDE (5), each with one entity of readable
//             French field names
//   links     VILLES -> CLIENTS on CODE_VILLE, CLIENTS -> COMMANDES on
//             NUM_CLIENT, COMMANDES -> LIGNES_COMMANDE on NUM_COMMANDE,
//             PRODUITS -> LIGNES_COMMANDE on REF_PRODUIT
//   sets      1 "Ensemble principal" (everything);
//             2 "Clients d'Île-de-France": the clients, their orders and
//             order lines, limited by the criterion Région = Île-de-France
//   database  one item, the alias, dialect STANDARD
//
// EXEMPLE.MDD has no users: it opens without a login, every set open.
// EXEMPLE_ACCES.MDD adds the administrator "Admin" (password "admin",
// group "Admins", every set) and the user "Claire" (password "claire",
// level 1, group "Commerciaux", the restricted set only).

#include <QString>

namespace mx {
class TMxDataModel;
}

namespace mksample {

inline constexpr const char* kModelFile = "EXEMPLE.MDD";
inline constexpr const char* kModelWithUsersFile = "EXEMPLE_ACCES.MDD";

enum TableId { tiVilles = 1, tiClients = 2, tiProduits = 3, tiCommandes = 4, tiLignes = 5 };
inline constexpr int kMainSet = 1;
inline constexpr int kRegionSet = 2;

// A new model, owned by the caller (free it with Free).
mx::TMxDataModel* MakeModel(bool withUsers);

// Saves a model to fileName, without leaving a backup of an earlier one.
void SaveModel(mx::TMxDataModel* model, const QString& fileName);

} // namespace mksample
