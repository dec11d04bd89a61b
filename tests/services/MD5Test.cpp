// MD5 digests of texts and files against RFC 1321 and independently computed values.
#include "services/MD5.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

// A repeating pattern, so digests at the block boundaries cover more than one repeated byte.
std::string Pattern(size_t n)
{
    static const std::string kChars = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += kChars[i % kChars.size()];
    return s;
}

struct DigestCase {
    const char* name;
    std::string text;
    const char* digest;
};

class MD5Digest : public ::testing::TestWithParam<DigestCase> {};

TEST_P(MD5Digest, TextAndFileGiveTheSameDigest)
{
    const DigestCase& c = GetParam();
    CMD5 md5;
    EXPECT_EQ(md5.DigestStrToHexStr(c.text, 0), c.digest);

    testsupport::ScopedDir dir("md5");
    testsupport::WriteHostFile(dir.host() + "/data.bin", c.text);
    EXPECT_EQ(md5.DigestFileToHexStr(WinPathFromHost(dir.host() + "/data.bin"), 0), c.digest);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc1321AndBoundaries, MD5Digest,
    ::testing::Values(
        DigestCase{"Empty", "", "D41D8CD98F00B204E9800998ECF8427E"},
        DigestCase{"Abc", "abc", "900150983CD24FB0D6963F7D28E17F72"},
        DigestCase{"Len55", Pattern(55), "A49D85AAAC8495CBB53B120F3B987478"},
        DigestCase{"Len56", Pattern(56), "0B74570AC5C5B441888F67619534AA88"},
        DigestCase{"Len64", Pattern(64), "BBD17CBD1784152CD93CCA62DEE11B5B"},
        DigestCase{"Len65", Pattern(65), "39DA148AE70842BC58ABFFBA06B4DAFE"},
        DigestCase{"Len119", Pattern(119), "539C092F3BBAF473CA84216060A5C8A0"},
        DigestCase{"Len120", Pattern(120), "77E1F0B553311C1938AEBB2C55638B64"},
        DigestCase{"AllByteValues",
                   [] {
                       std::string s;
                       for (int i = 0; i < 256; ++i)
                           s += static_cast<char>(i);
                       return s;
                   }(),
                   "E2C865DB4162BED963BFAA9EF6AC18F0"}),
    [](const ::testing::TestParamInfo<DigestCase>& i) { return std::string(i.param.name); });

TEST(MD5Test, ExtraTransformChangesOnlyAppendsThatCompressAndLeaveARemainder)
{
    CMD5 md5;
    EXPECT_EQ(md5.DigestStrToHexStr(Pattern(100), 0), "DC3CD58992A4D49D05B7108E26F27EF8");
    EXPECT_NE(md5.DigestStrToHexStr(Pattern(100), 1), "DC3CD58992A4D49D05B7108E26F27EF8");
    EXPECT_EQ(md5.DigestStrToHexStr(Pattern(55), 1), "A49D85AAAC8495CBB53B120F3B987478");
    EXPECT_EQ(md5.DigestStrToHexStr("abc", -3), "900150983CD24FB0D6963F7D28E17F72");
}

TEST(MD5Test, MissingFileRaises)
{
    CMD5 md5;
    EXPECT_THROW(md5.DigestFileToHexStr("C:\\no\\such\\file.txt", 0), AppError);
}

} // namespace
