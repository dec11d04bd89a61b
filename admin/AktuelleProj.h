// The project pick list: the projects of the schema list; a pick sets the main window's project.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;

class AktuelleProj : public QDialog {
    Q_OBJECT

public:
    // onPick receives the picked project (also kept in gSelectedEntry).
    AktuelleProj(const std::vector<std::string>& projects, std::function<void(const std::string&)> onPick,
                 QWidget* parent = nullptr);

    QListWidget* AktuelleProjList = nullptr;

public slots:
    void AktuelleProjList_Click();

private:
    std::function<void(const std::string&)> onPick_;
};
