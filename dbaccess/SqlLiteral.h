// SQL text helpers shared by the statement builders: quoting, literal forming, text types.
#pragma once

#include <cstdint>
#include <string>

// "'" + text + "'", nothing escaped.
std::string SqlQuote(const std::string& text);
// Every "'" doubled.
std::string SqlEscapeQuotes(const std::string& text);
// The text as an SQL string literal: O'Neil gives 'O''Neil'.
std::string SqlStringLiteral(const std::string& text);
// Whether values of the ADO data type are written as quoted literals (8, 72, 129, 130, 200,
// 201, 202, 203).
bool IsAdoDataTypeString(int16_t adoType);
