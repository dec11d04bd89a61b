// Status line, message boxes, the central error box and message-text formatting.
#include "services/Messages.h"

#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "services/FormRegistry.h"
#include "services/MessageService.h"
#include "services/ProgramLog.h"
#include "services/Translation.h"

#include <iterator>

std::string gLogModuleFile;

namespace {

// The tool windows whose status bars show the status line, in the order they are served.
constexpr const char* kStatusWindows[] = {"frmUpgradeCheck", "frmReadLinkages", "frmFileSpecCheck", "frmAlterDBColumn"};

constexpr const char* kSeparator = "|||";

LoadedForm* findLoaded(const std::string& name)
{
    const std::string wanted = Trim(name);
    const std::vector<LoadedForm*> forms = FormRegistry::Forms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if (EqualsNoCase((*it)->name(), wanted))
            return *it;
    return nullptr;
}

std::string withArguments(std::string text, const std::vector<std::string>& args)
{
    for (size_t i = 0; i < args.size(); ++i)
        text = ReplaceAll(std::move(text), "%" + std::to_string(i) + "%", args[i]);
    return text;
}

int showError(std::string description, std::string source, long style, int line)
{
    if (source == kAppTitle)
        source.clear();
    if (!source.empty())
        source += ":";
    if (line != 0)
        source = std::to_string(line) + ":" + source;
    if (IsBlank(description))
        description = "Unknown error.";
    description = TranslateMessage(description, IsTranslationOn(), true);

    // Top-most windows would hide the box: lowered while it shows, raised again afterwards.
    std::vector<LoadedForm*> lowered;
    try {
        for (LoadedForm* f : FormRegistry::Forms())
            if (f->isVisible() && !f->isMinimized() && f->isTopMost())
                lowered.push_back(f);
        for (LoadedForm* f : lowered)
            f->setTopMost(false);
    } catch (...) {
    }
    if (IsBlank(description))
        description = "Unknown error.";
    int answer = 0;
    try {
        answer = MsgBoxEx(description, style, std::string("Vorlant ") + kAppTitle);
    } catch (...) {
    }
    const bool breakLine = !IsBlank(source) && description.find("\r\n") != std::string::npos;
    WriteLog(source + (breakLine ? "\r\n" : "") + description);
    for (LoadedForm* f : lowered) {
        try {
            f->setTopMost(true);
        } catch (...) {
        }
    }
    return answer;
}

} // namespace

void ShowStatus(const std::string& text)
{
    try {
        WriteProgramLog(text);
        const std::string oneLine = ReplaceAll(text, "\r\n", " ");
        // The last loaded window of each name shows the text; each window's name is read once,
        // as a check writes two status lines per row.
        const std::vector<LoadedForm*> forms = FormRegistry::Forms();
        bool shown[std::size(kStatusWindows)] = {};
        for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
            const std::string formName = (*it)->name();
            for (size_t i = 0; i < std::size(kStatusWindows); ++i)
                if (!shown[i] && EqualsNoCase(formName, kStatusWindows[i])) {
                    shown[i] = true;
                    (*it)->setStatusText(oneLine);
                }
        }
    } catch (const AppError& e) {
        // An error shown to the user always says what it is, never only its number.
        ShowMessage("The status line could not be shown: " + e.description(), 0);
    } catch (...) {
        ShowMessage("The status line could not be shown: internal error", 0);
    }
}

int ShowMessage(const std::string& prompt, long style)
{
    return MessageService::Get().Show(prompt, style, kAppTitle);
}

bool IsFormLoaded(const std::string& name)
{
    try {
        return findLoaded(name) != nullptr;
    } catch (...) {
        return false;
    }
}

int ShowErrorMessage(const AppError& error, long style, int line)
{
    return showError(error.description(), error.source(), style, line);
}

int ShowErrorMessage(const std::string& text, long style) { return showError(text, "", style, 0); }

int MsgBoxEx(const std::string& prompt, long style, const std::string& title)
{
    return MessageService::Get().Show(prompt, style | MsgStyle::TaskModal, title);
}

void WriteLog(const std::string& text)
{
    if (IsBlank(gLogModuleFile) || IsBlank(text))
        return;
    try {
        const LocalTime now = GetClock().Now();
        const int h = (now.millisecond / 10) % 100;
        const std::string hundredths = (h < 10 ? "0" : "") + std::to_string(h);
        BinaryFile::AppendText(gLogModuleFile, FormatLocalTime(now, "yyyy-mm-dd hh:nn:ss") + "." + hundredths +
                                                   "  " + text + "\r\n");
    } catch (...) {
    }
}

std::vector<std::string> SplitMessageArgs(std::string& text)
{
    const size_t p = text.find(kSeparator);
    if (p == std::string::npos)
        return {};
    const std::string tail = text.substr(p + 3);
    text.resize(p);
    if (tail.empty())
        return {std::string()};
    return Split(tail, kSeparator);
}

std::string TranslateMessage(std::string& text, bool translate, bool removeAmpersands)
{
    std::string result = text;
    try {
        const std::vector<std::string> args = SplitMessageArgs(text);
        result = text;
        if (IsTranslationOn() && translate) {
            const std::string translation = TranslateControl(nullptr, text);
            if (!IsBlank(translation))
                result = translation;
        }
        text = withArguments(text, args);
        result = withArguments(result, args);
        if (removeAmpersands)
            result = ReplaceAll(result, "&", "");
    } catch (...) {
        return text;
    }
    return result;
}
