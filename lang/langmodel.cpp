#include "lang/langmodel.h"

#include "data/diagnostics.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

namespace {

LangModel* currentModel = nullptr;

const QChar RecordEnd = QLatin1Char('^');

// Reads characters up to the next record end, which is consumed, or the end of the stream.
QString readRecord(QTextStream& in)
{
    QString record;
    QChar c;
    while (!in.atEnd()) {
        in >> c;
        if (c == RecordEnd)
            break;
        record += c;
    }
    return record;
}

bool openForReading(QFile& file, QTextStream& stream)
{
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    stream.setDevice(&file);
    stream.setCodec("UTF-8");
    return true;
}

} // namespace

const QStringList& LangModel::languageCodes()
{
    static const QStringList codes = {QStringLiteral("en"), QStringLiteral("ru"),
                                      QStringLiteral("fr"), QStringLiteral("de")};
    return codes;
}

LangModel::LangModel(int languageIndex, QString directory)
    : directory(directory), languageIndex(languageIndex)
{
    if (static_cast<unsigned>(languageIndex) >= static_cast<unsigned>(languageCodes().size())) {
        CULINOR_DIAG("langmodel", "Error! Language index does not exist!");
        this->languageIndex = 0;
    }
    if (this->languageIndex == 0)
        return;

    QFile translations(_languageFile(languageCodes().at(this->languageIndex)));
    QTextStream translationStream;
    if (!openForReading(translations, translationStream)) {
        CULINOR_DIAG("langmodel", "Language model: cannot open file 1 for reading!");
        return;
    }
    QFile keys(_languageFile(QStringLiteral("en")));
    QTextStream keyStream;
    if (!openForReading(keys, keyStream)) {
        CULINOR_DIAG("langmodel", "Language model: cannot open file 2 for reading!");
        return;
    }

    int remaining = MaxRecords;
    while (!translationStream.atEnd() && !keyStream.atEnd()) {
        const QString translation = readRecord(translationStream);
        const QString key = readRecord(keyStream);
        dictionary.emplace(key, translation); // the first pair of a key stays
        if (--remaining == 0) {
            CULINOR_DIAG("langmodel", "Infifnite loop");
            break;
        }
    }
}

QString LangModel::translate(QString text)
{
    if (languageIndex == 0)
        return text;
    const auto found = dictionary.find(text);
    if (found != dictionary.end())
        return found->second;
    if (text.isEmpty())
        return text;
    _addUntranslated(text);
    return text;
}

void LangModel::_addUntranslated(const QString& text)
{
    for (const QString& known : untranslated) {
        if (known == text)
            return;
    }
    untranslated.push_back(text);
}

QString LangModel::_languageFile(QString code)
{
    return directory + QStringLiteral("_lanraw_") + code + QStringLiteral(".bpl");
}

void LangModel::_getStringsFromFile(QString fileName, std::vector<QString>& out)
{
    out.clear();
    QFile file(fileName);
    QTextStream stream;
    if (!openForReading(file, stream)) {
        CULINOR_DIAG("langmodel", "Language model: cannot open file for reading!");
        return;
    }
    for (int remaining = MaxRecords; remaining > 0 && !stream.atEnd(); --remaining)
        out.push_back(readRecord(stream));
}

LangModel* appLangModel()
{
    return currentModel;
}

void setAppLangModel(LangModel* model)
{
    currentModel = model;
}

QString translate(QString text)
{
    return currentModel ? currentModel->translate(text) : text;
}
