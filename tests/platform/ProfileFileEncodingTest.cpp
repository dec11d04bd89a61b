// Settings files in UTF-16 or UTF-8 with a byte-order mark: read as the ANSI profile functions
// read them, written back in their own encoding with their mark.
#include "platform/ProfileFile.h"

#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

std::string Utf16(std::u16string_view text, bool littleEndian)
{
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        out += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return out;
}

std::string Utf8(std::u8string_view text) { return "\xEF\xBB\xBF" + std::string(text.begin(), text.end()); }

struct MarkedFile {
    const char* name;
    std::string before; // the file as it stands
    std::string after;  // the same file after the writes of the test
};

// One characters beyond the code page (Ł, ź, an emoji) in an untouched line, which must survive
// the rewrite byte for byte.
const std::u16string kBefore16 = u"[TARNWICK]\r\nrisdmpdir = C:\\pdsdump \r\nowner=Müller\r\nnote=Łódź😀\r\n"
                                 u"\r\n[Other]\r\na=1";
const std::u16string kAfter16 = u"[TARNWICK]\r\nrisdmpdir=D:\\dumps\r\nowner=Müller\r\nnote=Łódź😀\r\n"
                                u"\r\n[Other]\r\na=1\r\nb=Ä\r\n";
const std::u8string kBefore8 = u8"[TARNWICK]\r\nrisdmpdir = C:\\pdsdump \r\nowner=Müller\r\nnote=Łódź😀\r\n"
                               u8"\r\n[Other]\r\na=1";
const std::u8string kAfter8 = u8"[TARNWICK]\r\nrisdmpdir=D:\\dumps\r\nowner=Müller\r\nnote=Łódź😀\r\n"
                              u8"\r\n[Other]\r\na=1\r\nb=Ä\r\n";

class ProfileFileEncoding : public ::testing::TestWithParam<MarkedFile> {
protected:
    testsupport::ScopedDir dir{"profile-encoding"};
    std::string file = dir.host() + "/tarnwick.ini";

    void put(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    std::string bytes() const { return testsupport::ReadHostFile(file); }
    std::string get(const std::string& section, const std::string& key)
    {
        return ProfileFile::GetString(section, key, "dflt"s, 32768, file);
    }
};

TEST_P(ProfileFileEncoding, ReadsAsTheAnsiProfileFunctions)
{
    put(GetParam().before);
    EXPECT_EQ(get("TARNWICK", "risdmpdir"), "C:\\pdsdump");
    EXPECT_EQ(get("tarnwick", "OWNER"), "M\xFCller");
    EXPECT_EQ(get("TARNWICK", "note"), "?\xF3" "d??");
    EXPECT_EQ(get("Other", "a"), "1");
    EXPECT_EQ(get("Other", "missing"), "dflt");
    EXPECT_EQ(ProfileFile::GetString(std::nullopt, std::nullopt, ""s, 32768, file), "TARNWICK\0Other\0"s);
    EXPECT_EQ(ProfileFile::GetString("TARNWICK"s, std::nullopt, ""s, 32768, file), "risdmpdir\0owner\0note\0"s);
}

TEST_P(ProfileFileEncoding, WritesKeepTheEncodingTheMarkAndEveryOtherByte)
{
    put(GetParam().before);
    ASSERT_TRUE(ProfileFile::WriteString("TARNWICK"s, "risdmpdir"s, "D:\\dumps"s, file));
    ASSERT_TRUE(ProfileFile::WriteString("Other"s, "b"s, "\xC4"s, file));
    EXPECT_EQ(bytes(), GetParam().after);
    EXPECT_EQ(get("Other", "b"), "\xC4");

    // Removing what was added gives the file back as it was, up to the line end the new key
    // gave the last line.
    ASSERT_TRUE(ProfileFile::WriteString("Other"s, "b"s, std::nullopt, file));
    ASSERT_TRUE(ProfileFile::WriteString("TARNWICK"s, "risdmpdir"s, " C:\\pdsdump "s, file));
    EXPECT_EQ(get("TARNWICK", "risdmpdir"), "C:\\pdsdump");
    EXPECT_EQ(ProfileFile::GetString("Other"s, std::nullopt, ""s, 32768, file), "a\0"s);
}

INSTANTIATE_TEST_SUITE_P(Marks, ProfileFileEncoding,
                         ::testing::Values(MarkedFile{"Utf16LittleEndian", Utf16(kBefore16, true), Utf16(kAfter16, true)},
                                           MarkedFile{"Utf16BigEndian", Utf16(kBefore16, false), Utf16(kAfter16, false)},
                                           MarkedFile{"Utf8", Utf8(kBefore8), Utf8(kAfter8)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileFileEncodingEdges, MarkOnlyFileTakesItsFirstKeyInItsEncoding)
{
    testsupport::ScopedDir dir{"profile-mark-only"};
    const std::string file = dir.host() + "/tarnwick.ini";
    std::ofstream(file, std::ios::binary) << "\xFF\xFE";
    EXPECT_EQ(ProfileFile::GetString("S"s, "k"s, "dflt"s, 32768, file), "dflt");
    ASSERT_TRUE(ProfileFile::WriteString("S"s, "k"s, "v"s, file));
    EXPECT_EQ(testsupport::ReadHostFile(file), Utf16(u"[S]\r\nk=v\r\n", true));
}

TEST(ProfileFileEncodingEdges, BrokenUtf8AndAnOddUtf16ByteAreTakenAsWindowsTakesThem)
{
    testsupport::ScopedDir dir{"profile-broken"};
    const std::string file = dir.host() + "/tarnwick.ini";
    std::ofstream(file, std::ios::binary) << "\xEF\xBB\xBF[S]\nk=a\xC3(\xE2\x82\nj=\xC0\xAF";
    EXPECT_EQ(ProfileFile::GetString("S"s, "k"s, ""s, 32768, file), "a?(?");
    EXPECT_EQ(ProfileFile::GetString("S"s, "j"s, ""s, 32768, file), "??");

    std::ofstream(file, std::ios::binary | std::ios::trunc) << Utf16(u"[S]\r\nk=v", true) + "\x41";
    EXPECT_EQ(ProfileFile::GetString("S"s, "k"s, ""s, 32768, file), "v");
    // The stray byte stays at the end, and what goes before it stays in step.
    ASSERT_TRUE(ProfileFile::WriteString("S"s, "n"s, "w"s, file));
    EXPECT_EQ(testsupport::ReadHostFile(file), Utf16(u"[S]\r\nk=v\r\nn=w\r\n", true) + "\x41");
}

} // namespace
