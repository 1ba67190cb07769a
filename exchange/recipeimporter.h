#pragma once

#include "exchange/recipefetcher.h"
#include "exchange/webrecipe.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <vector>

class Document;

// Imports the recipes of web addresses, saved pages and JSON-LD files into a
// book: loads each source, reads its recipes, loads their pictures and adds
// them, each recipe whole or not at all. Nothing of a source is added before
// all its pictures are loaded, so cancelling leaves its recipes out.
class RecipeImporter : public QObject
{
    Q_OBJECT

public:
    // The largest picture decoded, in pixels.
    static const qint64 MaxPicturePixels = 100000000;

    RecipeImporter(Document& document, const QString& bookCurrency, QObject* parent = nullptr);

    // The address of a source: a web address, or the name of a local file.
    static QUrl addressOf(const QString& source);
    // The picture as a book stores it (PNG or JPG, display size), empty when
    // the bytes are no usable picture.
    static QByteArray storedPicture(const QByteArray& bytes);

    void start(const QStringList& sources);
    void cancel();
    bool running() const { return _running; }

    std::vector<int> addedIds;
    QStringList addedNames;
    QStringList errors; // one "source: reason" a source that gave nothing

signals:
    void progress(const QString& text);
    void finished();

private:
    void _nextSource();
    void _onPage(const QByteArray& content, const QUrl& address);
    void _nextPicture();
    void _onPicture(const QByteArray& content);
    void _onFailed(const QString& message);
    void _addRecipes();
    void _sourceFailed(const QString& message);
    bool _isOwnPicture(const QUrl& address) const;

    Document& _document;
    QString _currency;
    RecipeFetcher _fetcher;
    QStringList _sources;
    QString _source;
    bool _running = false;
    bool _loadingPage = false;
    bool _localPage = false;
    // The folder of a saved page, whose own pictures alone may be read.
    QString _pageFolder;
    std::vector<WebRecipe> _recipes;
    std::vector<QByteArray> _photos;
    QStringList _photoNotes;
    size_t _recipe = 0; // the recipe whose picture is loading
    int _image = 0;     // which of its pictures
};
