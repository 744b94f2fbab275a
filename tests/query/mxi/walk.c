/*
 * A C program of another vendor's kind: it links only the exported query
 * functions, loads a query file, runs it and prints the current step's
 * rows, one a line, the fields separated by tabs.
 *
 *   mxi_walk QUERY.MQR
 *
 * Exit status: 0 walked and closed, 1 a function failed, 2 usage.
 */
#include "query/mxi/morvelin_mxi.h"

#include <stdio.h>
#include <string.h>

static int failed(const char* what)
{
    fprintf(stderr, "mxi_walk: %s\n", what);
    return 1;
}

int main(int argc, char** argv)
{
    char value[4096];
    int32_t fields;
    int32_t i;
    long rows = 0;

    if (argc != 2) {
        fputs("usage: mxi_walk QUERY.MQR\n", stderr);
        return 2;
    }
    if (mxiEof("walk") != 1 || mxiFieldCount(NULL) != 0)
        return failed("an unknown query has a result");
    if (!mxiLoadQuery("walk", argv[1], NULL, NULL))
        return failed("mxiLoadQuery");
    if (!mxiRunQuery("WALK"))
        return failed("mxiRunQuery");
    fields = mxiFieldCount("Walk");
    if (fields <= 0)
        return failed("mxiFieldCount");
    if (!mxiFirst("walk"))
        return failed("mxiFirst");
    while (!mxiEof("walk")) {
        for (i = 0; i < fields; ++i) {
            if (!mxiGetField("walk", i, value, (int32_t)sizeof value))
                return failed("mxiGetField");
            printf("%s%s", i ? "\t" : "", value);
        }
        putchar('\n');
        ++rows;
        if (!mxiNext("walk"))
            return failed("mxiNext");
    }
    /* Past the end the buffer is never written without room. */
    memset(value, 'x', sizeof value);
    if (mxiGetField("walk", 0, NULL, 16) != 0 || mxiGetField("walk", 0, value, 0) != 0 || value[0] != 'x')
        return failed("mxiGetField wrote where it had no room");
    if (!mxiCloseQuery("walk") || mxiCloseQuery("walk") || !mxiEof("walk"))
        return failed("mxiCloseQuery");
    fprintf(stderr, "mxi_walk: %ld rows\n", rows);
    return 0;
}
