// Test main for the reliability tests: a mount namespace of their own, so that the mounts
// some tests make never reach the machine, and a Qt application for the documents.
#include "platform/design_fonts.h"
#include "tests/reliability/scratch_mount.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    reliability::ScratchMount::enterPrivateNamespace();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    platform::installFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
