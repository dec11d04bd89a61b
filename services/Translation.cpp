// Interface translation through the mnemonic and language files.
#include "services/Translation.h"

#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "services/MD5.h"

#include <cctype>

namespace {

TranslationSettings gSettings;
constexpr const char* kSection = "General";

// The property in which a control of this type shows its text.
std::string shownProperty(const FormControl& c)
{
    const std::string type = c.typeName();
    if (type == "UniText" || type == "TextBox")
        return "Text";
    if (type == "UniToolbar")
        return "ToolTipText";
    if (type == "UniToolbox2.Button") {
        std::string caption;
        return c.property("Caption", caption) && !caption.empty() ? "Caption" : "ToolTipText";
    }
    return "Caption";
}

std::string get(const FormControl& c, const std::string& prop)
{
    std::string v;
    c.property(prop, v);
    return v;
}

// Runs one step; a failing step is passed over and the next one runs.
template <typename F>
void step(F&& f)
{
    try {
        f();
    } catch (...) {
    }
}

void putTranslation(FormControl& c, const std::string& translation)
{
    const std::string type = c.typeName();
    if (type == "UniText" || type == "TextBox") {
        if (get(c, "Text") != translation)
            c.setProperty("Text", translation);
        return;
    }
    const std::string caption = get(c, "Caption");
    if (!caption.empty()) {
        if (caption != translation)
            c.setProperty("Caption", type == "UniCaption" ? ReplaceAll(translation, "&", "") : translation);
    } else if (get(c, "ToolTipText") != translation) {
        c.setProperty("ToolTipText", translation);
    }
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void SetTranslationSettings(const TranslationSettings& settings) { gSettings = settings; }

bool IsTranslationOn() { return gSettings.on; }

std::string GetLanguageDir() { return gSettings.languageDir.empty() ? ProgramDir() + "Language\\" : gSettings.languageDir; }
std::string GetLanguageName() { return IsBlank(gSettings.languageName) ? GetMnemonicName() : gSettings.languageName; }
std::string GetMnemonicName() { return "Mnemonic"; }
std::string GetMnemonicIniPath() { return GetLanguageDir() + GetMnemonicName() + ".ini"; }
std::string GetLanguageIniPath() { return GetLanguageDir() + GetLanguageName() + ".ini"; }
std::string GetLanguageFontName() { return IsBlank(gSettings.fontName) ? std::string() : gSettings.fontName; }

bool HasLetters(const std::string& text)
{
    for (char c : text)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return true;
    return false;
}

std::string DecodeHexText(const std::string& text)
{
    if (text.rfind("~~~", 0) != 0)
        return text;
    const std::string hex = text.substr(3);
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        int hi = hexDigit(hex[i]), lo = hexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return text; // not a hex value after all: shown as stored
        bytes += static_cast<char>(hi * 16 + lo);
    }
    // UTF-16LE code units to the one-byte characters of the program; a unit beyond them is "?".
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        unsigned unit = static_cast<unsigned char>(bytes[i]);
        if (i + 1 < bytes.size())
            unit |= static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out += unit < 256 ? static_cast<char>(unit) : '?';
    }
    return out;
}

std::string TranslateControl(FormControl* control, const std::string& text)
{
    std::string english = text;
    if (control) {
        step([&] {
            const std::string shown = get(*control, shownProperty(*control));
            if (IsBlank(get(*control, "Tag")))
                control->setProperty("Tag", shown);
            english = get(*control, "Tag");
        });
        step([&] {
            if (!IsBlank(gSettings.fontName))
                control->setProperty("FontName", gSettings.fontName);
        });
    }
    if (!HasLetters(english))
        return english;

    std::string key;
    step([&] { key = CMD5().DigestStrToHexStr(english, 0); });
    std::string translation = english;
    step([&] {
        if (IsBlank(ReadIniValue(GetMnemonicIniPath(), kSection, key, "")))
            WriteIniValue(GetMnemonicIniPath(), kSection, key, english);
    });
    step([&] {
        const std::string value = ReadIniValue(GetLanguageIniPath(), kSection, key, "");
        if (IsBlank(value))
            WriteIniValue(GetLanguageIniPath(), kSection, key, english);
        else
            translation = DecodeHexText(value);
    });
    if (control)
        step([&] { putTranslation(*control, translation); });
    return translation;
}
