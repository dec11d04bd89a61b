// Reading RIS error blocks out of client output.
#include "dbaccess/RISErrorReader.h"


#include <gtest/gtest.h>

#include <vector>

namespace {

// A frame line: "*" at column 1 and its last "*" at column 79.
std::string Frame(const std::string& inner = "")
{
    std::string line = "*" + inner;
    line.resize(78, inner.empty() ? '*' : ' ');
    return line + "*";
}

std::string Block(const std::string& error, const std::string& detail)
{
    return Frame() + "\r\n" + Frame(" RIS Error: " + error) + "\r\n" + Frame(" " + detail) + "\r\n" + Frame() +
           "\r\n";
}

} // namespace

TEST(RISErrorReaderTest, NoRunOfTenAsterisksGivesNothingEvenWithTheWords)
{
    EXPECT_EQ(RISErrorText("RIS Error: RIS_E_UNKNOWN_RELATION\r\n"), "");
    EXPECT_EQ(RISErrorText(""), "");
}

TEST(RISErrorReaderTest, ASecondBlockEndsTheScan)
{
    const std::string out = Block("RIS_E_ONE", "first") + "between\n" + Block("RIS_E_TWO", "second");
    const std::string text = RISErrorText(out);
    EXPECT_NE(text.find("RIS_E_ONE"), std::string::npos);
    EXPECT_EQ(text.find("RIS_E_TWO"), std::string::npos);
    EXPECT_EQ(text.find("second"), std::string::npos);
}

TEST(RISErrorReaderTest, CreateIndexBlockIsNoError)
{
    EXPECT_EQ(RISErrorText(Block("RIS_E_CREATE_INDEX", "index exists")), "");
    // A counting block after it is still found, without the passed-over lines.
    const std::string text =
        RISErrorText(Block("ris_e_create_index", "index exists") + Block("RIS_E_DUP_VALUE", "dup"));
    EXPECT_EQ(text.find("index exists"), std::string::npos);
    EXPECT_NE(text.find("RIS_E_DUP_VALUE"), std::string::npos);
}

TEST(RISErrorReaderTest, FrameLinesOutsideABlockAreNoError)
{
    // A client's banner of stars, boxed or bare, before, between or after the blocks.
    const std::string banner = Frame() + "\r\n" + Frame(" risunlod stand-in") + "\r\n" + Frame() + "\r\n";
    EXPECT_EQ(RISErrorText(banner + "Unload complete.\r\n" + Frame() + "\r\n"), "");
    EXPECT_EQ(RISErrorText(Frame() + " trailing\r\n"), "");
    const std::string text = RISErrorText(banner + Block("RIS_E_X", "detail") + banner);
    EXPECT_EQ(text, Frame() + "\r\n" + Frame(" RIS Error: RIS_E_X") + "\r\n" + Frame(" detail") + "\r\n" + Frame());
    EXPECT_EQ(RISErrorMessage(banner + Block("RIS_E_X", "detail") + banner), "RIS Error: RIS_E_X - detail");
}

TEST(RISErrorReaderTest, AMessageWrappedOverFrameLinesReadsAsOneSentence)
{
    const std::string out = Frame() + "\r\n" + Frame(" RIS Error: RIS_E_NO_ROWS") + "\r\n" +
                            Frame(" The statement matched no row, so no table was") + "\r\n" + Frame(" changed.") +
                            "\r\n" + Frame() + "\r\n";
    EXPECT_EQ(RISErrorMessage(out), "RIS Error: RIS_E_NO_ROWS - The statement matched no row, so no table was changed.");
    EXPECT_EQ(RISErrorMessage("no block\r\n"), "");
    // A description keeps what the program said before the block, on the block's line or not.
    EXPECT_EQ(RISErrorLine("CRIS::DBRead: " + out), "CRIS::DBRead: " + RISErrorMessage(out));
    EXPECT_EQ(RISErrorLine("Loading failed:\r\n" + out), "Loading failed: " + RISErrorMessage(out));
    EXPECT_EQ(RISErrorLine("File already exists"), "File already exists");
}

TEST(RISErrorReaderTest, A78ColumnLineIsNoFrame)
{
    EXPECT_EQ(RISErrorText(std::string(78, '*') + "\r\nRIS Error: RIS_E_X\r\n"), "");
    // The last "*" counts, not the length: text after it keeps the frame.
    EXPECT_EQ(RISErrorText(Frame() + " trailing\r\n" + Frame(" RIS Error: RIS_E_X") + "\r\n" + Frame() + "\r\n"),
              Frame() + " trailing\r\n" + Frame(" RIS Error: RIS_E_X") + "\r\n" + Frame());
}

TEST(RISErrorReaderTest, BareLineFeedsAreRead)
{
    std::string out = Block("RIS_E_X", "detail");
    std::erase(out, '\r');
    EXPECT_NE(RISErrorText(out).find("RIS_E_X"), std::string::npos);
}

// The error line after the opening frame line makes the block whether it is framed or not: a
// client that writes a long code and text past column 79 still reports an error.
TEST(RISErrorReaderTest, AnUnframedErrorLineAfterAFrameLineStartsABlock)
{
    const std::string stars = Frame();
    struct Case {
        const char* name;
        std::string output;
        std::string text;     // RISErrorText
        std::string message;  // RISErrorMessage
    };
    const std::string longLine = "* RIS Error: RIS_E_TABLE_NOT_FOUND table 'pdtable_999' is not defined in schema 'pd_x'";
    const std::vector<Case> cases = {
        {"unframed, closed by stars", stars + "\r\n" + longLine + "\r\n" + stars + "\r\n", stars + "\r\n" + longLine + "\r\n" + stars,
         "RIS Error: RIS_E_TABLE_NOT_FOUND table 'pdtable_999' is not defined in schema 'pd_x'"},
        {"bare, then a framed detail", "progress\r\n" + stars + "\r\nRIS Error: RIS_E_X\r\n" + Frame(" detail") + "\r\n" + stars +
             "\r\nLoad complete\r\n",
         stars + "\r\nRIS Error: RIS_E_X\r\n" + Frame(" detail") + "\r\n" + stars, "RIS Error: RIS_E_X - detail"},
        {"unframed index block passed over", stars + "\r\nRIS Error: RIS_E_CREATE_INDEX\r\n" + stars + "\r\n", "", ""},
        {"error line without a frame line before it", "progress\r\n* RIS Error: RIS_E_X\r\n" + stars + "\r\n", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RISErrorText(c.output), c.text);
        EXPECT_EQ(RISErrorMessage(c.output), c.message);
    }
}

// A client failure as one line: every block where it stands, the words around it kept.
TEST(RISErrorReaderTest, EveryBlockOfADescriptionBecomesItsLineWhereItStands)
{
    const std::string one = Block("RIS_E_ONE", "first"), two = Block("RIS_E_TWO", "second");
    const std::string line1 = "RIS Error: RIS_E_ONE - first", line2 = "RIS Error: RIS_E_TWO - second";
    const struct {
        std::string description, line;
    } cases[] = {
        {"it could not be read again (" + one.substr(0, one.size() - 2) + ").\r\nSee Logfile 'x.log'",
         "it could not be read again (" + line1 + ").\r\nSee Logfile 'x.log'"},
        {"load: " + one.substr(0, one.size() - 2) + "; look: " + two, "load: " + line1 + "; look: " + line2},
        {"done\r\n" + one + "next", "done " + line1 + " next"},
        {"x " + Block("RIS_E_CREATE_INDEX", "exists"), "x " + Block("RIS_E_CREATE_INDEX", "exists")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RISErrorLine(c.description), c.line) << c.description;
}
