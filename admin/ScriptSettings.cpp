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
    const std::string editor = ReadIniValue(gIniFile, "Programm", "editor", "notepad");
    long pid = 0;
    ExecA(editor + " " + QuoteString(gScriptFile), "", 0, "", pid, true);
}

void ScriptSettings::UserVar_LostFocus(int index, const std::string& text)
{
    if (index < 1 || index > 8)
        RaiseError("UserVar_LostFocus", "User variable " + std::to_string(index) + " does not exist");
    WriteIniValue(gIniFile, "TARNWICK", "uservar" + std::to_string(index), text);
}
