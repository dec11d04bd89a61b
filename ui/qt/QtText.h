// Texts across the window boundary: the program's one-byte texts to QString and back.
#pragma once

#include <QString>
#include <string>

// One byte per character both ways (the program's ANSI texts as Latin-1).
QString ToQString(const std::string& text);
std::string FromQString(const QString& text);
