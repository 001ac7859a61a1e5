#pragma once
// Small helpers shared by every test program.
#include "platform/legacy/vberror.h"
#include "platform/ui/application.h"

#include <QApplication>
#include <QString>

#include <functional>
#include <ostream>
#include <random>

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

// Seeded text for the round-trip generators: up to `maximo` characters,
// letters with, one time in `unoDe`, one of `raros`.
inline QString textoConRaros(std::mt19937& gen, const QString& raros, int maximo, int unoDe)
{
    QString t;
    for (int n = std::uniform_int_distribution<int>(0, maximo)(gen); n > 0; --n)
        t += std::uniform_int_distribution<int>(1, unoDe)(gen) == 1
                 ? raros[std::uniform_int_distribution<qsizetype>(0, raros.size() - 1)(gen)]
                 : QChar(u'a' + std::uniform_int_distribution<int>(0, 25)(gen));
    return t;
}

}  // namespace testutil
