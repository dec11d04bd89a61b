// Small builders for the controls of the admin windows: objectName, caption and tip in one call.
#pragma once

#include <string>

class QLineEdit;
class QPushButton;
class QWidget;
class QString;

namespace formwidgets {

QPushButton* MakeButton(QWidget* parent, const std::string& name, const std::string& caption, const std::string& tip);
QLineEdit* MakeLineEdit(QWidget* parent, const std::string& name, const std::string& tip);

// Window texts are std::string with one byte per character (Latin-1) inside the program.
QString ToQ(const std::string& s);
std::string FromQ(const QString& s);

} // namespace formwidgets
