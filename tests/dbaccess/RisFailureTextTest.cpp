// A client failure as one line: every framed RIS error block where it stands, the words around
// it kept.
#include "dbaccess/RisFailureText.h"

#include <gtest/gtest.h>

namespace {

std::string Frame(const std::string& inner = "")
{
    std::string line = "*" + inner;
    line.resize(78, inner.empty() ? '*' : ' ');
    return line + "*";
}

std::string Block(const std::string& error, const std::string& detail)
{
    return Frame() + "\r\n" + Frame(" RIS Error: " + error) + "\r\n" + Frame(" " + detail) + "\r\n" + Frame();
}

TEST(RisFailureTextTest, EveryBlockBecomesItsLineWhereItStands)
{
    const std::string one = Block("RIS_E_ONE", "first"), two = Block("RIS_E_TWO", "second");
    const struct {
        const char* what;
        std::string description;
        std::string line;
    } cases[] = {
        {"no block", "File already exists", "File already exists"},
        {"after a source on its line", "CRIS::DBRead: " + one, "CRIS::DBRead: RIS Error: RIS_E_ONE - first"},
        {"after a line of its own", "Loading failed:\r\n" + one + "\r\n", "Loading failed: RIS Error: RIS_E_ONE - first"},
        {"in brackets, with a line after",
         "it could not be read again (" + one + ").\r\nSee Logfile 'x.log'",
         "it could not be read again (RIS Error: RIS_E_ONE - first).\r\nSee Logfile 'x.log'"},
        {"two blocks", "load: " + one + "; look: " + two,
         "load: RIS Error: RIS_E_ONE - first; look: RIS Error: RIS_E_TWO - second"},
        {"a block on the line after", "done\r\n" + one + "\r\nnext", "done RIS Error: RIS_E_ONE - first next"},
        {"an index block is no error", "x " + Block("RIS_E_CREATE_INDEX", "exists"),
         "x " + Block("RIS_E_CREATE_INDEX", "exists")},
        {"a banner of stars", Frame() + " trailing\r\nUnload complete.", Frame() + " trailing\r\nUnload complete."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RisFailureLine(c.description), c.line);
    }
}

} // namespace
