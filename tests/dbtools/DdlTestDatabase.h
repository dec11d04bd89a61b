// An in-memory twin of the design and project schemas for the DDL check's tests: tables with
// typed columns, pdtable_113 model rows, row counts, and a record of every call; and a run of
// the check over it.
#pragma once

#include "dbtools/DdlCheckContext.h"
#include "dbtools/DdlDatabase.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"
#include "services/ScriptedMessageService.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

struct DdlTestModel {
    long discipline;
    std::string model;
    long partition;
};

class DdlTestDatabase : public DdlDatabase {
public:
    std::string directory;                                     // the project directory (Windows path)
    std::vector<std::string> tables;                           // in listing order
    std::map<std::string, std::vector<std::string>> columns;   // table -> "name type"
    std::map<std::string, long> rowCounts;
    std::vector<DdlTestModel> models;
    std::vector<long> partitions;  // the rows of pdtable_114
    std::string failColumnsOf;   // a table whose column listing fails
    std::string failWrites;      // the error every write raises, when not empty
    // A write whose statements hold the text raises "risbatch ended with exit code 139" before
    // it changes anything, or after it did its work; once each.
    std::string dieBefore, dieAfter;
    // A write whose statements hold the text changes nothing and still reports one row; once.
    std::string doesNothing;

    // The design schema's views, each with the table it reads: one whose table is not in
    // `tables` is said by ViewWarnings, as the server says it.
    std::vector<std::pair<std::string, std::string>> views;
    std::string failViewWarnings; // the error ViewWarnings raises, when not empty

    std::vector<std::string> calls;   // "Columns t fresh", "Read schema sql", "ReadWhole schema sql", "Write schema"
    std::vector<std::string> written;

    std::string ProjectDirectory(const std::string& project) override
    {
        calls.push_back("ProjectDirectory " + project);
        return directory;
    }
    std::vector<std::string> Tables(const std::string& schema) override
    {
        calls.push_back("Tables " + schema);
        return tables;
    }
    std::vector<std::string> Columns(const std::string& schema, const std::string& table, bool refresh) override
    {
        calls.push_back("Columns " + table + (refresh ? " fresh" : " cached"));
        if (table == failColumnsOf)
            throw AppError(1, "CRIS::DBGetCols", "No columns in table: '" + table + "' found");
        return columns[table];
    }
    Recordset Read(const std::string& schema, const std::string& sql) override
    {
        calls.push_back("Read " + schema + " " + sql);
        Recordset rs;
        const std::string byPartition = " WHERE partition_no=";
        if (sql.rfind("SELECT count(*) AS ROWCOUNTS FROM pdtable_11", 0) == 0 && sql.find(byPartition) != std::string::npos) {
            const long p = std::stol(sql.substr(sql.find(byPartition) + byPartition.size()));
            const bool models114 = sql.find("pdtable_114") != std::string::npos;
            rs.Fields().Append("ROWCOUNTS", adInteger);
            rs.Open();
            rs.AddNew("ROWCOUNTS", Variant(static_cast<long>(
                                       models114 ? std::count(partitions.begin(), partitions.end(), p)
                                                 : std::count_if(models.begin(), models.end(),
                                                                 [&](const DdlTestModel& m) { return m.partition == p; }))));
        } else if (sql == "SELECT partition_no FROM pdtable_114;") {
            rs.Fields().Append("partition_no", adSmallInt);
            rs.Open();
            for (long p : partitions)
                rs.AddNew("partition_no", Variant(p));
        } else if (sql.rfind("SELECT count(*) AS ROWCOUNTS FROM pdtable_113 WHERE ", 0) == 0) {
            rs.Fields().Append("ROWCOUNTS", adInteger);
            rs.Open();
            rs.AddNew("ROWCOUNTS", Variant(static_cast<long>(std::count_if(
                                       models.begin(), models.end(), [&](const DdlTestModel& m) { return matches(sql, m); }))));
        } else if (sql.find("FROM pdtable_113") != std::string::npos) {
            rs.Fields().Append("discipline_indx_no", adSmallInt);
            rs.Fields().Append("model_no", adVarChar, 20);
            rs.Fields().Append("partition_no", adSmallInt);
            rs.Open();
            for (const DdlTestModel& m : models)
                rs.AddNew({"discipline_indx_no", "model_no", "partition_no"},
                          {Variant(m.discipline), Variant(m.model), Variant(m.partition)});
        } else {
            const size_t from = sql.find("FROM ") + 5;
            const std::string table = sql.substr(from, sql.find(';') - from);
            if (!rowCounts.count(table))
                throw AppError(1, "CRIS::DBRead", "Table not found");
            rs.Fields().Append("ROWCOUNTS", adInteger);
            rs.Open();
            rs.AddNew("ROWCOUNTS", Variant(rowCounts[table]));
        }
        if (rs.RecordCount() > 0)
            rs.MoveFirst();
        return rs;
    }
    // Every row of the twin is there: its whole read is its read, told apart in the calls.
    Recordset ReadWhole(const std::string& schema, const std::string& sql) override
    {
        Recordset rs = Read(schema, sql);
        calls.back() = "ReadWhole " + calls.back().substr(5);
        return rs;
    }
    // A model's DELETE takes the rows of `models` that match it exactly, as the server would;
    // other statements report no count.
    int32_t Write(const std::string& schema, const std::string& statements) override
    {
        calls.push_back("Write " + schema);
        if (!failWrites.empty())
            throw AppError(1, "CRIS::DBWrite", failWrites);
        if (dies(dieBefore, statements))
            throw AppError(1, "CRIS::DBWrite", "risbatch ended with exit code 139");
        written.push_back(statements);
        if (dies(doesNothing, statements))
            return 1;
        int32_t rows = -1;
        if (statements.rfind("DELETE FROM pdtable_113 ", 0) == 0)
            rows = static_cast<int32_t>(
                std::erase_if(models, [&](const DdlTestModel& m) { return matches(statements, m); }));
        else if (statements.rfind("DELETE FROM pdtable_114 WHERE partition_no=", 0) == 0)
            rows = static_cast<int32_t>(std::erase(partitions, std::stol(statements.substr(43))));
        // Tables dropped and columns added, as the repair's look then finds them.
        for (const std::string& line : Split(statements, "\r\n")) {
            const std::vector<std::string> words = Split(ReplaceAll(line, ";", ""), " ");
            if (line.rfind("DROP TABLE ", 0) == 0 && words.size() == 3)
                std::erase(tables, words[2]);
            else if (line.rfind("ALTER TABLE ", 0) == 0 && words.size() >= 5)
                columns[words[2]].push_back(Trim(ReplaceAll(line.substr(line.find(" ADD ") + 5), ";", "")));
        }
        if (dies(dieAfter, statements))
            throw AppError(1, "CRIS::DBWrite", "risbatch ended with exit code 139");
        return rows;
    }

    std::vector<std::string> ViewWarnings(const std::string& schema) override
    {
        calls.push_back("ViewWarnings " + schema);
        if (!failViewWarnings.empty())
            throw AppError(1, "CRIS::RISViewWarnings", failViewWarnings);
        std::vector<std::string> said;
        for (const auto& [view, table] : views)
            if (std::find(tables.begin(), tables.end(), table) == tables.end())
                said.push_back("view '" + view + "' reads table '" + table + "', which no longer stands");
        return said;
    }

private:
    static bool dies(std::string& text, const std::string& statements)
    {
        if (text.empty() || statements.find(text) == std::string::npos)
            return false;
        text.clear();
        return true;
    }
    // Whether the model row matches the condition "discipline_indx_no=1 AND model_no='...' AND
    // partition_no=n" of the statement.
    static bool matches(const std::string& statement, const DdlTestModel& m)
    {
        const std::string head = "WHERE discipline_indx_no=1 AND model_no='";
        const size_t from = statement.find(head);
        const size_t end = statement.find("' AND partition_no=");
        if (from == std::string::npos || end == std::string::npos)
            return false;
        const std::string model = ReplaceAll(statement.substr(from + head.size(), end - from - head.size()), "''", "'");
        return m.discipline == 1 && m.model == model && m.partition == std::stol(statement.substr(end + 19));
    }
};

// A check or repair of project p1 over the twin, with scripted answers, and the status texts
// and button states it gave.
struct DdlTestRun {
    CheckTree tree;
    DdlTestDatabase db;
    ScriptedMessageService messages;
    std::vector<std::string> statuses;
    std::vector<bool> enables;
    DdlCheckContext context{tree, db, [] { return std::string("p1"); },
                            [this](const std::string& t) { statuses.push_back(t); },
                            [this](bool e) { enables.push_back(e); }, 0};
};
