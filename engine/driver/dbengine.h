#pragma once
// The database engine of the process: which one is configured, the one
// driver object, and the names of the engine's definition files.

#include <QString>

namespace mx {

class TIMxDriver;
struct ClassInfo;

// The engine name: "MX32" followed by the value of the command-line
// parameter dbeng when it is given; else the key DbEngine32 of section
// Config in the installation's MORVELIN.INI; else "MX32BDE". A dbeng value
// other than letters, digits and "_" raises EMxException.
QString GetEngineName();
inline constexpr const char* kDefaultEngineName = "MX32BDE";

// The registered driver class that accepts the current engine name; none.
const ClassInfo* FindEngineDriverClass();

// Makes DbEngine once: an instance of the registered class that accepts the
// engine name, else the driver of the engine library of that name (loaded
// from the installation folder). Raises when the library cannot be loaded
// or gives no driver ("driver not available : %s").
void InitDbEngine();
// The driver, or none before InitDbEngine.
TIMxDriver* DbEngine();

// The engine's definition files: from the registered class's entry, else
// from the engine library.
QString GetEngineDatasourceFileName();
QString GetEngineDestFileName();

// Frees DbEngine. Everything the driver made must be gone first.
void FreeDbEngine();

} // namespace mx
