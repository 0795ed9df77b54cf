#pragma once
// What every test program shares, with or without a window system: fixture
// and program folders, a scoped default locale and runtime folder.
#include <QByteArray>
#include <QLocale>
#include <QString>
#include <gtest/gtest.h>

namespace TestSupport {

// XDG_RUNTIME_DIR pointed at a folder of the test for the life of the scope
// (a null value unsets it); the old value comes back afterwards.
class RuntimeDirScope {
public:
    explicit RuntimeDirScope(const QByteArray &value)
        : m_old(qgetenv("XDG_RUNTIME_DIR")), m_had(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
    {
        if (value.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", value);
    }
    ~RuntimeDirScope()
    {
        if (m_had)
            qputenv("XDG_RUNTIME_DIR", m_old);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    RuntimeDirScope(const RuntimeDirScope &) = delete;
    RuntimeDirScope &operator=(const RuntimeDirScope &) = delete;

private:
    QByteArray m_old;
    bool m_had;
};

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
