#include "exchange/exchangecommand.h"

#include "app/appinfo.h"
#include "settings/settings.h"
#include "data/document.h"
#include "exchange/recipeexporter.h"
#include "exchange/recipeimporter.h"
#include "lang/langmodel.h"
#include "resources/resourcefiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSettings>
#include <QTextStream>

#include <cstring>
#include <memory>

namespace {

const QString ImportOption = QStringLiteral("import");
const QString IntoOption = QStringLiteral("into");
const QString ExportOption = QStringLiteral("export");
const QString ToOption = QStringLiteral("to");

// The user's language and currency, read from the store the window uses.
struct UserChoices
{
    std::unique_ptr<LangModel> language;
    QString currency;
};

void readUserChoices(UserChoices& choices)
{
    const AppInfo* info = AppInfo::create();
    QCoreApplication::setOrganizationName(info->organization);
    QCoreApplication::setOrganizationDomain(info->domain);
    QCoreApplication::setApplicationName(info->name);
    QLocale::setDefault(QLocale(QLocale::C, QLocale::AnyCountry));
    const QSettings stored;
    const int language =
        stored.value(SettingKey::Language, Settings::languageIndexFor(QLocale::system().language()))
            .toInt();
    choices.currency = stored.value(SettingKey::Currency, QStringLiteral("USD")).toString();
    const QString languages = ResourceFiles::folderOf(QStringLiteral("languages/_lanraw_en.bpl"));
    choices.language.reset(new LangModel(language, languages));
    setAppLangModel(choices.language.get());
}

int importInto(Document& document, const QStringList& sources, const QString& book,
               const QString& currency)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (QFile::exists(book) && !document.OpenDocument(book)) {
        err << translate(QStringLiteral("The book %1 could not be opened.")).arg(book) << '\n';
        return 1;
    }
    RecipeImporter importer(document, currency);
    QEventLoop loop;
    QObject::connect(&importer, &RecipeImporter::finished, &loop, &QEventLoop::quit);
    importer.start(sources);
    if (importer.running())
        loop.exec();
    for (const QString& error : importer.errors)
        err << error << '\n';
    for (const QString& name : importer.addedNames)
        out << translate(QStringLiteral("Imported: %1")).arg(name) << '\n';
    if (importer.addedIds.empty()) {
        err << translate(QStringLiteral("No recipe was imported.")) << '\n';
        return 1;
    }
    if (!document.SaveDocument(book)) {
        err << translate(QStringLiteral("The book %1 could not be saved.")).arg(book) << '\n';
        return 1;
    }
    return 0;
}

int exportTo(Document& document, const QString& book, const QString& target,
             const QString& currency)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!document.OpenDocument(book)) {
        err << translate(QStringLiteral("The book %1 could not be opened.")).arg(book) << '\n';
        return 1;
    }
    const std::vector<int> ids = RecipeExporter::allRecipes(document);
    if (!RecipeExporter(document, currency).write(ids, target)) {
        err << translate(QStringLiteral("The file %1 could not be written.")).arg(target) << '\n';
        return 1;
    }
    out << translate(QStringLiteral("Recipes exported: %1")).arg(ids.size()) << '\n';
    return 0;
}

} // namespace

void prepareExchangeCommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        // "--import SOURCE" as well as "--import=SOURCE"
        const bool exchange = std::strncmp(argv[i], "--import", 8) == 0
                              || std::strncmp(argv[i], "--export", 8) == 0
                              || std::strncmp(argv[i], "--into", 6) == 0
                              || std::strncmp(argv[i], "--to", 4) == 0;
        if (exchange && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void addExchangeOptions(QCommandLineParser& parser)
{
    parser.addOption(
        {ImportOption,
         QStringLiteral("Imports the recipes of web addresses, saved pages or "
                        "JSON-LD files (further sources may follow) into the book of --into."),
         QStringLiteral("SOURCE")});
    parser.addOption(
        {IntoOption,
         QStringLiteral("The book that imported recipes go into; created when missing."),
         QStringLiteral("BOOK.carb")});
    parser.addOption({ExportOption,
                      QStringLiteral("Exports every recipe of a book to the file of --to."),
                      QStringLiteral("BOOK.carb")});
    parser.addOption({ToOption,
                      QStringLiteral("The exported file: .json for JSON-LD, .html for a web page."),
                      QStringLiteral("OUT")});
}

int runExchangeCommand(const QCommandLineParser& parser)
{
    const bool importing = parser.isSet(ImportOption);
    const bool exporting = parser.isSet(ExportOption);
    // --into or --to alone is a mistyped exchange, not a start of the window.
    if (!importing && !exporting && !parser.isSet(IntoOption) && !parser.isSet(ToOption))
        return -1;
    UserChoices choices;
    readUserChoices(choices);
    QTextStream err(stderr);
    const QString book = parser.value(importing ? IntoOption : ExportOption);
    const QString target = parser.value(ToOption);
    if (importing == exporting || book.isEmpty() || (exporting && target.isEmpty())) {
        err << translate(QStringLiteral("Use --import SOURCE... --into BOOK.carb or --export "
                                        "BOOK.carb --to OUT.json|OUT.html"))
            << '\n';
        setAppLangModel(nullptr);
        return 2;
    }
    int result = 1;
    {
        Document document;
        if (document.setDataStructure())
            result = importing
                         ? importInto(document,
                                      parser.values(ImportOption) + parser.positionalArguments(),
                                      book, choices.currency)
                         : exportTo(document, book, target, choices.currency);
    }
    setAppLangModel(nullptr);
    return result;
}
