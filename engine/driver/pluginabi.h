#pragma once
// The interface of a plug-in library: a shared object NAME.so in the
// installation folder (a module the programs name NAME.DLL, or bare NAME),
// opened by its absolute file name. Its entry points are exported with C
// linkage under these names:
//
//   const char* MxDllName(void);           required
//   const char* MxDllVersion(void);        required
//   const char* MxDllDescription(void);    required
//   const char* MxDllLanguage(void);       required, never called
//   mx::TIMxDestDriver* MxGetDestDriver(const char* destName);
//                                          destination and engine libraries
//   mx::TIMxDriver* GetMxDriver(void);     engine libraries
//   const char* GetDestFileName(void);     engine libraries
//   const char* GetDatasourceFileName(void);
//                                          engine libraries
//
// Texts are UTF-8 and zero-terminated; a returned text stays owned by the
// library and valid while it is loaded. Objects are the C++ interfaces of
// driver.h and destdriver.h: the library links the engine and is built with
// the same compiler. An object is freed by the one that made it: datasets
// through their driver's FreeDataset, settings through their destination
// driver's FreeProperties, the database driver and the destination drivers
// through their virtual destructor. The engine frees every object of a
// library before it unloads the library. No entry point may throw.

namespace mx {
class TIMxDriver;
class TIMxDestDriver;
} // namespace mx

extern "C" {
typedef const char* (*MxDllTextFn)(void);
typedef mx::TIMxDestDriver* (*MxGetDestDriverFn)(const char* destName);
typedef mx::TIMxDriver* (*GetMxDriverFn)(void);
}

// Marks an entry point of a plug-in library.
#define MX_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
