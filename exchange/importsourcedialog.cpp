#include "exchange/importsourcedialog.h"

#include "lang/langmodel.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ImportSourceDialog::ImportSourceDialog(QWidget* parent, const QString& startFolder)
    : QDialog(parent), _source(new QLineEdit), _startFolder(startFolder)
{
    setWindowTitle(translate(QStringLiteral("Import recipe")));
    _source->setPlaceholderText(QStringLiteral("https://"));
    _source->setMinimumWidth(400);
    auto* browse = new QPushButton(translate(QStringLiteral("Browse...")));
    connect(browse, &QPushButton::clicked, this, &ImportSourceDialog::_browse);
    auto* row = new QHBoxLayout;
    row->addWidget(_source);
    row->addWidget(browse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto enableOk = [buttons](const QString& text) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.trimmed().isEmpty());
    };
    connect(_source, &QLineEdit::textChanged, this, enableOk);
    // An address just copied from the browser is most likely the one wanted.
    const QString copied = QGuiApplication::clipboard()->text().trimmed();
    if (!copied.contains(QLatin1Char('\n')) && (copied.startsWith(QLatin1String("http://")) ||
                                                copied.startsWith(QLatin1String("https://"))))
        _source->setText(copied);
    enableOk(_source->text());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(translate(QStringLiteral("Web address or file of a recipe:"))));
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString ImportSourceDialog::source() const
{
    return _source->text().trimmed();
}

void ImportSourceDialog::_browse()
{
    QFileDialog dialog(this, translate(QStringLiteral("Import recipe")));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!_startFolder.isEmpty())
        dialog.setDirectory(_startFolder);
    dialog.setNameFilter(translate(QStringLiteral("Web pages and JSON-LD files")) +
                         QStringLiteral(" (*.html *.htm *.json *.jsonld)"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        _source->setText(dialog.selectedFiles().first());
}
