// Reading text tables into SQLite.
#include "platform/ado/TextTableLoader.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Variant.h"

#include <sqlite3.h>

#include <cmath>
#include <fstream>

namespace {

std::string QuoteIdent(const std::string& name)
{
    return "\"" + ReplaceAll(name, "\"", "\"\"") + "\"";
}

[[noreturn]] void Fail(const std::string& description)
{
    throw AppError(adoerr::kUnspecified, "Microsoft OLE DB Provider for ODBC Drivers",
                   "[Microsoft][ODBC Text Driver] " + description);
}

void Exec(sqlite3* db, const std::string& sql)
{
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string message = err ? err : "unknown error";
        sqlite3_free(err);
        Fail(message);
    }
}

void BindField(sqlite3_stmt* st, int index, const TextColumn& column, const std::string& rawText, bool fixed)
{
    const std::string text = fixed ? TrimRight(rawText) : rawText;
    if (text.empty()) {
        sqlite3_bind_null(st, index);
        return;
    }
    if (IsAdoIntegerType(column.adoType) || column.adoType == adBoolean) {
        auto n = ParseNumberText(text);
        if (!n && column.adoType == adBoolean) {
            const std::string t = Trim(text);
            if (EqualsNoCase(t, "True") || EqualsNoCase(t, "Yes"))
                n = -1;
            else if (EqualsNoCase(t, "False") || EqualsNoCase(t, "No"))
                n = 0;
        }
        if (n)
            sqlite3_bind_int64(st, index, static_cast<sqlite3_int64>(std::nearbyint(*n)));
        else
            sqlite3_bind_null(st, index);
    } else if (IsAdoFloatType(column.adoType)) {
        const auto n = ParseNumberText(text);
        if (n)
            sqlite3_bind_double(st, index, *n);
        else
            sqlite3_bind_null(st, index);
    } else if (IsAdoDateType(column.adoType)) {
        const auto d = ParseDateText(text);
        if (d)
            sqlite3_bind_text(st, index, FormatDateText(*d).c_str(), -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(st, index);
    } else {
        sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
}

} // namespace

std::vector<std::string> TextTableLoader::SplitDelimited(const std::string& line, char delimiter)
{
    std::vector<std::string> fields;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        std::string field;
        if (i < n && line[i] == '"' && !(i + 1 < n && line[i + 1] == '"')) {
            ++i;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        }
        while (i < n && line[i] != delimiter) {
            if (line[i] == '"' && i + 1 < n && line[i + 1] == '"') {
                field += '"';
                i += 2;
            } else {
                field += line[i++];
            }
        }
        fields.push_back(std::move(field));
        if (i >= n)
            break;
        ++i;   // the delimiter
    }
    return fields;
}

void TextTableLoader::Load(sqlite3* db, const std::string& table, const std::string& textFileHostPath,
                           const TextTableSchema& schemaIn)
{
    std::ifstream in(textFileHostPath, std::ios::binary);
    if (!in)
        Fail("Could not open the text file '" + textFileHostPath + "'.");
    TextTableSchema schema = schemaIn;
    std::string line;
    const bool fixed = schema.format == TextTableSchema::Format::FixedLength;
    if (schema.colNameHeader && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // Without described columns the header names them, all as text.
        if (schema.columns.empty() && !fixed)
            for (const std::string& name : SplitDelimited(line, schema.delimiter))
                schema.columns.push_back(TextTableSchema::DescribeColumn(Trim(name), "char", 255));
    }
    if (schema.columns.empty())
        Fail("No columns are described for the text file '" + textFileHostPath + "'.");

    std::string create = "CREATE TABLE " + QuoteIdent(table) + " (";
    std::string insert = "INSERT INTO " + QuoteIdent(table) + " VALUES (";
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        create += (i ? ", " : "") + QuoteIdent(schema.columns[i].name) + " " + schema.columns[i].sqlType;
        insert += i ? ", ?" : "?";
    }
    Exec(db, create + ")");
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &st, nullptr) != SQLITE_OK)
        Fail(sqlite3_errmsg(db));
    Exec(db, "BEGIN");
    try {
        const int count = static_cast<int>(schema.columns.size());
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty())
                continue;
            if (fixed) {
                size_t at = 0;
                for (int c = 0; c < count; ++c) {
                    const long w = schema.columns[c].width > 0 ? schema.columns[c].width : 0;
                    const std::string piece = at < line.size() ? line.substr(at, w) : std::string();
                    at += w;
                    BindField(st, c + 1, schema.columns[c], Trim(piece).empty() ? std::string() : piece, true);
                }
            } else {
                const std::vector<std::string> fields = SplitDelimited(line, schema.delimiter);
                for (int c = 0; c < count; ++c)
                    BindField(st, c + 1, schema.columns[c], c < static_cast<int>(fields.size()) ? fields[c] : std::string(),
                              false);
            }
            if (sqlite3_step(st) != SQLITE_DONE)
                Fail(sqlite3_errmsg(db));
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        Exec(db, "COMMIT");
    } catch (...) {
        sqlite3_finalize(st);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}
