#include "exchange/recipeimporter.h"

#include "data/document.h"
#include "data/recipebook.h"
#include "exchange/recipemapper.h"
#include "exchange/recipereader.h"
#include "images/pictures.h"
#include "lang/langmodel.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace {

// A recipe's pictures tried before it comes in with the default one.
const int MaxPicturesTried = 3;

} // namespace

RecipeImporter::RecipeImporter(Document& document, const QString& bookCurrency, QObject* parent)
    : QObject(parent), _document(document), _currency(bookCurrency)
{
    connect(&_fetcher, &RecipeFetcher::finished, this,
            [this](const QByteArray& content, const QUrl& address) {
                if (_loadingPage)
                    _onPage(content, address);
                else
                    _onPicture(content);
            });
    connect(&_fetcher, &RecipeFetcher::failed, this, &RecipeImporter::_onFailed);
}

QUrl RecipeImporter::addressOf(const QString& source)
{
    const QString text = source.trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && url.scheme().size() > 1)
        return url; // a scheme of one letter is a Windows drive
    if (QFileInfo::exists(text) || text.startsWith(QLatin1Char('/')) ||
        text.startsWith(QLatin1Char('.')))
        return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    return QUrl::fromUserInput(text);
}

QByteArray RecipeImporter::storedPicture(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer); // the header alone: size and format
    const QSize size = reader.size();
    const QByteArray format = reader.format().toLower();
    const QImage shown = readPicture(bytes);
    if (shown.isNull())
        return QByteArray();
    // A PNG or JPG already of display size is kept byte for byte.
    if ((format == "png" || format == "jpeg" || format == "jpg") && shown.size() == size &&
        bytes.size() <= MaxStoredPictureBytes)
        return bytes;
    QByteArray stored;
    if (!encodePicture(shown, stored) || stored.size() > MaxStoredPictureBytes)
        return QByteArray();
    return stored;
}

void RecipeImporter::start(const QStringList& sources)
{
    addedIds.clear();
    addedNames.clear();
    errors.clear();
    _sources = sources;
    _running = true;
    _nextSource();
}

void RecipeImporter::cancel()
{
    if (!_running)
        return;
    _fetcher.cancel();
    _running = false;
    errors << translate(QStringLiteral("The import was cancelled."));
    emit finished();
}

void RecipeImporter::_nextSource()
{
    if (_sources.isEmpty()) {
        _running = false;
        emit finished();
        return;
    }
    _source = _sources.takeFirst();
    _recipes.clear();
    _photos.clear();
    _photoNotes.clear();
    const QUrl address = addressOf(_source);
    _localPage = address.isLocalFile();
    _loadingPage = true;
    emit progress(translate(QStringLiteral("Loading %1")).arg(_source));
    _fetcher.fetch(address, _localPage ? RecipeFetcher::MaxFileBytes : RecipeFetcher::MaxPageBytes,
                   true);
}

void RecipeImporter::_onPage(const QByteArray& content, const QUrl& address)
{
    _loadingPage = false;
    _pageFolder = _localPage ? QFileInfo(address.toLocalFile()).dir().canonicalPath() : QString();
    _recipes = RecipeReader::read(content, address);
    if (_recipes.empty()) {
        _sourceFailed(translate(QStringLiteral("No recipe was found there.")));
        return;
    }
    _recipe = 0;
    _image = 0;
    _nextPicture();
}

// Tries the pictures of each recipe in turn until one loads.
void RecipeImporter::_nextPicture()
{
    while (_recipe < _recipes.size()) {
        const QStringList& images = _recipes[_recipe].images;
        if (_photos.size() <= _recipe) {
            _photos.emplace_back();
            _photoNotes << QString();
        }
        if (_image < images.size() && _image < MaxPicturesTried) {
            const QUrl address(images.at(_image));
            emit progress(
                translate(QStringLiteral("Loading the picture of %1")).arg(_recipes[_recipe].name));
            // A page never reads the computer's files, except a saved page its own pictures.
            _fetcher.fetch(address, RecipeFetcher::MaxPictureBytes,
                           _isOwnPicture(address) || address.scheme() == QLatin1String("data"));
            return;
        }
        if (!images.isEmpty())
            _photoNotes[int(_recipe)] = translate(QStringLiteral(
                "The picture could not be loaded; the recipe has the default picture."));
        ++_recipe;
        _image = 0;
    }
    _addRecipes();
}

bool RecipeImporter::_isOwnPicture(const QUrl& address) const
{
    if (_pageFolder.isEmpty() || !address.isLocalFile())
        return false;
    const QString file = QFileInfo(address.toLocalFile()).canonicalFilePath();
    return file.startsWith(_pageFolder + QLatin1Char('/'));
}

void RecipeImporter::_onPicture(const QByteArray& content)
{
    const QByteArray stored = storedPicture(content);
    if (stored.isEmpty()) {
        ++_image;
    } else {
        _photos[_recipe] = stored;
        ++_recipe;
        _image = 0;
    }
    _nextPicture();
}

void RecipeImporter::_onFailed(const QString& message)
{
    if (_loadingPage) {
        _loadingPage = false;
        _sourceFailed(message);
        return;
    }
    ++_image;
    _nextPicture();
}

void RecipeImporter::_addRecipes()
{
    RecipeMapper mapper(_document, _currency);
    for (size_t i = 0; i < _recipes.size(); ++i) {
        const int id = mapper.add(_recipes[i], _photos[i], _photoNotes.value(int(i)));
        if (id < 0) {
            errors << _source + QStringLiteral(": ") +
                          translate(QStringLiteral("The recipe %1 could not be added."))
                              .arg(_recipes[i].name);
            continue;
        }
        addedIds.push_back(id);
        addedNames << _document.getNameByID(Book::Recipes, id);
    }
    _nextSource();
}

void RecipeImporter::_sourceFailed(const QString& message)
{
    errors << _source + QStringLiteral(": ") + message;
    _nextSource();
}
