// The model file check.
#include "filecheck/ModelCheck.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/WholeTableRead.h"
#include "filecheck/AlternativeFiles.h"
#include "filecheck/CheckQueries.h"
#include "filecheck/FileCheckText.h"
#include "filecheck/MissingEntries.h"
#include "filecheck/ReportSheet.h"
#include "filecheck/UpgradeCheckContext.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <optional>

namespace {

class ModelWalk {
public:
    ModelWalk(UpgradeCheckContext& ctx, const FileListing& listing, Recordset& disciplines, Recordset& areas,
              Recordset& models)
        : ctx_(ctx), listing_(listing), disciplines_(disciplines), areas_(areas), models_(models)
    {
    }

    void Row()
    {
        const bool frameWorks = Text(discipline_) == "3";
        if (frameWorks && Text(modelType_) != "1")
            Frozen();
        else
            Ordinary(frameWorks);
    }

private:
    // The current row's value of a column whose place was looked up once for the walk.
    std::string Text(int column) { return FieldTextAt(models_, column); }
    int Column(const char* name) const { return models_.Fields().IndexOf(name); }

    // The key of the entry's node, or empty.
    std::string Entry(const std::string& entry, const std::string& description, bool fileEntry)
    {
        return AddMissingModel(ctx_.tree, ctx_.Sheet(), &disciplines_, &areas_, models_, entry, description,
                               fileEntry);
    }

    // An error entry for an undefined column; false when its value is blank.
    bool Defined(const std::string& column, const std::string& value)
    {
        if (!IsBlank(Trim(value)))
            return true;
        const std::string message = "'" + column + "' not defined";
        ShowStatus(message);
        Entry(column, message, false);
        return false;
    }

    void Ordinary(bool frameWorks)
    {
        bool allDefined = true;
        const std::string modelNo = Text(modelNo_);
        if (!IsBlank(Trim(modelNo))) {
            ShowStatus("Checking model: '" + modelNo + "' ...");
        } else {
            allDefined = false;
            ShowStatus("Checking model: model_no not defined ...");
            Entry("model_no", "'model_no' not defined", false);
        }
        const std::string server = Text(server_);
        const std::string path = Text(path_);
        const std::string fileSpec = Text(fileSpec_);
        allDefined = Defined("network_address", server) && allDefined;
        allDefined = Defined("path_name", path) && allDefined;
        if (!Defined("model_file_spec", fileSpec) || !allDefined)
            return;

        std::string failure;
        const std::string directory = RowNetworkFolder(server, path, failure);
        if (directory.empty()) {
            Entry("LocalPath2UNC", failure, false);
            return;
        }
        TestFile(directory, fileSpec, server, path);
        if (!frameWorks)
            return;
        for (const std::string& extension : Split(kFrameWorksExtensions, ";")) {
            TestFile(directory, ReplaceNoCase(fileSpec, ".dgn", "." + extension), server, path);
            DoEventsBetweenRows();
        }
    }

    void TestFile(const std::string& directory, const std::string& fileName, const std::string& server,
                  const std::string& path)
    {
        const std::string full = directory + fileName;
        if (CheckedFileExists(full)) {
            ShowStatus("Model file: '" + full + "' found");
            return;
        }
        ShowStatus("Model file: '" + full + "' not exists");
        const std::vector<AlternativeFile> alternatives = FindMissingFiles(listing_, fileName);
        for (const AlternativeFile& alternative : alternatives) {
            ctx_.NoteMissingFile(Entry(alternative.path, AlternativeDescription(alternative), true),
                                 {server, path, fileName});
            DoEventsBetweenRows();
        }
        if (alternatives.empty())
            ctx_.NoteMissingFile(Entry("FILE_NOT_FOUND" + fileName, "File not found (network_address: '" + server +
                                                                        "'; path_name: '" + path +
                                                                        "'; model_file_spec: '" + fileName + "')",
                                       true),
                                 {server, path, fileName});
    }

    void Frozen()
    {
        if (FieldBlank(models_, "model_no")) {
            ShowStatus("Checking frozen model: model_no not defined ...");
            Entry("frozen model_no", "frozen 'model_no' not defined", false);
            return;
        }
        const std::string modelNo = FieldText(models_, "model_no");
        ShowStatus("Checking frozen model: '" + modelNo + "' ...");
        const long position = models_.Bookmark();
        models_.SetFilter("model_no = " + CriteriaText(modelNo) + " AND model_type = 1");
        const bool sparseFound = models_.RecordCount() > 0;
        if (sparseFound)
            ShowStatus("sparse model (model_index_no: " + FieldText(models_, "model_index_no") + ") found");
        models_.ClearFilter();
        models_.SetBookmark(position);
        if (!sparseFound) {
            ShowStatus("sparse model (*.dgn) not found");
            Entry("sparse model not found", "sparse model (*.dgn) not found", false);
        }
    }

    UpgradeCheckContext& ctx_;
    const FileListing& listing_;
    Recordset& disciplines_;
    Recordset& areas_;
    Recordset& models_;
    const int discipline_ = Column("discipline_indx_no");
    const int modelType_ = Column("model_type");
    const int modelNo_ = Column("model_no");
    const int server_ = Column("network_address");
    const int path_ = Column("path_name");
    const int fileSpec_ = Column("model_file_spec");
};

} // namespace

void CheckModels(UpgradeCheckContext& ctx, const FileListing& listing)
{
    std::optional<Recordset> disciplines, areas, models;
    try {
        ShowStatus("Checking models from PDS-Project: '" + ctx.projectName + "' ...");
        if (Worksheet* sheet = ctx.Sheet())
            WriteSectionStart(*sheet, TitlePlace::UsedRow, "Missing model files",
                              {"Discipline", "Area", "Model", "Description", "Alternative files"});
        ShowStatus("Reading disciplines ...");
        disciplines = DBReadWhole(*gCRIS, ctx.ProjectSchema(), checkqueries::kDisciplines, 3);
        ShowStatus(std::to_string(disciplines->RecordCount()) + " disciplines found");
        ShowStatus("Reading areas ...");
        areas = DBReadWhole(*gCRIS, ctx.ProjectSchema(), checkqueries::kAreas, 3);
        ShowStatus(std::to_string(areas->RecordCount()) + " areas found");
        ShowStatus("Reading models ...");
        models = DBReadWhole(*gCRIS, ctx.ProjectSchema(), checkqueries::kModels, 3);
        ShowStatus(std::to_string(models->RecordCount()) + " models found");
        if (models->RecordCount() > 0) {
            ModelWalk walk(ctx, listing, *disciplines, *areas, *models);
            for (models->MoveFirst(); !models->Eof(); models->MoveNext()) {
                walk.Row();
                DoEventsBetweenRows();
            }
        }
    } catch (const AppError& e) {
        CloseRecordset(disciplines, false);
        CloseRecordset(areas, false);
        CloseRecordset(models, false);
        throw PassOnAsDescription(e, "CheckModels");
    }
    CloseRecordset(disciplines, false);
    CloseRecordset(areas, false);
    CloseRecordset(models, false);
    ShowStatus("Models checked successfully");
}
