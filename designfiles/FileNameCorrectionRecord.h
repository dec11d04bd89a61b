// The record of a file name correction in one project schema, in the marks folder: before a
// row's first file moves it says which files will move from which name to which (each as it
// stood: size, last write and digest) and which rows name them, old name and new; once a file's
// copy under its new name is made, and before its old name goes, the copy as made. A program killed
// between a move and the UPDATE leaves it where the next start or the next correction in that
// schema finds it: they finish the renames when the rows name the new file, undo them when the
// rows name the old one, each only while the file is still as the run made it, and name what
// they cannot put in step. A row leaves the record once its rows and files are seen in step. A
// move the run gave up (its file seen under the old name alone) is written so before its copy
// goes again: no mend repeats it, and the row is in step while that file keeps its old name.
#pragma once

#include "designfiles/ProjectTables.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class RunMark;
struct FileImage;

class FileNameCorrectionRecord {
public:
    // What one row's correction will change.
    struct RowPlan {
        std::string named;     // "model 'P-7005'"
        std::string table;     // "pdtable_113"
        std::string column;    // "model_file_spec"
        std::string where;     // the rows the look reads: the key, and the folder among several
        std::string oldSpec;
        std::string newSpec;
        std::vector<std::pair<std::string, std::string>> moves; // from, to (full Windows names)
    };

    // Takes the record of schema's corrections, and the schema's mark. One that a killed run left
    // is mended first. Throws AppError, with nothing changed, when another program's correction
    // or change of the schema runs (or a dead one left the schema in part), or when what a killed
    // correction left cannot be put in step (the text says what stands).
    FileNameCorrectionRecord(const std::string& schema, ProjectTables tables);
    // Goes with the run; a row not seen in step keeps it standing, said ended with those rows,
    // for the next start and for this program's next correction, which carries them on as its own.
    ~FileNameCorrectionRecord();
    FileNameCorrectionRecord(const FileNameCorrectionRecord&) = delete;
    FileNameCorrectionRecord& operator=(const FileNameCorrectionRecord&) = delete;

    // Written before the row's first move. Throws AppError when it cannot be: nothing may move.
    void RowStarting(const RowPlan& plan);
    // The copy of a move of the row in hand is made (as `made`), its source not yet gone: written
    // before the source goes. Throws AppError when it cannot be: the source must stay then.
    void FileCopied(const std::string& from, const std::string& to, const FileImage& made);
    // A move of the row in hand that will not be made: the run saw (or is about to leave) its
    // file under the old name alone. Written before a copy goes again, so that no later mend
    // repeats the move; the move is then in step while its file keeps the old name. Throws
    // AppError when it cannot be written (the run's own look still counts it given up).
    void FileNotMoved(const std::string& from, const std::string& to);
    // After the row's last step, whatever its outcome: its rows and files are looked at, and the
    // row leaves the record when they are in step. Never throws.
    void RowSettled();

    // What the start does with the records killed runs left: one text for each, and whether it
    // was put in step (else the record stays, named).
    struct Left {
        std::string text;
        bool mended = false;
    };
    static std::vector<Left> MendLeft(const ProjectTables& tables);

private:
    void save(bool ended = false);
    // Lets the record stand with its rows, said ended, and known to this program as its own.
    void keep();
    void takeSchemaMark(const std::string& refused);

    std::string schema_;
    ProjectTables tables_;
    std::unique_ptr<RunMark> mark_;
    std::unique_ptr<RunMark> schemaMark_; // "schema <name>", held while the run lives
    std::vector<std::vector<std::pair<std::string, std::string>>> rows_; // the fields of each pending row
};
