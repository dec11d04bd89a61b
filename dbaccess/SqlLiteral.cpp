// SQL quoting and literal helpers.
#include "dbaccess/SqlLiteral.h"

#include "platform/TextUtil.h"

std::string SqlQuote(const std::string& text)
{
    return "'" + text + "'";
}

std::string SqlEscapeQuotes(const std::string& text)
{
    return ReplaceAll(text, "'", "''");
}

std::string SqlStringLiteral(const std::string& text)
{
    return SqlQuote(SqlEscapeQuotes(text));
}

bool IsAdoDataTypeString(int16_t adoType)
{
    switch (adoType) {
    case 8: case 72: case 129: case 130: case 200: case 201: case 202: case 203:
        return true;
    default:
        return false;
    }
}
