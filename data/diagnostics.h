#pragma once

#include <QString>

// One logging path for the whole program: a debug message whose context carries
// the module name as file, the line, the function signature and the category
// "default", and whose text is "<module> <line> "<message>"".
namespace Diagnostics {
void report(const char* module, int line, const char* function, const QString& message);
}

#define CULINOR_DIAG(module, message) \
    Diagnostics::report(module, __LINE__, Q_FUNC_INFO, message)
