#pragma once
// The engine's calls to the database driver, with their arguments named.
//
// The driver's methods take the database, the login and the view as
// strings, in an order of their own per method (kept for the libraries
// written against them). Engine code calls the driver only through the
// functions below: each name is a type of its own, built explicitly, so a
// database given for a view, or a password for a user name, does not
// compile.
//
//   TDbRequest request{TDatabaseName(db->Name()), TDbLogin(TUserName(u), TPassword(p))};
//   DbOpenDatabase(driver, request);

#include "engine/core/sqlsyntax.h"

#include <QString>

namespace mx {

class TIMxDataset;
class TIMxDriver;

template <class Tag>
class TDbName {
public:
    TDbName() = default;
    explicit TDbName(QString text) : m_text(std::move(text)) {}
    const QString& Text() const { return m_text; }
    bool IsEmpty() const { return m_text.isEmpty(); }

private:
    QString m_text;
};

using TDatabaseName = TDbName<struct TDatabaseNameTag>;
using TViewName = TDbName<struct TViewNameTag>;
using TTableName = TDbName<struct TTableNameTag>;
using TFieldName = TDbName<struct TFieldNameTag>;
using TUserName = TDbName<struct TUserNameTag>;
using TPassword = TDbName<struct TPasswordTag>;

// The login a database is opened with; empty: the database's own (its
// alias, or none).
struct TDbLogin {
    TDbLogin() = default;
    TDbLogin(TUserName user, TPassword password) : userName(std::move(user)), password(std::move(password)) {}
    TUserName userName;
    TPassword password;
};

// A database, the login that opens it, and the view a statement creates
// or a removal drops (none: the statement's rows are the result).
struct TDbRequest {
    TDbRequest() = default;
    explicit TDbRequest(TDatabaseName database, TDbLogin login = {}, TViewName view = {})
        : database(std::move(database)), login(std::move(login)), view(std::move(view))
    {
    }
    TDatabaseName database;
    TDbLogin login;
    TViewName view;
};

// True when connected.
bool DbOpenDatabase(TIMxDriver& driver, const TDbRequest& request);
// Runs one statement; with the request's view, the statement creates that
// view and the dataset is the view. None on failure.
TIMxDataset* DbExecuteQuery(TIMxDriver& driver, const TDbRequest& request, const QString& sql);
// Drops the request's view.
void DbDropView(TIMxDriver& driver, const TDbRequest& request);
// The distinct values of a field in the dialect given; positioned on the
// first (a field's value list for a prompt) or not (the list of a control).
TIMxDataset* DbFieldValues(TIMxDriver& driver, const TDbRequest& request, const TTableName& table,
    const TFieldName& field, const TSQLSyntaxProperties& syntax, bool positioned);

} // namespace mx
