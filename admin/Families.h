// The schema families of a project on the main window: select all and deselect all, and the
// six commands that create or delete the database user and RIS schema of every checked family.
#pragma once

#include "admin/DbUsers.h"
#include "admin/RisSchemas.h"
#include "admin/RunReport.h"
#include "admin/SchemaFamilies.h"
#include "admin/UserSchemaStep.h"

#include <functional>
#include <string>
#include <vector>

enum class FamilyCommand { CreateDBSchema, CreateDBUser, CreateSchema, DeleteDBSchema, DeleteDBUser, DeleteSchema };

// How a family command ended.
enum class FamilyOutcome {
    Ready,           // every checked family done; a step whose tool failed was looked at and is done
    EndedWithErrors, // every checked family tried, some step not done or not known (see the log)
    Escaped,         // Esc between two families
    Ended,           // the program was asked to end: stopped after the running step, no box
    Declined,        // No to a delete confirmation
    Refused,         // the project name is not a valid name, or another program changes a schema of a
                     // checked family; nothing ran
    Failed,          // an operation raised an error, shown in a box
};

// A check box value: 0 unchecked, 1 checked, 2 grey (counts as unchecked).
inline constexpr int kBoxUnchecked = 0, kBoxChecked = 1, kBoxGrey = 2;

class Families {
public:
    Families();

    // prefix + project, the project exactly as given.
    static std::string SchemaName(const SchemaFamily& family, const std::string& project);
    // The delete command's question ("<lead><project>  will be deleted.  OK?"); empty for a create.
    static std::string ConfirmText(FamilyCommand command, const std::string& project);

    // --- the window's side, set by the window that holds the boxes -----------------------
    // Value of the box of family i (index into kSchemaFamilies), read when the loop reaches it.
    std::function<int(size_t)> boxValue;
    // Sets the box of family i to a value.
    std::function<void(size_t, int)> setBoxValue;
    // The project text, read anew for every family.
    std::function<std::string()> projectText;
    // Whether Esc is down or was pressed since the last question; the Esc latch by default.
    std::function<bool()> escPressed;
    // Whether the program was asked to end; asked after every step. Never by default.
    std::function<bool()> stopRequested;
    // Told the schema of a family just before its operations run (the window's current schema).
    std::function<void(const std::string&)> currentSchema;

    // Every box checked / cleared, in family order. No lock, no message.
    void selall();
    void deselall();

    // Runs a command: checks the project name (a bad one is refused with a message naming it,
    // before anything is asked or run), asks twice before a delete, locks the interface, takes
    // the mark of every checked family's schema (one another program holds refuses the whole
    // command with a message naming that change, before anything runs), runs
    // the command's operations for every checked family in family order with Esc asked between
    // families (a family's database user is not dropped when the drop of its schema did not
    // leave the schema gone), and ends with the ready box, or a box saying the run ended with
    // errors, or the description of a raised error. Asked to end, it stops after the running step and shows no
    // box. The interface is unlocked in every case.
    FamilyOutcome Run(FamilyCommand command);

    // The operations the commands call, also the main window's public operations.
    DbUsers& users() { return users_; }
    RisSchemas& schemas() { return schemas_; }
    // The steps of the last command that are not done or not known, each in one sentence.
    const RunReport& report() const { return report_; }

private:
    using Step = UserSchemaStep;
    static std::vector<Step> stepsOf(FamilyCommand command);
    bool confirmTwice(FamilyCommand command);
    // The marks of the checked families' schemas, taken into marks before the first step; the
    // refusal of the command when one is not free, empty when all are held.
    std::string takeMarksAhead(FamilyCommand command, UserSchemaMarks& marks);
    // Runs the loop: Ready when it went through, Escaped or Ended when it was cut short.
    FamilyOutcome runFamilies(FamilyCommand command, const UserSchemaMarks& marks);
    bool ending() const { return stopRequested && stopRequested(); }
    // Notes a step whose call failed: in the report when it is not done, else on the status line.
    void noteChange(const UserSchemaChange& change);
    // Notes the database user of a family kept because the drop of its schema left the schema
    // standing (NotDone) or its state unknown (NotKnown).
    void keepUserUnderSchema(const std::string& schema, ChangeState schemaLeft);

    DbUsers users_;
    RisSchemas schemas_;
    RunReport report_;
};
