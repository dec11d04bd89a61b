// Two instances of the program running scripts at the same time on one machine: each runs its
// own statements, never the other's.
#include "Form1Fixture.h"

#include "admin/ToolRun.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"

#include <QLineEdit>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using TwoInstancesTest = Form1Fixture;

TEST_F(TwoInstancesTest, ScriptsRunSideBySideEachRunItsOwnStatements)
{
    const int perInstance = 6;
    const std::vector<std::string> stems = {"pd_twa", "pd_twb"};
    auto form = startedForm();
    std::vector<pid_t> children;
    for (const std::string& stem : stems) {
        std::string lines;
        for (int i = 0; i < perInstance; ++i)
            lines += "cre_dbuser '" + stem + std::to_string(i) + "'\r\n";
        const std::string script = dumpDir + "\\" + stem + ".scr";
        writeFile(script, lines);
        form->scriptfile->setText(QString::fromStdString(script));
        messages.Answer(MsgAnswer::Yes);
        const pid_t child = ::fork();
        if (child == 0) {
            // An instance keeps a program log of its own.
            gLogFile = dumpDir + "\\" + stem + ".log";
            form->SCRstart_Click();
            const bool finished = form->aktuellescrzeile->text() == "Finished, see log file";
            ::_exit(finished ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a script stopped on an error";
    }
    DbServer server(StandInRoot());
    int made = 0;
    for (const std::string& stem : stems)
        for (int i = 0; i < perInstance; ++i) {
            const std::string user = stem + std::to_string(i);
            if (auto found = server.FindUser(user)) {
                made += EqualsNoCase(found->password, user) ? 1 : 0;
                server.DropUser(user);
            }
        }
    EXPECT_EQ(made, 2 * perInstance);

    // What an instance killed in the middle of a run left is removed by the next one.
    const std::string left = GetEnvVar("TMP") + "\\tarnwick." + std::to_string(children[0]) + ".sql";
    writeFile(left, "connect x\r\n");
    const std::string own = ToolRun::ScratchFilePath();
    EXPECT_FALSE(HostFileExists(left));
    EXPECT_NE(own, left);
}

} // namespace
