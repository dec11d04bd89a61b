// Latin-1 conversion of the program's texts.
#include "ui/qt/QtText.h"

QString ToQString(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromQString(const QString& text) { return text.toLatin1().toStdString(); }
