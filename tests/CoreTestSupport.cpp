#include "CoreTestSupport.h"

#include <QDir>

namespace TestSupport {

QString DataDir() { return QStringLiteral(VETTARO_TEST_DATA); }
QString BinDir() { return QStringLiteral(VETTARO_BIN_DIR); }

void PrepareEnvironment(const QString &home)
{
    qputenv("XDG_CONFIG_HOME", QDir(home).filePath("config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", QDir(home).filePath("data").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", QDir(home).filePath("cache").toLocal8Bit());
    QDir().mkpath(QDir(home).filePath("config"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

}
