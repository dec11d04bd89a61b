// The script runner: reading the script, dispatching command words, Esc and error handling.
#include "admin/ScriptRunner.h"

#include "admin/AdminGlobals.h"
#include "admin/ScriptCommands.h"
#include "admin/ScriptHost.h"
#include "admin/ScriptLine.h"
#include "admin/TextLines.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/EscKey.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <vector>

std::string ScriptLineCaption(int number, const std::string& line)
{
    return "Actual Script Line: " + std::to_string(number) + "  =  " + line;
}

ScriptRunner::ScriptRunner(ScriptHost& host) : escPressed([] { return EscKey::Pressed(); }), host_(host) {}

ScriptRunner::Outcome ScriptRunner::SCRstart(const std::string& scriptFile)
{
    if (ShowMessage("Are you sure?", MsgStyle::YesNo | MsgStyle::DefaultButton2) != MsgAnswer::Yes)
        return Outcome::Cancelled;
    gScriptFile = scriptFile;
    return Run(scriptFile);
}

ScriptRunner::Outcome ScriptRunner::Run(const std::string& scriptFile)
{
    lineNumber_ = 0;
    lastError_.clear();
    try {
        if (!IsFileExists(scriptFile))
            RaiseError("ScriptRunner", "Sciptfile does not exist");
        const std::string text = ReadFile2String(scriptFile);
        RaiseFileOpError();
        // A press before the start (to cancel a dialog, say) does not stop the run.
        EscKey::ForgetEarlierPress();
        const std::vector<std::string> lines = TextLines(text);
        host_.ScriptStarting(lines);
        struct Ended {
            ScriptHost& host;
            ~Ended() { host.ScriptEnded(); }
        } ended{host_};
        for (const std::string& line : lines) {
            ++lineNumber_;
            if (IsScriptCommentLine(line))
                continue;
            if (showLine)
                showLine(ScriptLineCaption(lineNumber_, line));
            DoEvents();
            if (ending()) {
                ShowStatus("Exit: script stopped before line " + std::to_string(lineNumber_));
                return Outcome::Ended;
            }
            RunLine(line, lineNumber_);
            // A line's client is never stopped while it writes; the program ends between lines.
            if (ending()) {
                ShowStatus("Exit: script stopped after line " + std::to_string(lineNumber_));
                return Outcome::Ended;
            }
            if (escPressed()) {
                ShowStatus("Script stopped by Esc after line " + std::to_string(lineNumber_));
                return Outcome::Stopped;
            }
        }
        if (showLine)
            showLine(kScriptFinished);
        return Outcome::Finished;
    } catch (const AppError& e) {
        lastError_ = e.description();
        ShowStatus("Script stopped at line " + std::to_string(lineNumber_) + ": " + e.description());
        if (ending())
            return Outcome::Ended;
        ShowMessage(e.description(), MsgStyle::OkOnly);
        return Outcome::Failed;
    }
}

void ScriptRunner::RunLine(const std::string& line, int number)
{
    const std::string word = ScriptCommandWord(line);
    const ScriptCommand command = LookupScriptCommand(word);
    if (command == ScriptCommand::Unknown) {
        ShowStatus("Script line " + std::to_string(number) + ": unknown command '" + word + "' passed over");
        return;
    }
    // "change" cuts and checks its own arguments, since it shows its failures and goes on.
    if (command != ScriptCommand::Change)
        CutScriptArguments(line, ScriptArgumentCount(command), word);
    switch (command) {
    case ScriptCommand::Change: ScriptCommands::changetxt(line); break;
    case ScriptCommand::Doscmd: ScriptCommands::doscmd(line); break;
    case ScriptCommand::RisUnload: host_.RISUnload(line); break;
    case ScriptCommand::RisLoad: host_.RISLoad(line); break;
    case ScriptCommand::Edrisdmp: host_.edrisdmp(line); break;
    case ScriptCommand::CreDbUser: host_.Cre_DBUser(line); break;
    case ScriptCommand::DelDbUser: host_.Del_DBUser(line); break;
    case ScriptCommand::CreSchema: host_.cre_schema(line); break;
    case ScriptCommand::DelSchema: host_.Del_Schema(line); break;
    case ScriptCommand::AppendText: ScriptCommands::append_text(line); break;
    case ScriptCommand::Message: ScriptCommands::Message(line); break;
    case ScriptCommand::Unknown: break;
    }
}
