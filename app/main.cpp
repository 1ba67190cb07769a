#include "app/appinfo.h"
#include "app/mainwindow.h"
#include "exchange/exchangecommand.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {

// culinor [FILE], and the options of recipe exchange.
void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Culinor, a recipe book editor."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The recipe book (.carb) to open."),
                                 QStringLiteral("[FILE]"));
    addExchangeOptions(parser);
}

// The book to open at start, or an empty name for a new book; more than one
// book ends the program.
QString bookToOpen(const QCommandLineParser& parser)
{
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("culinor: give one book at most; see --help.\n", stderr);
        std::exit(EXIT_FAILURE);
    }
    return files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();
}

// --help and --version are answered without a display.
bool asksOnlyForText(int argc, char** argv)
{
    const QByteArrayList textOptions = {"-h", "-?", "--help", "--help-all", "-v", "--version"};
    for (int i = 1; i < argc; ++i) {
        if (textOptions.contains(QByteArray(argv[i])))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const AppInfo* info = AppInfo::create();
    QCoreApplication::setApplicationName(info->name);
    QCoreApplication::setApplicationVersion(info->version);
    QCommandLineParser parser;
    describeCommandLine(parser);
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication terminal(argc, argv);
        parser.process(terminal); // answers and ends the program
        return EXIT_SUCCESS;
    }

    prepareExchangeCommand(argc, argv);
    QApplication app(argc, argv);
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.ostrel.culinor"));
    parser.process(app);
    const int exchanged = runExchangeCommand(parser);
    if (exchanged >= 0)
        return exchanged;
    const QString book = bookToOpen(parser);

    MainWindow window(&app);
    window.showMainWindow();
    if (!book.isEmpty())
        window.openBook(book);
    return app.exec();
}
