#include "platform/legacy/errortrap.h"

#include <gtest/gtest.h>

#include <QList>
#include <QStringList>

#include <stdexcept>

using namespace legacy;

namespace {

// A handler that answers from a queue and records what it was shown.
struct ScriptedHandler {
    QList<int> answers;
    QList<long> seen;
    QStringList routines;
    int operator()(const VbError& e, const QString& routine)
    {
        seen.append(e.Number);
        routines.append(routine);
        return answers.isEmpty() ? 0 : answers.takeFirst();
    }
};

}  // namespace

TEST(ErrorTrap, AnswersRetryIgnoreAndLeave)
{
    struct Case { QList<int> answers; int failures; int expectedRuns1; bool reachesStep2; bool left; int handlerCalls; };
    const Case cases[] = {
        {{4}, 1, 2, true, false, 1},     // retry: the step runs again and then succeeds
        {{4, 4}, 2, 3, true, false, 2},  // retried twice
        {{5}, 5, 1, true, false, 1},     // ignore: on with the next step
        {{3}, 5, 1, false, true, 1},     // abort: the routine is left
        {{1}, 5, 1, false, true, 1},     // any other answer leaves too
    };
    for (const auto& c : cases) {
        ScriptedHandler h;
        h.answers = c.answers;
        ErrorTrap trap(QStringLiteral("Rutina"), [&h](const VbError& e, const QString& r) { return h(e, r); });
        int runs1 = 0, failuresLeft = c.failures;
        bool step2 = false, step3 = false;
        const bool goOn1 = trap([&] {
            ++runs1;
            if (failuresLeft-- > 0)
                throw VbError(13);
        });
        trap([&] { step2 = true; });
        trap([&] { step3 = true; });
        EXPECT_EQ(runs1, c.expectedRuns1);
        EXPECT_EQ(goOn1, !c.left);
        EXPECT_EQ(step2, c.reachesStep2);
        EXPECT_EQ(step3, c.reachesStep2);
        EXPECT_EQ(trap.left(), c.left);
        EXPECT_EQ(h.seen.size(), c.handlerCalls);
        EXPECT_EQ(h.routines.value(0), u"Rutina");
        EXPECT_EQ(trap.lastError().Number, 13);
        EXPECT_EQ(Err().Number, 13);
    }
}

TEST(ErrorTrap, ResumeNextSkipsEveryFailingStepSilently)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("Sigue"));
    QList<int> ran;
    trap([&] { ran.append(1); throw VbError(5); });
    trap([&] { ran.append(2); });
    trap([&] { ran.append(3); throw VbError(94, QStringLiteral("nulo")); });
    trap([&] { ran.append(4); });
    EXPECT_EQ(ran, (QList<int>{1, 2, 3, 4}));
    EXPECT_FALSE(trap.left());
    EXPECT_TRUE(trap.failed());
    EXPECT_EQ(trap.lastError().Number, 94);
    EXPECT_EQ(Err().Number, 94);
    EXPECT_EQ(Err().Description, u"nulo");
}

TEST(ErrorTrap, OnlyRunTimeErrorsAreTrapped)
{
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("R"));
    EXPECT_THROW(trap([] { throw std::runtime_error("x"); }), std::runtime_error);
    EXPECT_THROW(trap([] { throw ProgramEnd(3); }), ProgramEnd);
}

TEST(ErrorTrap, SettingATrapClearsErrAndRaiseSetsIt)
{
    try {
        Err().Raise(53, QStringLiteral("Mod"));
        FAIL() << "Raise did not throw";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number, 53);
        EXPECT_EQ(e.Source, u"Mod");
        EXPECT_EQ(e.Description, VbError::defaultDescription(53));
    }
    EXPECT_EQ(Err().Number, 53);
    ErrorTrap trap(QStringLiteral("R"), {});
    EXPECT_EQ(Err().Number, 0);
    EXPECT_FALSE(trap.failed());
    // Without a handler an error leaves the routine.
    EXPECT_FALSE(trap([] { throw VbError(9); }));
    EXPECT_TRUE(trap.left());
    EXPECT_EQ(VbError(12345).Description, u"Error definido por la aplicación o por el objeto");
}
