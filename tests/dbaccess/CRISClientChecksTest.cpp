// What every operation through the RIS clients checks before it runs one, and what it makes of a
// client that answers nothing: one table for all operations, with scripted clients that record
// whether they ran.
#include "FakeRisClients.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"

#include <functional>

using namespace fakeris;
using Names = std::vector<std::string>;

namespace {

struct Refusal {
    const char* name;
    std::function<void(CRIS&)> call;
    std::string description; // the whole description
    std::string source;      // empty: not checked
};

using CRISClientChecksTest = FakeRisTest;

} // namespace

TEST_F(CRISClientChecksTest, WhatWouldBreakAClientsInputRunsNoClient)
{
    const std::string noDir = dumptest::Win(dir_.host()) + "\\nodir\\x.dmp";
    const Refusal cases[] = {
        {"BlankSchemaStatement", [](CRIS& c) { c.DBWrite("  ", "delete from t"); }, "Schema name not defined",
         "CRIS::DBWrite"},
        {"BlankStatement", [](CRIS& c) { c.DBWrite("pd_abc", "   "); }, "SQL statement not defined", "CRIS::DBWrite"},
        {"SchemaWithAStatementTail", [](CRIS& c) { c.DBWrite("pd_abc; delete from t", "update t set a = 1"); },
         "Schema name 'pd_abc; delete from t' is not a valid RIS name", "CRIS::DBWrite: CRIS::RISWrite"},
        {"ConditionThatEndsItsQuotes",
         [&](CRIS& c) {
             c.RISUnload(dumptest::Win(dir_.host()) + "\\x.dmp", "pd_abc", Names{"t"}, Names{"a = 'x\" all \"'"}, "",
                         0, false, UnloadExtras::ViewsIndexesGrants);
         },
         "Where condition 'a = 'x\" all \"'' of table 't' holds the character '\"', which the unload cannot pass on",
         ""},
        {"BlankSchemaListing", [](CRIS& c) { c.DBGetTables(" ", false); }, "Schema name not defined",
         "CRIS::RISGetTables"},
        {"SchemaWithCommandTail", [](CRIS& c) { c.DBGetTables("pd_abc table all & del x", false); },
         "Schema name 'pd_abc table all & del x' is not a valid RIS name", ""},
        {"TableWithRedirection", [](CRIS& c) { c.DBGetCols("pd_abc", "t >x", false, false); },
         "Table name 't >x' is not a valid RIS name", ""},
        {"BlankSchemaClean", [](CRIS& c) { c.RISClean("   "); }, "Schema name not defined", "CRIS::RISClean"},
        {"CleanOfACommandLine", [](CRIS& c) { c.RISClean("pd_a && del x"); },
         "Schema name 'pd_a && del x' is not a valid RIS name", ""},
        {"UnloadTableWithCondition",
         [](CRIS& c) { c.RISUnload("C:\\x.dmp", "pd_abc", Names{"t where 1=1"}, std::nullopt, "", 0, false,
                                   UnloadExtras::ViewsIndexesGrants); },
         "Table name 't where 1=1' is not a valid RIS name", ""},
        {"UnloadIntoAMissingFolder",
         [&](CRIS& c) { c.RISUnload(noDir, "pd_abc", std::nullopt, std::nullopt, "", 0, false,
                                    UnloadExtras::ViewsIndexesGrants); },
         "Directory: '" + dumptest::Win(dir_.host()) + "\\nodir\\' not exists", ""},
        {"SchemaOfNoKind", [](CRIS& c) { c.RISCreateSchema({"a"}, "h", 0, "", "db", "o", "p", {"u"}, {"p"}); },
         "DB type is incorrect", "CRIS::RISCreateSchema"},
        {"SchemaCountMismatch",
         [](CRIS& c) { c.RISCreateSchema({"a", "b"}, "h", 1, "", "db", "o", "p", {"u", "v"}, {"p"}); },
         "Schema count does not match user or password count", ""},
        // A name that would reshape the definition stops the call before the first schema.
        {"SecondUserReshapesTheDefinition",
         [](CRIS& c) { c.RISCreateSchema({"a", "b"}, "h", 1, "", "db", "o", "p", {"u", "v;drop"}, {"p", "q"}); },
         "User name 'v;drop' is not valid: only letters, digits and underscore are allowed", ""},
        {"ServerHostReshapesTheDefinition",
         [](CRIS& c) { c.RISCreateSchema({"a"}, "h) x", 1, "", "db", "o", "p", {"u"}, {"p"}); },
         "Server host 'h) x' is not valid: it must not contain any of ; , ( ) ' \"", ""},
        {"DropOfBlanksOnly", [](CRIS& c) { c.RISDropSchema({"", "  "}); }, "SQL statement not defined",
         "CRIS::RISDropSchema: CRIS::RISWrite"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        const AppError e = Raised([&] { c.call(cris_); });
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.description(), c.description);
        if (!c.source.empty()) {
            EXPECT_EQ(e.source(), c.source);
        }
    }
    for (const char* client : {"risbatch", "risunlod", "rislod", "risclnsr"})
        EXPECT_FALSE(Ran(client)) << client;
}

// A client that writes no output file (or an empty console or statement output) is never an
// empty success: it is "not found" only when its program is missing, else its exit code and
// the output it did not write are named (a full work folder looks like this).
TEST_F(CRISClientChecksTest, AClientThatAnswersNothingFails)
{
    struct Silent {
        const char* client;
        const char* emptyFile; // nullptr: the client writes no output file at all
        std::function<void(CRIS&)> call;
    };
    const Silent cases[] = {
        {"risbatch", "risbatch.o", [](CRIS& c) { c.DBWrite("pd_abc", "delete from t"); }},
        {"risbatch", nullptr, [](CRIS& c) { c.DBWrite("pd_abc", "delete from t"); }},
        {"risbatch", nullptr, [](CRIS& c) { c.RISGetSchemaFilePath(); }},
        {"risunlod", nullptr, [](CRIS& c) { c.DBGetTables("pd_abc", false); }},
        {"risclnsr", "risclnsr.console", [](CRIS& c) { c.RISClean("pd_abc"); }},
    };
    for (const Silent& c : cases) {
        SCOPED_TRACE(std::string(c.client) + (c.emptyFile ? " empty" : " no output"));
        if (c.emptyFile)
            Put(c.emptyFile, "");
        const AppError e = Raised([&] { c.call(cris_); });
        const std::string failed = std::string(c.client) + " ended with exit code 0 without writing its output '";
        EXPECT_EQ(e.description().rfind(failed, 0), 0u) << e.description();
        if (c.emptyFile)
            Forget(c.emptyFile);
    }
    for (const Silent& c : cases) {
        SCOPED_TRACE(std::string(c.client) + " missing");
        const std::string program = HostPath(RisPath() + c.client + ".exe");
        const std::string aside = program + ".aside";
        std::filesystem::rename(program, aside);
        const AppError e = Raised([&] { c.call(cris_); });
        std::filesystem::rename(aside, program);
        EXPECT_EQ(e.description(), std::string(c.client) + " in '" + RisPath() + "' not found");
    }
}
