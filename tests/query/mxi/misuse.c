/*
 * A C program that calls the query functions from threads as the library
 * forbids, and prints what each call gave:
 *
 *   mxi_misuse ended QUERY.MQR     the thread that made the first call has
 *                                  ended when the main thread calls
 *   mxi_misuse waiting QUERY.MQR   a second thread calls while the first
 *                                  waits for it without running its loop
 *
 * Each call prints "<function> <result> <reason>" on a line. The program
 * leaves with _exit: the library's objects live on a thread that is gone.
 */
#include "query/mxi/morvelin_mxi.h"

#include <pthread.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static const char* g_file;

static void report(const char* function, int32_t result)
{
    char why[1024];
    why[0] = '\0';
    mxiLastError(why, (int32_t)sizeof why);
    printf("%s %d %s\n", function, (int)result, why);
    fflush(stdout);
}

static void* firstCall(void* unused)
{
    (void)unused;
    report("mxiEof", mxiEof("X"));
    return NULL;
}

static void* load(void* unused)
{
    (void)unused;
    report("mxiLoadQuery", mxiLoadQuery("Q", g_file, NULL, NULL));
    report("mxiEof", mxiEof("Q"));
    return NULL;
}

int main(int argc, char** argv)
{
    pthread_t thread;
    if (argc != 3) {
        fputs("usage: mxi_misuse ended|waiting QUERY.MQR\n", stderr);
        return 2;
    }
    g_file = argv[2];
    if (strcmp(argv[1], "ended") == 0) {
        pthread_create(&thread, NULL, firstCall, NULL);
        pthread_join(thread, NULL);
        load(NULL);
    } else {
        firstCall(NULL);
        pthread_create(&thread, NULL, load, NULL);
        pthread_join(thread, NULL);
    }
    _exit(0);
}
