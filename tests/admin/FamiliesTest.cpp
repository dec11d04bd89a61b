// The family boxes and the loop of the family commands: order, confirmations, a project changed
// mid-run. (Esc and bad project names are proved in the whole-system test of the commands.)
#include "admin/Families.h"

#include "AdminTestSupport.h"
#include "services/MessageService.h"
#include "services/ScriptedMessageService.h"

#include <array>
#include <gtest/gtest.h>

namespace {

const std::string kReady = " Tarnwick is ready  -  See Logfile ";

class FamiliesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No server manager here: the tools fail, which the loop only reports.
        families.boxValue = [this](size_t i) { return boxes[i]; };
        families.setBoxValue = [this](size_t i, int v) { boxes[i] = v; };
        families.projectText = [this] { return project; };
        families.currentSchema = [this](const std::string& s) { visited.push_back(s); };
    }
    void Check(std::initializer_list<size_t> indexes)
    {
        for (size_t i : indexes)
            boxes[i] = kBoxChecked;
    }

    admintest::AdminFolder folder{"families"};
    ScriptedMessageService messages;
    Families families;
    std::array<int, 12> boxes{};
    std::string project = "p1";
    std::vector<std::string> visited;
};

TEST_F(FamiliesTest, SelectAllThenDeselectAllClearsEveryBoxAlsoGrey)
{
    boxes[3] = kBoxGrey;
    families.selall();
    for (int v : boxes)
        EXPECT_EQ(v, kBoxChecked);
    boxes[5] = kBoxGrey;
    families.deselall();
    for (int v : boxes)
        EXPECT_EQ(v, kBoxUnchecked);
}

TEST_F(FamiliesTest, CheckedFamiliesRunInFamilyOrderWhateverTheCheckingOrder)
{
    Check({11, 8, 0, 1});
    families.Run(FamilyCommand::CreateSchema);
    EXPECT_EQ(visited, (std::vector<std::string>{"pd_p1", "dd_p1", "pipm_p1", "tdt_p1"}));
}

TEST_F(FamiliesTest, NoBoxCheckedShowsTheReadyBoxAtOnce)
{
    EXPECT_EQ(families.Run(FamilyCommand::CreateDBSchema), FamilyOutcome::Ready);
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_EQ(messages.asked()[0].prompt, kReady);
    EXPECT_EQ(messages.asked()[0].style, MsgStyle::OkOnly);
}

TEST_F(FamiliesTest, NoToTheSecondQuestionDeletesNothing)
{
    Check({0, 1});
    messages.Answer(MsgAnswer::Yes);
    messages.Answer(MsgAnswer::No);
    EXPECT_EQ(families.Run(FamilyCommand::DeleteDBUser), FamilyOutcome::Declined);
    EXPECT_EQ(messages.asked().size(), 2u);
    EXPECT_TRUE(visited.empty());
}

TEST_F(FamiliesTest, ProjectChangedToABadNameMidRunEndsWithTheErrorBox)
{
    Check({0, 1, 2});
    families.currentSchema = [this](const std::string& s) {
        visited.push_back(s);
        project = "x' or '1";
    };
    EXPECT_EQ(families.Run(FamilyCommand::CreateSchema), FamilyOutcome::Failed);
    EXPECT_EQ(visited, std::vector<std::string>{"pd_p1"});
    ASSERT_EQ(messages.asked().size(), 1u);
    EXPECT_NE(messages.asked()[0].prompt.find("x' or '1"), std::string::npos);
}

} // namespace
