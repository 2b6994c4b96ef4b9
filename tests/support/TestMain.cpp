#include "TestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

// Every test program runs headless, with its settings, home and Music folders in a
// temporary folder of its own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quaverly-tests"));
    TestEnvironment::reset();
    return RUN_ALL_TESTS();
}
