// The font of a block of cells: bold and size, read from the top-left cell and set on all.
#pragma once

#include "platform/excel/CellAddress.h"

class Worksheet;

class Font {
public:
    Font(Worksheet& sheet, const CellRect& rect);

    bool Bold() const;
    void SetBold(bool bold);
    // Points; Excel takes 1 to 409, anything else raises 1004.
    double Size() const;
    void SetSize(double points);

private:
    Worksheet* sheet_;
    CellRect rect_;
};
