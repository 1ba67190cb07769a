#include "app/appinfo.h"

namespace {

AppInfo* theAppInfo = nullptr;

} // namespace

AppInfo::AppInfo()
    : name(QStringLiteral("Culinor")),
      version(QStringLiteral("1.0")),
      author(QStringLiteral("Tamsin Verrault")),
      organization(QStringLiteral("Ostrel software")),
      domain(QStringLiteral("https://culinor.ostrel.example.org")),
      title(QStringLiteral("Recipe book"))
{
}

AppInfo* AppInfo::create()
{
    if (!theAppInfo)
        theAppInfo = new AppInfo();
    return theAppInfo;
}

AppInfo* AppInfo::instance()
{
    return theAppInfo;
}
