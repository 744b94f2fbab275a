#pragma once
// PostgreSQL's client library (libpq), loaded the first time a server
// database is opened rather than when the program starts: libpq brings
// OpenSSL, Kerberos, LDAP and more with it, which every start would pay
// for while most runs read SQLite files only.
//
// The library is opened with dlopen() and its functions are reached
// through a table of pointers whose types are libpq's own (the header
// gives them). Once loaded it stays loaded. A load that fails keeps
// nothing, so the next open tries again; its message names the library
// and the loader's reason.

#include <libpq-fe.h>

#include <QByteArray>
#include <QString>

namespace platform {

// Every libpq function the server layer calls.
#define MX_PQ_FUNCTIONS(X)                                                                                          \
    X(PQcancel) X(PQclear) X(PQconnectPoll) X(PQconnectStartParams) X(PQconninfoFree) X(PQconninfoParse) X(PQconsumeInput)            \
    X(PQerrorMessage) X(PQfinish) X(PQfmod) X(PQfname) X(PQfreeCancel) X(PQfreemem) X(PQftype) X(PQgetCancel)     \
    X(PQgetResult) X(PQgetisnull) X(PQgetlength) X(PQgetvalue) X(PQisBusy) X(PQnfields) X(PQntuples)              \
    X(PQresultErrorField) X(PQresultErrorMessage) X(PQresultStatus) X(PQsendQueryParams) X(PQsetNoticeProcessor) \
    X(PQsocket) X(PQstatus) X(PQtransactionStatus)

struct PqFunctions {
#define MX_PQ_MEMBER(name) decltype(&::name) name = nullptr;
    MX_PQ_FUNCTIONS(MX_PQ_MEMBER)
#undef MX_PQ_MEMBER
};

// Loads the library the first time (safe from any thread). False, with
// *error ("PostgreSQL's client library libpq.so.5 cannot be loaded
// (reason)"), when the library or one of its functions cannot be loaded.
bool loadPqLibrary(QString* error);

// The functions of the loaded library. Only after loadPqLibrary()
// succeeded: every connection, and so every result, comes after it.
const PqFunctions& pq();

// The file the loader opens, "libpq.so.5" by default (an empty name
// restores it). Tests name a file that does not exist to see a failed
// load: setting a name forgets a load made before, so the next open loads
// again from that file; functions already loaded stay valid.
void setPqLibraryFile(const QByteArray& file);

} // namespace platform
