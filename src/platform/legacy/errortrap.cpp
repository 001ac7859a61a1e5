#include "platform/legacy/errortrap.h"

namespace legacy {

ErrorTrap::ErrorTrap(QString routine, ErrorHandler handler)
    : routine_(std::move(routine)), handler_(std::move(handler))
{
    // Setting a trap resets Err, as the runtime's "On Error" statement does.
    Err().Clear();
}

ErrorTrap ErrorTrap::ResumeNext(QString routine)
{
    ErrorTrap trap(std::move(routine), ErrorHandler());
    trap.resumeNext_ = true;
    return trap;
}

bool ErrorTrap::operator()(const std::function<void()>& step)
{
    if (left_)
        return false;
    for (;;) {
        try {
            step();
            return true;
        } catch (const VbError& e) {
            last_ = e;
            Err().set(e);
            if (resumeNext_)
                return true;
            const int answer = handler_ ? handler_(e, routine_) : 0;
            if (answer == 4)
                continue;  // Retry: the same step again
            if (answer == 5)
                return true;  // Ignore: on with the next step
            left_ = true;
            return false;
        }
    }
}

}  // namespace legacy
