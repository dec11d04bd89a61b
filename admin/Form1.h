// The main window: project, schema families, dump unload and load, script, lists, tools.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class DumpCommands;
class Families;
class Maintenance;

class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up of the main window: process-wide values, log header, settings, schema list.
    // Returns false when a step failed (the failure was shown and the window goes on).
    bool Form_Load();

    // The current project: the text of Projname.
    std::string projectName() const;

    // Public operations (also script commands); each takes a parameter text of single-quoted
    // tokens.
    void RISUnload(const std::string& params);
    void edrisdmp(const std::string& params);
    void RISLoad(const std::string& params);
    void risunloadall();
    void get_schemanamen();
    void ShowCurrentProjects();

    // Ends the program's event loop (QCoreApplication::quit); tests put a recorder here.
    std::function<void()> quitProgram;

    // The dump commands behind the buttons, shared with the script runner.
    DumpCommands& dumpCommands() { return *dump_; }

    // Database users and RIS schemas (also script commands): token 1 is the user or schema.
    void Cre_DBUser(const std::string& params);
    void Del_DBUser(const std::string& params);
    void cre_schema(const std::string& params);
    void Del_Schema(const std::string& params);
    // The family commands behind the user and schema buttons.
    Families& families() { return *families_; }

    // --- controls, named as the system names them --------------------------------------------
    QComboBox* Projname = nullptr;
    QTimer* Timer1 = nullptr;
    QTabWidget* SSTab1 = nullptr;

    // Dump directory, unload and load.
    QLineEdit* risdmpdir = nullptr;
    QPushButton* btnRisDmpDirSearch = nullptr;
    QPushButton* Unload_Auswahl = nullptr;
    QPushButton* UnLoad_proj_schemen = nullptr;
    QPushButton* UnLoad_all_Schemen = nullptr;
    QPushButton* Load_auswahl = nullptr;
    QPushButton* Load_proj_schemen = nullptr;
    QPushButton* Load_all_dmp_files = nullptr;

    // Script runner.
    QLineEdit* scriptfile = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Editscript = nullptr;
    QPushButton* SCRstart = nullptr;
    QLineEdit* aktuellescrzeile = nullptr;
    std::array<QLabel*, 8> uservartext{}; // the captions of the user variables
    std::array<QLineEdit*, 8> UserVar{};

    // Schema families and the user and schema commands.
    QGroupBox* Frame_User = nullptr;
    std::array<QCheckBox*, 12> familyBoxes{}; // PD_PROJNAME ... TDT_PROJNAME in family order
    QPushButton* selall = nullptr;
    QPushButton* deselall = nullptr;
    QPushButton* Create_DB_Schema = nullptr;
    QPushButton* Create_DBUser = nullptr;
    QPushButton* Create_Schema = nullptr;
    QPushButton* Delete_DB_Schema = nullptr;
    QPushButton* Delete_DBUser = nullptr;
    QPushButton* Delete_Schema = nullptr;

    // Lists, maintenance, configuration.
    QPushButton* Zeigschemen = nullptr;
    QPushButton* ShowDBuser = nullptr;
    QPushButton* show_free_ts = nullptr;
    QPushButton* Restore_pipfile = nullptr;
    QPushButton* btnGrantAll = nullptr;
    QPushButton* btnMscode = nullptr;
    QPushButton* btnRISClean = nullptr;
    QPushButton* Configuration = nullptr;

    // Tool windows.
    QPushButton* btnProjcopy = nullptr;
    QPushButton* btnUpgradeCheck = nullptr;
    QPushButton* btnViewRISTable = nullptr;
    QPushButton* cmdAlterDBColumn = nullptr;
    QPushButton* cmdCheckDatabaseDDL = nullptr;
    QPushButton* cmdFileSpecCheck = nullptr;
    QPushButton* cmdReadLinkages = nullptr;
    QPushButton* btnShowCurrentProjects = nullptr;
    QPushButton* cmdHelp = nullptr;

    QPushButton* ZeigeLogfile = nullptr;
    QPushButton* Exit = nullptr;

public slots:
    void Timer1_Timer();
    void Projname_Change();
    void Projname_LostFocus();
    void btnRisDmpDirSearch_Click();
    void risdmpdir_LostFocus();
    void ZeigeLogfile_Click();
    void Exit_Click();

    void Unload_Auswahl_Click();
    void UnLoad_proj_schemen_Click();
    void UnLoad_all_Schemen_Click();
    void Load_all_dmp_files_Click();
    void Load_proj_schemen_Click();
    void Load_auswahl_Click();

    void Configuration_Click();
    void cmdHelp_Click();
    // Opens the DDL check window without making it modal.
    void cmdCheckDatabaseDDL_Click();
    // The file name check for the current project (after the temporary folder check), and the
    // linkage reading window; both modeless.
    void cmdFileSpecCheck_Click();
    void cmdReadLinkages_Click();
    // Opens a new project copy window, modeless; passes nothing.
    void btnProjcopy_Click();
    // The project file check for the current project, after the temporary folder check; modeless.
    void btnUpgradeCheck_Click();

    void selall_Click();
    void deselall_Click();
    void Create_DB_Schema_Click();
    void Create_DBUser_Click();
    void Create_Schema_Click();
    void Delete_DB_Schema_Click();
    void Delete_DBUser_Click();
    void Delete_Schema_Click();

    // Script runner, lists, free space, piping model restore and maintenance.
    void SCRstart_Click();
    void Command1_Click();
    void Editscript_Click();
    void UserVar_LostFocus(int index);
    void Zeigschemen_Click();
    void ShowDBuser_Click();
    void show_free_ts_Click();
    void Restore_pipfile_Click();
    void btnGrantAll_Click();
    void btnMscode_Click();
    void btnRISClean_Click();

protected:
    void closeEvent(class QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether a focus-out hands the focus to another control of this window.
    bool focusMovesWithin(class QEvent* event) const;
    void buildLayout();
    void connectHandlers();
    // Wires the family boxes and the user and schema buttons to the family commands.
    void connectFamilies();
    // Wires the script controls, the list, free-space and restore buttons and the maintenance.
    void connectTools();
    // Runs one multi-schema command inside the interface lock and ends it with the closing
    // message (ready, ended with errors, or the raised error's description).
    template <class Body> void runLocked(Body body);
    // Runs a command that Exit does not cut short (a family command, a script): Exit during it
    // asks the command to stop after its running step, and the program ends when it has.
    void runEndable(const std::function<void()>& body);
    // Runs one maintenance run over the schema list as an endable command, Exit asking it to
    // stop after its running client.
    void runMaintenance(const std::function<void(Maintenance&)>& body);
    // Ends the program's event loop.
    void endProgram();

    DumpCommands* dump_ = nullptr;
    Families* families_ = nullptr;
    // A command runs (runLocked, runEndable); the program was asked to end during it.
    bool busy_ = false;
    bool endRequested_ = false;
};
