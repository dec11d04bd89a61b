// The private-profile engine: Windows read rules, edits that keep the rest of the file.
#include "platform/ProfileFile.h"

#include "platform/FileAttributes.h"

#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"profile"};
    std::string file = dir.host() + "/tarnwick.ini";

    void put(const std::string& bytes) { testsupport::WriteHostFile(file, bytes); }
    std::string bytes() const { return testsupport::ReadHostFile(file); }
    std::string get(const std::string& section, const std::string& key, const std::string& def = "")
    {
        return ProfileFile::GetString(section, key, def, 32768, file);
    }
};

TEST_F(ProfileFileTest, MissingFileGivesDefaultWithoutTrailingBlanks)
{
    EXPECT_EQ(get("TARNWICK", "risdmpdir", "  c:\\dump  "), "  c:\\dump");
    EXPECT_EQ(ProfileFile::GetString("TARNWICK"s, "x"s, std::nullopt, 32768, file), "");
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(ProfileFileTest, SectionsAndKeysIgnoreCaseAndFirstMatchWins)
{
    put("[Tarnwick]\r\nKey=first\r\nkey=second\r\n[TARNWICK]\r\nother=x\r\n");
    EXPECT_EQ(get("tarnwick", "KEY"), "first");
    // The second section of the same name is never looked at.
    EXPECT_EQ(get("TARNWICK", "other", "dflt"), "dflt");
    EXPECT_EQ(get("Missing", "key", "dflt"), "dflt");
}

struct ValueCase {
    const char* name;
    const char* line;
    const char* expected;
};

class ProfileValueRules : public ProfileFileTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ProfileValueRules, ReadsValueAsWindowsDoes)
{
    put("[S]\r\n"s + GetParam().line + "\r\n");
    EXPECT_EQ(get("S", "k", "dflt"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileValueRules,
    ::testing::Values(ValueCase{"Plain", "k=v", "v"},
                      ValueCase{"Blanks", "  k \t=   a b  \t", "a b"},
                      ValueCase{"DoubleQuotes", "k=\"  quoted \"", "  quoted "},
                      ValueCase{"SingleQuotes", "k='x'", "x"},
                      ValueCase{"EmptyQuotes", "k=\"\"", ""},
                      ValueCase{"UnmatchedQuotes", "k=\"x'", "\"x'"},
                      ValueCase{"LoneQuote", "k=\"", "\""},
                      ValueCase{"EmptyValue", "k=", ""},
                      ValueCase{"NoEquals", "k", "dflt"},
                      ValueCase{"Comment", ";k=v", "dflt"},
                      ValueCase{"EqualsInValue", "k=a=b", "a=b"}),
    [](const ::testing::TestParamInfo<ValueCase>& i) { return std::string(i.param.name); });

TEST_F(ProfileFileTest, LongValueIsCutToCapacityLessOne)
{
    put("[S]\r\nk=" + std::string(40000, 'x') + "\r\n");
    EXPECT_EQ(get("S", "k").size(), 32767u);
    EXPECT_EQ(ProfileFile::GetString("S"s, "k"s, ""s, 10, file), std::string(9, 'x'));
}

TEST_F(ProfileFileTest, ListsKeysAndSectionsNulTerminated)
{
    put("top=1\r\n[A]\r\na=1\r\n; note\r\n\r\nb\r\n[B]\r\n[C]\r\nc=3");
    EXPECT_EQ(ProfileFile::GetString("a"s, std::nullopt, ""s, 32768, file), "a\0b\0"s);
    EXPECT_EQ(ProfileFile::GetString("B"s, std::nullopt, ""s, 32768, file), "");
    EXPECT_EQ(ProfileFile::GetString("Z"s, std::nullopt, ""s, 32768, file), "");
    EXPECT_EQ(ProfileFile::GetString(std::nullopt, std::nullopt, ""s, 32768, file), "A\0B\0C\0"s);
    // A list that does not fit is cut two characters short of the buffer.
    EXPECT_EQ(ProfileFile::GetString(std::nullopt, std::nullopt, ""s, 5, file), "A\0B"s);
}

TEST_F(ProfileFileTest, FirstWriteCreatesFile)
{
    ASSERT_TRUE(ProfileFile::WriteString("TARNWICK"s, "risdmpdir"s, "c:\\dump\\"s, file));
    EXPECT_EQ(bytes(), "[TARNWICK]\r\nrisdmpdir=c:\\dump\\\r\n");
    EXPECT_EQ(get("tarnwick", "RISDMPDIR"), "c:\\dump\\");
}

// The other lines of a hand-edited file survive every kind of edit byte for byte: odd line
// ends, comments, blanks, a last line without a line end.
const std::string kHandEdited = "; settings\n"
                                "[TARNWICK]\r\n"
                                "  risdmpdir = d:\\dumps  \r\n"
                                "Script=tarnwick.scr\n"
                                "\r\n"
                                "[frmRISTable]\r\n"
                                "Top=120\r\n"
                                "Left=300\r\n"
                                "\r\n"
                                "[Replace]\r\n"
                                "a=b";

TEST_F(ProfileFileTest, EveryEditKeepsTheOtherLinesByteForByte)
{
    const auto replaced = [](const std::string& old, const std::string& by) {
        std::string text = kHandEdited;
        return text.replace(text.find(old), old.size(), by);
    };
    struct Case {
        const char* name;
        std::optional<std::string> section, key, value;
        std::string expected;
    };
    const Case cases[] = {
        {"changed value", "tarnwick", "RISDMPDIR", "e:\\new", replaced("  risdmpdir = d:\\dumps  ", "risdmpdir=e:\\new")},
        {"new key before the section's blank lines", "frmRISTable", "Width", "9000",
         replaced("Left=300\r\n", "Left=300\r\nWidth=9000\r\n")},
        {"new key in a last section without line end", "Replace", "c", "d", kHandEdited + "\r\nc=d\r\n"},
        {"new section", "SearchDirs", "1", "x", kHandEdited + "\r\n[SearchDirs]\r\n1=x\r\n"},
        {"absent value deletes the key only", "FRMRISTABLE", "top", std::nullopt, replaced("Top=120\r\n", "")},
        {"absent key deletes the section", "frmRISTable", std::nullopt, std::nullopt,
         replaced("[frmRISTable]\r\nTop=120\r\nLeft=300\r\n\r\n", "")},
        // What already stands, as a read gives it back, is no write: the file stays untouched,
        // also when it is read-only.
        {"the value that stands, as it reads", "tarnwick", "RISDMPDIR", "d:\\dumps", kHandEdited},
        {"the value that stands, quoted and with blanks", "TARNWICK", "script", " \"tarnwick.scr\" ", kHandEdited},
        {"a removal of a key no section holds", "Replace", "zz", std::nullopt, kHandEdited},
        {"a removal of a section that is not there", "Nothing", std::nullopt, std::nullopt, kHandEdited},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put(kHandEdited);
        SetReadOnlyFile(file, c.expected == kHandEdited);
        ASSERT_TRUE(ProfileFile::WriteString(c.section, c.key, c.value, file));
        SetReadOnlyFile(file, false);
        EXPECT_EQ(bytes(), c.expected);
    }
}

TEST_F(ProfileFileTest, DeletingFromMissingFileCreatesNothing)
{
    EXPECT_TRUE(ProfileFile::WriteString("S"s, "k"s, std::nullopt, file));
    EXPECT_TRUE(ProfileFile::WriteString("S"s, std::nullopt, std::nullopt, file));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(ProfileFileTest, ReadOnlyFileIsNotWritten)
{
    // Only the first match counts: the value standing in a later section of the name is no
    // value the read gives back.
    put("[S]\r\nk=v\r\n[s]\r\nj=w\r\n");
    SetReadOnlyFile(file, true);
    EXPECT_FALSE(ProfileFile::WriteString("S"s, "k"s, "w"s, file));
    EXPECT_FALSE(ProfileFile::WriteString("S"s, "j"s, "w"s, file));
    EXPECT_FALSE(ProfileFile::WriteString("S"s, "k"s, "v\r\nx=1"s, file));
    EXPECT_FALSE(ProfileFile::WriteString("s"s, "j"s, std::nullopt, file));
    EXPECT_FALSE(ProfileFile::WriteString("S"s, std::nullopt, std::nullopt, file));
    SetReadOnlyFile(file, false);
    EXPECT_EQ(bytes(), "[S]\r\nk=v\r\n[s]\r\nj=w\r\n");
}

TEST_F(ProfileFileTest, WriteIntoMissingFolderFails)
{
    EXPECT_FALSE(ProfileFile::WriteString("S"s, "k"s, "v"s, dir.host() + "/no/such/x.ini"));
    EXPECT_FALSE(ProfileFile::WriteString(std::nullopt, "k"s, "v"s, file));
}

} // namespace

// A section the file holds twice (in another letter case) is rewritten as a whole: reading it
// back gives exactly what the program wrote, none of the second section's old entries.
TEST_F(ProfileFileTest, ARewrittenSectionReadsBackAsWrittenWhenTheFileHeldItTwice)
{
    put("[SearchDirs]\r\n1=C:\\a\r\n[Other]\r\nx=1\r\n[searchdirs]\r\n2=C:\\b\r\n3=C:\\c\r\n1=C:\\old\r\n");
    ASSERT_TRUE(ProfileFile::WriteString("SearchDirs"s, std::nullopt, std::nullopt, file));
    ASSERT_TRUE(ProfileFile::WriteString("SearchDirs"s, "1"s, "C:\\new"s, file));
    EXPECT_EQ(ProfileFile::GetString("SearchDirs"s, std::nullopt, ""s, 32768, file), "1\0"s);
    EXPECT_EQ(get("searchdirs", "1"), "C:\\new");
    EXPECT_EQ(bytes(), "[Other]\r\nx=1\r\n[SearchDirs]\r\n1=C:\\new\r\n");
    // A removed key goes from every section of the name.
    put("[A]\r\nk=1\r\n[a]\r\nk=2\r\n");
    ASSERT_TRUE(ProfileFile::WriteString("a"s, "K"s, std::nullopt, file));
    EXPECT_EQ(bytes(), "[A]\r\n[a]\r\n");
}

// A lone CR ends a line as CR LF and LF do.
TEST_F(ProfileFileTest, CarriageReturnOnlyLinesAreLines)
{
    put("[TARNWICK]\rprojname=demo\rdumpdir=C:\\d\r[Other]\rx=1\r");
    EXPECT_EQ(get("TARNWICK", "projname"), "demo");
    EXPECT_EQ(get("Other", "x"), "1");
    ASSERT_TRUE(ProfileFile::WriteString("TARNWICK"s, "projname"s, "demo2"s, file));
    ASSERT_TRUE(ProfileFile::WriteString("TARNWICK"s, "new"s, "n"s, file));
    EXPECT_EQ(bytes(), "[TARNWICK]\rprojname=demo2\rdumpdir=C:\\d\rnew=n\r\n[Other]\rx=1\r");
    put("[S]\r\na=1\rb=2\n");
    EXPECT_EQ(ProfileFile::GetString("S"s, std::nullopt, ""s, 32768, file), "a\0b\0"s);
}
