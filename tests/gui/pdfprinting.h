#pragma once

// Printing a page to a PDF file through the print dialog, as a user does,
// and reading the text back out of the file.

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

// Chooses the PDF file entry of the print dialog about to open, types the
// file name and presses the print button; seen tells whether it came.
inline void printNextDialogToPdf(const QString& pdfPath, bool* seen)
{
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *seen = true;
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (!printers || !fileName || !buttons) {
            dialog->reject();
            return;
        }
        printers->setCurrentIndex(printers->count() - 1);
        fileName->clear();
        QTest::keyClicks(fileName, pdfPath);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
}

inline bool pdfToolMissing()
{
    return QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

// The text of a PDF file, words separated as pdftotext lays them out.
inline QString pdfText(const QString& pdfPath)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdfPath, QStringLiteral("-")});
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}
