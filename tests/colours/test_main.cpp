#include <QApplication>
#include <gtest/gtest.h>

// Window tests need an application object; without a display they use Qt's offscreen platform
// (also while CTest lists the tests, before its environment applies).
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
