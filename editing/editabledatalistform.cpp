// The editor panel of a data list: widgets per field, detail grids, loading and saving.
#include "editing/editabledatalist.h"

#include "settings/settings.h"
#include "data/diagnostics.h"
#include "editing/editablesubtable.h"
#include "editing/flowlayout.h"
#include "editing/spinboxes.h"
#include "editing/verticalscrollarea.h"
#include "images/dropimagelabel.h"
#include "images/droptextedit.h"
#include "images/imagelabel.h"
#include "images/pictures.h"
#include "lang/langmodel.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpacerItem>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A value of the panel as it stands, cheap to take: a picture is told by its
// stored bytes, or by the pixmap that replaced them.
QVariant panelValue(const EditWidget& entry)
{
    switch (entry.type) {
    case MD_INT:
    case MD_RATING:
        return static_cast<QSpinBox*>(entry.widget)->value();
    case MD_FLOAT:
    case MD_MONEY:
        return static_cast<QDoubleSpinBox*>(entry.widget)->value();
    case MD_STRING:
        return static_cast<QLineEdit*>(entry.widget)->text();
    case MD_TEXT:
        return static_cast<DropTextEdit*>(entry.widget)->bodyHtml();
    case MD_SEL:
        return static_cast<QLabel*>(entry.widget)->text();
    case MD_IMAGE: {
        const auto* label = static_cast<ImageLabel*>(entry.widget);
        if (label->empty)
            return QByteArray("0");
        if (!label->storedBytes.isEmpty())
            return label->storedBytes;
        return label->pixmap(Qt::ReturnByValue).cacheKey();
    }
    default:
        return QVariant();
    }
}

// The cells of a detail grid, one text per row.
QStringList gridTexts(const EditableSubTable* sub)
{
    QStringList rows;
    for (int r = 0; r < sub->grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < sub->grid->columnCount(); ++c) {
            const QTableWidgetItem* item = sub->grid->item(r, c);
            cells << (item ? item->text() : QString());
        }
        rows << cells.join(QChar(0x1f));
    }
    return rows;
}

QString currencyText()
{
    return appSettings() ? appSettings()->value(SettingKey::Currency).toString()
                         : QSettings().value(SettingKey::Currency).toString();
}

} // namespace

QWidget* EditableDataList::_createEditorPanel(std::initializer_list<QString> excluded)
{
    auto* formLayout = new QFormLayout;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TF& field = fields[i];
        const auto index = static_cast<ushort>(i);
        QWidget* editor = nullptr;
        if (field.type == MD_MONEY) {
            editor = _createEditWidget(MD_FLOAT);
            auto* money = new QHBoxLayout;
            money->addWidget(editor);
            // The currency is the user's text, never markup.
            auto* currency = new QLabel(currencyText());
            currency->setTextFormat(Qt::PlainText);
            money->addWidget(currency);
            formLayout->addRow(new QLabel(field.caption), money);
        } else if (field.type == MD_IMAGE) {
            QLayout* photoEditor = _createPhotoEditor(index, editor);
            formLayout->addRow(new QLabel(field.caption), photoEditor);
        } else {
            editor = _createEditWidget(field.type);
            formLayout->addRow(new QLabel(field.caption), editor);
        }
        if (i == 0)
            nameEditor = editor;
        form.widgets.push_back({editor, index, field.type});
    }

    std::vector<TableConnection> connections;
    document->getConnectionsMany(table, connections);
    for (const TableConnection& connection : connections) {
        if (std::find(excluded.begin(), excluded.end(), connection.table) != excluded.end())
            continue;
        EditableSubTable* sub =
            _createSubTable(connection.caption, connection.table, connection.field, formLayout);
        if (sub->valid)
            form.subTables.push_back(sub);
        else
            CULINOR_DIAG("mainwindow", "Error: Subtable is incorrect");
    }

    // Wraps rather than widen the window in languages with long captions.
    saveBar = new FlowLayout;
    saveBar->addWidget(
        new QLabel(QStringLiteral("<i>") +
                   translate(QStringLiteral("You can drag and drop text and images to fields")) +
                   QStringLiteral("</i>")));
    auto* saveButton = new QPushButton(translate(QStringLiteral("Save")));
    connect(saveButton, &QPushButton::clicked, this, &EditableDataList::onAcceptClicked);
    saveBar->addWidget(saveButton);
    auto* revertButton = new QPushButton(translate(QStringLiteral("Revert")));
    connect(revertButton, &QPushButton::clicked, this, &EditableDataList::onRevertClicked);
    saveBar->addWidget(revertButton);

    editorLayout = new QVBoxLayout;
    editorLayout->addLayout(saveBar);
    editorLayout->addLayout(formLayout);
    editorLayout->addItem(
        new QSpacerItem(0, 10000, QSizePolicy::Expanding, QSizePolicy::Expanding));
    auto* panel = new QWidget;
    panel->setLayout(editorLayout);
    panel->setProperty("class", QStringLiteral("editContainer"));
    scrollArea = new VerticalScrollArea(panel, nullptr);
    return panel;
}

QLayout* EditableDataList::_createPhotoEditor(ushort field, QWidget*& editor)
{
    const QString index = QString::number(field);
    auto* picture = new DropImageLabel;
    picture->setStyleSheet(QStringLiteral("QLabel {border: 1px solid gray;}"));
    const QString hint = translate(QStringLiteral("You can drag and drop image here"));
    picture->setToolTip(hint);
    picture->setWhatsThis(hint);

    auto* setButton = new QPushButton(translate(QStringLiteral("Set image")));
    setButton->setObjectName(index);
    connect(setButton, &QPushButton::clicked, this, &EditableDataList::onSetImageRequested);
    auto* clearButton = new QPushButton(translate(QStringLiteral("Clear image")));
    clearButton->setObjectName(index);
    connect(clearButton, &QPushButton::clicked, this, &EditableDataList::onClearImageRequested);
    auto* cameraButton = new QPushButton(translate(QStringLiteral("Get image from web camera")));
    cameraButton->setObjectName(index);
    connect(cameraButton, &QPushButton::clicked, this, &EditableDataList::getImageFromWebCam);
    auto* info = new QLabel;
    info->setObjectName(QStringLiteral("imageinfo_") + index);
    picture->infoLabel = info;

    auto* column = new QVBoxLayout;
    column->addWidget(setButton);
    column->addWidget(clearButton);
    column->addWidget(cameraButton);
    column->addWidget(info);
    column->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addLayout(column);
    editor = picture;
    return row;
}

QWidget* EditableDataList::_createEditWidget(ushort type)
{
    switch (type) {
    case MD_INT:
        return SpinBoxes::count();
    case MD_FLOAT:
        return SpinBoxes::amount();
    case MD_STRING:
        return new QLineEdit;
    case MD_TEXT: {
        auto* text = new DropTextEdit;
        text->setMinimumHeight(200);
        return text;
    }
    case MD_SEL:
        CULINOR_DIAG("mainwindow",
                     "MD_SEL editor is required but not ready. You must complete the code");
        return new QLabel(QStringLiteral("MD_SEL type control pending"));
    case MD_RATING: {
        auto* rating = new QSpinBox;
        rating->setMinimum(0);
        rating->setMaximum(10);
        return rating;
    }
    default:
        CULINOR_DIAG("mainwindow", "Error: Unexpected data type");
        return new QWidget;
    }
}

void EditableDataList::_setWidgetVar(QWidget* widget, uchar type, QVariant& value)
{
    bool ok = true;
    switch (type) {
    case MD_INT:
    case MD_RATING:
        static_cast<QSpinBox*>(widget)->setValue(value.toInt(&ok));
        break;
    case MD_FLOAT:
    case MD_MONEY:
        static_cast<QDoubleSpinBox*>(widget)->setValue(value.toDouble(&ok));
        break;
    case MD_STRING:
        static_cast<QLineEdit*>(widget)->setText(value.toString());
        break;
    case MD_TEXT:
        static_cast<QTextEdit*>(widget)->setHtml(value.toString());
        break;
    case MD_SEL:
        static_cast<QLabel*>(widget)->setText(value.toString());
        break;
    case MD_IMAGE:
        varToImageLabel(static_cast<ImageLabel*>(widget), value);
        break;
    default:
        CULINOR_DIAG("mainwindow", "Widget setting error: unknown metadata");
        break;
    }
    if (!ok)
        CULINOR_DIAG("mainwindow",
                     QStringLiteral("Conversion error of variant ") + value.toString());
}

QVariant EditableDataList::_getWidgetVar(QWidget* widget, uchar type)
{
    switch (type) {
    case MD_INT:
    case MD_RATING:
        return QVariant(static_cast<QSpinBox*>(widget)->value());
    case MD_FLOAT:
    case MD_MONEY:
        return QVariant(static_cast<QDoubleSpinBox*>(widget)->value());
    case MD_STRING:
        return QVariant(static_cast<QLineEdit*>(widget)->text());
    case MD_TEXT:
        return QVariant(static_cast<DropTextEdit*>(widget)->bodyHtml());
    case MD_SEL:
        return QVariant(static_cast<QLabel*>(widget)->text());
    case MD_IMAGE: {
        QVariant value;
        imageToVar(static_cast<ImageLabel*>(widget), value);
        return value;
    }
    default:
        CULINOR_DIAG("mainwindow", "Widget extraction error: unknown metadata");
        return QVariant();
    }
}

EditableSubTable* EditableDataList::_createSubTable(QString caption, QString table, uint linkField,
                                                    QFormLayout* form)
{
    auto* sub = new EditableSubTable(document, table, linkField);
    sub->setParent(this);
    auto* holder = new QWidget;
    holder->setLayout(sub->layout);
    form->addRow(new QLabel(caption), holder);
    return sub;
}

void EditableDataList::_loadEditForm(EditForm& form, int id)
{
    std::vector<QVariant> row;
    const bool read = document->getRowByID(form.table, id, row);
    if (!read || row.size() < fields.size()) {
        // Nothing of another row may stay in the panel to be saved over this one.
        CULINOR_DIAG("mainwindow", QStringLiteral("Cannot load row ") + QString::number(id));
        _shownID = -1;
        _clearEditForm();
        return;
    }
    for (EditWidget& entry : form.widgets)
        _setWidgetVar(entry.widget, entry.type, row[entry.field]);
    for (EditableSubTable* sub : form.subTables)
        sub->fill(id);
    _shownID = id;
    _rememberLoadedPanel();
}

void EditableDataList::_rememberLoadedPanel()
{
    _loadedValues.clear();
    for (const EditWidget& entry : form.widgets)
        _loadedValues.push_back(panelValue(entry));
    _loadedDetails.clear();
    for (const EditableSubTable* sub : form.subTables)
        _loadedDetails.push_back(gridTexts(sub));
}

// Renamed selections show their new names; a grid the user left alone
// still counts as unchanged.
void EditableDataList::_refreshDetailNames()
{
    for (size_t i = 0; i < form.subTables.size(); ++i) {
        const bool unchanged =
            i < _loadedDetails.size() && gridTexts(form.subTables[i]) == _loadedDetails[i];
        form.subTables[i]->refreshNames();
        if (unchanged)
            _loadedDetails[i] = gridTexts(form.subTables[i]);
    }
}

bool EditableDataList::isPanelChanged() const
{
    if (_shownID == -1 || _loadedValues.size() != form.widgets.size() ||
        _loadedDetails.size() != form.subTables.size())
        return false;
    for (size_t i = 0; i < form.widgets.size(); ++i) {
        if (panelValue(form.widgets[i]) != _loadedValues[i])
            return true;
    }
    for (size_t i = 0; i < form.subTables.size(); ++i) {
        if (gridTexts(form.subTables[i]) != _loadedDetails[i])
            return true;
    }
    return false;
}

// The panel shows no row: empty values, no detail rows.
void EditableDataList::_clearEditForm()
{
    _loadedValues.clear();
    _loadedDetails.clear();
    for (EditWidget& entry : form.widgets) {
        switch (entry.type) {
        case MD_INT:
        case MD_RATING:
            static_cast<QSpinBox*>(entry.widget)->setValue(0);
            break;
        case MD_FLOAT:
        case MD_MONEY:
            static_cast<QDoubleSpinBox*>(entry.widget)->setValue(0);
            break;
        case MD_STRING:
            static_cast<QLineEdit*>(entry.widget)->clear();
            break;
        case MD_TEXT:
            static_cast<QTextEdit*>(entry.widget)->clear();
            break;
        case MD_IMAGE:
            static_cast<ImageLabel*>(entry.widget)->setImage(QPixmap(defaultPhotoPath()), true);
            break;
        default:
            break;
        }
    }
    for (EditableSubTable* sub : form.subTables)
        sub->grid->setRowCount(0);
}

bool EditableDataList::writePanelToBook()
{
    if (_shownID < 0)
        return false;
    _saveEditForm(form, _shownID);
    return true;
}

void EditableDataList::_saveEditForm(EditForm& form, int id)
{
    std::vector<TableFieldUpdate> updates;
    for (EditWidget& entry : form.widgets)
        updates.push_back({_getWidgetVar(entry.widget, entry.type), entry.field});
    document->updateTable(form.table, id, updates);
    for (EditableSubTable* sub : form.subTables) {
        std::vector<std::vector<QVariant>> data;
        sub->getTableData(data);
        document->replaceTableSection(sub->table, data, sub->linkFieldName, id);
    }
}
