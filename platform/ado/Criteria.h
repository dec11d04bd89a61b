// A recordset criteria text ("a = 5 AND [b] LIKE 'x*' OR c = #2024-01-31#"), compiled against
// the recordset's fields and tested on rows. Used by Filter and Find.
#pragma once

#include "platform/ado/FieldInfo.h"
#include "platform/ado/Variant.h"

#include <memory>
#include <string>
#include <vector>

class Criteria {
public:
    // Parses the text and resolves its field names (bare or in square brackets, without regard
    // to case). Comparisons: =, <>, <, >, <=, >=, LIKE; values: 'text' ('' for a quote),
    // numbers, #date# (a number between "#" is that number), NULL; joined by AND and OR (AND
    // binds closer) with parentheses. LIKE takes "*" or "%" as any run of characters.
    // Raises AppError kWrongArguments for a text it cannot read, kNotInCollection for an
    // unknown field and kDataConversion for a value the field's type cannot hold.
    Criteria(const std::string& text, const std::vector<FieldInfo>& fields);
    ~Criteria();
    Criteria(Criteria&&) noexcept;
    Criteria& operator=(Criteria&&) noexcept;

    // Whether the row (values in field order) satisfies the criteria. Texts compare without
    // regard to case; a Null value satisfies only "= NULL".
    bool Matches(const std::vector<Variant>& row) const;

    struct Node;

private:
    std::unique_ptr<Node> root_;
};

// "*" and "%" match any run of characters, everything else itself without regard to case.
bool LikeMatch(const std::string& pattern, const std::string& text);
