#pragma once
// One QApplication for the widget tests of this program, made on first use
// (offscreen unless the environment says otherwise).
#include <QApplication>

#include <cstdlib>

inline QApplication& testApp()
{
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
