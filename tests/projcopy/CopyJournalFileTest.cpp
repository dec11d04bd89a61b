// The copy's journal in the marks folder: one that is a link or no regular file is refused by
// name, and what stands behind it is left as it is.
#include "projcopy/CopyJournalFile.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(CopyJournalFileTest, AJournalThatIsALinkOrNoRegularFileIsRefusedByNameAndLeftAlone)
{
    testsupport::ScopedStandInRoot root;
    testsupport::ScopedDir outside{"outside"};
    const std::string users = outside.host() + "/users_file.txt";
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "a link to a user's file" : "a FIFO");
        testsupport::WriteHostFile(users, "the user's own text\n");
        const CopyJournalFile journal("demo");
        const std::string host = HostPath(journal.Path());
        std::filesystem::create_directories(std::filesystem::path(host).parent_path());
        if (link)
            std::filesystem::create_symlink(users, host);
        else
            ASSERT_EQ(::mkfifo(host.c_str(), 0644), 0);
        JournalEntry entry;
        entry.kind = JournalEntry::Kind::File;
        entry.name = "C:\\pds\\demo\\model.dgn";
        std::vector<JournalEntry> read;
        RunMark::Fields who;
        for (const bool save : {true, false}) {
            std::string said;
            try {
                if (save)
                    journal.Save({entry});
                else
                    journal.Load(read, who);
            } catch (const AppError& e) {
                said = e.description();
            }
            EXPECT_NE(said.find("The journal file '" + journal.Path() + "' of the copies into project 'demo' " +
                                (link ? "is a symbolic link" : "is no regular file")),
                      std::string::npos)
                << said;
        }
        EXPECT_EQ(testsupport::ReadHostFile(users), "the user's own text\n");
        EXPECT_EQ(std::filesystem::is_symlink(host), link);
        std::filesystem::remove(host);
    }
}

} // namespace
