// A grant line of a dump or listing, and the privileges and grantees of a grant statement, read
// as the server reads a grant: "grant <privileges> on <table> to <grantees>", its key words in
// any letter case and any blanks between its words, each privilege and grantee as the catalogue
// keeps it. The load, the grant statement, the whole-dump check and the look after a load all
// read grants here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The three parts of a grant line, each as written (comments and blanks between words out).
struct DumpGrant {
    std::string privileges; // the words between "grant" and "on"
    std::string table;      // the one word between "on" and "to"
    std::string grantees;   // the words after "to"
};

class DumpGrantLine {
public:
    // Splits a line that begins with the word "grant" at its words "on" and "to", outside
    // quotes; false for any other line.
    static bool Split(std::string_view line, DumpGrant& grant);

    // The privileges of a grant as the server keeps them, in the order "select, insert, delete,
    // update" and then any other table privilege; "all" and "all privileges" are the first four.
    // Empty, with the database's refusal in fault, for a word that is no table privilege or an
    // empty list.
    static std::string Privileges(std::string_view written, std::string& fault);

    // The grantees of a list, split at its commas outside quotes, each as the catalogue keeps it:
    // an unquoted name (PUBLIC included) in upper case, a quoted one exactly as it stands between
    // its quotes. Empty, with the database's refusal in fault, for an item that is no single name
    // (also "with grant option", which no grant here carries) or an empty list.
    static std::vector<std::string> Grantees(std::string_view list, std::string& fault);
};
