// Loading dumps from the main window: chosen files with the [Replace] edits, every dump of the
// dump folder, and which files count as dumps.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"
#include "dbaccess/DumpSchemaLine.h"
#include "services/AppGlobals.h"

#include <QComboBox>

namespace {

using Form1LoadTest = Form1Fixture;

std::string logText()
{
    return BinaryFile::ReadAll(gLogFile);
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST_F(Form1LoadTest, ChosenDumpsAreLoadedInTurnARawOneRewrittenAndEditedABackupNever)
{
    auto form = startedForm();
    form->UnLoad_proj_schemen_Click();
    // A raw dump as the client writes it, and a backup that must never be loaded.
    std::string dd = dumpDir + "\\dd_demo.dmp";
    std::string body = BinaryFile::ReadAll(dd);
    std::string raw = "create schema dd_demo on database (oracle)" + body.substr(body.find("\r\n"));
    writeFile(dd, raw);
    writeFile(dumpDir + "\\dd_demo.dmp.bak", "default schema dd_other\r\n");
    ASSERT_NE(raw.find("'L-100'"), std::string::npos);
    WriteIniValue(gIniFile, "Replace", "l-100", "L-900");

    const std::string nul(1, '\0');
    dialogs.Answer(dumpDir + nul + "pd_demo.dmp" + nul + "dd_demo.dmp" + nul + "dd_demo.dmp.bak");
    form->Load_auswahl_Click();

    ASSERT_EQ(dialogs.requests().size(), 1u);
    EXPECT_EQ(dialogs.requests()[0].kind, "open several");
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    std::string now = BinaryFile::ReadAll(dd);
    EXPECT_EQ(now.rfind("default schema dd_demo ", 0), 0u);
    EXPECT_EQ(now.find("'L-100'"), std::string::npos);
    EXPECT_NE(now.find("'L-900'"), std::string::npos);
    // The backup holds the dump as it was before the edits (first line already rewritten).
    std::string backup = BinaryFile::ReadAll(dd + ".bak");
    EXPECT_NE(backup.find("'L-100'"), std::string::npos);
    const std::string log = logText();
    EXPECT_EQ(count(log, "Load schema "), 2u);
    EXPECT_LT(log.find("Load schema pd_demo from '" + dumpDir + "\\pd_demo.dmp'"),
              log.find("Load schema dd_demo from '" + dumpDir + "\\dd_demo.dmp'"));
    EXPECT_EQ(gCurrentSchema, "dd_demo");
    auto rows = tablesOf("dd_demo")["pdtable_12_1"];
    bool edited = std::any_of(rows.begin(), rows.end(), [](const auto& r) { return r[1] && *r[1] == "L-900"; });
    EXPECT_TRUE(edited);
}

TEST_F(Form1LoadTest, AFailedUserCreationEndsTheLoadWithErrors)
{
    auto form = startedForm();
    form->UnLoad_proj_schemen_Click();
    WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", "C:\\nosuch\\svrmgr30.exe");
    messages.Answer(6);
    form->Load_proj_schemen_Click();
    const std::string& closing = messages.asked().back().prompt;
    EXPECT_NE(closing.find("ended with errors"), std::string::npos) << closing;
    EXPECT_NE(closing.find("svrmgr create user "), std::string::npos) << closing;
}

TEST_F(Form1LoadTest, CancelledFileDialogDoesNothing)
{
    auto form = startedForm();
    form->Load_auswahl_Click();
    EXPECT_TRUE(messages.asked().empty());
}

TEST_F(Form1LoadTest, AllDumpsLoadsOnlyDefaultSchemaDumps)
{
    auto form = startedForm();
    form->UnLoad_proj_schemen_Click();
    writeFile(dumpDir + "\\pd_demo.dmp.bak", "default schema pd_demo\r\n");
    writeFile(dumpDir + "\\raw.dmp", "create schema pd_demo on database (oracle)\r\n");
    writeFile(dumpDir + "\\notes.txt", "some text\r\n");
    messages.Answer(6);
    form->Load_all_dmp_files_Click();
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    std::string log = logText();
    EXPECT_EQ(count(log, "Load schema "), 2u);
    EXPECT_NE(log.find("Load schema pd_demo from '" + dumpDir + "\\pd_demo.dmp'"), std::string::npos);
    EXPECT_NE(log.find("Load schema dd_demo from '" + dumpDir + "\\dd_demo.dmp'"), std::string::npos);
}

TEST_F(Form1LoadTest, NoToTheQuestionLoadsNothing)
{
    auto form = startedForm();
    form->UnLoad_proj_schemen_Click();
    messages.Answer(7);
    form->Load_all_dmp_files_Click();
    EXPECT_EQ(messages.asked().back().prompt, "Are you sure?");
    EXPECT_EQ(logText().find("Load schema "), std::string::npos);
}

TEST_F(Form1LoadTest, BadProjectNameIsRefusedBeforeAnythingRuns)
{
    auto form = startedForm();
    form->Projname->setEditText("de mo");
    messages.Answer(6);
    form->Load_proj_schemen_Click();
    EXPECT_NE(messages.asked().back().prompt.find("'de mo'"), std::string::npos);
    EXPECT_EQ(logText().find("rislod"), std::string::npos);
}

} // namespace
