// The schema pick list.
#include "admin/Schemawahlform.h"

#include "admin/AdminGlobals.h"
#include "admin/FormWidgets.h"

#include <QListWidget>
#include <QVBoxLayout>

using namespace formwidgets;

Schemawahlform::Schemawahlform(QWidget* parent) : QDialog(parent)
{
    setObjectName("Schemawahlform");
    setWindowTitle("Select schema");
    auto* layout = new QVBoxLayout(this);
    Schemawahliste = new QListWidget(this);
    Schemawahliste->setObjectName("Schemawahliste");
    layout->addWidget(Schemawahliste);
}

std::string Schemawahlform::GetSelectedSchema()
{
    const auto selected = Schemawahliste->selectedItems();
    if (!selected.isEmpty())
        gSelectedEntry = FromQ(selected.back()->text());
    close();
    return gSelectedEntry;
}
