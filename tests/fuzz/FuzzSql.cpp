// Fuzzing the SQL helpers: literals undo to their text, and a SELECT is taken apart and pointed
// at a text table without losing the rest of the statement.
#include "FuzzTargets.h"

#include "dbaccess/SqlLiteral.h"
#include "dbaccess/SqlParse.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

int FuzzSql(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::string literal = SqlStringLiteral(text);
    FuzzCheck(literal.size() >= 2 && literal.front() == '\'' && literal.back() == '\'', "a literal without its quotes");
    FuzzCheck(ReplaceAll(literal.substr(1, literal.size() - 2), "''", "'") == text, "a literal does not undo to its text");
    FuzzCheck(SqlEscapeQuotes(text) == literal.substr(1, literal.size() - 2), "escaping differs from the literal");
    FuzzCheck(SqlQuote(text) == "'" + text + "'", "quoting changed the text");
    IsAdoDataTypeString(static_cast<int16_t>(size));

    try {
        const SelectParts parts = ParseSelect(text);
        FuzzCheck(parts.tableStart + parts.tableLength <= text.size(), "the table word lies beyond the statement");
        FuzzCheck(text.compare(parts.tableStart, parts.tableLength, parts.table) == 0,
                  "the table word is not where it is said to be");
        FuzzCheck(parts.condition.find_first_of("\r\n\t") == std::string::npos, "a condition with a line break or tab");
        const std::string redirected = RedirectSelect(text, parts, "[fuzz.txt]");
        FuzzCheck(redirected == text.substr(0, parts.tableStart) + "[fuzz.txt] AS [" + parts.table + "]" +
                                    text.substr(parts.tableStart + parts.tableLength),
                  "the redirected statement lost part of the statement");
    } catch (const AppError&) {
    }
    return 0;
}
