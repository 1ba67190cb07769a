#include "app/appinfo.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {

// What the command line asks for: culinor [FILE].
struct CommandLine
{
    QString book; // empty: start with a new book
};

// Reads the command line; --help, --version and a wrong command line are
// answered here and end the program.
CommandLine parseCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Culinor, a recipe book editor."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The recipe book (.carb) to open."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

    CommandLine commandLine;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("culinor: give one book at most; see --help.\n", stderr);
        std::exit(EXIT_FAILURE);
    }
    if (!files.isEmpty())
        commandLine.book = QFileInfo(files.first()).absoluteFilePath();
    return commandLine;
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
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication terminal(argc, argv);
        parseCommandLine(terminal); // answers and ends the program
        return EXIT_SUCCESS;
    }

    QApplication app(argc, argv);
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.ostrel.culinor"));
    const CommandLine commandLine = parseCommandLine(app);

    MainWindow window(&app);
    window.showMainWindow();
    if (!commandLine.book.isEmpty())
        window.openBook(commandLine.book);
    return app.exec();
}
