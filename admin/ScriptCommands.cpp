// Message, doscmd, changetxt and append_text of the script runner.
#include "admin/ScriptCommands.h"

#include "admin/ScriptFileEdit.h"
#include "admin/ScriptLine.h"
#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/MessageService.h"
#include "services/Messages.h"

void ScriptCommands::Message(const std::string& params)
{
    const std::vector<std::string> args = CutScriptArguments(params, 1, "message");
    ShowMessage(SubstituteScriptPlaceholders(args[0]), MsgStyle::OkOnly);
}

void ScriptCommands::doscmd(const std::string& params)
{
    const std::vector<std::string> args = CutScriptArguments(params, 1, "doscmd");
    const std::string command = SubstituteScriptPlaceholders(args[0]);
    long pid = 0;
    // The command's own failure shows in its output in the program log; a batch that could not
    // even be started is noted there too.
    if (ExecA(command, gLogFile, 0, "", pid, true) == -1)
        ShowStatus("doscmd: could not run '" + command + "'");
}

void ScriptCommands::changetxt(const std::string& params)
{
    try {
        std::vector<std::string> args = CutChangeArguments(params);
        for (std::string& a : args)
            a = SubstituteScriptPlaceholders(a);
        const std::string file = Trim(args[0]);
        if (!IsFileExists(file)) {
            ShowMessage("ChangeFile does not exist", MsgStyle::Critical | MsgStyle::OkOnly);
            return;
        }
        if (ChangeTextInFile(file, args[1], args[2]))
            ShowStatus("change: '" + file + "' changed, backup '" + file + ".bak'");
        else
            ShowStatus("change: '" + args[1] + "' not found in '" + file + "', file left unchanged");
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::OkOnly);
    }
}

void ScriptCommands::append_text(const std::string& params)
{
    const std::vector<std::string> args = CutScriptArguments(params, 2, "append_text");
    const std::string file = Trim(SubstituteScriptPlaceholders(args[0]));
    const std::string text = SubstituteScriptPlaceholders(args[1]);
    if (!IsFileExists(file)) {
        ShowMessage("Appendfile does not exist - " + file, MsgStyle::OkOnly);
        return;
    }
    // The file services pass over hidden files; a silent run would look as if the line were there.
    if (IsHiddenName(GetFileName(file))) {
        ShowMessage("Appendfile is hidden (its name begins with \".\") and is passed over - " + file +
                        "; nothing was appended, the file was left unchanged",
                    MsgStyle::OkOnly);
        return;
    }
    try {
        AppendTextOnce(file, text);
    } catch (const AppError& e) {
        throw PassOn(e, "append_text");
    }
}
