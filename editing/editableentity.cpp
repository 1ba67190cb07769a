#include "editing/editableentity.h"

#include "data/diagnostics.h"
#include "images/imagelabel.h"
#include "images/pictures.h"
#include "lang/langmodel.h"
#include "resources/resourcefiles.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QPushButton>
#include <QTableWidget>

EditableEntity::EditableEntity(QObject* parent) : QObject(parent) {}

void EditableEntity::_connectEditButtons(std::vector<QPushButton*>& buttons)
{
    for (QPushButton* button : buttons)
        connect(button, &QPushButton::clicked, this, &EditableEntity::onEditButtonClicked);
}

void EditableEntity::imageToVar(ImageLabel* label, QVariant& out)
{
    out = QVariant(QByteArray("0"));
    if (label->empty)
        return;
    if (!label->storedBytes.isEmpty()) {
        out = QVariant(label->storedBytes);
        return;
    }
    const QPixmap picture = label->pixmap(Qt::ReturnByValue);
    if (picture.isNull()) {
        label->showInfo(translate("Error: cannot save image"));
        CULINOR_DIAG("mainwindow", "Error: cannot save image");
        return;
    }
    QByteArray bytes;
    if (!encodePicture(picture.toImage(), bytes)) {
        label->showInfo(translate("Error while saving image to var"));
        CULINOR_DIAG("mainwindow", "Error while saving image to var");
        return;
    }
    if (bytes.size() > MaxStoredPictureBytes) {
        label->showInfo(translate("Image size should not exceed 2MB"));
        CULINOR_DIAG("mainwindow", "Image size should not exceed 2MB");
        return;
    }
    out = QVariant(bytes);
}

QHBoxLayout* _createEditButtons(std::vector<QPushButton*>& buttons)
{
    struct Action
    {
        const char* code;
        const char* help;
        const char* icon;
    };
    static const Action actions[] = {
        {"a", "Add row", "/media/add.png"},
        {"c", "Copy row", "/media/copy.png"},
        {"d", "Delete row", "/media/delete.png"},
    };
    auto* row = new QHBoxLayout;
    for (const Action& action : actions) {
        auto* button = new QPushButton;
        button->setObjectName(QLatin1String(action.code));
        button->setIcon(QIcon(ResourceFiles::path(QLatin1String(action.icon))));
        const QString help = translate(QLatin1String(action.help));
        button->setToolTip(help);
        button->setWhatsThis(help);
        buttons.push_back(button);
        row->addWidget(button);
    }
    row->addStretch();
    row->setSpacing(0);
    return row;
}

QTableWidget* _createTableWidget()
{
    auto* grid = new QTableWidget;
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setFont(QFont(QStringLiteral("Arial"), 8));
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setMinimumSectionSize(0);
    grid->verticalHeader()->setDefaultSectionSize(24);
    grid->setMinimumHeight(180);
    grid->setSortingEnabled(true);
    return grid;
}
