// Script file choice, script editor and user variables.
#include "admin/ScriptSettings.h"

#include "admin/AdminGlobals.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/Dialog.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/MessageService.h"
#include "services/Messages.h"
#include "services/PathCharacters.h"

std::string ScriptSettings::DialogStartFolder(const std::string& scriptBoxText)
{
    const std::string text = Trim(scriptBoxText);
    const size_t slash = text.rfind('\\');
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

std::string ScriptSettings::Command1_Click(const std::string& scriptBoxText)
{
    const std::string chosen = GetDialog().OpenFile("Scripfile (*.scr)|*.scr;*.scr", DialogStartFolder(scriptBoxText));
    if (chosen.empty())
        return chosen;
    gScriptFile = chosen;
    WriteIniValue(gIniFile, "TARNWICK", "scriptfile", chosen);
    return chosen;
}

void ScriptSettings::Editscript_Click()
{
    OpenInEditor(gScriptFile);
}

std::string ScriptSettings::EditorCommand(const std::string& editor, const std::string& file)
{
    std::string program = Trim(editor);
    if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
        program = Trim(program.substr(1, program.size() - 2));
    CheckPathCharacters("Editor", program);
    return QuoteString(program) + " " + QuoteString(file);
}

void ScriptSettings::OpenInEditor(const std::string& file)
{
    try {
        const std::string command =
            EditorCommand(ReadIniValue(gIniFile, "Programm", "editor", "notepad"), file);
        long pid = 0;
        ExecA(command, "", 0, "", pid, true);
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
}

void ScriptSettings::UserVar_LostFocus(int index, const std::string& text)
{
    if (index < 1 || index > 8)
        RaiseError("UserVar_LostFocus", "User variable " + std::to_string(index) + " does not exist");
    WriteIniValue(gIniFile, "TARNWICK", "uservar" + std::to_string(index), text);
}
