// The registry store: parsing of REGEDIT4 text and line-preserving write-back.
#include "platform/RegistryStore.h"

#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <chrono>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Hand-written: comments, odd spacing, an escaped text, a wrapped hex value, a deletion
// line, a lower-case hex type, a last line without a line end.
const std::string kHandWritten =
    "REGEDIT4\r\n"
    "\r\n"
    "; seeded by hand\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS\\05.04]\r\n"
    "\"PathName\"=\"C:\\\\Program Files\\\\RIS\\\\\"\r\n"
    "@=\"default \\\"quoted\\\"\"\r\n"
    "\"Count\" = dword:0000002a\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\Shares]\r\n"
    "\"pds\"=hex(7):43,53,43,46,6c,61,67,73,3d,30,00,50,61,74,68,3d,44,3a,5c,70,64,\\\r\n"
    "  73,00,00\r\n"
    "\"d$\"=hex(7):00\r\n"
    "\"old\"=-\r\n"
    "\"Bytes\"=hex:01,02,ff\r\n"
    "\"Env\"=hex(2):25,54,45,4d,50,25,00\r\n"
    "\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n"
    "\"ignored\"=\"x\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS\\06.00]\r\n"
    "\"PathName\"=\"D:\\\\RIS6\"";

const std::string kRis = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS";
const std::string kShares = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\Shares";

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

std::string Str(const RegistryData* d)
{
    return d ? std::string(d->bytes.begin(), d->bytes.end()) : std::string("<none>");
}

TEST(RegistryStoreTest, ParsesEveryValueForm)
{
    RegistryStore store;
    store.SetText(kHandWritten);

    const RegistryData* path = store.Value(kRis + "\\05.04", "pathname");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->type, kRegText);
    EXPECT_EQ(Str(path), std::string("C:\\Program Files\\RIS\\\0", 22));
    EXPECT_EQ(Str(store.Value(kRis + "\\05.04", "")), std::string("default \"quoted\"\0", 17));
    EXPECT_EQ(*store.Value(kRis + "\\05.04", "COUNT"), RegistryData::Dword(42));

    const RegistryData* pds = store.Value(kShares, "PDS");
    ASSERT_NE(pds, nullptr);
    EXPECT_EQ(*pds, RegistryData::MultiText({"CSCFlags=0", "Path=D:\\pds"}));
    EXPECT_EQ(store.Value(kShares, "d$")->bytes, std::vector<uint8_t>{0});
    EXPECT_EQ(store.Value(kShares, "Bytes")->type, kRegBinary);
    EXPECT_EQ(store.Value(kShares, "Bytes")->bytes, (std::vector<uint8_t>{1, 2, 255}));
    EXPECT_EQ(*store.Value(kShares, "Env"), RegistryData::Text("%TEMP%", kRegExpandText));
    EXPECT_EQ(store.Value(kShares, "old"), nullptr);
    EXPECT_EQ(store.Value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone", "ignored"), nullptr);
}

TEST(RegistryStoreTest, KeysAndValuesEnumerateInFileOrderWithoutRegardToCase)
{
    RegistryStore store;
    store.SetText(kHandWritten);

    EXPECT_TRUE(store.KeyExists("hkey_local_machine\\software\\intergraph\\ris\\05.04"));
    EXPECT_TRUE(store.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE")); // implied by the keys below it
    EXPECT_TRUE(store.KeyExists("HKEY_CURRENT_USER"));            // a root always exists
    EXPECT_FALSE(store.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone"));
    EXPECT_FALSE(store.KeyExists(kRis + "\\05"));

    EXPECT_EQ(store.SubKeyNames("HKEY_LOCAL_MACHINE\\software\\INTERGRAPH\\ris"),
              (std::vector<std::string>{"05.04", "06.00"}));
    EXPECT_EQ(store.SubKeyNames("HKEY_LOCAL_MACHINE"), (std::vector<std::string>{"SOFTWARE", "SYSTEM"}));
    EXPECT_EQ(store.ValueNames(kShares), (std::vector<std::string>{"pds", "d$", "Bytes", "Env"}));
    EXPECT_TRUE(store.ValueNames(kRis).empty());
}

TEST(RegistryStoreTest, UnchangedTextIsWrittenBackByteForByte)
{
    RegistryStore store;
    store.SetText(kHandWritten);
    EXPECT_EQ(store.Text(), kHandWritten);

    // Writing a value with the data it already has keeps its hand-written spelling.
    store.SetValue(kRis + "\\05.04", "count", RegistryData::Dword(42));
    EXPECT_EQ(store.Text(), kHandWritten);
}

TEST(RegistryStoreTest, ChangedValueRewritesOnlyItsOwnEntry)
{
    RegistryStore store;
    store.SetText(kHandWritten);
    store.SetValue(kShares, "PDS", RegistryData::MultiText({"Path=E:\\pds"}));

    std::string expected = kHandWritten;
    std::string oldEntry = "\"pds\"=hex(7):43,53,43,46,6c,61,67,73,3d,30,00,50,61,74,68,3d,44,3a,5c,70,64,\\\r\n"
                           "  73,00,00\r\n";
    expected.replace(expected.find(oldEntry), oldEntry.size(),
                     "\"pds\"=hex(7):50,61,74,68,3d,45,3a,5c,70,64,73,00,00\r\n");
    EXPECT_EQ(store.Text(), expected);

    // The last line keeps having no line end.
    store.SetValue(kRis + "\\06.00", "PathName", RegistryData::Text("D:\\RIS7"));
    EXPECT_EQ(store.Text().substr(store.Text().size() - 21), "\"PathName\"=\"D:\\\\RIS7\"");
}

TEST(RegistryStoreTest, NewValuesFollowTheLastValueOfTheirKeyAndNewKeysGoAtTheEnd)
{
    RegistryStore store;
    store.SetText(kHandWritten);
    store.SetValue(kRis + "\\05.04", "Version", RegistryData::Text("05.04.01"));
    store.SetValue(kRis + "\\06.00", "Version", RegistryData::Dword(-1));
    store.SetValue("HKEY_CURRENT_USER\\Network\\X", "RemotePath", RegistryData::Text("\\\\srv01\\pds"));

    std::string expected = kHandWritten;
    std::string after = "\"Count\" = dword:0000002a\r\n";
    expected.insert(expected.find(after) + after.size(), "\"Version\"=\"05.04.01\"\r\n");
    expected += "\r\n\"Version\"=dword:ffffffff\r\n"
                "\r\n[HKEY_CURRENT_USER\\Network\\X]\r\n"
                "\"RemotePath\"=\"\\\\\\\\srv01\\\\pds\"\r\n";
    EXPECT_EQ(store.Text(), expected);

    RegistryStore again;
    again.SetText(store.Text());
    EXPECT_EQ(Str(again.Value("HKEY_CURRENT_USER\\NETWORK\\x", "remotepath")), std::string("\\\\srv01\\pds\0", 12));
}

// Every kind of value the store writes, including those whose data has no quoted form.
TEST(RegistryStoreTest, EveryValueKindWrittenReadsBackIdentically)
{
    std::vector<std::string> strings;
    for (int i = 0; i < 12; ++i)
        strings.push_back("Entry number " + std::to_string(i));
    const std::vector<std::pair<std::string, RegistryData>> values = {
        {"Text", RegistryData::Text("C:\\Program Files\\\"RIS\"\\")},
        {"Empty", RegistryData::Text("")},
        {"Line breaks", RegistryData::Text("one\r\ntwo\rthree\n")},
        {"", RegistryData::Text("default")},
        {"@", RegistryData::Text("at sign")},
        {" blanks ", RegistryData::Text("  padded  ")},
        {"Dword", RegistryData::Dword(-2)},
        {"Binary", {kRegBinary, {0x00, 0x5c, 0xff}}},
        {"No bytes", {kRegBinary, {}}},
        {"Expand", RegistryData::Text("%TEMP%\\x", kRegExpandText)},
        {"Multi", RegistryData::MultiText(strings)},
        {"Big endian", {kRegDwordBigEndian, {0, 0, 0, 7}}},
        {"Short dword", {kRegDword, {1, 2}}},
        {"Text without NUL", {kRegText, {'a', 'b'}}},
        {"Text with NUL", {kRegText, {'a', 0, 'b', 0}}},
    };
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kinds";

    for (const std::string& start : {std::string(), kHandWritten}) {
        RegistryStore store;
        store.SetText(start);
        for (const auto& [name, data] : values)
            ASSERT_TRUE(store.SetValue(key, name, data)) << name;
        // Rewriting an existing entry with another kind takes the same path as a new one.
        ASSERT_TRUE(store.SetValue(kRis + "\\05.04", "Count", values[2].second));

        const std::string text = store.Text();
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            EXPECT_LT(line.size(), 81u) << line;
        RegistryStore again;
        again.SetText(text);
        EXPECT_EQ(again.Text(), text);
        EXPECT_EQ(again.ValueNames(key), store.ValueNames(key));
        for (const auto& [name, data] : values) {
            const RegistryData* read = again.Value(key, name);
            ASSERT_NE(read, nullptr) << name;
            EXPECT_EQ(*read, data) << name;
        }
        if (!start.empty()) {
            EXPECT_EQ(*again.Value(kRis + "\\05.04", "Count"), values[2].second);
            EXPECT_EQ(*again.Value(kShares, "pds"), *store.Value(kShares, "pds"));
        }
    }
}

TEST(RegistryStoreTest, NamesThatCannotBeWrittenAreRefusedWithNothingChanged)
{
    RegistryStore store;
    store.SetText(kHandWritten);
    for (const std::string& key : {std::string("HKEY_LOCAL_MACHINE\\A\r\nB"), std::string("-HKEY_LOCAL_MACHINE\\A"),
                                   std::string(" HKEY_LOCAL_MACHINE\\A"), std::string("HKEY_LOCAL_MACHINE\\A \\"),
                                   std::string("\\")}) {
        EXPECT_FALSE(store.CreateKey(key)) << key;
        EXPECT_FALSE(store.SetValue(key, "x", RegistryData::Text("1"))) << key;
    }
    EXPECT_FALSE(store.SetValue(kRis + "\\05.04", "two\nlines", RegistryData::Text("1")));
    EXPECT_FALSE(store.SetValue(kRis + "\\05.04", std::string("nul\0", 4), RegistryData::Text("1")));
    EXPECT_EQ(store.Text(), kHandWritten);
}

// A "\" at the end of hex data continues it only onto a line of hex bytes: the next key's
// header, a value line, a comment or a blank line stay what they are.
struct DanglingCase {
    const char* name;
    const char* next; // the line after the dangling hex line
};

class DanglingContinuation : public ::testing::TestWithParam<DanglingCase> {};

TEST_P(DanglingContinuation, NeverSwallowsTheNextLine)
{
    const std::string lineAfter = GetParam().next;
    const std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Before]\r\n"
                             "\"Bytes\"=hex:01,02,\\\r\n" +
                             lineAfter +
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS\\05.04]\r\n"
                             "\"PathName\"=\"C:\\\\win32app\\\\ingr\\\\RIS\"\r\n";
    RegistryStore store;
    store.SetText(text);
    EXPECT_EQ(store.Text(), text);
    const RegistryData* bytes = store.Value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Before", "Bytes");
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes->bytes, (std::vector<uint8_t>{1, 2}));
    EXPECT_TRUE(store.KeyExists(kRis + "\\05.04"));
    EXPECT_EQ(Str(store.Value(kRis + "\\05.04", "PathName")), std::string("C:\\win32app\\ingr\\RIS\0", 21));
    EXPECT_EQ(store.Value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Before", "PathName"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Lines, DanglingContinuation,
                         ::testing::Values(DanglingCase{"KeyHeader", ""}, DanglingCase{"Blank", "\r\n"},
                                           DanglingCase{"Comment", "; 03,04\r\n"},
                                           DanglingCase{"ValueLine", "\"Other\"=dword:00000001\r\n"},
                                           DanglingCase{"IndentedHeader", "  [HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegistryStoreTest, DanglingContinuationAtTheEndOfTheFileEndsTheValue)
{
    RegistryStore store;
    store.SetText("[HKEY_LOCAL_MACHINE\\A]\r\n\"b\"=hex:0a,\\");
    ASSERT_NE(store.Value("HKEY_LOCAL_MACHINE\\A", "b"), nullptr);
    EXPECT_EQ(store.Value("HKEY_LOCAL_MACHINE\\A", "b")->bytes, std::vector<uint8_t>{10});
}

TEST(RegistryStoreTest, RemovedValueTakesOnlyItsOwnLines)
{
    RegistryStore store;
    store.SetText(kHandWritten);
    EXPECT_TRUE(store.RemoveValue(kShares, "PDS"));
    EXPECT_FALSE(store.RemoveValue(kShares, "pds"));
    std::string expected = kHandWritten;
    std::string entry = "\"pds\"=hex(7):43,53,43,46,6c,61,67,73,3d,30,00,50,61,74,68,3d,44,3a,5c,70,64,\\\r\n"
                        "  73,00,00\r\n";
    expected.erase(expected.find(entry), entry.size());
    EXPECT_EQ(store.Text(), expected);
    EXPECT_EQ(store.ValueNames(kShares), (std::vector<std::string>{"d$", "Bytes", "Env"}));
}

TEST(RegistryStoreTest, FileWithLineFeedsKeepsThem)
{
    RegistryStore store;
    store.SetText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n");
    store.SetValue("HKEY_LOCAL_MACHINE\\A", "y", RegistryData::Text("2"));
    EXPECT_EQ(store.Text(), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n");
}

TEST(RegistryStoreTest, LoadAndSaveKeepAHandWrittenFileOtherwiseUnchanged)
{
    const std::string computer = "HANDSEED";
    const std::string file = StandInRoot() + "/registry/handseed.reg"; // another letter case on disk
    WriteHostFile(file, kHandWritten);

    EXPECT_EQ(RegistryStore::FilePath("HandSeed"), file);
    RegistryStore store(computer);
    ASSERT_EQ(store.Load(), RegistryStore::LoadResult::Loaded);
    ASSERT_TRUE(store.Save());
    EXPECT_EQ(ReadHostFile(file), kHandWritten);

    store.SetValue(kRis + "\\05.04", "Count", RegistryData::Dword(7));
    ASSERT_TRUE(store.Save());
    std::string expected = kHandWritten;
    expected.replace(expected.find("\"Count\" = dword:0000002a"), 24, "\"Count\"=dword:00000007");
    EXPECT_EQ(ReadHostFile(file), expected);
    EXPECT_FALSE(fs::exists(file + ".tmp"));
}

TEST(RegistryStoreTest, MissingFileAndImpossibleNames)
{
    RegistryStore store("NOSUCHPC");
    EXPECT_EQ(store.Load(), RegistryStore::LoadResult::Missing);
    EXPECT_EQ(RegistryStore::FilePath("..\\x"), "");
    EXPECT_EQ(RegistryStore::FilePath("a/b"), "");
    EXPECT_EQ(RegistryStore::FilePath("  "), StandInRoot() + "/registry/" + ComputerName() + ".reg");
}

} // namespace

// A registry file is written as a settings file is: through a replacement under the file's lock.
TEST(RegistryStoreTest, WritesGoThroughAReplacementUnderTheLock)
{
    const std::string file = StandInRoot() + "/registry/linkpc.reg";
    const std::string target = StandInRoot() + "/linked-registry.reg";
    WriteHostFile(target, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n");
    fs::create_directories(StandInRoot() + "/registry");
    fs::create_symlink(target, file);
    RegistryStore linked("LINKPC");
    ASSERT_TRUE(linked.Update([](RegistryStore& s) { return s.SetValue("HKEY_LOCAL_MACHINE\\A", "x", RegistryData::Text("2")); }));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_NE(ReadHostFile(target).find("\"x\"=\"2\""), std::string::npos);

    // A read-only file stays as it is; a value that stands already (the same type and data) is
    // no write and succeeds all the same.
    const struct {
        const char* what;
        RegistryData data;
        bool written;
    } rows[] = {
        {"another text", RegistryData::Text("3"), false},
        {"the text that stands", RegistryData::Text("2"), true},
        {"the same digits as a number", RegistryData::Dword(2), false},
    };
    const std::string before = ReadHostFile(target);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(linked.Update([&](RegistryStore& s) { return s.SetValue("HKEY_LOCAL_MACHINE\\A", "x", r.data); }),
                  r.written);
        EXPECT_EQ(linked.WriteFailure().empty(), r.written) << linked.WriteFailure();
        EXPECT_EQ(ReadHostFile(target), before);
    }
    EXPECT_FALSE(linked.Save());
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

    // Writers that overlap keep each other's changes, and leave no temporary file behind.
    std::vector<std::thread> writers;
    for (int i = 0; i < 8; ++i)
        writers.emplace_back([i] {
            RegistryStore store("LINKPC");
            EXPECT_TRUE(store.Update([i](RegistryStore& s) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                return s.SetValue("HKEY_LOCAL_MACHINE\\B", "v" + std::to_string(i), RegistryData::Dword(i));
            }));
        });
    for (std::thread& t : writers)
        t.join();
    RegistryStore read("LINKPC");
    ASSERT_EQ(read.Load(), RegistryStore::LoadResult::Loaded);
    EXPECT_EQ(read.ValueNames("HKEY_LOCAL_MACHINE\\B").size(), 8u);

    // A store read earlier is saved under the lock only over the text it read: another program's
    // change since stays, and the refusal names the file; a text given whole is written as it is.
    RegistryStore early("LINKPC");
    ASSERT_EQ(early.Load(), RegistryStore::LoadResult::Loaded);
    ASSERT_TRUE(early.SetValue("HKEY_LOCAL_MACHINE\\A", "mine", RegistryData::Dword(1)));
    ASSERT_TRUE(RegistryStore("LINKPC").Update(
        [](RegistryStore& s) { return s.SetValue("HKEY_LOCAL_MACHINE\\A", "theirs", RegistryData::Dword(2)); }));
    const std::string theirs = ReadHostFile(target);
    EXPECT_FALSE(early.Save());
    EXPECT_EQ(early.WriteFailure(), "The registry file '" + WinPathFromHost(file) + "' was changed by another program "
                                    "since it was read; it stands with that change, and this store was not written "
                                    "over it");
    EXPECT_EQ(ReadHostFile(target), theirs);
    ASSERT_EQ(early.Load(), RegistryStore::LoadResult::Loaded);
    ASSERT_TRUE(early.SetValue("HKEY_LOCAL_MACHINE\\A", "mine", RegistryData::Dword(1)));
    EXPECT_TRUE(early.Save());
    EXPECT_TRUE(early.Save()); // its own write is what it read since
    RegistryStore whole("LINKPC");
    whole.SetText("REGEDIT4\r\n");
    EXPECT_TRUE(whole.Save());
    EXPECT_EQ(ReadHostFile(target), "REGEDIT4\r\n");
    for (const auto& e : fs::directory_iterator(StandInRoot() + "/registry"))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    fs::remove(file);
    fs::remove(target);
}
