// Small builders for window controls: objectName (the system's control name), caption and tip in
// one call, so locks, status bars and settings sections find the controls by name.
#pragma once

#include <string>

class QLineEdit;
class QPushButton;
class QWidget;

// A caption's "&&" shows as one "&"; a single "&" marks a shortcut. An empty tip sets none.
QPushButton* MakeButton(QWidget* parent, const std::string& name, const std::string& caption,
                        const std::string& tip = std::string());
QLineEdit* MakeLineEdit(QWidget* parent, const std::string& name, const std::string& tip = std::string());

// For a button of fixed size whose caption is longer than its width: the button's font is made
// smaller (by half points, to 6 points at least) until the whole caption shows.
void FitCaption(QPushButton* button);
