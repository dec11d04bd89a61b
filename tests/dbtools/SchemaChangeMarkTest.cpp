// Changes of one schema's tables against each other and against the end of their program: a
// second change started while another program's change holds the schema is refused by name and
// changes nothing, and the first ends whole; a change killed at a step, or one that ended with
// tables lost, is named by the next change of the schema, which goes on only over a whole schema.
#include "dbtools/SchemaChangeMark.h"

#include "AlterDBColumnFixture.h"
#include "DdlTestDatabase.h"
#include "admin/DumpCommands.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "dbtools/CharColumnAlter.h"
#include "dbtools/DdlCheck.h"
#include "dbtools/DdlRepair.h"
#include "dbtools/RISTableUpdate.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/RunMark.h"
#include "support/OtherProcesses.h"
#include "support/WrapperClients.h"
#include "platform/Environment.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/Raised.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <gmock/gmock.h>

namespace {

using Strings = std::vector<std::string>;
using testsupport::ClientRule;
using testsupport::ForkedProgram;
using ::testing::HasSubstr;

const char* const kBackup = "dd_demo_2024-03-15_143005.dmp";
const char* const kRefusedBackup = "dd_demo_2024-03-15_143005.dmp.refused";
const char* const kChange30 = "the change of character column lengths of dd_demo to 30";
const char* const kDrop = "the drop of the checked tables from dd_demo";

class SchemaChangeMarkTest : public AlterDBColumnFixture {
protected:
    // The column change to 30 over dd_demo as another program runs it, with the clients given.
    std::function<int()> columnChange(const std::string& clientFolder = "")
    {
        return [this, clientFolder] {
            if (!clientFolder.empty())
                gCRIS->SetUseRIS(clientFolder);
            CharColumnRequest request{"component_code", 30, win("backup"), {"dd_demo"}};
            std::string notChanged;
            CharColumnAlter::Run(request, notChanged);
            if (!notChanged.empty())
                std::fprintf(stderr, "%s\n", notChanged.c_str());
            return notChanged.empty() ? 0 : 1;
        };
    }
    // The window's change of dd_demo to 40; the box it showed, "" when none.
    std::string windowChange()
    {
        auto form = open();
        const size_t asked = prompts().size();
        changeComponentCode(*form, "40");
        EXPECT_EQ(form->StatusBar1->currentMessage(), "Ready.");
        return prompts().size() > asked + 1 ? prompts().back() : std::string();
    }
    // The DDL repair's drop of pdtable_22_3 from the design schema of demo, over db; its box.
    std::string ddlRepair(DdlDatabase& db)
    {
        CheckTree tree;
        DdlCheckContext context{tree, db, [] { return std::string("demo"); }, {}, {}, 0};
        context.checkedProject = "demo";
        tree.Add("", "NoModels", "orphans");
        tree.Add("NoModels", "Tablepdtable_22_3", "pdtable_22_3 - 0 row(s)").checked = true;
        boxes_.Answer(MsgAnswer::Yes);
        const size_t asked = prompts().size();
        RunRepairAction(context, DdlRepairAction::DropTables);
        return prompts().size() > asked + 1 ? prompts().back() : std::string();
    }
    // The DDL check of demo, and the delete of model P1001 that a check found without its table
    // pdtable_34_1; the box each showed last, "" when none.
    std::string ddlCheck()
    {
        CheckTree tree;
        DdlCheckContext context{tree, DdlDatabase::Program(), [] { return std::string("demo"); }, {}, {}, 0};
        const size_t asked = prompts().size();
        RunDdlCheck(context);
        return prompts().size() > asked ? prompts().back() : std::string();
    }
    std::string modelDelete()
    {
        CheckTree tree;
        DdlCheckContext context{tree, DdlDatabase::Program(), [] { return std::string("demo"); }, {}, {}, 0};
        context.checkedProject = "demo";
        tree.Add("", "NoTables", "models");
        CheckTreeNode& model = tree.Add("NoTables", "Discipline1ModelP1001", "P1001 - pdtable_34_1 not found in dd schema");
        model.tag = "1";
        model.checked = true;
        boxes_.Answer(MsgAnswer::Yes);
        const size_t asked = prompts().size();
        RunRepairAction(context, DdlRepairAction::DeleteModels);
        return prompts().size() > asked + 1 ? prompts().back() : std::string();
    }
    // A cell edit of pdtable_34_1 as the table editor writes it; the refusal, "" when none.
    static std::string cellEdit()
    {
        const std::vector<RISTableField> fields = {{"system_unique_no", adInteger}, {"component_code", adVarChar}};
        const RISTableRow row = {std::string("1"), std::string("GATE")};
        try {
            RISTableUpdate::WriteAndLook("dd_demo", "pdtable_34_1", fields, 1, row, "VALVE",
                                         RISTableUpdate::Build("pdtable_34_1", fields, 1, row, "VALVE"));
        } catch (const AppError& e) {
            return e.description();
        }
        return {};
    }
    bool hasLength(const char* table, int length) const
    {
        return SchemaState("dd_demo").at(table).find("component_code char(" + std::to_string(length) + ")") !=
               std::string::npos;
    }
};

enum class Second { ColumnChange, DdlRepair, CellEdit, DdlCheck, ModelDelete };

struct TwoProgramsCase {
    const char* name;
    const char* step;    // the step at which the other program's column change stands; null: its DDL repair runs
    Second second;
    const char* refused; // the refused change, as its refusal begins
};

void PrintTo(const TwoProgramsCase& c, std::ostream* os) { *os << c.name; }

class SchemaChangeTwoProgramsTest : public SchemaChangeMarkTest,
                                    public ::testing::WithParamInterface<TwoProgramsCase> {};

TEST_P(SchemaChangeTwoProgramsTest, TheSecondIsRefusedByNameAndTheFirstEndsWhole)
{
    const TwoProgramsCase& c = GetParam();
    const auto before = SchemaState("dd_demo");
    DdlTestDatabase twin;
    twin.tables = {"pdtable_22_3"};
    ForkedProgram other(c.step ? columnChange() : [&] { return ddlRepair(twin).empty() ? 0 : 1; },
                        testsupport::MarkWritten(c.step ? c.step : "its statements"));
    ASSERT_TRUE(other.Reached());
    const auto during = SchemaState("dd_demo");
    const Strings backupsDuring = backups();

    const std::string message = c.second == Second::ColumnChange  ? windowChange()
                                : c.second == Second::DdlRepair   ? ddlRepair(DdlDatabase::Program())
                                : c.second == Second::DdlCheck    ? ddlCheck()
                                : c.second == Second::ModelDelete ? modelDelete()
                                                                  : cellEdit();
    const std::string holding = std::string(c.step ? kChange30 : kDrop) + " (process " + std::to_string(other.pid());
    EXPECT_EQ(message.rfind(std::string(c.refused) + " was not started: " + holding + " ", 0), 0u) << message;
    EXPECT_THAT(message, HasSubstr(" is under way on schema dd_demo. Nothing was changed."));
    EXPECT_EQ(SchemaState("dd_demo"), during);
    EXPECT_EQ(backups(), backupsDuring);

    other.Release();
    EXPECT_EQ(other.Wait(), 0);
    if (!c.step) {
        EXPECT_EQ(SchemaState("dd_demo"), before);
        return;
    }
    // The first change is whole, with the one backup it made.
    EXPECT_TRUE(hasLength("pdtable_34_1", 30));
    EXPECT_TRUE(hasLength("pdtable_34_2", 30));
    EXPECT_EQ(backups(), Strings{kBackup});
}

const char* const kColumnSubject = "The change of character column lengths of dd_demo";
const char* const kAtReload = "the load of the changed tables";

INSTANTIATE_TEST_SUITE_P(
    Rows, SchemaChangeTwoProgramsTest,
    ::testing::Values(
        TwoProgramsCase{"ColumnChangeWhileAnotherUnloadsItsBackup", "the unload of the backup dump",
                        Second::ColumnChange, kColumnSubject},
        TwoProgramsCase{"ColumnChangeWhileAnotherReloads", kAtReload, Second::ColumnChange, kColumnSubject},
        TwoProgramsCase{"DdlRepairWhileAColumnChangeReloads", kAtReload, Second::DdlRepair,
                        "The drop of the checked tables from dd_demo"},
        TwoProgramsCase{"CellEditWhileAColumnChangeReloads", kAtReload, Second::CellEdit,
                        "The UPDATE of table 'pdtable_34_1' of schema dd_demo"},
        TwoProgramsCase{"ColumnChangeWhileADdlRepairRuns", nullptr, Second::ColumnChange, kColumnSubject},
        TwoProgramsCase{"DdlCheckWhileAColumnChangeHasItsTablesDropped", kAtReload, Second::DdlCheck,
                        "The check of dd_demo"},
        TwoProgramsCase{"ModelDeleteWhileAColumnChangeHasItsTablesDropped", kAtReload, Second::ModelDelete,
                        "The deletion of the checked models from pd_demo"}),
    [](const auto& info) { return info.param.name; });

struct CutOffCase {
    const char* name;
    std::vector<ClientRule> unloads, loads; // the first run's risunlod and rislod rules
    const char* stop;     // the step at which the first run is killed; "backup": its backup's write; "": not killed
    Strings backupsLeft;  // in the backup folder after the first run
    bool nextGoesOn;      // else refused with nothing changed
    std::string stands;   // what the next change says of the first after its process (%BACKUP%: its backup)
    Strings backupsAfter; // after the next change
};

void PrintTo(const CutOffCase& c, std::ostream* os) { *os << c.name; }

class SchemaChangeCutOffTest : public SchemaChangeMarkTest, public ::testing::WithParamInterface<CutOffCase> {};

// Takes out the files a killed run left in the host folder: those not in before.
void RemoveNew(const std::string& folder, const Strings& before)
{
    std::error_code ec;
    for (const std::string& name : testsupport::FilesIn(folder))
        if (std::find(before.begin(), before.end(), name) == before.end())
            std::filesystem::remove(folder + "/" + name, ec);
}

TEST_P(SchemaChangeCutOffTest, TheNextChangeNamesWhatTheFirstLeftAndNeverTakesItForWhole)
{
    const CutOffCase& c = GetParam();
    const auto before = SchemaState("dd_demo");
    const std::string work = HostPath(gCRIS->GetTempDir()), temp = HostPath(gTempDir);
    const Strings workBefore = testsupport::FilesIn(work), tempBefore = testsupport::FilesIn(temp);
    testsupport::WrapperClients clients;
    clients.Set("risunlod", c.unloads);
    clients.Set("rislod", c.loads);
    const bool killed = *c.stop != '\0';
    testsupport::FileOpMatch stop;
    if (std::string(c.stop) == "backup")
        stop = [folder = folder_.host("backup")](const std::string& op, const std::string& host) {
            return op == "write" && host.rfind(folder, 0) == 0;
        };
    else if (killed)
        stop = testsupport::MarkWritten(c.stop);
    ForkedProgram first(columnChange(clients.WinFolder()), stop, ForkedProgram::AtStop::Kill);
    EXPECT_EQ(first.Reached(), killed);
    EXPECT_EQ(first.Wait() == -SIGKILL, killed);
    RemoveNew(work, workBefore);
    RemoveNew(temp, tempBefore);
    Strings left = c.backupsLeft;
    for (std::string& name : left)
        name = ReplaceAll(name, "%PID%", std::to_string(first.pid()));
    ASSERT_EQ(backups(), left);

    const auto cut = SchemaState("dd_demo");
    const std::string message = windowChange();
    // The next change names a killed first run by its process (in the log, or in its refusal),
    // then what it left; a backup refused by the first run is named by that run.
    const std::string said = c.nextGoesOn ? folder_.log() : message;
    const std::string by = " (process " + std::to_string(first.pid()) + " ";
    const std::string named = !c.nextGoesOn ? kColumnSubject + std::string(" was not started: ") + kChange30 + by
                              : killed      ? kColumnSubject + std::string(" to 30") + by
                                            : "Schema dd_demo left unchanged: the backup dump '";
    const size_t at = said.find(named);
    EXPECT_NE(at, std::string::npos) << said;
    EXPECT_NE(said.find(ReplaceAll(c.stands, "%BACKUP%", win("backup") + "\\" + kBackup), at), std::string::npos)
        << said << "\n---\n" << c.stands;
    EXPECT_EQ(backups(), c.backupsAfter);
    if (c.nextGoesOn) {
        EXPECT_EQ(message, "");
        EXPECT_TRUE(hasLength("pdtable_34_1", 40));
        EXPECT_EQ(RunMark::Look("schema dd_demo").state, RunMark::State::Free);
        return;
    }
    // Refused: nothing changed, the mark still stands for the next one, and the backup dump it
    // names holds the tables the schema may lack, with every row.
    EXPECT_EQ(SchemaState("dd_demo"), cut);
    EXPECT_EQ(RunMark::Look("schema dd_demo").state, RunMark::State::Left);
    const SchemaDumpSummary kept = SchemaDumpSummary::Read(win("backup") + "\\" + kBackup);
    for (const char* table : {"pdtable_34_1", "pdtable_34_2"}) {
        const std::string rows = before.at(table).substr(before.at(table).find("rows:"));
        EXPECT_EQ(kept.Rows(table), static_cast<long long>(std::count(rows.begin(), rows.end(), ';'))) << table;
    }
}

const ClientRule kLoadDies = ClientRule::DieBefore(1, "rislod: out of memory\r\n");
std::string notProven(const std::string& step)
{
    return "during " + step + "; nothing of schema dd_demo was changed yet. Its backup dump '%BACKUP%' is not proven "
           "whole";
}
std::string wayBack(const std::string& step)
{
    return "during " + step + ", so schema dd_demo may not be whole; its backup dump '%BACKUP%' holds the schema as "
           "it was before that change";
}
const Strings kSetAside = {kBackup, kRefusedBackup};
const Strings kDropped = {kBackup, "dd_demo_2024-03-15_143005_dropped_tables.dmp"};

INSTANTIATE_TEST_SUITE_P(
    Rows, SchemaChangeCutOffTest,
    ::testing::Values(
        // The backup lacks rows: it is no backup, and does not stay under the name of one.
        CutOffCase{"BackupRefusedForRowsMissing", {ClientRule::ThinRows("pdtable_34_1", 2).When("data all")}, {}, "",
                   {kRefusedBackup}, true,
                   "(pdtable_34_1 holds 3 rows on the server, 1 in the dump); it was kept as '%BACKUP%.refused'",
                   kSetAside},
        // The unload writes beside the backup's name: its part never passes for the backup.
        CutOffCase{"KilledWritingTheBackup", {}, {}, "backup", {kBackup + std::string(".%PID%.tw.tmp")}, true,
                   "during the unload of the backup dump; nothing of schema dd_demo was changed yet. Its backup dump "
                   "'%BACKUP%' was not written whole",
                   {kBackup}},
        // Its backup is whole by its form, its agreement with the schema not known: it keeps its name.
        CutOffCase{"KilledCheckingTheBackup", {}, {}, "the check of the backup dump", {kBackup}, true,
                   notProven("the check of the backup dump") + ": it is whole by its form, but whether it holds the "
                   "schema as it was is not known", {kBackup, "dd_demo_2024-03-15_143005_2.dmp"}},
        CutOffCase{"KilledEditingTheDump", {}, {}, "the edit of the dump", {kBackup}, true,
                   "during the edit of the dump; nothing of schema dd_demo was changed yet, its backup dump "
                   "'%BACKUP%' is whole.",
                   {kBackup, "dd_demo_2024-03-15_143005_2.dmp"}},
        CutOffCase{"KilledWithItsTablesDropped", {}, {}, kAtReload, {kBackup}, false, wayBack(kAtReload), {kBackup}},
        CutOffCase{"KilledRestoringTheTables", {}, {ClientRule(kLoadDies).Times(1)},
                   "the restore of the dropped tables", {kBackup}, false,
                   wayBack("the restore of the dropped tables"), {kBackup}},
        // Not killed: the reload and the restore fail, and the run ends with the tables lost.
        CutOffCase{"EndedWithItsTablesLost", {}, {kLoadDies}, "", kDropped, false,
                   ") ended with schema dd_demo not whole: the dropped tables pdtable_34_1 (missing), pdtable_34_2 "
                   "(missing) are not known to be back as they were, their rows are kept in '",
                   kDropped}),
    [](const auto& info) { return info.param.name; });

// A change that an error ends in its own program: one whose step may have left the schema in
// part keeps its mark, named as ended by that error, never as cut off by the end of its program;
// one whose last step was over a whole schema leaves no mark, also when that step's mark could
// not be written (it still named the step before).
TEST_F(SchemaChangeMarkTest, AChangeAnErrorEndsIsNamedByThatEnd)
{
    const struct {
        const char* name;
        bool wholeStepUnwritten; // after the drop, a whole step whose mark write fails
        std::string left;        // what the next change is refused by, after the process; "" none
    } rows[] = {
        {"ended by an error with its tables dropped", false,
         ") ended with schema dd_demo not whole: an error ended it during the drop of the changed tables, so what that "
         "step left is not known"},
        {"ended by an error after a whole step whose mark was not written", true, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            SchemaChangeMark mark("dd_demo", kChange30);
            ASSERT_EQ(mark.Refusal(), "");
            mark.Step("the drop of the changed tables", false);
            if (row.wholeStepUnwritten) {
                SetHostFileFault([](const std::string& op, const std::string& host) {
                    return op == "write" && host.rfind(RunMark::Folder(), 0) == 0 ? EIO : 0;
                });
                EXPECT_THROW(mark.Step("the re-creation of the views", true), AppError);
                SetHostFileFault(nullptr);
            }
            throw AppError(1, "", "an error of the change");
        } catch (const AppError& e) {
            EXPECT_EQ(e.description(), "an error of the change");
        }
        const std::string left = SchemaChangeMark::LeftUnfinished("dd_demo");
        if (row.left.empty()) {
            EXPECT_EQ(left, "");
            EXPECT_EQ(RunMark::Look("schema dd_demo").state, RunMark::State::Free);
        } else {
            EXPECT_EQ(left.rfind(std::string(kChange30) + " (process " + std::to_string(Process::CurrentId()) + " ", 0),
                      0u) << left;
            EXPECT_THAT(left, HasSubstr(row.left));
            EXPECT_EQ(RunMark::Look("schema dd_demo").state, RunMark::State::Left);
        }
        RunMark::RemoveLeft("schema dd_demo");
    }
}

enum class NoMark { LinkToAUsersFile, Empty, Garbage };
enum class Road { Builder, Load, ColumnChange };

struct NoMarkCase {
    const char* name;
    NoMark file;
    Road road;
};

void PrintTo(const NoMarkCase& c, std::ostream* os) { *os << c.name; }

class MarkFileThatIsNoMarkTest : public SchemaChangeMarkTest, public ::testing::WithParamInterface<NoMarkCase> {};

// The mark file of what a road takes, replaced by a link to a file of the user's, an empty file or
// garbage: the environment builder, a load and the column change each stop, naming the file and
// how it goes, and change nothing: not the file, not the user's file behind the link, not the
// schema, and the builder builds nothing.
TEST_P(MarkFileThatIsNoMarkTest, EachRoadNamesTheFileAndChangesNothing)
{
    const NoMarkCase& c = GetParam();
    const bool builder = c.road == Road::Builder;
    const std::string root = folder_.host("newroot"), object = builder ? "root" : "schema dd_demo";
    const std::string ownRoot = StandInRoot();
    if (builder)
        SetEnvVar("TARNWICK_ROOT", root);
    {
        RunMark made(object, {});
        made.Keep();
    }
    std::string file;
    for (const auto& e : std::filesystem::directory_iterator(RunMark::Folder()))
        if (testsupport::ReadHostFile(e.path().string()).find("object=" + object + "\n") != std::string::npos)
            file = e.path().string();
    SetEnvVar("TARNWICK_ROOT", ownRoot);
    ASSERT_FALSE(file.empty());
    const std::string users = folder_.host("users_file.txt"), content = c.file == NoMark::Empty ? "" : "\x01garbage\r\n";
    testsupport::WriteHostFile(users, "the user's own text\n");
    std::filesystem::remove(file);
    if (c.file == NoMark::LinkToAUsersFile)
        std::filesystem::create_symlink(users, file);
    else
        testsupport::WriteHostFile(file, content);
    const auto before = SchemaState("dd_demo");

    std::string said;
    switch (c.road) {
    case Road::Builder:
        EXPECT_EQ(testsupport::RunHeadless(testsupport::BinDir() + "/twenv", {"--root", root, "--no-second"},
                                           folder_.host("twenv.txt")),
                  1);
        said = testsupport::ReadHostFile(folder_.host("twenv.txt"));
        EXPECT_FALSE(std::filesystem::exists(root + "/" + StandInEnvironment::kBuiltMark));
        break;
    case Road::Load: said = testsupport::Raised([&] { DumpCommands().RISLoad("'" + win("start.dmp") + "'"); }).description(); break;
    case Road::ColumnChange:
        said = testsupport::Raised([&] { columnChange()(); }).description();
        EXPECT_TRUE(backups().empty());
        break;
    }
    const std::string fault = c.file == NoMark::LinkToAUsersFile ? "is a symbolic link"
                              : c.file == NoMark::Empty         ? "is empty"
                                                                : "holds no mark that a program of this system wrote";
    EXPECT_THAT(said, HasSubstr("The mark file '" + WinPathFromHost(file) + "' of " + object + " " + fault));
    EXPECT_THAT(said, HasSubstr("remove that file"));
    EXPECT_EQ(testsupport::ReadHostFile(users), "the user's own text\n");
    EXPECT_EQ(std::filesystem::is_symlink(file), c.file == NoMark::LinkToAUsersFile);
    if (c.file != NoMark::LinkToAUsersFile) {
        EXPECT_EQ(testsupport::ReadHostFile(file), content);
    }
    EXPECT_EQ(SchemaState("dd_demo"), before);
    std::filesystem::remove(file);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MarkFileThatIsNoMarkTest,
    ::testing::Values(NoMarkCase{"BuilderMeetsALink", NoMark::LinkToAUsersFile, Road::Builder},
                      NoMarkCase{"BuilderMeetsAnEmptyMark", NoMark::Empty, Road::Builder},
                      NoMarkCase{"BuilderMeetsGarbage", NoMark::Garbage, Road::Builder},
                      NoMarkCase{"LoadMeetsALink", NoMark::LinkToAUsersFile, Road::Load},
                      NoMarkCase{"LoadMeetsAnEmptyMark", NoMark::Empty, Road::Load},
                      NoMarkCase{"LoadMeetsGarbage", NoMark::Garbage, Road::Load},
                      NoMarkCase{"ColumnChangeMeetsALink", NoMark::LinkToAUsersFile, Road::ColumnChange},
                      NoMarkCase{"ColumnChangeMeetsAnEmptyMark", NoMark::Empty, Road::ColumnChange},
                      NoMarkCase{"ColumnChangeMeetsGarbage", NoMark::Garbage, Road::ColumnChange}),
    [](const auto& info) { return info.param.name; });

} // namespace
