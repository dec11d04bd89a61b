// A script of every command word started from the main window's "Start script" button against
// the sample environment: dumps, schemas, users and files as expected. (Bad lines, Esc and the
// question are the script runner's own tests.)
#include "e2e/SampleForm1Test.h"

#include "admin/AdminGlobals.h"
#include "dbaccess/CRIS.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/MessageService.h"

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

namespace {

using admintest::ReadHostFile;
using admintest::WriteHostFile;

std::string firstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }

class ScriptRunE2ETest : public SampleForm1Test {
protected:
    void SetUp() override
    {
        SampleForm1Test::SetUp();
        std::filesystem::create_directories(folder.host("dumps"));
        WriteIniValue(gIniFile, "TARNWICK", "projname", "demo");
        WriteIniValue(gIniFile, "TARNWICK", "uservar1", folder.win("dumps"));
        form.scriptfile->setText(QString::fromStdString(folder.win("tarnwick.scr")));
    }

    // Writes the script and starts it with the button, answering "Are you sure?" with Yes.
    void start(const std::string& script)
    {
        WriteHostFile(folder.host("tarnwick.scr"), script);
        messages.Answer(MsgAnswer::Yes);
        form.SCRstart->click();
    }
    std::string dump(const std::string& name) const { return ReadHostFile(folder.host("dumps/" + name)); }
    std::string shownLine() const { return form.aktuellescrzeile->text().toStdString(); }
    static long models(const std::string& schema)
    {
        CRIS cris;
        cris.SetUseRIS("");
        return cris.DBRead(schema, "SELECT model_no FROM pdtable_113", 3).RecordCount();
    }
};

TEST_F(ScriptRunE2ETest, EveryCommandWordLeavesItsDumpsSchemasAndFiles)
{
    WriteHostFile(folder.host("dumps/notes.txt"), "run notes\r\n");
    const std::string script =
        "! Copy of the sample project schema into pd_scr, with a scratch schema made and removed\r\n"
        "message 'Start of the run for \xA7projname\xA7'\r\n"
        "risunload 'pd_demo', '\xA7uservar1\xA7\\pd_demo.dmp'\r\n"
        "edrisdmp '\xA7uservar1\xA7\\pd_demo.dmp'\r\n"
        "doscmd 'copy \"\xA7uservar1\xA7\\pd_demo.dmp\" \"\xA7uservar1\xA7\\pd_scr.dmp\"'\r\n"
        "change '\xA7uservar1\xA7\\pd_scr.dmp', 'default schema pd_demo', 'default schema pd_scr'\r\n"
        "cre_dbuser 'pd_scr'\r\n"
        "cre_schema 'pd_scr'\r\n"
        "risload '\xA7uservar1\xA7\\pd_scr.dmp'\r\n"
        "cre_dbuser 'pd_tmp'\r\n"
        "cre_schema 'pd_tmp'\r\n"
        "del_schema 'pd_tmp'\r\n"
        "del_dbuser 'pd_tmp'\r\n"
        "append_text '\xA7uservar1\xA7\\notes.txt', 'pd_scr loaded from pd_demo'\r\n";
    start(script);
    ASSERT_EQ(messages.asked().size(), 2u) << messages.asked().back().prompt;
    EXPECT_EQ(messages.asked()[0].prompt, "Are you sure?");
    EXPECT_EQ(messages.asked()[1].prompt, "Start of the run for demo");
    EXPECT_EQ(shownLine(), "Finished, see log file");
    EXPECT_EQ(gScriptFile, folder.win("tarnwick.scr"));

    EXPECT_EQ(dump("pd_demo.dmp").rfind("default schema pd_demo", 0), 0u);
    EXPECT_EQ(dump("pd_scr.dmp").rfind("default schema pd_scr ", 0), 0u);
    EXPECT_EQ(firstLine(dump("pd_scr.dmp.bak")), firstLine(dump("pd_demo.dmp")));
    // Only the schema line changed: the rest of the copy is the unloaded dump byte for byte.
    const std::string original = dump("pd_demo.dmp");
    const std::string copy = dump("pd_scr.dmp");
    EXPECT_EQ(copy.substr(copy.find("\r\n")), original.substr(original.find("\r\n")));

    EXPECT_TRUE(Server().FindUser("pd_scr"));
    EXPECT_TRUE(Server().FindSchema("pd_scr"));
    EXPECT_EQ(models("pd_scr"), models("pd_demo"));
    EXPECT_FALSE(Server().FindUser("pd_tmp"));
    EXPECT_FALSE(Server().FindSchema("pd_tmp"));
    EXPECT_EQ(dump("notes.txt"), "run notes\r\npd_scr loaded from pd_demo\r\n");
    EXPECT_EQ(dump("notes.txt.bak"), "run notes\r\n");
    EXPECT_FALSE(form.dumpCommands().report().HasErrors()) << form.dumpCommands().report().FirstError();
}

} // namespace
