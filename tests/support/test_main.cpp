#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // No test touches the real clock, power or display.
    qputenv("VORLANE_SIMULATE_SYSTEM", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
