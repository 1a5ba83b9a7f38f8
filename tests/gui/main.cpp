#include <gtest/gtest.h>

#include <QApplication>


int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) // no display, also when the build lists the tests
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // closing a window must not end the tests
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
