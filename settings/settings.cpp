#include "settings/settings.h"

#include "data/diagnostics.h"

namespace {

Settings* theSettings = nullptr;

} // namespace

Settings::Settings(const Defaults& defaults)
{
    bool written = false;
    for (const auto& entry : defaults) {
        if (!contains(entry.first)) {
            setValue(entry.first, entry.second);
            written = true;
        }
    }
    // The object lives until the process ends and is never destroyed, so the
    // store is written now rather than left to a later event.
    if (written)
        sync();
}

QVariant Settings::value(const QString& key, const QVariant& defaultValue) const
{
    if (!contains(key))
        CULINOR_DIAG("dialogs", QStringLiteral("No such setting value: ") + key);
    return QSettings::value(key, defaultValue);
}

Settings::Defaults Settings::defaults(int languageIndex)
{
    return {
        {SettingKey::Language, languageIndex},
        {SettingKey::Currency, QStringLiteral("USD")},
        {SettingKey::Style, 1},
        {SettingKey::RecipeIcons, 0},
        {SettingKey::AutosaveSeconds, 120},
    };
}

int Settings::languageIndexFor(QLocale::Language language)
{
    switch (language) {
    case QLocale::German:
        return 3;
    case QLocale::Russian:
        return 1;
    case QLocale::French:
        return 2;
    default:
        return 0;
    }
}

Settings* appSettings()
{
    return theSettings;
}

void setAppSettings(Settings* settings)
{
    theSettings = settings;
}
