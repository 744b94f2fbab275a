#pragma once
// A report file of the runtime: a readable INI text (UTF-8; lines that
// begin with ";" are comments).
//
//   [Report]
//   Title=Ventes par produit ({Periode})   the title of every page
//   Dataset=Ventes par produit             the dataset asked for (optional:
//                                          the first the program offers)
//   Fields=Famille;Libellé;Quantité vendue the columns, in order (optional:
//                                          every field)
//   Output=printer                         printer, or pdf
//   File=RAPPORT_VENTES.pdf                the PDF written (for printer:
//                                          when there is no printer)
//   Orientation=portrait                   portrait, or landscape
//   [Captions]
//   Quantité vendue=Quantité               a column's heading (optional)
//   [Variables]
//   Periode=toutes les commandes           report variables and their
//                                          default values
//
// "{Name}" in the title stands for a variable's value ("{{" and "}}" for
// braces). The program sets variables through the initial values it loads
// the report with ("Name>value"). A relative File goes into the user's
// private query folder (PrivateQueryPath of the user's MORVELIN.INI), like
// the program's own result files, else beside the report file.

#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

namespace morvrs {

struct ReportFile {
    QString fileName;
    QString title;
    QString dataset;
    QStringList fields;
    bool toPdf = false;
    QString pdfFile; // absolute
    bool landscape = false;
    QHash<QString, QString> captions; // by the field's name, case folded
    QList<QPair<QString, QString>> variables; // in file order

    // Reads the file; false with *error set when it cannot be read or a
    // value is not one of those allowed. A relative File goes into
    // outputFolder when one is given (the program's own folder for
    // results), else as said above.
    bool load(const QString& file, QString* error, const QString& outputFolder = {});
    // Sets a variable of the file; false when the file has no such one.
    bool setVariable(const QString& name, const QString& value);
    // Sets each of values, looking every name up once in an index of the
    // file's variables; false with *unknown set to the first name the file
    // does not have (the variables before it are set).
    bool setVariables(const QList<QPair<QString, QString>>& values, QString* unknown);
    // The title with the variables put in.
    QString expandedTitle() const;
    QString caption(const QString& field) const;
};

// The initial values the program passes: "\"lines\",\"#<hex pid>\"",
// where lines are "Name>value" pieces separated by ", ". A piece without
// ">" belongs to the previous one's value. False with *error set when the
// text does not have that shape.
bool parseInitialValues(const QString& text, QList<QPair<QString, QString>>* values, qint64* pid, QString* error);

// "{Name}" replaced by the variables' values.
QString expandVariables(const QString& text, const QList<QPair<QString, QString>>& variables);

} // namespace morvrs
