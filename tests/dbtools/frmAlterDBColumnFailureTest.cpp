// The column length change when the backup dump of a schema cannot be written: the schema is
// left as it was, and the run does not end with a plain "Ready." as if its columns were done.
#include "dbtools/frmAlterDBColumn.h"

#include "DbToolsSampleEnvironment.h"
#include "platform/HostFiles.h"
#include "services/MessageService.h"

#include <QLineEdit>
#include <QListWidget>

#include <cerrno>
#include <filesystem>

namespace {

using frmAlterDBColumnFailureTest = DbToolsSampleEnvironment;

std::vector<std::string> columnTypes(const std::string& schema)
{
    CRIS cris;
    cris.SetUseRIS("");
    return cris.DBGetCols(schema, "pdtable_34_1", true, true);
}

} // namespace

TEST_F(frmAlterDBColumnFailureTest, ABackupThatCannotBeWrittenLeavesTheSchemaAndSaysSo)
{
    const std::string backup = folder_.host("backup");
    std::filesystem::create_directories(backup);
    const std::vector<std::string> before = columnTypes("dd_demo");
    frmAlterDBColumn form("demo");
    form.Form_Load();
    form.Timer1_Timer();
    const auto items = form.lstSchema->findItems("dd_demo", Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    items[0]->setSelected(true);
    form.txtColumn->setText("component_code");
    form.txtLength->setText("30");
    form.txtBackup->setText(QString::fromStdString(win("backup")));
    // The backup folder's disk is full.
    SetHostFileFault([&backup](const std::string& op, const std::string& host) {
        return (op == "write" || op == "create" || op == "copy") && host.rfind(backup, 0) == 0 ? ENOSPC : 0;
    });
    boxes_.Answer(MsgAnswer::Yes);
    form.cmdProcess_Click();
    SetHostFileFault(nullptr);

    ASSERT_EQ(prompts().size(), 2u);
    EXPECT_NE(prompts()[1].find("No whole backup dump could be made, so these schemas were left unchanged:\r\ndd_demo: "),
              std::string::npos)
        << prompts()[1];
    EXPECT_EQ(columnTypes("dd_demo"), before);
    EXPECT_TRUE(std::filesystem::is_empty(backup));
}
