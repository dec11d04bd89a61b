// The schema pick list: returns the schema picked in its list.
#pragma once

#include <QDialog>

#include <string>

class QListWidget;

class Schemawahlform : public QDialog {
    Q_OBJECT

public:
    explicit Schemawahlform(QWidget* parent = nullptr);

    // The picked schema (the last selected entry), also kept in gSelectedEntry; unchanged when
    // nothing is selected. Closes the window.
    std::string GetSelectedSchema();

    QListWidget* Schemawahliste = nullptr;
};
