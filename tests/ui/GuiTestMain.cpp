// GUI tests run inside one QApplication on the offscreen platform.

#include <gtest/gtest.h>

#include "ui/platform/GuardedApplication.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CGuardedApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
