/* Steps every row of one statement on a SQLite database and reads nothing:
 * what reading a result costs SQLite itself, the limit a copy of the
 * result cannot go below.
 *
 *   sqlite_step DATABASE SQLFILE      prints the number of rows
 */
#include <sqlite3.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: sqlite_step DATABASE SQLFILE\n");
        return 2;
    }
    FILE* f = fopen(argv[2], "rb");
    if (!f) {
        perror(argv[2]);
        return 1;
    }
    static char sql[1 << 16];
    const size_t n = fread(sql, 1, sizeof sql - 1, f);
    fclose(f);
    sql[n] = 0;
    sqlite3* db = NULL;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, NULL) != SQLITE_OK) {
        fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }
    sqlite3_stmt* st = NULL;
    if (sqlite3_prepare_v2(db, sql, -1, &st, NULL) != SQLITE_OK) {
        fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }
    long long rows = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        ++rows;
    if (rc != SQLITE_DONE) {
        fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 1;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    printf("%lld\n", rows);
    return 0;
}
