// The statements the project file check reads its tables with, one list for the checks and for
// whatever reads the tables of a check run ahead of them.
#pragma once

#include <string>
#include <vector>

namespace checkqueries {

inline constexpr const char* kDisciplines =
    "SELECT discipline_indx_no, discipline_name FROM pdtable_111 GROUP BY discipline_indx_no, discipline_name;";
inline constexpr const char* kAreas = "SELECT discipline_indx_no, area_index_no, area_name, area_description FROM "
                                      "pdtable_112 GROUP BY discipline_indx_no, area_index_no, area_name, "
                                      "area_description;";
inline constexpr const char* kModels =
    "SELECT model_index_no, discipline_indx_no, area_index_no, model_no, model_description, network_address, "
    "path_name, model_file_spec, model_type FROM pdtable_113 "
    "GROUP BY model_index_no, discipline_indx_no, area_index_no, model_no, model_description, network_address, "
    "path_name, model_file_spec, model_type;";
inline constexpr const char* kDrawings =
    "SELECT drawing_type, drawing_no, drawing_title, network_address, path_name, drawing_file_spec FROM pdtable_121 "
    "GROUP BY drawing_type, drawing_no, drawing_title, network_address, path_name, drawing_file_spec;";
inline constexpr const char* kLibraries =
    "SELECT type_of_rdb_data, approval_status, network_address, path_name, rdb_file_spec FROM pdtable_102 "
    "GROUP BY type_of_rdb_data, approval_status, network_address, path_name, rdb_file_spec;";
inline constexpr const char* kInterferenceAreas =
    "SELECT discipline_indx_no, area_index_no, area_name, area_description FROM pdtable_112 "
    "WHERE interference_mode=1 GROUP BY discipline_indx_no, area_index_no, area_name, area_description;";
inline constexpr const char* kProjectFile = "SELECT path_name, network_address, rdb_file_spec from pdtable_102 "
                                            "WHERE type_of_rdb_data=99 GROUP BY path_name, network_address, "
                                            "rdb_file_spec;";

// Every statement of one check run, in its order: models (disciplines, areas, models), drawings,
// libraries, area markers (disciplines, interference areas), project file. The area marker
// check also reads the project directory (GetProjectDirectory, pdtable_102).
inline std::vector<std::string> CheckRunStatements()
{
    return {kDisciplines, kAreas, kModels, kDrawings, kLibraries, kDisciplines, kInterferenceAreas, kProjectFile};
}

} // namespace checkqueries
