// Test entry of the targets without windows (database layer, domain, logic
// targets of the subsystems): a QCoreApplication only, so a unit that reaches
// for a widget or a dialog fails here instead of passing by accident.
#include "CoreTestSupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QTemporaryDir home;
    TestSupport::PrepareEnvironment(home.path());
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vettaro-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
