// The paths of a model's relocation: share paths, the file mask, the sub-folder of a
// discipline-3 model, and the probe of the plain share on the file server.
#include "projcopy/ModelRelocation.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(ModelRelocation, PathsOfTheSharesAndTheModelFolder)
{
    EXPECT_EQ(ModelRelocation::SharePath("srv", "d:\\proj\\model\\", "$"), "\\\\srv\\d$\\proj\\model\\");
    EXPECT_THROW(ModelRelocation::SharePath("srv", "\\proj\\model", ""), AppError);
    EXPECT_EQ(ModelRelocation::FileMask("\\\\srv\\d$\\proj\\model", " abc.dgn"), "\\\\srv\\d$\\proj\\model\\abc.*");
    EXPECT_EQ(ModelRelocation::FileMask("\\\\srv\\d\\m\\", "abc"), "\\\\srv\\d\\m\\*");
    EXPECT_EQ(ModelRelocation::TargetPath("e:\\sub", ModelRelocation::SubFolder("d:\\proj\\fw\\unit1\\")),
              "e:\\sub\\unit1\\");
    EXPECT_EQ(ModelRelocation::SubFolder("d:unit1\\"), "");
}

TEST(ModelRelocation, ThePlainShareIsUsedWhenItListsTheFolder)
{
    std::filesystem::create_directories(HostPath("\\\\probe\\e\\pds\\pipe"));
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "e:\\pds\\pipe\\"), "$"); // empty folder
    testsupport::WriteHostFile(HostPath("\\\\probe\\e\\pds\\pipe\\x.dgn"), "x");
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "e:\\pds\\pipe\\"), "");
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "e:\\pds\\pipe"), "");
    EXPECT_EQ(ModelRelocation::GetShareSuffix("nowhere", "e:\\pds\\pipe\\"), "$");
    EXPECT_EQ(ModelRelocation::GetShareSuffix("probe", "no drive"), "$");
    std::filesystem::remove_all(HostPath("\\\\probe\\e"));
}
