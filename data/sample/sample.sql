-- The sample database: a small French business selling office supplies.
-- Deterministic: the same script always gives the same rows. Built into
-- sample/MORVELIN.DB by the sample generator at build time.

PRAGMA foreign_keys = ON;

CREATE TABLE VILLES (
  CODE_VILLE   INTEGER PRIMARY KEY,
  NOM          VARCHAR(40) NOT NULL,
  CODE_POSTAL  CHAR(5),
  REGION       VARCHAR(40)
);

INSERT INTO VILLES VALUES
  (1, 'Paris', '75001', 'Île-de-France'),
  (2, 'Lyon', '69001', 'Auvergne-Rhône-Alpes'),
  (3, 'Marseille', '13001', 'Provence-Alpes-Côte d''Azur'),
  (4, 'Orléans', '45000', 'Centre-Val de Loire'),
  (5, 'Besançon', '25000', 'Bourgogne-Franche-Comté'),
  (6, 'Nîmes', '30000', 'Occitanie'),
  (7, 'Saint-Étienne', '42000', 'Auvergne-Rhône-Alpes'),
  (8, 'Angoulême', '16000', 'Nouvelle-Aquitaine'),
  (9, 'Béziers', '34500', 'Occitanie'),
  (10, 'Évreux', '27000', 'Normandie'),
  (11, 'Créteil', '94000', 'Île-de-France'),
  (12, 'Fréjus', '83600', 'Provence-Alpes-Côte d''Azur'),
  (13, 'Périgueux', '24000', 'Nouvelle-Aquitaine'),
  (14, 'Nancy', '54000', 'Grand Est'),
  (15, 'Rennes', '35000', 'Bretagne'),
  (16, 'Quimper', '29000', 'Bretagne'),
  (17, 'Lille', '59000', 'Hauts-de-France'),
  (18, 'Sète', '34200', 'Occitanie'),
  (19, 'Châlons-en-Champagne', '51000', 'Grand Est'),
  (20, 'Papeete', '98714', NULL);

CREATE TABLE CLIENTS (
  NUM_CLIENT     INTEGER PRIMARY KEY,
  NOM            VARCHAR(40) NOT NULL,
  PRENOM         VARCHAR(30),
  SOCIETE        VARCHAR(50),
  CODE_VILLE     INTEGER REFERENCES VILLES (CODE_VILLE),
  TELEPHONE      VARCHAR(20),
  DATE_CREATION  DATE,
  CATEGORIE      CHAR(1)
);

CREATE TEMP TABLE T_NOMS (I INTEGER PRIMARY KEY, V TEXT);
INSERT INTO T_NOMS (V) VALUES ('Martin'), ('Bernard'), ('Dubois'), ('Thomas'), ('Robert'), ('Richard'),
  ('Petit'), ('Durand'), ('Leroy'), ('Moreau'), ('Simon'), ('Laurent'), ('Lefèvre'), ('Michel'),
  ('Garcia'), ('Bœuf'), ('Roux'), ('Fournier'), ('Girard'), ('Bonnet'), ('Dupré'), ('Lambert'),
  ('Fontaine'), ('Rousseau'), ('Vincent'), ('Müller'), ('Lefèbvre'), ('Mercier'), ('Blanc'), ('Guérin'),
  ('Boyer'), ('Garnier'), ('Chevalier'), ('François'), ('Legrand'), ('Gauthier'), ('Perrin'), ('Robin'),
  ('Clément'), ('O''Brien'), ('Morin'), ('Nicolas'), ('Henry'), ('Roussel'), ('Mathieu'), ('Gérard');
CREATE TEMP TABLE T_PRENOMS (I INTEGER PRIMARY KEY, V TEXT);
INSERT INTO T_PRENOMS (V) VALUES ('Jean'), ('Marie'), ('Pierre'), ('Françoise'), ('Michel'), ('Hélène'),
  ('André'), ('Cécile'), ('Jérôme'), ('Zoé'), ('Noël'), ('Anaïs'), ('Gaëlle'), ('Benoît'), ('Éric'),
  ('Chloé'), ('Loïc'), ('Agnès'), ('Thérèse'), ('Raphaël'), ('Léa'), ('Hervé'), ('Maëlle'), ('Stéphane');
CREATE TEMP TABLE T_SOCIETES (I INTEGER PRIMARY KEY, V TEXT);
INSERT INTO T_SOCIETES (V) VALUES ('Papeterie Générale'), ('Bureautique & Cie'), ('Les Éditions du Pré'),
  ('Cabinet Lenôtre'), ('Société Méridionale'), ('Atelier Crème Brûlée'), ('Imprimerie Façon'),
  ('Librairie de l''Étoile'), ('Transports Boël'), ('Mairie de Saint-Rémy');

WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 500)
INSERT INTO CLIENTS
SELECT I,
       (SELECT V FROM T_NOMS WHERE T_NOMS.I = 1 + (N.I * 7) % (SELECT COUNT(*) FROM T_NOMS)),
       CASE WHEN I % 11 = 0 THEN NULL ELSE (SELECT V FROM T_PRENOMS WHERE T_PRENOMS.I = 1 + (N.I * 5) % (SELECT COUNT(*) FROM T_PRENOMS)) END,
       CASE WHEN I % 3 = 0 THEN (SELECT V FROM T_SOCIETES WHERE T_SOCIETES.I = 1 + (N.I / 3) % (SELECT COUNT(*) FROM T_SOCIETES)) ELSE NULL END,
       CASE WHEN I % 37 = 0 THEN NULL ELSE 1 + (I * 13) % 20 END,
       CASE WHEN I % 7 = 0 THEN NULL ELSE printf('0%d %02d %02d %02d %02d', 1 + I % 5, (I * 3) % 100, (I * 7) % 100, (I * 11) % 100, (I * 17) % 100) END,
       date('2015-01-01', '+' || ((I * 97) % 3000) || ' days'),
       substr('ABC', 1 + I % 3, 1)
FROM N;

CREATE TABLE PRODUITS (
  REF_PRODUIT    VARCHAR(10) PRIMARY KEY,
  LIBELLE        VARCHAR(60) NOT NULL,
  FAMILLE        VARCHAR(30),
  PRIX_UNITAIRE  NUMERIC(10,2) NOT NULL,
  STOCK          INTEGER
);

CREATE TEMP TABLE T_ARTICLES (I INTEGER PRIMARY KEY, LIBELLE TEXT, FAMILLE TEXT, PRIX NUMERIC);
INSERT INTO T_ARTICLES (LIBELLE, FAMILLE, PRIX) VALUES
  ('Ramette papier A4 80 g', 'Papeterie', 4.95), ('Ramette papier A3 90 g', 'Papeterie', 9.90),
  ('Bloc-notes quadrillé', 'Papeterie', 2.35), ('Enveloppes kraft (50)', 'Papeterie', 6.10),
  ('Cahier à spirale 180 pages', 'Papeterie', 3.80), ('Chemises cartonnées (100)', 'Classement', 18.50),
  ('Classeur à levier', 'Classement', 3.25), ('Intercalaires colorés', 'Classement', 1.90),
  ('Boîte d''archives', 'Classement', 2.75), ('Stylo bille bleu', 'Écriture', 0.45),
  ('Stylo plume élégance', 'Écriture', 24.00), ('Surligneurs (4)', 'Écriture', 3.60),
  ('Crayon à papier HB', 'Écriture', 0.30), ('Gomme blanche', 'Écriture', 0.55),
  ('Agrafeuse métallique', 'Petit matériel', 12.40), ('Perforatrice 2 trous', 'Petit matériel', 8.95),
  ('Ciseaux de bureau', 'Petit matériel', 4.20), ('Calculatrice de poche', 'Petit matériel', 14.90),
  ('Cartouche d''encre noire', 'Informatique', 29.90), ('Clé USB 32 Go', 'Informatique', 9.99),
  ('Souris sans fil', 'Informatique', 19.50), ('Clavier AZERTY', 'Informatique', 27.00),
  ('Écran 24 pouces', 'Informatique', 149.00), ('Fauteuil ergonomique', 'Mobilier', 219.00),
  ('Lampe de bureau', 'Mobilier', 34.90), ('Caisson à tiroirs', 'Mobilier', 129.00),
  ('Tableau blanc 90×60', 'Mobilier', 59.00), ('Café moulu 1 kg', 'Entretien', 11.20),
  ('Gobelets (100)', 'Entretien', 3.10), ('Essuie-tout (6)', 'Entretien', 5.40);

INSERT INTO PRODUITS
SELECT printf('P%03d', I), LIBELLE, CASE WHEN I = 29 THEN NULL ELSE FAMILLE END, PRIX,
       CASE WHEN I % 8 = 0 THEN NULL ELSE (I * 37) % 500 END
FROM T_ARTICLES;

CREATE TABLE COMMANDES (
  NUM_COMMANDE    INTEGER PRIMARY KEY,
  NUM_CLIENT      INTEGER NOT NULL REFERENCES CLIENTS (NUM_CLIENT),
  DATE_COMMANDE   DATE NOT NULL,
  DATE_LIVRAISON  DATE,
  STATUT          VARCHAR(12) NOT NULL,
  COMMENTAIRE     VARCHAR(200)
);

WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 2000)
INSERT INTO COMMANDES
SELECT I,
       1 + (I * 263) % 500,
       date('2022-01-01', '+' || ((I * 53) % 1095) || ' days'),
       CASE WHEN I % 9 = 0 THEN NULL
            ELSE date('2022-01-01', '+' || ((I * 53) % 1095 + 2 + I % 12) || ' days') END,
       CASE WHEN I % 9 = 0 THEN 'En cours' WHEN I % 23 = 0 THEN 'Annulée' ELSE 'Livrée' END,
       CASE WHEN I % 17 = 0 THEN 'Livraison à l''accueil, bâtiment « B »'
            WHEN I % 29 = 0 THEN 'Facture en double exemplaire'
            ELSE NULL END
FROM N;

CREATE TABLE LIGNES_COMMANDE (
  NUM_COMMANDE  INTEGER NOT NULL REFERENCES COMMANDES (NUM_COMMANDE),
  NUM_LIGNE     INTEGER NOT NULL,
  REF_PRODUIT   VARCHAR(10) NOT NULL REFERENCES PRODUITS (REF_PRODUIT),
  QUANTITE      INTEGER NOT NULL,
  REMISE        NUMERIC(4,2),
  PRIMARY KEY (NUM_COMMANDE, NUM_LIGNE)
);

WITH RECURSIVE L(C, K) AS (
  SELECT 1, 1
  UNION ALL
  SELECT CASE WHEN K >= 1 + (C * 7) % 5 THEN C + 1 ELSE C END,
         CASE WHEN K >= 1 + (C * 7) % 5 THEN 1 ELSE K + 1 END
  FROM L WHERE C < 2000 OR K < 1 + (C * 7) % 5
)
INSERT INTO LIGNES_COMMANDE
SELECT C, K,
       printf('P%03d', 1 + (C * 11 + K * 17) % 30),
       1 + (C * K * 13) % 24,
       CASE WHEN (C + K) % 6 = 0 THEN 0.05 WHEN (C + K) % 10 = 0 THEN 0.10 ELSE NULL END
FROM L;

CREATE INDEX IDX_CLIENTS_VILLE ON CLIENTS (CODE_VILLE);
CREATE INDEX IDX_COMMANDES_CLIENT ON COMMANDES (NUM_CLIENT);
CREATE INDEX IDX_LIGNES_PRODUIT ON LIGNES_COMMANDE (REF_PRODUIT);

DROP TABLE T_NOMS;
DROP TABLE T_PRENOMS;
DROP TABLE T_SOCIETES;
DROP TABLE T_ARTICLES;
