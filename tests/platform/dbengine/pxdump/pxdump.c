/* Prints a Paradox table as pxlib reads it: one line per field
 * ("F name-in-hex type length"), then one line per record with its values
 * separated by tabs: \N for NULL, text in hex, integers and floats in
 * decimal. */
#include <paradox.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void hex(const char* s, int n)
{
    for (int i = 0; i < n; ++i)
        printf("%02x", (unsigned char)s[i]);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: pxdump FILE.DB\n");
        return 2;
    }
    PX_boot();
    pxdoc_t* doc = PX_new();
    if (!doc || PX_open_file(doc, argv[1]) < 0) {
        fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    int nfields = PX_get_num_fields(doc);
    int nrecords = PX_get_num_records(doc);
    pxfield_t* fields = PX_get_fields(doc);
    printf("R %d\n", nrecords);
    for (int i = 0; i < nfields; ++i) {
        printf("F ");
        hex(fields[i].px_fname, (int)strlen(fields[i].px_fname));
        printf(" %d %d\n", fields[i].px_ftype, fields[i].px_flen);
    }
    int recordSize = 0;
    for (int i = 0; i < nfields; ++i)
        recordSize += fields[i].px_flen;
    char* record = malloc((size_t)recordSize);
    for (int r = 0; r < nrecords; ++r) {
        if (!PX_get_record(doc, r, record)) {
            fprintf(stderr, "cannot read record %d\n", r);
            return 1;
        }
        char* p = record;
        for (int i = 0; i < nfields; ++i) {
            if (i)
                putchar('\t');
            int len = fields[i].px_flen;
            int got = 0;
            switch (fields[i].px_ftype) {
            case pxfAlpha: {
                char* s = NULL;
                got = PX_get_data_alpha(doc, p, len, &s);
                if (got > 0 && s) {
                    hex(s, (int)strlen(s));
                    doc->free(doc, s);
                }
                break;
            }
            case pxfNumber:
            case pxfCurrency:
            case pxfTimestamp: {
                double d = 0;
                got = PX_get_data_double(doc, p, len, &d);
                if (got > 0)
                    printf("%.17g", d);
                break;
            }
            case pxfShort: {
                short v = 0;
                got = PX_get_data_short(doc, p, len, &v);
                if (got > 0)
                    printf("%d", v);
                break;
            }
            case pxfLogical: {
                char v = 0;
                got = PX_get_data_byte(doc, p, len, &v);
                if (got > 0)
                    printf("%d", v ? 1 : 0);
                break;
            }
            default: {
                long v = 0;
                got = PX_get_data_long(doc, p, len, &v);
                if (got > 0)
                    printf("%ld", v);
                break;
            }
            }
            if (got <= 0)
                printf("\\N");
            p += len;
        }
        putchar('\n');
    }
    free(record);
    PX_close(doc);
    PX_delete(doc);
    return 0;
}
