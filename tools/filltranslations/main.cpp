// filltranslations: fills the missing translations of the program's text
// tables through a translation web page, for a person to review.
#include "texttable.h"

#include "lang/webinteractor.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>

#include <map>
#include <set>
#include <vector>

namespace {

enum ExitCode { AllFilled = 0, SomeMissing = 1, UsageError = 2 };

const char Description[] = R"(
Fills the missing translations of the program's text tables through a
translation web page, for a person to review.

A text table (languages/texts/*.tsv) holds one text a line: English, Russian,
French and German, separated by tabs; "\n" stands for a line break and lines
starting with # are comments. A line whose LANGUAGE cell is empty or missing
is a text to translate: add a new text as its English cell alone, run this
tool, review, and rebuild the language files with tools/langfiles.py.

Every English text with a missing LANGUAGE cell is translated once through
the page, loaded as <url>#en/<LANGUAGE>/<text>; the page must show the
translation in the children of its element "result_box". The filled lines
are printed to standard output, each after a comment "# <table>:<line>", or,
with --in-place, written into the tables (review them with git diff).

With --list, English texts are read one a line from a file ("-" for standard
input) and printed as new table lines, the LANGUAGE cell filled.

A text the page gave no translation for keeps its cell empty and is named on
standard error. Exit status: 0 when every cell was filled, 1 when some stay
empty, 2 on a usage or file error.)";

struct Options
{
    QStringList languages;
    QStringList tables;
    QString listFile;
    bool inPlace = false;
    QString url;
    int timeout = WebInteractor::DefaultLoadTimeout;
    bool verbose = false;
};

QTextStream& out()
{
    static QTextStream stream(stdout);
    stream.setCodec("UTF-8");
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    stream.setCodec("UTF-8");
    return stream;
}

bool verboseMessages = false;

void messageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg && !verboseMessages)
        return;
    err() << message << Qt::endl;
}

// Reads the options; false (after a message) when they cannot be used.
bool parseOptions(QCoreApplication& app, Options& options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description).trimmed());
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("LANGUAGE"),
                                 QStringLiteral("ru, fr or de; several joined by commas"));
    parser.addPositionalArgument(QStringLiteral("TABLE"),
                                 QStringLiteral("text tables to fill (default: every "
                                                "languages/texts/*.tsv below the current "
                                                "directory)"),
                                 QStringLiteral("[TABLE...]"));
    const QCommandLineOption inPlace({QStringLiteral("i"), QStringLiteral("in-place")},
                                     QStringLiteral("Write the filled cells into the tables."));
    const QCommandLineOption list({QStringLiteral("l"), QStringLiteral("list")},
                                  QStringLiteral("Translate the English texts in <file>, one a "
                                                 "line, instead of the tables."),
                                  QStringLiteral("file"));
    const QCommandLineOption url({QStringLiteral("u"), QStringLiteral("url")},
                                 QStringLiteral("Base address of the translation page "
                                                "(default: %1).")
                                     .arg(WebInteractor::defaultBaseAddress()),
                                 QStringLiteral("address"), WebInteractor::defaultBaseAddress());
    const QCommandLineOption timeout({QStringLiteral("t"), QStringLiteral("timeout")},
                                     QStringLiteral("Milliseconds a page load may take "
                                                    "(default: %1).")
                                         .arg(WebInteractor::DefaultLoadTimeout),
                                     QStringLiteral("ms"),
                                     QString::number(WebInteractor::DefaultLoadTimeout));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Show every page request and answer."));
    parser.addOptions({inPlace, list, url, timeout, verbose});
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty()) {
        err() << "A LANGUAGE is needed (ru, fr or de); see --help." << Qt::endl;
        return false;
    }
    options.languages = arguments.first().split(QLatin1Char(','), Qt::SkipEmptyParts);
    options.languages.removeDuplicates();
    for (const QString& code : options.languages) {
        if (TextTable::column(code) < 1) {
            err() << "Unknown language \"" << code << "\": use ru, fr or de." << Qt::endl;
            return false;
        }
    }
    options.tables = arguments.mid(1);
    options.listFile = parser.value(list);
    options.inPlace = parser.isSet(inPlace);
    options.url = parser.value(url);
    options.verbose = parser.isSet(verbose);
    bool number = false;
    options.timeout = parser.value(timeout).toInt(&number);
    if (!number || options.timeout <= 0) {
        err() << "The timeout must be a positive number of milliseconds." << Qt::endl;
        return false;
    }
    if (!options.listFile.isEmpty() && (options.inPlace || !options.tables.isEmpty())) {
        err() << "--list takes no TABLE and cannot be written in place." << Qt::endl;
        return false;
    }
    if (options.listFile.isEmpty() && options.tables.isEmpty()) {
        const QDir texts(QStringLiteral("languages/texts"));
        for (const QString& name : texts.entryList({QStringLiteral("*.tsv")}, QDir::Files,
                                                   QDir::Name))
            options.tables << texts.filePath(name);
        if (options.tables.isEmpty()) {
            err() << "No languages/texts/*.tsv here: name the tables to fill." << Qt::endl;
            return false;
        }
    }
    return true;
}

bool loadTables(const Options& options, std::vector<TextTable>& tables)
{
    if (!options.listFile.isEmpty()) {
        QFile file;
        const bool opened = options.listFile == QLatin1String("-")
                                ? file.open(stdin, QIODevice::ReadOnly)
                                : (file.setFileName(options.listFile),
                                   file.open(QIODevice::ReadOnly));
        if (!opened) {
            err() << "Cannot read " << options.listFile << Qt::endl;
            return false;
        }
        QStringList texts;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            const QString text = line.trimmed();
            if (!text.isEmpty() && !text.startsWith(QLatin1Char('#')))
                texts << TextTable::unescape(text);
        }
        tables.emplace_back();
        tables.back().setEnglishTexts(texts);
        return true;
    }
    for (const QString& name : options.tables) {
        tables.emplace_back();
        if (!tables.back().load(name)) {
            err() << "Cannot read " << name << Qt::endl;
            return false;
        }
    }
    return true;
}

// Runs the component over the texts and waits for it.
std::vector<QString> runInteractor(WebInteractor& interactor, const std::vector<QString>& texts,
                                   const QString& language, std::set<QString>& unanswered)
{
    QEventLoop loop;
    QObject::connect(&interactor, &WebInteractor::translationFinished, &loop, &QEventLoop::quit);
    interactor.translateStrings(&texts, language);
    if (interactor.isRunning())
        loop.exec();
    for (unsigned position : interactor.unanswered)
        unanswered.insert(texts.at(position));
    return interactor.results;
}

// A page's translation fitted to the English text: blanks at the ends only
// where the English has them.
QString fitted(const QString& english, const QString& translation)
{
    const bool padded = english != english.trimmed();
    return padded ? translation : translation.trimmed();
}

// Fills one language's missing cells of every table; false when some stay empty.
bool fillLanguage(WebInteractor& interactor, const QString& code,
                  std::vector<TextTable>& tables, std::vector<std::set<int>>& changed)
{
    const int column = TextTable::column(code);
    std::vector<QString> texts;
    std::set<QString> seen;
    for (const TextTable& table : tables) {
        for (const TextTable::Gap& gap : table.gaps(column)) {
            if (seen.insert(gap.english).second)
                texts.push_back(gap.english);
        }
    }
    if (texts.empty())
        return true;
    err() << code << ": translating " << texts.size() << " texts" << Qt::endl;

    std::set<QString> unanswered;
    const std::vector<QString> results = runInteractor(interactor, texts, code, unanswered);
    std::map<QString, QString> cells;
    for (size_t i = 0; i < texts.size() && i < results.size(); ++i) {
        QString cell;
        if (unanswered.count(texts[i]))
            continue;
        if (!TextTable::escape(fitted(texts[i], results[i]), cell) || cell.isEmpty()) {
            err() << code << ": unusable translation of \"" << texts[i] << "\": \"" << results[i]
                  << "\"" << Qt::endl;
            continue;
        }
        cells[texts[i]] = cell;
    }

    bool complete = true;
    for (size_t t = 0; t < tables.size(); ++t) {
        for (const TextTable::Gap& gap : tables[t].gaps(column)) {
            const auto found = cells.find(gap.english);
            if (found == cells.end()) {
                complete = false;
                err() << code << ": no translation for \"" << gap.english << "\"" << Qt::endl;
                continue;
            }
            tables[t].setCell(gap.line, column, found->second);
            changed[t].insert(gap.line);
        }
    }
    return complete;
}

bool writeResults(const Options& options, const std::vector<TextTable>& tables,
                  const std::vector<std::set<int>>& changed)
{
    for (size_t t = 0; t < tables.size(); ++t) {
        const TextTable& table = tables[t];
        if (table.fileName().isEmpty()) {
            // New lines from a list: all of them, filled or not.
            for (const QString& line : table.lines())
                out() << line << "\n";
            continue;
        }
        if (changed[t].empty())
            continue;
        if (options.inPlace) {
            if (!table.save()) {
                err() << "Cannot write " << table.fileName() << Qt::endl;
                return false;
            }
            err() << table.fileName() << ": " << changed[t].size() << " lines filled" << Qt::endl;
            continue;
        }
        for (int line : changed[t])
            out() << "# " << table.fileName() << ":" << line + 1 << "\n"
                  << table.lines().at(line) << "\n";
    }
    out().flush();
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // The page is never shown: no display is needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("filltranslations"));
    qInstallMessageHandler(messageHandler);

    Options options;
    if (!parseOptions(app, options))
        return UsageError;
    verboseMessages = options.verbose;

    std::vector<TextTable> tables;
    if (!loadTables(options, tables))
        return UsageError;
    std::vector<std::set<int>> changed(tables.size());

    WebInteractor interactor(nullptr);
    interactor.setBaseAddress(options.url);
    interactor.setLoadTimeout(options.timeout);
    bool complete = true;
    for (const QString& code : options.languages)
        complete = fillLanguage(interactor, code, tables, changed) && complete;

    if (!writeResults(options, tables, changed))
        return UsageError;
    return complete ? AllFilled : SomeMissing;
}
