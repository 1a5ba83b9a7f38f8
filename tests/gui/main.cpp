#include <gtest/gtest.h>

#include <QApplication>

#include "Resources.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                      : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // Windows close in tests without ending the test program.
    QApplication::setQuitOnLastWindowClosed(false);
    tavrel::initResources();
    tavrel::setApplicationMetadata();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
