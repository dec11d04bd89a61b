// A script whose load, user or schema step fails on the sample environment: the run stops at
// that line with the tool's error, and the lines after it (which may drop what the failed step
// was to replace) never run.
#include "Form1Fixture.h"

#include "admin/AdminGlobals.h"

#include <QLineEdit>

namespace {

using ScriptRunFailureTest = Form1Fixture;

} // namespace

TEST_F(ScriptRunFailureTest, AFailedStepStopsTheRunBeforeTheNextLine)
{
    struct Case {
        const char* name;
        std::string line;
        const char* error;  // in the message that ends the run
    };
    const std::string missingSchemaDump = dumpDir + "\\pd_nosuch.dmp";
    writeFile(missingSchemaDump, "default schema pd_nosuch\r\ncreate table t (a int)\r\n"
                                 "***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n");
    const std::vector<Case> cases = {
        {"load into a schema that is not there", "risload '" + missingSchemaDump + "'", "rislod pd_nosuch"},
        {"drop of a schema that is not there", "del_schema 'pd_nosuch'", "risbatch drop schema pd_nosuch"},
    };
    auto form = startedForm();
    const std::string marker = dumpDir + "\\marker.txt";
    const std::string script = dumpDir + "\\failing.scr";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(marker, "before");
        writeFile(script, c.line + "\r\nappend_text '" + marker + "', 'after'\r\n");
        form->scriptfile->setText(QString::fromStdString(script));
        const size_t asked = messages.asked().size();
        messages.Answer(MsgAnswer::Yes);
        form->SCRstart_Click();
        ASSERT_EQ(messages.asked().size(), asked + 2);
        EXPECT_NE(messages.asked().back().prompt.find(c.error), std::string::npos) << messages.asked().back().prompt;
        BinaryFile f;
        f.Open(marker, BinaryFile::Mode::Read);
        EXPECT_EQ(f.ReadAt(0, 100), "before");
    }
}
