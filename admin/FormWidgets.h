// The control builders and text conversions of the admin windows, under their short names.
#pragma once

#include "ui/qt/QtBuilders.h"
#include "ui/qt/QtText.h"

namespace formwidgets {

using ::MakeButton;
using ::MakeLineEdit;

// Window texts are std::string with one byte per character (Latin-1) inside the program.
inline QString ToQ(const std::string& s) { return ToQString(s); }
inline std::string FromQ(const QString& s) { return FromQString(s); }

} // namespace formwidgets
