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
    // The browser window's WebEngine pages, as root and without a screen: no
    // sandbox, no GPU, no calls home (a loopback page still loads).
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                "--disable-gpu --disable-background-networking --disable-component-update");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vettaro-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    TestSupport::Install();
    return RUN_ALL_TESTS();
}
