#pragma once
/* The interface of a language library (MXTR32.so in the installation
   folder). One library serves one language; the keyword is the French text
   of the programs without its marker.

     long long Traduce(const char* keyword, char* translation, long long size);

   keyword: UTF-8, zero-terminated. translation, size: the caller's buffer.
   The library writes at most size - 1 bytes of the UTF-8 translation and a
   zero byte, and returns the length of the whole translation in bytes
   (without the zero byte): a result of size or more means the buffer was
   too small and the caller asks again with a larger one. It returns
   MX_TRADUCE_NOT_FOUND when it has no translation (the text stays as it
   is) and MX_TRADUCE_FAILED on any other failure. No memory crosses the
   boundary; the library must not throw. */

#ifdef __cplusplus
extern "C" {
#endif

#define MX_TRADUCE_NOT_FOUND (-1LL)
#define MX_TRADUCE_FAILED (-2LL)

typedef long long (*MxTraduceFn)(const char* keyword, char* translation, long long size);

#ifdef __cplusplus
}
#endif
