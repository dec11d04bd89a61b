// The paths of a model's relocation: share paths, the file mask, the sub-folder of a
// discipline-3 model, and the probe of the plain share.
#include "projcopy/ModelRelocation.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

struct PathCase {
    const char* name;
    std::string got;
    const char* expected;
};

class RelocationPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(RelocationPathTest, Matches) { EXPECT_EQ(GetParam().got, GetParam().expected) << GetParam().name; }

INSTANTIATE_TEST_SUITE_P(
    Paths, RelocationPathTest,
    ::testing::Values(
        PathCase{"admin share", ModelRelocation::SharePath("srv", "d:\\proj\\model\\", "$"), "\\\\srv\\d$\\proj\\model\\"},
        PathCase{"plain share", ModelRelocation::SharePath("srv", "d:\\proj\\model\\", ""), "\\\\srv\\d\\proj\\model\\"},
        PathCase{"mask", ModelRelocation::FileMask("\\\\srv\\d$\\proj\\model\\", "abc.dgn"), "\\\\srv\\d$\\proj\\model\\abc.*"},
        PathCase{"mask of a folder without backslash",
                 ModelRelocation::FileMask("\\\\srv\\d$\\proj\\model", " abc.dgn"), "\\\\srv\\d$\\proj\\model\\abc.*"},
        PathCase{"mask without dot", ModelRelocation::FileMask("\\\\srv\\d\\m\\", "abc"), "\\\\srv\\d\\m\\*"},
        PathCase{"sub-folder", ModelRelocation::SubFolder("d:\\proj\\fw\\unit1\\"), "unit1\\"},
        PathCase{"sub-folder without closing backslash", ModelRelocation::SubFolder("d:\\pds\\demo\\fw"), "fw"},
        PathCase{"no sub-folder", ModelRelocation::SubFolder("d:unit1\\"), ""},
        PathCase{"target path", ModelRelocation::TargetPath("e:\\sub\\", "unit1\\"), "e:\\sub\\unit1\\"},
        PathCase{"target path joined", ModelRelocation::TargetPath("e:\\sub", "unit1\\"), "e:\\sub\\unit1\\"},
        PathCase{"target path alone", ModelRelocation::TargetPath("e:\\sub", ""), "e:\\sub"}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name)
            c = c == ' ' || c == '-' ? '_' : c;
        return name;
    });

TEST(ModelRelocation, APathWithoutDriveRaises)
{
    EXPECT_THROW(ModelRelocation::SharePath("srv", "\\proj\\model", ""), AppError);
}

TEST(ModelRelocation, ThePlainShareIsUsedWhenItListsTheFolder)
{
    std::filesystem::create_directories(HostPath("\\\\probe\\e\\pds\\pipe"));
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "e:\\pds\\pipe\\"), "$"); // empty folder
    { std::ofstream(HostPath("\\\\probe\\e\\pds\\pipe") + "/x.dgn") << "x"; }
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "e:\\pds\\pipe\\"), "");
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "e:\\pds\\pipe"), "");
    EXPECT_EQ(ModelRelocation::GetShareSuffix("nowhere", "e:\\pds\\pipe\\"), "$");
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "no drive"), "$");
}
