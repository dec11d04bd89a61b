// The main window's unloads on the sample environment when a client or the old dump misbehaves:
// a new dump replaces the old one only when it is whole and can be put in place, the old dump
// stays byte for byte otherwise, and the other schemas are still unloaded.
#include "Form1Fixture.h"

#include "dbaccess/DumpSchemaLine.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "support/DumpWholenessCases.h"
#include "support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// risunlod as a script first on PATH: it writes its -o file with the given shell text and ends.
class FakeUnloadClient {
public:
    explicit FakeUnloadClient(const std::string& body) : savedPath_(GetEnvVar("PATH"))
    {
        const std::string script = folder_.host() + "/risunlod.exe";
        testsupport::WriteHostFile(script, "#!/bin/sh\n"
                                           "while [ \"$1\" != -o ]; do shift; done\n"
                                           "out=$(printf '%s' \"$2\" | tr '\\\\' /)\n" + body + "\n");
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("PATH", (folder_.host() + ":" + savedPath_).c_str(), 1);
    }
    ~FakeUnloadClient() { ::setenv("PATH", savedPath_.c_str(), 1); }
    // A host file of the client's folder holding the bytes, for the client to copy.
    std::string file(const std::string& name, const std::string& bytes)
    {
        testsupport::WriteHostFile(folder_.host() + "/" + name, bytes);
        return folder_.host() + "/" + name;
    }

private:
    testsupport::ScopedDir folder_{"fakeris"};
    std::string savedPath_;
};

class UnloadGuardTest : public Form1Fixture {
protected:
    std::vector<std::string> dumpFolder()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dumps.host()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(UnloadGuardTest, ANewDumpThatIsNotWholeNeverReplacesTheOldOne)
{
    const std::string whole =
        ReplaceAll(testsupport::WholeDump(), "default schema pd_c", "create schema pd_demo on database (oracle)");
    const std::string cut = whole.substr(0, whole.find("create table t2"));
    struct Case {
        const char* what;
        std::string client;   // what the fake client does
        const char* reported; // in the closing message
    };
    FakeUnloadClient none("exit 0");
    const std::vector<Case> cases = {
        {"no file, exit 0", "exit 0", "risunlod pd_demo: wrote no dump"},
        {"an empty file, exit 0", ": > \"$out\"; exit 0", "risunlod pd_demo: the new dump is not whole (it is empty)"},
        {"the first table only, exit 0", "cp '" + none.file("cut.dmp", cut) + "' \"$out\"; exit 0",
         "the new dump is not whole (the end-of-schema line is missing"},
        {"a whole dump of another schema", "cp '" + none.file("other.dmp", ReplaceAll(whole, "pd_demo", "pd_other")) +
                                               "' \"$out\"; exit 0",
         "the new dump holds schema 'pd_other'"},
        {"a schema line and exit 3", "printf 'create schema pd_demo\\r\\n' > \"$out\"; exit 3",
         "risunlod pd_demo: ended with exit code 3"},
    };
    const std::string dump = dumpDir + "\\pd_demo.dmp";
    const std::string old = "default schema pd_demo\r\nold content\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto form = startedForm();
        writeFile(dump, old);
        FakeUnloadClient client(c.client);
        form->familyBoxes[0]->setChecked(true);
        const size_t asked = messages.asked().size();
        form->Unload_Auswahl_Click();
        ASSERT_EQ(messages.asked().size(), asked + 1);
        const std::string& closing = messages.asked().back().prompt;
        EXPECT_NE(closing.find("ended with errors (1)"), std::string::npos) << closing;
        EXPECT_NE(closing.find(c.reported), std::string::npos) << closing;
        EXPECT_NE(closing.find("the dump '" + dump + "' stays as it was"), std::string::npos) << closing;
        EXPECT_EQ(BinaryFile::ReadAll(dump), old);
        EXPECT_EQ(dumpFolder(), std::vector<std::string>{"pd_demo.dmp"});
    }
}

TEST_F(UnloadGuardTest, AnOldDumpThatCannotBeReplacedIsNamedAndTheOtherSchemasGoOn)
{
    const std::string pdDump = dumps.host() + "/pd_demo.dmp";
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* reported;
    };
    const std::vector<Case> cases = {
        {"a read-only old dump",
         [&] {
             testsupport::WriteHostFile(pdDump, "default schema pd_demo\r\nold\r\n");
             fs::permissions(pdDump, fs::perms::owner_read);
         },
         "(Permission denied), the dump '"},
        {"a folder in the dump's place", [&] { fs::create_directory(pdDump); },
         "(a folder of that name stands there), no dump '"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dumps.host());
        fs::create_directory(dumps.host());
        c.prepare();
        const std::string before = fs::is_directory(pdDump) ? "" : testsupport::ReadHostFile(pdDump);
        auto form = startedForm();
        form->familyBoxes[0]->setChecked(true); // pd_demo
        form->familyBoxes[1]->setChecked(true); // dd_demo, after it
        const size_t asked = messages.asked().size();
        form->Unload_Auswahl_Click();
        ASSERT_EQ(messages.asked().size(), asked + 1);
        const std::string& closing = messages.asked().back().prompt;
        EXPECT_NE(closing.find("ended with errors (1), the first: risunlod pd_demo: the new dump cannot take the "
                               "place of '" + dumpDir + "\\pd_demo.dmp' " + c.reported),
                  std::string::npos)
            << closing;
        EXPECT_EQ(fs::is_directory(pdDump) ? "" : testsupport::ReadHostFile(pdDump), before);
        EXPECT_EQ(DumpSchemaLine::ReadFirstLine(dumpDir + "\\dd_demo.dmp").rfind("default schema dd_demo", 0), 0u);
        EXPECT_EQ(dumpFolder(), (std::vector<std::string>{"dd_demo.dmp", "pd_demo.dmp"}));
        fs::permissions(pdDump, fs::perms::owner_all);
    }
}

TEST_F(UnloadGuardTest, ADumpThatIsALinkStaysALinkToTheNewDump)
{
    testsupport::ScopedDir elsewhere{"linked"};
    const std::string target = elsewhere.host() + "/pd_demo.dmp";
    testsupport::WriteHostFile(target, "default schema pd_demo\r\nold\r\n");
    fs::create_symlink(target, dumps.host() + "/pd_demo.dmp");
    auto form = startedForm();
    form->familyBoxes[0]->setChecked(true);
    form->Unload_Auswahl_Click();
    EXPECT_EQ(messages.asked().back().prompt, " Tarnwick is ready  -  See Logfile ");
    ASSERT_TRUE(fs::is_symlink(dumps.host() + "/pd_demo.dmp"));
    const std::string now = testsupport::ReadHostFile(target);
    EXPECT_EQ(now.rfind("default schema pd_demo", 0), 0u);
    EXPECT_NE(now.find("***RIS*** End of Schema ***RIS***"), std::string::npos);
}

} // namespace
