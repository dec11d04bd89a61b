// Text form of cell values.
#include "platform/excel/CellValue.h"

#include <cmath>
#include <cstdio>

std::string CellValue::Text() const
{
    switch (kind_) {
    case Kind::Empty:
        return {};
    case Kind::Text:
        return text_;
    case Kind::Number:
        break;
    }
    char buf[40];
    if (std::nearbyint(number_) == number_ && std::fabs(number_) < 1e15)
        std::snprintf(buf, sizeof buf, "%.0f", number_);
    else
        std::snprintf(buf, sizeof buf, "%.15G", number_);
    std::string s = buf;
    return s == "-0" ? "0" : s;
}

bool CellValue::operator==(const CellValue& other) const
{
    if (kind_ != other.kind_)
        return false;
    if (kind_ == Kind::Text)
        return text_ == other.text_;
    return kind_ == Kind::Empty || number_ == other.number_;
}
