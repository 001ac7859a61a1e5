#pragma once
// The error trap of a routine. A routine with an error trap runs its statements
// as steps; when a step raises a VbError the trap hands it to the routine's
// handler (one of the error dialogs) with the routine's name:
//   4 (Retry)  runs the failing step again,
//   5 (Ignore) goes on with the next step,
//   any other  leaves the routine: every later step is skipped and the routine
//              returns its default (check left()).
// Only VbError is trapped; anything else goes on up.
//
//   ErrorTrap trap("MiRutina", &ModGlobal::TratamientoErrores);
//   trap([&] { ... });
//   trap([&] { ... });
//   if (trap.left()) return false;
#include "platform/legacy/vberror.h"

#include <functional>

namespace legacy {

using ErrorHandler = std::function<int(const VbError& error, const QString& routine)>;

class ErrorTrap {
public:
    ErrorTrap(QString routine, ErrorHandler handler);

    // A trap that goes on after every error without asking anybody (the
    // routines that "go on after every error"). Err() keeps the last error.
    static ErrorTrap ResumeNext(QString routine);

    // Runs one step. Returns true when the routine goes on (the step succeeded
    // or the handler answered 5), false once the routine has been left.
    bool operator()(const std::function<void()>& step);

    bool left() const { return left_; }
    // The last error this trap caught (Number 0 when none).
    const VbError& lastError() const { return last_; }
    bool failed() const { return last_.Number != 0; }
    const QString& routine() const { return routine_; }

private:
    QString routine_;
    ErrorHandler handler_;
    bool resumeNext_ = false;
    bool left_ = false;
    VbError last_;
};

}  // namespace legacy
