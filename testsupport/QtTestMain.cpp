// gtest main for tests that need a QApplication. gtest_discover_tests runs the binaries at
// build time, so they must come up without a display: offscreen unless the caller chose.
#include <QApplication>
#include <QtGlobal>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
