// The SQLite functions that compare, order, round and add up numbers as the stand-in server's
// databases do, every digit kept: a number of more digits than a double holds is a blob to the
// engine (ServerValues), which the engine alone would compare, sort and sum wrongly.
#pragma once

struct sqlite3;

class ServerNumberFunctions {
public:
    // Registers, for the statements rewritten by ServerSqlRules:
    // ris_neg(x)            -x;
    // ris_exact(a, b)       1 when a comparison of a and b needs every digit (either is a number
    //                       the engine holds as a blob, or a text of such a number beside a number);
    // ris_cmp(a, b)         -1, 0 or 1: numbers by their value, a text beside a number as the number
    //                       it reads as; NULL when either is NULL;
    // ris_order(x)          a key that sorts numbers by their value before any other value (NULL
    //                       for NULL); ORDER BY then goes on by the value itself;
    // ris_round(x[, d])     x rounded to d decimals (0 when not given), half away from zero;
    // ris_abs(x)            |x|;
    // ris_sum, ris_avg, ris_min, ris_max   the aggregates (ris_min and ris_max of several
    //                       arguments: the least and greatest of them).
    static void Register(sqlite3* db);
};
