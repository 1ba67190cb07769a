#include "data/diagnostics.h"

#include <QDebug>
#include <QMessageLogger>

namespace Diagnostics {

void report(const char* module, int line, const char* function, const QString& message)
{
    QMessageLogger(module, line, function, "default").debug() << module << line << message;
}

} // namespace Diagnostics
