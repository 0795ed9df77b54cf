// Tests of the table-printing library, which stands on Qt alone: a
// QApplication on the offscreen platform and a pinned locale.
#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
