// The formatting a cell or an area of a worksheet carries besides its value.
#pragma once

#include <optional>
#include <string>

// Excel's defaults for a cell nobody formatted (the font of the saved workbook is 11 point).
inline constexpr const char* kGeneralNumberFormat = "General";
inline constexpr double kDefaultFontSize = 11;

// Each property is either set or falls through to the area beneath and then to the default.
struct CellFormat {
    std::optional<std::string> numberFormat;
    std::optional<bool> bold;
    std::optional<double> size;

    bool Any() const { return numberFormat || bold || size; }
    // Fills the properties this format leaves unset from the given one.
    void FillFrom(const CellFormat& under)
    {
        if (!numberFormat)
            numberFormat = under.numberFormat;
        if (!bold)
            bold = under.bold;
        if (!size)
            size = under.size;
    }
    // Every property set: unset ones take Excel's defaults.
    CellFormat Resolved() const
    {
        return {numberFormat.value_or(kGeneralNumberFormat), bold.value_or(false), size.value_or(kDefaultFontSize)};
    }
    bool operator==(const CellFormat&) const = default;
};
