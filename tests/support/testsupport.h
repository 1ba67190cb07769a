#pragma once

#include "data/document.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A scratch working directory for one test, holding copies of the program's
// media/ and languages/ folders; the previous working directory comes back
// when it is destroyed.
class ScratchDir
{
public:
    explicit ScratchDir(bool withResources = true);
    ~ScratchDir() { QDir::setCurrent(_previous); }

    QString path() const { return _dir.path(); }
    QString filePath(const QString& name) const { return _dir.filePath(name); }

private:
    QTemporaryDir _dir;
    QString _previous;
};

// Collects the debug messages written while it lives.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();

    QStringList messages() const;
    // Any message holding the text.
    bool contains(const QString& text) const { return count(text) > 0; }
    int count(const QString& text) const;
    // Diagnostics whose quoted message is exactly the text.
    int diagnostics(const QString& message) const;
    void clear();
};

// The rows an SQL query on the default connection returns, each with its
// columns joined by blanks.
QStringList queryRows(const QString& sql);

// The whole content of a file; empty when it cannot be read.
QByteArray readFile(const QString& path);
// Writes a file whole, making its folder first.
bool writeFile(const QString& path, const QByteArray& content);

// Points QSettings and QStandardPaths at a scratch folder, never the user's.
void useTemporarySettings(const QString& folder);

// Rows of a table on the default connection, optionally filtered; -1 on failure.
int countRows(const QString& table, const QString& where = QString());

// A scratch working directory and a new book with the recipe book's tables.
// The book ends first, and its destructor releases Qt's default SQL connection
// for the next one. Check `ready` (whether the tables were made) in the test.
struct ScratchBook
{
    explicit ScratchBook(bool withResources = false) : dir(withResources) {}

    // Adds a row with a new id, filling the missing values with defaults; the id or -1.
    int add(const QString& table, std::vector<QVariant> values)
    {
        return document.addRow(table, values, true);
    }

    ScratchDir dir;
    Document document;
    const bool ready = document.setDataStructure();
};
