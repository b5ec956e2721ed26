#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

// Core tests get an application object (for Qt SQL, timers and the event loop) and the C locale
// unless a test pins another one.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
