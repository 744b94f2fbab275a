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
    for (int r = 0; r < nrecords; ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        if (!values) {
            fprintf(stderr, "cannot read record %d\n", r);
            return 1;
        }
        for (int i = 0; i < nfields; ++i) {
            if (i)
                putchar('\t');
            pxval_t* v = values[i];
            if (v->isnull) {
                printf("\\N");
            } else {
                switch (fields[i].px_ftype) {
                case pxfAlpha:
                    hex(v->value.str.val, v->value.str.len);
                    break;
                case pxfNumber:
                case pxfCurrency:
                case pxfTimestamp:
                    printf("%.17g", v->value.dval);
                    break;
                default:
                    printf("%ld", v->value.lval);
                    break;
                }
            }
            if (v->type == pxfAlpha && v->value.str.val)
                doc->free(doc, v->value.str.val);
            doc->free(doc, v);
        }
        doc->free(doc, values);
        putchar('\n');
    }
    PX_close(doc);
    PX_delete(doc);
    return 0;
}
