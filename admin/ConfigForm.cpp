// The configuration dialog.
#include "admin/ConfigForm.h"

#include "admin/ConfigSettings.h"
#include "admin/FormWidgets.h"
#include "ui/qt/QtForm.h"
#include "services/AppGlobals.h"
#include "services/Dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace formwidgets;

ConfigForm::ConfigForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("ConfigForm");
    setWindowTitle("Tarnwick - Configuration");
    setModal(true);
    QtForm::Attach(this);
    auto* grid = new QGridLayout(this);
    for (size_t i = 0; i < kConfigRows.size(); ++i) {
        const ConfigRow& row = kConfigRows[i];
        int r = static_cast<int>(i);
        grid->addWidget(new QLabel(ToQ(std::string(row.label)), this), r, 0);
        boxes[i] = MakeLineEdit(this, std::string(row.key), "");
        boxes[i]->setMinimumWidth(260);
        grid->addWidget(boxes[i], r, 1);
        if (!row.browseButton.empty()) {
            QPushButton* b = MakeButton(this, std::string(row.browseButton), "...", "");
            grid->addWidget(b, r, 2);
            if (row.browseButton == "cmdSchemafile")
                cmdSchemafile = b;
            else if (row.browseButton == "cmdDBdir")
                cmdDBdir = b;
            else
                cmdSvrmgr_path = b;
        }
    }
    auto* buttons = new QHBoxLayout;
    OK = MakeButton(this, "OK", "OK", "");
    Command1 = MakeButton(this, "Command1", "Cancel", "");
    buttons->addStretch();
    buttons->addWidget(OK);
    buttons->addWidget(Command1);
    grid->addLayout(buttons, static_cast<int>(kConfigRows.size()), 0, 1, 3);

    connect(OK, &QPushButton::clicked, this, &ConfigForm::OK_Click);
    connect(Command1, &QPushButton::clicked, this, &ConfigForm::Command1_Click);
    connect(cmdSchemafile, &QPushButton::clicked, this, &ConfigForm::cmdSchemafile_Click);
    connect(cmdSvrmgr_path, &QPushButton::clicked, this, &ConfigForm::cmdSvrmgr_path_Click);
    connect(cmdDBdir, &QPushButton::clicked, this, &ConfigForm::cmdDBdir_Click);
}

void ConfigForm::showEvent(QShowEvent* event)
{
    Form_Load();
    QDialog::showEvent(event);
}

void ConfigForm::Form_Load()
{
    std::array<std::string, 12> values = ReadConfigValues(gIniFile);
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(ToQ(values[i]));
}

QLineEdit* ConfigForm::box(const std::string& key) const
{
    for (size_t i = 0; i < kConfigRows.size(); ++i)
        if (kConfigRows[i].key == key)
            return boxes[i];
    return nullptr;
}

void ConfigForm::OK_Click()
{
    std::array<std::string, 12> values;
    for (size_t i = 0; i < boxes.size(); ++i)
        values[i] = FromQ(boxes[i]->text());
    WriteConfigValues(gIniFile, values);
    accept();
}

void ConfigForm::Command1_Click()
{
    reject();
}

void ConfigForm::browseInto(size_t row, const std::function<std::string()>& pick)
{
    std::string text;
    do {
        text = pick();
        if (text.empty())
            text = StoredConfigValue(gIniFile, kConfigRows[row]);
    } while (text.empty());
    boxes[row]->setText(ToQ(text));
}

void ConfigForm::cmdSchemafile_Click()
{
    browseInto(2, [] { return GetDialog().OpenFile("*.*", "C:\\"); });
}

void ConfigForm::cmdSvrmgr_path_Click()
{
    browseInto(9, [] { return GetDialog().OpenFile("*.exe|*.exe;*.exe", "C:\\"); });
}

void ConfigForm::cmdDBdir_Click()
{
    browseInto(5, [] { return BrowseForFolder("W\xE4hlen Sie ein Verzeichnis aus ...", ""); });
}
