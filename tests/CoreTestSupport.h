#pragma once
// What every test program shares, with or without a window system: fixture
// and program folders, and a scoped default locale.
#include <QLocale>
#include <QString>
#include <gtest/gtest.h>

namespace TestSupport {

// Pins QLocale::setDefault for a scope.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale &locale) : m_old(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_old); }
private:
    QLocale m_old;
};

// Folder of the test fixtures (tests/data) and of the built program folder.
QString DataDir();
QString BinDir();

// Points the per-user folders (XDG) into a temporary folder of the run and
// pins the default locale; called by both test mains before anything else.
void PrepareEnvironment(const QString &home);

}
