#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

// Widget tests run on the offscreen platform (set by CTest, and here for direct runs) with the
// C locale unless a test pins another one.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
