#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <vector>

// Translates the program's English texts into the chosen language, from two
// parallel language files: the English key list and the language's records.
class LangModel : public QObject
{
    Q_OBJECT

public:
    // The records read from one file at most.
    static const int MaxRecords = 1001;

    LangModel(int languageIndex, QString directory);

    QString translate(QString text);
    void _addUntranslated(const QString& text);
    QString _languageFile(QString code);
    void _getStringsFromFile(QString fileName, std::vector<QString>& out);

    static const QStringList& languageCodes();

    std::vector<QString> untranslated;
    QString directory;
    std::map<QString, QString> dictionary;
    int languageIndex;
};

// The application's language model, used by translate(); may be null.
LangModel* appLangModel();
void setAppLangModel(LangModel* model);

// The application's language model applied to an English text; the text itself
// when no language model is installed.
QString translate(QString text);
