// The check of a project's design schema against its DDL definition files: every finding
// becomes a node of the result tree; nothing in the databases is changed.
#pragma once

#include <string>

struct DdlCheckContext;

// The check button's run: reads "design.ddl" and "eqp.ddl" of the project directory, lists the
// design schema, relates each model table to its model, compares columns and character sizes,
// checks the five tables of each piping model, offers the Excel report. Failures end the run
// and are shown in the status bar, a message box and the program log; nothing is raised.
void RunDdlCheck(DdlCheckContext& context);

// When the tree holds the check of another project than the current one: empties the tree,
// forgets the check and returns true, so that no repair acts on either project until the next
// check. False otherwise (also before any check).
bool DropCheckOfOtherProject(DdlCheckContext& context);

// The type part of a definition (after its first blank) with "integer" -> "int",
// "character" -> "char", "short" -> "smallint", in this order and exact letter case.
std::string NormaliseDdlTypeWords(const std::string& definition);

// 1 for the piping table numbers 12, 34, 50, 67, 80; 2 for the equipment ones 21 to 28; else 0.
int DisciplineOfTableNumber(double tableNumber);
