#pragma once

class QCommandLineParser;

// The command line of recipe exchange, run without a window:
//   culinor --import SOURCE... --into BOOK.carb
//   culinor --export BOOK.carb --to OUT.json|OUT.html

// Lets a program started for an exchange run where no display is available.
void prepareExchangeCommand(int argc, char** argv);
void addExchangeOptions(QCommandLineParser& parser);
// The exit code of the exchange asked for, or -1 when none was asked for.
int runExchangeCommand(const QCommandLineParser& parser);
