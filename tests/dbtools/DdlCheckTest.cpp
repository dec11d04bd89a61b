// The design schema check against DDL files, over an in-memory twin of the schemas.
#include "dbtools/DdlCheck.h"

#include "DdlTestDatabase.h"
#include "admin/AdminTestSupport.h"
#include "platform/RunMark.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* kDesign = "# design tables\n"
                      "table number = 12, number of columns = 4\n"
                      "1, system_unique_no, integer\n"
                      "2, line_id, character(20)\n"
                      "3, remarks, char(40)\n"
                      "4, weight, char(8)\n"
                      "table number = 34, number of columns = 2\n"
                      "1, system_unique_no, int\n"
                      "2, Code, char(12)\n";
const char* kEquipment = "table number = 21, number of columns = 2\n"
                         "1, system_unique_no, short\n"
                         "2, equip_no, char(20)\n";

class DdlCheckTest : public ::testing::Test, public DdlTestRun {
public:
    void SetUp() override
    {
        writeDdl("design.ddl", kDesign);
        writeDdl("eqp.ddl", kEquipment);
        db.directory = folder_.win("");
        db.tables = {"pdtable_12_1", "pdtable_34_1", "pdtable_12_9", "pdtable_x_1", "other_table",
                     "pdtable_99_1", "pdtable_21_5", "pdtable_22_5"};
        db.columns["pdtable_12_1"] = {"system_unique_no int", "line_id char(30)", "weight double"};
        db.columns["pdtable_34_1"] = {"SYSTEM_UNIQUE_NO smallint", "code char(12)"};
        db.columns["pdtable_21_5"] = {"system_unique_no smallint", "equip_no int"};
        db.columns["pdtable_22_5"] = {"system_unique_no int"};
        db.rowCounts["pdtable_12_9"] = 4;
        db.rowCounts["pdtable_99_1"] = 0;
        db.models = {{1, "P1", 1}, {2, "E5", 5}, {1, "P1", 3}, {1, "P2", 8}};
    }
    void writeDdl(const std::string& name, const std::string& text)
    {
        testsupport::WriteHostFile(folder_.host(name), text);
    }
    void run() { RunDdlCheck(context); }

    // A change of a schema of the project ("schema dd_p1") under way while the check runs.
    void changing(const std::string& object)
    {
        changed = object;
        change = std::make_unique<RunMark>(object, RunMark::Fields{{"what", "the load of 'x.dmp' into " + object.substr(7)}});
    }
    std::string changed;
    std::unique_ptr<RunMark> change;

    // The tree as "depth key = text [tag]" lines in insertion order.
    std::string dump() const
    {
        std::string out;
        for (const CheckTreeNode* n : tree.Nodes()) {
            int depth = 0;
            for (const CheckTreeNode* p = n->parent; p; p = p->parent)
                ++depth;
            out += std::to_string(depth) + " " + n->key + " = " + n->text + (n->tag.empty() ? "" : " [" + n->tag + "]") +
                   "\n";
        }
        return out;
    }

    admintest::AdminFolder folder_{"ddlcheck"};
};

TEST_F(DdlCheckTest, FindingsOfEveryKindInTheOrderFirstNeeded)
{
    messages.Answer(MsgAnswer::No);
    run();
    EXPECT_EQ(dump(),
              "0 TypeMismatch = Information only: Table from dd schema, which has columns with mismatching type in database\n"
              "1 TypeMismatchTablepdtable_12_1 = pdtable_12_1 - P1\n"
              "2 Tablepdtable_12_1Columnline_id char(20) = line_id char(20) - data type false: (DDL)char(20) <> (DB)char(30)\n"
              "0 HasColNotInDB = Table from dd schema, which has columns that do not exist in database\n"
              "1 Tablepdtable_12_1 = pdtable_12_1 - P1\n"
              "2 Tablepdtable_12_1Columnremarks char(40) = remarks char(40)\n"
              "2 Tablepdtable_12_1Columnweight char(8) = weight char(8) - data type false: 'String' is defined in DB\n"
              "0 NoModels = Table from dd schema, whose related model is not found in database (pdtable_113)\n"
              "1 Tablepdtable_12_9 = pdtable_12_9 - 4 row(s)\n"
              "1 Tablepdtable_x_1 = pdtable_x_1 - 0 row(s)\n"
              "1 Tablepdtable_99_1 = pdtable_99_1 - 0 row(s)\n"
              "1 TypeMismatchTablepdtable_21_5 = pdtable_21_5 - E5\n"
              "2 Tablepdtable_21_5Columnequip_no char(20) = equip_no char(20) - data type false: 'String' is defined in DB\n"
              "0 Not checked tables = Not checked tables\n"
              "1 NotCheckedTablepdtable_22_5 = pdtable_22_5\n"
              "0 NoTables = Piping models from pdtable113, whose related tables are not found in database (dd schema)\n"
              "1 Discipline1ModelP1 = P1 - pdtable_50_1,pdtable_67_1,pdtable_80_1 not found in dd schema [1]\n"
              "1 Discipline1ModelP2 = P2 - pdtable_12_8,pdtable_34_8,pdtable_50_8,pdtable_67_8,pdtable_80_8 not found "
              "in dd schema [8]\n");
}

// A partition whose model row a failed delete took while its own row stayed is offered with
// the models, under the model's name when the window knows it; a partition whose tables stand,
// or that a model row still uses, is not.
TEST_F(DdlCheckTest, APartitionLeftWithoutItsModelIsOfferedAgain)
{
    db.partitions = {1, 3, 6, 7, 9};
    db.tables.push_back("pdtable_34_9");
    context.partitionsLeft["6"] = "P6";
    messages.Answer(MsgAnswer::No);
    run();
    const std::string tree = dump();
    EXPECT_NE(tree.find("1 Discipline1ModelP6 = P6 - its row of pdtable_113 is gone, its row of pdtable_114 "
                        "(partition 6) is left [6]\n"),
              std::string::npos) << tree;
    EXPECT_NE(tree.find("1 Discipline1Model(partition 7) = (partition 7) - its row of pdtable_113 is gone, its row of "
                        "pdtable_114 (partition 7) is left [7]\n"),
              std::string::npos) << tree;
    for (const char* kept : {"partition 9", "(partition 1)", "(partition 3)"})
        EXPECT_EQ(tree.find(kept), std::string::npos) << kept << "\n" << tree;
}

TEST_F(DdlCheckTest, EndsReadyAfterOfferingTheReportAndListsOnlyTheFirstColumnsFresh)
{
    messages.Answer(MsgAnswer::No);
    run();
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked()[0].prompt, "Would you like to make an Excel report of the checking results?");
    EXPECT_EQ(statuses.back(), "Ready");
    EXPECT_EQ(enables, (std::vector<bool>{false, true}));
    std::vector<std::string> columnCalls;
    for (const std::string& c : db.calls)
        if (c.rfind("Columns", 0) == 0)
            columnCalls.push_back(c);
    EXPECT_EQ(columnCalls, (std::vector<std::string>{"Columns pdtable_12_1 fresh", "Columns pdtable_34_1 cached",
                                                     "Columns pdtable_21_5 cached", "Columns pdtable_22_5 cached"}));
    for (const CheckTreeNode* n : tree.Nodes())
        EXPECT_FALSE(n->checked);

    // After a repair changed the design schema, listings held from before are not trusted.
    context.designSchemaChanged = true;
    db.calls.clear();
    messages.Answer(MsgAnswer::No);
    run();
    for (const std::string& c : db.calls) {
        if (c.rfind("Columns", 0) == 0) {
            EXPECT_NE(c.find("fresh"), std::string::npos) << c;
        }
    }
    EXPECT_FALSE(context.designSchemaChanged);
}

struct FailureCase {
    const char* name;
    std::function<void(DdlCheckTest&)> arrange;
    const char* message;   // $D for the project directory
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class DdlCheckFailureTest : public DdlCheckTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DdlCheckFailureTest, EndsTheRunWithTheMessageShown)
{
    GetParam().arrange(*this);
    run();
    std::string want = GetParam().message;
    const size_t d = want.find("$D");
    if (d != std::string::npos)
        want.replace(d, 2, db.directory);
    const size_t m = want.find("$M");
    if (m != std::string::npos)
        want.replace(m, 2, RunMark::RunningText(RunMark::Look(changed).fields));
    change.reset();
    EXPECT_EQ(statuses.back(), want);
    ASSERT_FALSE(messages.asked().empty());
    EXPECT_EQ(messages.asked().back().prompt, want);
    EXPECT_EQ(enables.back(), true);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, DdlCheckFailureTest,
    ::testing::Values(
        FailureCase{"NoProjectDirectory", [](DdlCheckTest& t) { t.db.directory = "C:\\no\\such\\dir\\"; },
                    "Project directory: 'C:\\no\\such\\dir\\' not found"},
        FailureCase{"MissingEquipmentFile",
                    [](DdlCheckTest& t) { std::remove((HostPath(t.db.directory) + "/eqp.ddl").c_str()); },
                    "DDL-File '$Deqp.ddl' not exist"},
        FailureCase{"WrongColumnNumberInTheDesignFile",
                    [](DdlCheckTest& t) { t.writeDdl("design.ddl", "table number = 12, number of columns = 1\n3, a, int\n"); },
                    "Column: 'a' has wrong number: 3. Must be: 1. Error in file: '$Ddesign.ddl', Row number: 2"},
        FailureCase{"NoTables", [](DdlCheckTest& t) { t.db.tables.clear(); },
                    "No tables in design schema: 'dd_p1' found"},
        FailureCase{"NoPipingOrEquipmentModel", [](DdlCheckTest& t) { t.db.models.clear(); }, "Could not get model data"},
        FailureCase{"ColumnListingFails", [](DdlCheckTest& t) { t.db.failColumnsOf = "pdtable_34_1"; },
                    "No columns in table: 'pdtable_34_1' found"},
        // A change under way would show its dropped tables or its half-loaded models as findings.
        FailureCase{"DesignSchemaChangeUnderWay", [](DdlCheckTest& t) { t.changing("schema dd_p1"); },
                    "The check of dd_p1 was not started: $M is under way on schema dd_p1. Nothing was changed."},
        FailureCase{"ProjectSchemaChangeUnderWay", [](DdlCheckTest& t) { t.changing("schema pd_p1"); },
                    "The check of dd_p1 was not started: $M is under way on schema pd_p1. Nothing was changed."}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// A change that a dead program left in part is named before the findings, which may be its half work.
TEST_F(DdlCheckTest, AChangeADeadProgramLeftInPartIsNamed)
{
    RunMark("schema dd_p1", {{"what", "the change of character column lengths of dd_p1 to 40"},
                             {"step", "the load of the changed tables"},
                             {"whole if cut off", "no"}})
        .Keep();
    messages.Answer(MsgAnswer::Ok);
    messages.Answer(MsgAnswer::No);
    run();
    RunMark::RemoveLeft("schema dd_p1");
    ASSERT_FALSE(messages.asked().empty());
    EXPECT_NE(messages.asked()[0].prompt.find("Schema dd_p1: the change of character column lengths of dd_p1 to 40 "
                                              "(process "),
              std::string::npos) << messages.asked()[0].prompt;
    EXPECT_NE(messages.asked()[0].prompt.find("during the load of the changed tables, so schema dd_p1 may not be whole. "
                                              "What the check finds there may be that change's half work."),
              std::string::npos) << messages.asked()[0].prompt;
    EXPECT_EQ(statuses.back(), "Ready");
}

} // namespace
