// The project pick list.
#include "admin/AktuelleProj.h"

#include "admin/AdminGlobals.h"
#include "admin/FormWidgets.h"

#include <QListWidget>
#include <QVBoxLayout>

using namespace formwidgets;

AktuelleProj::AktuelleProj(const std::vector<std::string>& projects, std::function<void(const std::string&)> onPick,
                           QWidget* parent)
    : QDialog(parent), onPick_(std::move(onPick))
{
    setObjectName("AktuelleProj");
    setWindowTitle("Aktuelle Projekte");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    AktuelleProjList = new QListWidget(this);
    AktuelleProjList->setObjectName("AktuelleProjList");
    for (const auto& p : projects)
        AktuelleProjList->addItem(ToQ(p));
    layout->addWidget(AktuelleProjList);
    connect(AktuelleProjList, &QListWidget::itemClicked, this, &AktuelleProj::AktuelleProjList_Click);
}

void AktuelleProj::AktuelleProjList_Click()
{
    QListWidgetItem* item = AktuelleProjList->currentItem();
    if (!item)
        return;
    gSelectedEntry = FromQ(item->text());
    std::string picked = gSelectedEntry;
    close();
    if (onPick_)
        onPick_(picked);
}
