#pragma once

#include <QLocale>

// Switches the default locale for one test and puts the pinned one back.
class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale& locale) : saved_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(saved_); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

private:
    QLocale saved_;
};
