#include <gtest/gtest.h>

#include <QGuiApplication>

// The logic tests need a QGuiApplication for fonts and the clipboard, but no
// window system: CTest runs them with QT_QPA_PLATFORM=offscreen.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
