#pragma once

#include <QString>

// Who the program is: its name and version, its maker and the maker's web
// address, and the title of what it edits. One record per process.
class AppInfo
{
public:
    QString name;
    QString version;
    QString author;
    QString organization;
    QString domain;
    QString title;

    // The process-wide record, created on the first call and never destroyed.
    static AppInfo* create();
    // The process-wide record, or null before create().
    static AppInfo* instance();

private:
    AppInfo();
};
