#pragma once
// The process's server: made by the program's start-up in every mode,
// reached by the exported functions, freed with the exit procedures
// before the settings and the engine (its queries hand their results
// back to the database driver).

#include <QString>

namespace mx {

class TfmOleDdeServer;
class TDdeListener;

// None before CreateDdeServer.
TfmOleDdeServer* DdeServer();
// Makes the server once, on the calling thread, which must be the
// program's main thread.
TfmOleDdeServer& CreateDdeServer();
// Opens the server to other programs of the user on the socket of the
// service (the program's name when empty). Only a program that runs its
// event loop calls it. False when it cannot listen; the program then runs
// without serving (error says why).
bool StartDdeServer(const QString& service = QString(), QString* error = nullptr);
// The listener once started; none otherwise.
TDdeListener* DdeListener();
// Frees the server, its listener and its queries.
void FreeDdeServer() noexcept;

} // namespace mx
