// The main window's script controls without the window: choosing and editing the script file,
// and storing the eight user variables that scripts read as "§uservar1§" to "§uservar8§".
#pragma once

#include <string>

class ScriptSettings {
public:
    // The folder the script file dialog starts in: the box's text up to and including its last
    // "\" (blanks trimmed); empty when the box is empty.
    static std::string DialogStartFolder(const std::string& scriptBoxText);

    // "Browse...": the open-file dialog for "*.scr" files. A chosen file becomes gScriptFile and
    // [TARNWICK] scriptfile and is returned; cancelling changes nothing and gives "".
    static std::string Command1_Click(const std::string& scriptBoxText);

    // "Open": the editor of [Programm] editor (default "notepad") on gScriptFile, waited for.
    static void Editscript_Click();
    // The editor of [Programm] editor (default "notepad") on `file`, waited for. The setting
    // names the program alone: it goes on the command line quoted like a path, so a setting
    // holding a character no path may hold is refused with a message and nothing runs.
    static void OpenInEditor(const std::string& file);
    // The command line of that run; raises error 1 for such a setting.
    static std::string EditorCommand(const std::string& editor, const std::string& file);

    // A user variable box lost the focus: its text is stored as [TARNWICK] uservar<index>
    // (index 1 to 8).
    static void UserVar_LostFocus(int index, const std::string& text);
};
