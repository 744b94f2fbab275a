/*
 * The query functions of Morvelin for other programs: load a query file
 * under a name, run it, walk the current step's result record by record
 * and read its fields as text. Link libmorvelin_mxi.so.
 *
 * Strings are UTF-8 and zero-terminated; they are copied on entry. Every
 * function turns every failure into its result: 0 (1 for mxiEof), and
 * shows nothing; mxiLastError then says why. A null pointer where a text
 * is expected is a failure.
 *
 * Inside the query program the functions work on the program's own
 * server. In any other program the first call brings up what they need,
 * without windows: an application object when the program has none (made
 * on the calling thread), the settings and the definition files of the
 * installation folder (the program's folder when it holds OPER.MXF, else
 * the registry's RootDir). When that fails, every call fails.
 *
 * Call them from the thread that made the application object. A call
 * from another thread waits until that thread runs its event loop and no
 * query is being run or loaded there; that thread must not be waiting on
 * the caller. Such a call fails at once when that thread has ended, and
 * after two seconds when it does not take the call and was never seen
 * running its event loop.
 */
#ifndef MORVELIN_MXI_H
#define MORVELIN_MXI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MORVELIN_MXI_EXPORT __attribute__((visibility("default")))

/* Loads a query file under name (kept upper-cased; names are compared
 * without regard to case). user and password open its data model (null
 * or empty user: a model with users is refused here, as no login can be
 * asked). 1 loaded; 0 when the name is taken, the file does not load or
 * the query has no step. The first step is current. */
MORVELIN_MXI_EXPORT int32_t mxiLoadQuery(const char* name, const char* file, const char* user, const char* password);

/* Runs every step (the parameters are asked in the query program). 1 when
 * the run ended with a result in the current step; 0 otherwise. */
MORVELIN_MXI_EXPORT int32_t mxiRunQuery(const char* name);

/* Frees a query loaded with mxiLoadQuery, its model and its results. */
MORVELIN_MXI_EXPORT int32_t mxiCloseQuery(const char* name);

/* The current step becomes the step at position index + 1 of the query
 * (-1 the first, 0 the second...). 0 when out of range. */
MORVELIN_MXI_EXPORT int32_t mxiSetQueryStep(const char* name, int32_t index);

/* Move the current step's result to its first or next record; 0 when
 * the step has no result. */
MORVELIN_MXI_EXPORT int32_t mxiFirst(const char* name);
MORVELIN_MXI_EXPORT int32_t mxiNext(const char* name);

/* 1 at the end of the current step's result, or when there is nothing to
 * read; 0 on a record. */
MORVELIN_MXI_EXPORT int32_t mxiEof(const char* name);

/* The number of fields of the current step's result; 0 without one. */
MORVELIN_MXI_EXPORT int32_t mxiFieldCount(const char* name);

/* Copies the text of field index (from 0) of the current record into
 * buffer, cut to bufferSize - 1 bytes at a character boundary and ended
 * by a zero. 1 when copied; 0 for a null buffer or a bufferSize below 1
 * (nothing is written), and for an unknown query, no result or an index
 * out of range (the buffer then holds an empty text). */
MORVELIN_MXI_EXPORT int32_t mxiGetField(const char* name, int32_t index, char* buffer, int32_t bufferSize);

/* Shows a designer window without query, or opens a new one; 0 outside
 * the query program. */
MORVELIN_MXI_EXPORT int32_t mxiNewQuery(void);

/* Copies why the calling thread's last call failed (a load refused, a run
 * that gave no result, a call from a thread that cannot be served) into
 * buffer, cut to bufferSize - 1 bytes at a character boundary and ended
 * by a zero. 1 when there is a reason; 0 when the last call gave none or
 * for a null buffer or a bufferSize below 1 (nothing is written). */
MORVELIN_MXI_EXPORT int32_t mxiLastError(char* buffer, int32_t bufferSize);

#ifdef __cplusplus
}
#endif

#endif
