// The program started as a user starts it, from its program folder, under the
// start-up probe the start-up benchmark uses: it says READY with its database
// open and quits; a message that appears during the start ends it at once
// with the message's text, instead of waiting for a click nobody gives.
#include "CoreTestSupport.h"

#include "core/DbFile.h"
#include "core/Globals.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Text number of every language table, as the tables in the sources hold it.
QStringList TextsOf(const QString &number)
{
    QStringList texts;
    for (const char *locale : {"1033", "1040", "3082", "1031", "1036"}) {
        QFile f(TestSupport::DataDir() + QStringLiteral("/../../Lang/%1/strings.tsv").arg(QLatin1String(locale)));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith(number.toUtf8() + '\t'))
                texts << QString::fromUtf8(line.mid(number.size() + 1)).trimmed();
    }
    return texts;
}
} // namespace

TEST(StartupProbe, ReadyWithTheDatabaseOrTheDialogThatStoppedTheStart)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("climbs.mdb"));
    AppPath = TestSupport::BinDir();
    CreateFromTemplate(good);
    const QString bad = dir.filePath(QStringLiteral("text.mdb"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Just a text file with a database's name\n");
    }
    const QStringList badFormat = TextsOf(QStringLiteral("28010"));
    ASSERT_EQ(badFormat.size(), 5);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VETTARO_STARTUP_PROBE"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    const struct {
        QString database;
        int exitCode;
        QString out;
    } cases[] = {
        {good, 0, QStringLiteral("READY database open")},
        {QString(), 0, QStringLiteral("READY no database")},
        {bad, 3, QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.database.toStdString());
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(TestSupport::BinDir());
        program.start(QDir(TestSupport::BinDir()).filePath(QStringLiteral("vettaro")),
                      c.database.isEmpty() ? QStringList() : QStringList{c.database});
        const bool ended = program.waitForFinished(60000);
        if (!ended) {
            program.kill();
            program.waitForFinished();
        }
        ASSERT_TRUE(ended) << "the program waited";
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput()).trimmed();
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.exitCode) << err.toStdString();
        if (c.exitCode == 0) {
            EXPECT_EQ(out, c.out) << err.toStdString();
            EXPECT_FALSE(err.contains(QStringLiteral("dialog:"))) << err.toStdString();
        } else {
            EXPECT_TRUE(out.isEmpty()) << out.toStdString();
            const QString line = err.section(QStringLiteral("dialog: "), 1).section(QLatin1Char('\n'), 0, 0);
            bool named = false;
            for (const QString &text : badFormat)
                named = named || line.endsWith(text);
            EXPECT_TRUE(named) << err.toStdString();
        }
    }
}
