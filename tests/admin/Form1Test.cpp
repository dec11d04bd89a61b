// The main window on the sample environment: start-up, project list, unload and load of the
// project's schemas, the configuration dialog; message answers and dialogs scripted.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "admin/ConfigForm.h"
#include "admin/ConfigSettings.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpSchemaLine.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/Environment.h"
#include "services/AppGlobals.h"
#include "services/ControlsLock.h"
#include "support/TestFiles.h"
#include "support/Raised.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>


namespace {

using Form1Test = Form1Fixture;

TEST_F(Form1Test, StartUpFillsTheProjectListAndTheSettings)
{
    auto form = startedForm();
    ASSERT_GE(form->Projname->count(), 1);
    EXPECT_NE(form->Projname->findText("demo"), -1);
    EXPECT_EQ(form->projectName(), "demo");
    EXPECT_EQ(form->risdmpdir->text().toStdString(), dumpDir);
    EXPECT_NE(std::find(gSchemaNames.begin(), gSchemaNames.end(), "pd_demo"), gSchemaNames.end());
    std::string log = BinaryFile::ReadAll(gLogFile);
    EXPECT_EQ(log.rfind(std::string(50, '*'), 0), 0u);
    EXPECT_NE(log.find("INIfile = " + gIniFile), std::string::npos);
    EXPECT_NE(log.find("1 schemas found"), std::string::npos);
    EXPECT_TRUE(messages.asked().empty());
}

TEST_F(Form1Test, TheLockOfARunLeavesOnlyExitEnabled)
{
    auto form = startedForm();
    LockControls();
    EXPECT_FALSE(form->UnLoad_all_Schemen->isEnabled());
    EXPECT_FALSE(form->Configuration->isEnabled());
    EXPECT_TRUE(form->Exit->isEnabled());
    UnlockControls();
    EXPECT_TRUE(form->UnLoad_all_Schemen->isEnabled());
}

TEST_F(Form1Test, SchemaListIsReplacedOnReread)
{
    auto form = startedForm();
    gSchemaNames.push_back("pd_gone");
    gSchemaListText += "\r\npd_gone";
    form->get_schemanamen();
    EXPECT_EQ(std::find(gSchemaNames.begin(), gSchemaNames.end(), "pd_gone"), gSchemaNames.end());
    EXPECT_EQ(gSchemaListText.find("pd_gone"), std::string::npos);
}

TEST_F(Form1Test, UnloadProjectWritesOneDumpPerSchemaWithDefaultLinesOfUnchangedLength)
{
    auto form = startedForm();
    // The client's own dump, first line untouched, to compare lengths with.
    gCRIS->RISUnload(dumpDir + "\\raw.dmp", "dd_demo", std::nullopt, std::nullopt, "", 0, false,
                     UnloadExtras::ViewsIndexesGrants);
    std::string raw = BinaryFile::ReadAll(dumpDir + "\\raw.dmp");
    ASSERT_EQ(raw.rfind("create schema dd_demo", 0), 0u);

    form->UnLoad_proj_schemen_Click();

    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    for (const char* schema : {"pd_demo", "dd_demo"}) {
        std::string dump = dumpDir + "\\" + schema + ".dmp";
        std::string first = DumpSchemaLine::ReadFirstLine(dump);
        EXPECT_EQ(first.rfind(std::string("default schema ") + schema, 0), 0u) << first;
    }
    std::string dd = BinaryFile::ReadAll(dumpDir + "\\dd_demo.dmp");
    EXPECT_EQ(dd.size(), raw.size());
    EXPECT_EQ(dd.find("\r\n"), raw.find("\r\n"));
    EXPECT_EQ(dd.substr(dd.find("\r\n")), raw.substr(raw.find("\r\n")));
}

// Rows deleted from one schema and a whole schema dropped with its user: the load makes the user
// and schema again and puts every table back.
TEST_F(Form1Test, LoadProjectPutsTheTablesBack)
{
    auto form = startedForm();
    form->UnLoad_proj_schemen_Click();
    auto pdBefore = tablesOf("pd_demo");
    auto ddBefore = tablesOf("dd_demo");
    ASSERT_FALSE(pdBefore.empty());
    execute("pd_demo", "delete from pdtable_113");
    ASSERT_NE(tablesOf("pd_demo"), pdBefore);
    {
        DbServer server(StandInRoot());
        std::string user = server.FindSchema("dd_demo")->dbUser;
        server.DropSchema("dd_demo");
        server.DropUser(user);
        server.WriteSchemaFile();
    }

    messages.Answer(6); // "Are you sure?" Yes
    form->Load_proj_schemen_Click();

    ASSERT_EQ(messages.asked().size(), 3u);
    EXPECT_EQ(messages.asked()[1].prompt, "Are you sure?");
    EXPECT_EQ(messages.asked()[2].prompt, " Tarnwick is ready  -  See Logfile ");
    EXPECT_EQ(tablesOf("pd_demo"), pdBefore);
    EXPECT_EQ(tablesOf("dd_demo"), ddBefore);
}

TEST_F(Form1Test, LoadProjectTakesOnlyTheWholeProjectName)
{
    auto form = startedForm();
    writeFile(dumpDir + "\\pd_demo2.dmp", "default schema pd_demo2\r\n");
    messages.Answer(6);
    form->Load_proj_schemen_Click();
    // Nothing of the project was unloaded, and pd_demo2 is another project: no client ran, and
    // the folder is named as holding no dump of the project.
    EXPECT_EQ(messages.asked().back().prompt, "The dump folder '" + dumpDir + "' holds no RIS dump of project demo (a "
              "file whose first line is a 'default schema' line naming one of its schemas): nothing loaded");
    EXPECT_EQ(BinaryFile::ReadAll(gLogFile).find("rislod"), std::string::npos);
}

TEST_F(Form1Test, LoadRefusesADumpWithoutSchemaLine)
{
    auto form = startedForm();
    const std::string dump = dumpDir + "\\x.dmp";
    writeFile(dump, "create table t (a int)\r\n");
    gCurrentSchema = "pd_demo";
    const AppError e = testsupport::Raised([&] { form->RISLoad("'" + dump + "'"); });
    EXPECT_NE(e.description().find("'" + dump + "'"), std::string::npos);
    EXPECT_EQ(BinaryFile::ReadAll(gLogFile).find("rislod"), std::string::npos);
}

TEST_F(Form1Test, EdrisdmpOnAMissingDumpRaisesInsteadOfEnding)
{
    auto form = startedForm();
    const AppError e = testsupport::Raised([&] { form->edrisdmp("'" + dumpDir + "\\missing.dmp'"); });
    EXPECT_EQ(e.description(), "Edrisdmp File: '" + dumpDir + "\\missing.dmp' does not exist");
}

TEST_F(Form1Test, AFirstLineEndedByLfAloneIsLeftWholeAndSaidSo)
{
    auto form = startedForm();
    const std::string dump = dumpDir + "\\pd_lf.dmp";
    const std::string text = "create schema pd_lf on database (ora, dbname x)\ncreate table t (a int)\r\n"
                             "***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n";
    writeFile(dump, text);
    const AppError e = testsupport::Raised([&] { form->edrisdmp("'" + dump + "'"); });
    EXPECT_NE(e.description().find("'" + dump + "' is left as it is: its first line ends with LF alone"),
              std::string::npos)
        << e.description();
    EXPECT_EQ(BinaryFile::ReadAll(dump), text);
    // "Load selected files" rewrites the same way before it loads: it stops with the same words.
    dialogs.Answer(dump);
    messages.Answer(MsgAnswer::Ok);
    form->Load_auswahl_Click();
    EXPECT_NE(messages.asked().back().prompt.find("ends with LF alone"), std::string::npos)
        << messages.asked().back().prompt;
    EXPECT_EQ(BinaryFile::ReadAll(dump), text);
    EXPECT_EQ(BinaryFile::ReadAll(gLogFile).find("rislod"), std::string::npos);
}

// "Load selected files" reads the schema line word by word: a leading or doubled blank keeps the
// name, the line becomes a "default schema" line of the same length and the load names the schema.
TEST_F(Form1Test, LoadSelectedFilesReadsTheSchemaNameAsAWord)
{
    auto form = startedForm();
    for (const std::string first : {"create  schema pd_ws on database (ora, dbname x)",
                                    " create schema pd_ws on database (ora, dbname x)"}) {
        const std::string dump = dumpDir + "\\pd_ws.dmp";
        const std::string rest = "\r\ncreate table t (a int)\r\n***RIS*** End of Table ***RIS***\r\n"
                                 "***RIS*** End of Schema ***RIS***\r\n";
        writeFile(dump, first + rest);
        dialogs.Answer(dump);
        messages.Answer(MsgAnswer::Ok);
        form->Load_auswahl_Click();
        const std::string now = BinaryFile::ReadAll(dump);
        EXPECT_EQ(now.size(), first.size() + rest.size()) << first;
        EXPECT_EQ(now.rfind("default schema pd_ws ", 0), 0u) << now;
        EXPECT_NE(BinaryFile::ReadAll(gLogFile).find("Loading into schema pd_ws."), std::string::npos) << first;
        EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ") << first;
    }
}

// The dialog writes every key exactly as typed, read back by readers that spell the keys in other
// cases and bring other defaults; Cancel writes nothing.
TEST_F(Form1Test, ConfigurationDialogWritesItsKeys)
{
    auto form = startedForm();
    ConfigForm dialog;
    dialog.Form_Load();
    dialog.box("DBname")->setText("PDSDB");
    dialog.box("TCPIP")->setText("10.1.2.3");
    dialog.box("temporary_tablespace")->setText("  TEMP2  ");
    dialog.box("seedproj")->setText("");
    dialog.OK_Click();
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "dbname", ""), "PDSDB");
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "TCPIP", ""), "10.1.2.3");
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "osuser", "svcacct.k4t2p"), "acct.zq8vnrhw");
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "temporary_tablespace", "x"), "TEMP2");
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "seedproj", "seed"), "");
    for (const auto& row : kConfigRows)
        EXPECT_NE(ReadIniValue(gIniFile, "TARNWICK", std::string(row.key), "<missing>"), "<missing>") << row.key;

    ConfigForm again;
    again.Form_Load();
    again.box("DBname")->setText("OTHER");
    again.Command1_Click();
    EXPECT_EQ(ReadIniValue(gIniFile, "TARNWICK", "dbname", ""), "PDSDB");
}

TEST_F(Form1Test, CancelledSchemaFileBrowsePutsTheStoredValueBack)
{
    auto form = startedForm();
    ConfigForm dialog;
    dialog.Form_Load();
    dialog.box("Schemafile")->setText("typed");
    dialogs.Answer(""); // cancel
    dialog.cmdSchemafile_Click();
    EXPECT_EQ(dialog.box("Schemafile")->text().toStdString(), "w:\\pdsdef\\schema");
}

// A second load of the dump folder with a tablespace folder in the settings: the user's own
// tablespace (and the user) are there from the first load, which the load passes over and says
// so, as a script does; the load then ends as ready.
TEST_F(Form1Test, ASecondLoadWithATablespaceFolderPassesOverWhatIsThereAlready)
{
    auto form = startedForm();
    WriteIniValue(gIniFile, "TARNWICK", "user_tablespace", "d:\\oradata\\");
    writeFile(dumpDir + "\\pd_tsld.dmp", "default schema pd_tsld\r\ncreate table t (a int)\r\n"
                                         "***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n");
    for (int load = 1; load <= 2; ++load) {
        SCOPED_TRACE(load);
        messages.Answer(MsgAnswer::Yes);
        messages.Answer(MsgAnswer::Ok);
        form->Load_all_dmp_files_Click();
        EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    }
    const std::string log = BinaryFile::ReadAll(gLogFile);
    EXPECT_NE(log.find("The own tablespace of database user pd_tsld stood already: svrmgr create user pd_tsld: "
                       "ORA-01543: tablespace 'PD_TSLD' already exists; the database user pd_tsld exists."),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Failed: "), std::string::npos) << log;
    EXPECT_NE(log.find("The RIS schema pd_tsld stood already: risbatch create schema pd_tsld: RIS Error: "
                       "RIS_E_SCHEMA_EXISTS"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("was done although"), std::string::npos) << log;
    form->Del_Schema("'pd_tsld'");
    form->Del_DBUser("'pd_tsld'");
}

} // namespace
