#pragma once

#include "skin/SkinResources.h"

#include <QApplication>
#include <gtest/gtest.h>

// main() of a test program that drives real widgets: one application object for all its tests.
inline int RunQtTests(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallSkinFonts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
