#pragma once

#include <QLocale>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <utility>
#include <vector>

// The keys of the user's preferences.
namespace SettingKey {
inline const QString Language = QStringLiteral("language");
inline const QString Currency = QStringLiteral("currency");
inline const QString Style = QStringLiteral("style");
inline const QString RecipeIcons = QStringLiteral("recipe_icons");
inline const QString AutosaveSeconds = QStringLiteral("autosave_seconds");
// Written once used, without a default: the File menu's recent books, newest
// first, and the folder a file dialog last chose from.
inline const QString RecentBooks = QStringLiteral("recent_books");
inline const QString LastFolder = QStringLiteral("last_folder");
} // namespace SettingKey

// The user's preferences in the platform's per-user store, chosen by the
// application's organisation and application names. Missing keys get their
// defaults when it is built; reading a key that is not stored is reported.
class Settings : public QSettings
{
    Q_OBJECT

public:
    using Defaults = std::vector<std::pair<QString, QVariant> >;

    // Stores each default whose key is not stored yet, in the given order.
    explicit Settings(const Defaults& defaults);

    virtual QVariant value(const QString& key, const QVariant& defaultValue = QVariant()) const;

    // The defaults of every key, in the order they are written.
    static Defaults defaults(int languageIndex);
    // The interface language that suits a system language: the index into
    // the Options dialog's language list (0 English, 1 Russian, 2 French, 3 German).
    static int languageIndexFor(QLocale::Language language);
};

// The process-wide settings, null until the main window creates them.
Settings* appSettings();
void setAppSettings(Settings* settings);
