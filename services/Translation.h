// Translation of interface texts through language files keyed by the MD5 digest of the English
// text. Off unless switched on; nothing in the program switches it on.
#pragma once

#include "services/FormControl.h"

#include <string>

// The feature's settings; all empty or off at start.
struct TranslationSettings {
    bool on = false;
    std::string languageDir;  // empty: the program's folder + "Language\"
    std::string languageName; // blank: "Mnemonic"
    std::string fontName;     // blank: controls keep their font
};
void SetTranslationSettings(const TranslationSettings& settings);

bool IsTranslationOn();

// The translation of text (control null) or of the control's English text, which is kept in
// its Tag; with a control the translation is also put into it. Every English text met is
// recorded in the mnemonic file and the language file. Never throws.
std::string TranslateControl(FormControl* control, const std::string& text);

// A value starting with "~~~" holds hex pairs of UTF-16LE bytes; anything else is plain text.
std::string DecodeHexText(const std::string& text);
// True when text holds one of the letters A-Z or a-z.
bool HasLetters(const std::string& text);

std::string GetLanguageDir();
std::string GetLanguageName();
std::string GetMnemonicName();
std::string GetMnemonicIniPath();
std::string GetLanguageIniPath();
std::string GetLanguageFontName();
