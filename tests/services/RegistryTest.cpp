// Registry access: result forms, writes through the store, remote computers, failures.
#include "services/Registry.h"

#include "platform/Environment.h"
#include "platform/RegistryStore.h"
#include "platform/WinPath.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

const std::string kKey = "Software\\Tarnwick\\Test";

void SeedRegistry(const std::string& computer, const std::string& text)
{
    fs::create_directories(StandInRoot() + "/registry");
    std::ofstream(StandInRoot() + "/registry/" + computer + ".reg", std::ios::binary) << text;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(StandInRoot() + "/registry");
        SeedRegistry(ComputerName(), "REGEDIT4\r\n\r\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\Test]\r\n"
                                     "\"Text\"=\"abc\"\r\n"
                                     "\"Padded\"=\"  abc  \"\r\n"
                                     "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                                     "\"Expand\"=hex(2):25,54,4d,50,25,00\r\n"
                                     "\"Seven\"=dword:00000007\r\n"
                                     "\"Negative\"=dword:fffffffe\r\n"
                                     "\"BigEndian\"=hex(5):00,00,01,02\r\n"
                                     "\"Bytes\"=hex:0a,00,0b\r\n"
                                     "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                                     "\r\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\Test\\A]\r\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\Test\\B]\r\n"
                                     "[HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\Test\\B\\Deeper]\r\n");
    }
};

struct ReadCase {
    const char* name;
    const char* value;
    bool firstStringOnly;
    RegistryValue expected;
};

class RegistryRead : public RegistryTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(RegistryRead, GivesTheFormOfItsKind)
{
    const ReadCase& c = GetParam();
    EXPECT_EQ(RegistryGetValue(HKEY_LOCAL_MACHINE, kKey, c.value, "", c.firstStringOnly), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RegistryRead,
    ::testing::Values(ReadCase{"TextWhole", "Text", false, std::string("abc;")},
                      ReadCase{"TextFirst", "text", true, std::string("abc")},
                      ReadCase{"PaddedTrimmed", "Padded", true, std::string("abc")},
                      ReadCase{"PaddedWholeTrimmed", "Padded", false, std::string("abc  ;")},
                      ReadCase{"MultiWhole", "Multi", false, std::string("a;b;;")},
                      ReadCase{"MultiFirst", "Multi", true, std::string("a")},
                      ReadCase{"ExpandNotExpanded", "Expand", true, std::string("%TMP%")},
                      ReadCase{"Dword", "Seven", true, int32_t{7}},
                      ReadCase{"DwordSigned", "Negative", true, int32_t{-2}},
                      ReadCase{"BigEndianDwordNotReordered", "BigEndian", true, int32_t{0x02010000}},
                      ReadCase{"Binary", "Bytes", true, std::vector<uint8_t>{10, 0, 11}},
                      ReadCase{"QwordUnsupported", "Qword", true, std::string()},
                      ReadCase{"MissingValue", "Nothing", true, std::string()}),
    [](const ::testing::TestParamInfo<ReadCase>& i) { return std::string(i.param.name); });

TEST_F(RegistryTest, KeysExistAndEnumerate)
{
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\tarnwick\\TEST\\", "   "));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Missing", ""));
    EXPECT_EQ(RegistryGetValue(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Missing", "Text", "", true),
              RegistryValue(std::string()));

    EXPECT_EQ(RegistryEnumKeys(HKEY_LOCAL_MACHINE, kKey, ""), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(RegistryEnumKeys(HKEY_LOCAL_MACHINE, kKey + "\\A", ""), std::vector<std::string>{""});
    EXPECT_TRUE(RegistryEnumKeys(HKEY_LOCAL_MACHINE, kKey + "\\Missing", "").empty());
    EXPECT_EQ(RegistryEnumValues(HKEY_LOCAL_MACHINE, kKey, "").size(), 9u);
    EXPECT_EQ(RegistryEnumValues(HKEY_LOCAL_MACHINE, kKey, "")[0], "Text");
    EXPECT_EQ(RegistryEnumValues(HKEY_LOCAL_MACHINE, kKey + "\\B", ""), std::vector<std::string>{""});
    EXPECT_TRUE(RegistryEnumValues(HKEY_LOCAL_MACHINE, kKey + "\\Missing", "").empty());
    EXPECT_FALSE(RegistryKeyExists(0x1234, kKey, ""));
}

TEST_F(RegistryTest, EnumValuesListsValuesAfterALongOne)
{
    ASSERT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\Long", "First", std::string(3000, 'x'), ""));
    ASSERT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\Long", "Second", "y", ""));
    EXPECT_EQ(RegistryEnumValues(HKEY_LOCAL_MACHINE, "Software\\Long", ""),
              (std::vector<std::string>{"First", "Second"}));
}

struct WriteCase {
    const char* name;
    const char* text;
    RegistryValue readBack;
};

class RegistryWrite : public RegistryTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(RegistryWrite, ChoosesNumberOrText)
{
    const WriteCase& c = GetParam();
    ASSERT_TRUE(RegistrySetValue(HKEY_CURRENT_USER, "Control Panel\\International", "sValue", c.text, ""));
    EXPECT_EQ(RegistryGetValue(HKEY_CURRENT_USER, "Control Panel\\International", "sValue", "", true), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryWrite,
    ::testing::Values(WriteCase{"Point", ".", std::string(".")}, WriteCase{"Comma", ",", std::string(",")},
                      WriteCase{"Number", "12", int32_t{12}}, WriteCase{"PaddedNumber", " -12 ", int32_t{-12}},
                      WriteCase{"VersionText", "1.2.3", std::string("1.2.3")},
                      WriteCase{"HalfToEven", "2.5", int32_t{2}}, WriteCase{"HalfUp", "3.5", int32_t{4}},
                      WriteCase{"TextTrimmed", "  some text ", std::string("some text")}),
    [](const ::testing::TestParamInfo<WriteCase>& i) { return std::string(i.param.name); });

TEST_F(RegistryTest, WriteCreatesThePathAndRefusesNumbersOutOfRange)
{
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\New\\Deep", ""));
    EXPECT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\New\\Deep", "N", 7.0, ""));
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\New", ""));
    EXPECT_EQ(RegistryGetValue(HKEY_LOCAL_MACHINE, "Software\\New\\Deep", "N", "", true), RegistryValue(int32_t{7}));

    EXPECT_FALSE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\New\\Deep", "Big", "2147483648", ""));
    EXPECT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\New\\Deep", "Min", "-2147483648", ""));
    EXPECT_EQ(RegistryGetValue(HKEY_LOCAL_MACHINE, "Software\\New\\Deep", "Big", "", true),
              RegistryValue(std::string()));
    EXPECT_TRUE(RegistryCreateKey(HKEY_LOCAL_MACHINE, "Software\\Other", ""));
    EXPECT_TRUE(RegistryCreateKey(HKEY_LOCAL_MACHINE, "Software\\Other", ""));
    EXPECT_EQ(RegistryEnumKeys(HKEY_LOCAL_MACHINE, "Software", ""),
              (std::vector<std::string>{"Tarnwick", "New", "Other"}));
}

TEST_F(RegistryTest, LocalRegistryWithoutAFileStartsEmpty)
{
    fs::remove_all(StandInRoot() + "/registry");
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kKey, ""));
    EXPECT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, kKey, "X", "x", ""));
    EXPECT_EQ(RegistryGetValue(HKEY_LOCAL_MACHINE, kKey, "X", "", false), RegistryValue(std::string("x;")));
    EXPECT_TRUE(fs::exists(RegistryStore::FilePath("")));
}

TEST_F(RegistryTest, RemoteComputerIsItsOwnFile)
{
    SeedRegistry("FILESRV", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Remote]\r\n\"V\"=\"remote\"\r\n");
    EXPECT_EQ(RegistryGetValue(HKEY_LOCAL_MACHINE, "Software\\Remote", "V", "filesrv", true),
              RegistryValue(std::string("remote")));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\Remote", ""));
    // The name is used as given: with blanks around it, it names no computer.
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "Software\\Remote", " FILESRV"));
    // Only the machine-wide roots are reachable on another computer.
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "", "FILESRV"));
    // A computer without a registry file cannot be reached, and nothing is created for it.
    EXPECT_TRUE(RegistryEnumValues(HKEY_LOCAL_MACHINE, "Software", "OFFLINE").empty());
    EXPECT_FALSE(RegistrySetValue(HKEY_LOCAL_MACHINE, "Software\\X", "V", "1", "OFFLINE"));
    EXPECT_FALSE(fs::exists(RegistryStore::FilePath("OFFLINE")));
    // This computer named explicitly is the local registry.
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, "", ComputerName()));
}

} // namespace
