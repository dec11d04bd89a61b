// Interface translation with a language directory of its own.
#include "services/Translation.h"

#include "FakeForm.h"
#include "services/IniFile.h"
#include "services/Messages.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// MD5 of "Hello", the key under which the text is filed.
constexpr const char* kHelloKey = "8B1A9953C4611296A827ABF8C47804D7";

class TranslationTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"lang"};

    void SetUp() override { SetTranslationSettings({true, dir.host() + "/", "Deutsch", ""}); }
    void TearDown() override { SetTranslationSettings({}); }
    std::string mnemonic(const std::string& key) { return ReadIniValue(GetMnemonicIniPath(), "General", key, "<none>"); }
    std::string language(const std::string& key) { return ReadIniValue(GetLanguageIniPath(), "General", key, "<none>"); }
};

TEST(DecodeHexTextTest, DecodesUtf16HexValues)
{
    EXPECT_EQ(DecodeHexText("~~~4100"), "A");
    EXPECT_EQ(DecodeHexText("~~~4100e400"), "A\xE4");
    EXPECT_EQ(DecodeHexText("~~~41004"), "A"); // an odd last digit is ignored
    EXPECT_EQ(DecodeHexText("Datei"), "Datei");
    EXPECT_EQ(DecodeHexText("x~~~4100"), "x~~~4100");
    EXPECT_EQ(DecodeHexText("~~~zz00"), "~~~zz00");
}

TEST_F(TranslationTest, TextWithoutLettersIsNeitherTranslatedNorRecorded)
{
    EXPECT_EQ(TranslateControl(nullptr, "12.5 %"), "12.5 %");
    EXPECT_FALSE(std::filesystem::exists(dir.host() + "/Mnemonic.ini"));
}

TEST_F(TranslationTest, NewTextIsRecordedInBothFilesAndShownInEnglish)
{
    EXPECT_EQ(TranslateControl(nullptr, "Hello"), "Hello");
    EXPECT_EQ(mnemonic(kHelloKey), "Hello");
    EXPECT_EQ(language(kHelloKey), "Hello");
    EXPECT_TRUE(std::filesystem::exists(dir.host() + "/Deutsch.ini"));
}

TEST_F(TranslationTest, StoredTranslationsAreUsedPlainOrHex)
{
    WriteIniValue(GetLanguageIniPath(), "General", kHelloKey, "Hallo");
    EXPECT_EQ(TranslateControl(nullptr, "Hello"), "Hallo");
    WriteIniValue(GetLanguageIniPath(), "General", kHelloKey, "~~~48006100fc00");
    EXPECT_EQ(TranslateControl(nullptr, "Hello"), "Ha\xFC");
}

TEST_F(TranslationTest, ControlIsTranslatedFromItsTag)
{
    WriteIniValue(GetLanguageIniPath(), "General", kHelloKey, "&Hallo");
    testforms::FakeControlState state;
    state.name = "lblGreeting";
    state.type = "UniCaption";
    state.props = {{"Caption", "Something shown"}, {"Tag", "Hello"}};
    testforms::FakeControl caption(state);
    EXPECT_EQ(TranslateControl(&caption, ""), "&Hallo");
    EXPECT_EQ(state.props["Caption"], "Hallo"); // captions of this kind lose their ampersands

    testforms::FakeControlState button;
    button.type = "CommandButton";
    button.props = {{"Caption", "Hello"}};
    testforms::FakeControl cmd(button);
    TranslateControl(&cmd, "");
    EXPECT_EQ(button.props["Tag"], "Hello"); // the English text is kept for the next time
    EXPECT_EQ(button.props["Caption"], "&Hallo");

    testforms::FakeControlState box;
    box.type = "TextBox";
    box.props = {{"Text", "Hello"}};
    testforms::FakeControl txt(box);
    TranslateControl(&txt, "");
    EXPECT_EQ(box.props["Text"], "&Hallo");
}

TEST_F(TranslationTest, MessagesAreTranslatedBeforeArgumentsGoIn)
{
    std::string text = "Hello|||x";
    TranslateControl(nullptr, "Hello"); // record it
    WriteIniValue(GetLanguageIniPath(), "General", kHelloKey, "Hallo %0%");
    EXPECT_EQ(TranslateMessage(text, true, false), "Hallo x");
    std::string untranslated = "Hello|||x";
    EXPECT_EQ(TranslateMessage(untranslated, false, false), "Hello");
}

} // namespace
