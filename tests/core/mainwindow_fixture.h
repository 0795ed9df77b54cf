#pragma once
// A main window in a sandbox: its own settings name, program folder (a copy
// of the template and a few icons), temporary folder and documents folder, so
// nothing touches the real user's files.
#include "TestSupport.h"
#include "core/DbCommands.h"
#include "core/DbFile.h"
#include "core/Globals.h"
#include "core/MDIfrmBike.h"
#include "core/WindowRegistry.h"
#include "platform/settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGlobals();
        ASSERT_TRUE(m_root.isValid());
        QDir root(m_root.path());
        for (const char *sub : {"bin/Icons", "tmp", "home/Documents"})
            root.mkpath(QString::fromLatin1(sub));
        m_oldTmp = qgetenv("TMPDIR");
        m_oldHome = qgetenv("HOME");
        m_oldCwd = QDir::currentPath();
        qputenv("TMPDIR", root.filePath(QStringLiteral("tmp")).toLocal8Bit());
        // The documents folder (new file names, the working folder) is the sandbox's.
        qputenv("HOME", root.filePath(QStringLiteral("home")).toLocal8Bit());
        QFile::copy(QDir(TestSupport::BinDir()).filePath(QStringLiteral("ZidoVodu.dat")), ProgramPath("ZidoVodu.dat"));
        for (const char *icon : {"summit", "fountain", "church"})
            QFile::copy(QDir(TestSupport::DataDir()).filePath(QStringLiteral("../../resources/icons/samples/%1.ico").arg(QLatin1String(icon))),
                        ProgramPath(QStringLiteral("Icons/%1.ico").arg(QLatin1String(icon))));
        AppPath = root.filePath(QStringLiteral("bin"));
        // Settings of every test start empty.
        AppName = QStringLiteral("vettaro-test-") + QString::fromLatin1(
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()).replace(QLatin1Char('/'), QLatin1Char('-'));
        QFile::remove(SettingsFilePath(AppName));
    }

    void TearDown() override
    {
        m_window.reset();
        ResetGlobals();
        for (const QString &name : m_registered)
            WindowRegistry::Unregister(name);
        qputenv("TMPDIR", m_oldTmp);
        qputenv("HOME", m_oldHome);
        QDir::setCurrent(m_oldCwd);   // start-up moved it into the sandbox
    }

    // The main window after start-up with the given command line.
    MDIfrmBike &Start(const QString &commandLine = QString())
    {
        m_window = std::make_unique<MDIfrmBike>();
        m_window->MDIForm_Load(commandLine);
        return *m_window;
    }
    // Closes the main window as the user would (runs the shutdown).
    void Stop()
    {
        if (m_window)
            m_window->close();
        m_window.reset();
    }

    QString ProgramPath(const QString &name) const { return QDir(m_root.path()).filePath(QStringLiteral("bin/") + name); }
    QString Docs(const QString &name) const { return QDir(m_root.path()).filePath(QStringLiteral("home/Documents/") + name); }
    QString TempPath(const QString &name) const { return QDir(m_root.path()).filePath(QStringLiteral("tmp/") + name); }

    void Register(const QString &name, WindowRegistry::Factory f)
    {
        WindowRegistry::Register(name, std::move(f));
        m_registered << name;
    }
    void RegisterData(const DataWindowRegistration &registration, WindowRegistry::Factory f)
    {
        WindowRegistry::RegisterDataWindow(registration, std::move(f));
        m_registered << registration.name;
    }

    std::unique_ptr<MDIfrmBike> m_window;
    QTemporaryDir m_root;
    QByteArray m_oldTmp, m_oldHome;
    QString m_oldCwd;
    QStringList m_registered;
};
