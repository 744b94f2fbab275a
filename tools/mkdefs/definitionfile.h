#pragma once
// The readable text form of a definition file, turned into the list it
// describes. See data/definitions/README.md for the form.

#include <QString>
#include <QStringList>

#include <memory>

namespace mx {
class TMxList;
}

namespace mkdefs {

struct ParsedFile {
    QString sourceName;           // NAME.MXF.txt
    QString targetName;           // NAME.MXF
    mx::TMxList* list = nullptr;  // owned; freed by the destructor
    ParsedFile() = default;
    ParsedFile(ParsedFile&& other) noexcept;
    ParsedFile& operator=(ParsedFile&&) = delete;
    ~ParsedFile();
};

// Builds the list a text describes. Errors (with file name and line
// number) are appended to errors; the result then holds no list.
ParsedFile ParseDefinitionText(const QString& sourceName, const QString& text, QStringList& errors);

} // namespace mkdefs
