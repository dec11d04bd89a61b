// Values stored into the tables of an Access database as its engine stores them: a text no
// longer than its field's size, a whole number within its field's range (a fraction rounded
// half to even), a currency amount exact to its four decimals within -922337203685477.5808 and
// 922337203685477.5807. A value its field cannot hold is refused with the engine's own text and
// nothing of the statement is stored. A number of more digits than a double holds keeps every
// digit in a Double or Decimal field (the system's numbers have up to 38), as the text of its
// digits: read back whole, though a condition or sum on it does not compute with its digits.
#pragma once

#include <string>
#include <vector>

struct sqlite3;

namespace JetStoredValues {

// The engine's texts of a refused value.
inline constexpr const char* kFieldTooSmall =
    "The field is too small to accept the amount of data you attempted to add.  Try inserting or pasting less data.";
inline constexpr const char* kNumericOverflow = "Numeric field overflow.";
inline constexpr const char* kTypeMismatch = "Data type mismatch in criteria expression.";

// A column of the table a statement stores into, with the field it stands for.
struct Column {
    std::string name;
    int adoType = 0;
    long definedSize = 0;
};

// Makes the function that converts a value for its field known to the connection.
void Register(sqlite3* db);

// Whether an engine message is one of the refusals above.
bool IsRefusal(const std::string& message);

// "INSERT INTO <target> <rest>" with every value stored as its column keeps it; rest is what
// follows the target: an optional column list, then VALUES rows or a SELECT. A currency amount
// written as a number in a VALUES row keeps every digit it is written with. A form it does not
// know (DEFAULT VALUES, a column the table lacks) is left as it is, for the engine to answer.
std::string Insert(const std::string& target, const std::string& rest, const std::vector<Column>& columns);

// The table an "UPDATE <table> SET ..." statement changes; empty for any other statement.
std::string UpdatedTable(const std::string& sql);
// The UPDATE with every assigned value stored as its column keeps it.
std::string Update(const std::string& sql, const std::vector<Column>& columns);

} // namespace JetStoredValues
