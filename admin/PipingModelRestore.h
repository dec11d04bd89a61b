// The restore of one piping model's design tables from a dump of the design schema: the list of
// the project's piping models, the check of the chosen dump, the cut of the model's five tables
// into a smaller dump, and its load in "clear" mode.
#pragma once

#include <string>
#include <vector>

struct PipingModel {
    std::string modelNo;
    std::string partitionNo;
};

class PipingModelRestore {
public:
    // The table numbers of a piping model's design tables, in restore order.
    static const std::vector<int>& TableNumbers();

    // The risbatch input listing the piping models of the project.
    static std::string ModelListStatement(const std::string& project);
    // The models of risbatch's output: a line beginning with "model_no" holds the model number
    // between single quotes, the next line the partition number after its first ":". Raises
    // when a model line has no quoted value or its partition line is missing or not a number,
    // when no "End of Data Found" line follows the last model (an answer cut short), and when
    // the output holds a RIS error.
    static std::vector<PipingModel> ParseModelList(const std::string& output);
    // Runs risbatch on the statement and gives the models, in output order. Raises when the
    // project name is not an identifier, an old output cannot be deleted first, risbatch
    // failed (a non-zero exit code or a RIS error) or its output cannot be read.
    static std::vector<PipingModel> ListModels(const std::string& project);

    // The schema the dump's first line names ("create schema" or "default schema" and the
    // name, any case); empty when the file is missing, unreadable or begins otherwise.
    static std::string DumpSchemaOf(const std::string& dumpFile);
    // Whether the file can be a dump of dd_<project>: at least 100 bytes, and the schema of its
    // first line is dd_<project> as a whole name (without regard to case).
    static bool IsDesignSchemaDump(const std::string& dumpFile, const std::string& project);

    // Writes the partial dump: "default schema dd_<project>", the blocks of the model's tables
    // found in the dump (each from its "create table" line through its end-of-table line) in
    // table number order, the index and grant lines of those tables in dump order, and the
    // end-of-schema line. A block opens only at a create-table line
    // naming exactly pdtable_<T>_<partition> and ends only at the exact end-of-table line. Gives
    // the tables copied. Raises when none of the model's tables is in the dump, when a block is
    // not closed before the dump ends, or when a file cannot be read or written.
    static std::vector<std::string> WritePartialDump(const std::string& dumpFile, const std::string& project,
                                                     const std::string& partitionNo, const std::string& partialDump);

    // Loads the partial dump into dd_<project> with rislod in "clear" mode, the output appended
    // to the program log, the rows the tables refuse written to badFile (none when empty).
    // Gives the RIS error the output holds (one line, without its frame), or why rislod could
    // not run or that it died; empty when the load went through. refusalNamed, when given, is
    // set when the failure is a RIS error the client named.
    static std::string LoadPartialDump(const std::string& partialDump, const std::string& project,
                                       const std::string& badFile = std::string(), bool* refusalNamed = nullptr);
    static std::string LoadCommand(const std::string& partialDump, const std::string& project,
                                   const std::string& badFile);
    // TMP\pipfile_<model>_<unique>.bad: the bad file of one restore.
    static std::string BadRowsFile(const std::string& modelNo);

    // The whole restore of the model from the dump, under the mark of dd_<project> (LoadMarks, naming the
    // dump) from its start until the look after the load has spoken: while another program changes that
    // schema it raises the refusal, naming the running change, and changes nothing. Gives the closing message
    // ("DD schema was restored!" and the reminder of the design file; "restored in part" naming the tables
    // the dump does not hold, which stay as they were). The partial dump is loaded only when it reads as a
    // whole dump of dd_<project> (CheckDumpWhole). Every load, whatever the client's end, is followed by a
    // read of dd_<project> (StandingState::LoadAndLook): when its tables hold the partial dump's rows and
    // grants the restore counts as done, and the message says what failed, if anything; otherwise, and always
    // after a refusal the client named, it raises saying what stands (tables missing, short, without their
    // grant, or not told), naming the kept bad file (in Windows form) with its refused rows.
    static std::string Restore(const std::string& dumpFile, const std::string& project, const PipingModel& model);

    // TMP\tarnwick.sql: the statement file and later the partial dump. Both in Windows form.
    static std::string StatementFile();
    // TMP\risbatch.txt.
    static std::string OutputFile();
};
