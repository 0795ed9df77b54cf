// Test entry: a QApplication on the offscreen platform, settings and
// temporary files in a folder of the run's own, and a scripted prompt provider
// so that no test ever waits on a real dialog.
#include "TestSupport.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                       : qgetenv("QT_QPA_PLATFORM"));
    QTemporaryDir home;
    TestSupport::PrepareEnvironment(home.path());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vettaro-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    TestSupport::Install();
    return RUN_ALL_TESTS();
}
