#pragma once
// Small helpers shared by every test program.
#include "platform/legacy/vberror.h"
#include "platform/ui/application.h"

#include <QApplication>
#include <QString>

#include <functional>
#include <ostream>

// QString in gtest's failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace testutil {

// One QApplication for the widget tests of a program, made on first use
// (offscreen unless the environment says otherwise).
inline QApplication& testApp()
{
    static int argc = 1;
    static char name[] = "vordane-test";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        ui::PrepareApplication();
        return a;
    }();
    return *app;
}

// The number of the run-time error that f raises, 0 when none.
inline long errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const legacy::VbError& e) {
        return e.Number;
    }
    return 0;
}

}  // namespace testutil
