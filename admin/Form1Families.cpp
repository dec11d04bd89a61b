// The main window's schema family boxes, user and schema buttons and operations.
#include "admin/Form1.h"

#include "admin/AdminGlobals.h"
#include "admin/Families.h"
#include "dbtools/SchemaChangeMark.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

int boxValueOf(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return kBoxChecked;
    case Qt::PartiallyChecked:
        return kBoxGrey;
    default:
        return kBoxUnchecked;
    }
}

Qt::CheckState checkStateOf(int value)
{
    return value == kBoxChecked ? Qt::Checked : value == kBoxGrey ? Qt::PartiallyChecked : Qt::Unchecked;
}

} // namespace

void Form1::connectFamilies()
{
    families_->boxValue = [this](size_t i) { return boxValueOf(familyBoxes[i]->checkState()); };
    families_->setBoxValue = [this](size_t i, int v) { familyBoxes[i]->setCheckState(checkStateOf(v)); };
    families_->projectText = [this] { return projectName(); };
    families_->currentSchema = [](const std::string& schema) { gCurrentSchema = schema; };
    families_->stopRequested = [this] { return endRequested_; };

    connect(selall, &QPushButton::clicked, this, &Form1::selall_Click);
    connect(deselall, &QPushButton::clicked, this, &Form1::deselall_Click);
    connect(Create_DB_Schema, &QPushButton::clicked, this, &Form1::Create_DB_Schema_Click);
    connect(Create_DBUser, &QPushButton::clicked, this, &Form1::Create_DBUser_Click);
    connect(Create_Schema, &QPushButton::clicked, this, &Form1::Create_Schema_Click);
    connect(Delete_DB_Schema, &QPushButton::clicked, this, &Form1::Delete_DB_Schema_Click);
    connect(Delete_DBUser, &QPushButton::clicked, this, &Form1::Delete_DBUser_Click);
    connect(Delete_Schema, &QPushButton::clicked, this, &Form1::Delete_Schema_Click);
}

// The public operations change a schema's user or schema under the schema's mark, as the
// commands do.
void Form1::Cre_DBUser(const std::string& params)
{
    const auto mark = TakeUserSchemaMark(UserSchemaStep::CreateUser, params, "Cre_DBUser");
    families_->users().Cre_DBUser(params);
}
void Form1::Del_DBUser(const std::string& params)
{
    const auto mark = TakeUserSchemaMark(UserSchemaStep::DropUser, params, "Del_DBUser");
    families_->users().Del_DBUser(params);
}
void Form1::cre_schema(const std::string& params)
{
    const auto mark = TakeUserSchemaMark(UserSchemaStep::CreateSchema, params, "cre_schema");
    families_->schemas().cre_schema(params);
}
void Form1::Del_Schema(const std::string& params)
{
    const auto mark = TakeUserSchemaMark(UserSchemaStep::DropSchema, params, "Del_Schema");
    families_->schemas().Del_Schema(params);
}

void Form1::selall_Click() { families_->selall(); }
void Form1::deselall_Click() { families_->deselall(); }
void Form1::Create_DB_Schema_Click()
{
    runEndable([this] { families_->Run(FamilyCommand::CreateDBSchema); });
}

void Form1::Create_DBUser_Click()
{
    runEndable([this] { families_->Run(FamilyCommand::CreateDBUser); });
}

void Form1::Create_Schema_Click()
{
    runEndable([this] { families_->Run(FamilyCommand::CreateSchema); });
}

void Form1::Delete_DB_Schema_Click()
{
    runEndable([this] { families_->Run(FamilyCommand::DeleteDBSchema); });
}

void Form1::Delete_DBUser_Click()
{
    runEndable([this] { families_->Run(FamilyCommand::DeleteDBUser); });
}

void Form1::Delete_Schema_Click()
{
    runEndable([this] { families_->Run(FamilyCommand::DeleteSchema); });
}
