#pragma once
// The stored shape of the SQL function catalogue, for writing its
// definition file when the engine does not bring the catalogue's classes
// itself. The class names are those the catalogue is read with.

namespace mkdefs {

// Registers the mirror classes unless the engine has its own.
void EnsureSqlFunctionClasses();

} // namespace mkdefs
