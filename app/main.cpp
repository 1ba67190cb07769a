#include "app/mainwindow.h"
#include "exchange/exchangecommand.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv)
{
    prepareExchangeCommand(argc, argv);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    addExchangeOptions(parser);
    parser.process(app);
    const int exchanged = runExchangeCommand(parser);
    if (exchanged >= 0)
        return exchanged;
    MainWindow window(&app);
    window.showMainWindow();
    return app.exec();
}
