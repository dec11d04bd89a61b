// The configuration dialog: the database and server settings of [TARNWICK].
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

class ConfigForm : public QDialog {
    Q_OBJECT

public:
    explicit ConfigForm(QWidget* parent = nullptr);

    // Fills the twelve boxes from the settings file (runs on every opening).
    void Form_Load();

    // The twelve boxes in row order, named after their keys.
    std::array<QLineEdit*, 12> boxes{};
    QPushButton* cmdSchemafile = nullptr;
    QPushButton* cmdDBdir = nullptr;
    QPushButton* cmdSvrmgr_path = nullptr;
    QPushButton* OK = nullptr;
    QPushButton* Command1 = nullptr;

    // The box of a settings key, or nullptr.
    QLineEdit* box(const std::string& key) const;

public slots:
    void OK_Click();
    void Command1_Click();
    void cmdSchemafile_Click();
    void cmdSvrmgr_path_Click();
    void cmdDBdir_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Repeats the pick until the box holds a text: a cancelled pick puts the stored value back.
    void browseInto(size_t row, const std::function<std::string()>& pick);
};
