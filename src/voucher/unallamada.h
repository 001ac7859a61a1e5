#pragma once
// One call at a time of a voucher object's members that yield to the event
// loop while they wait for the database (the lot requests, the stock writer
// and its seat): a second click or key meanwhile would run a call inside the
// first, on the same object, grids and entry windows. While a call works the
// window it works for takes no input, and a call that still arrives (from
// another window, a timer) is refused at once: it does nothing and reports
// the work as not done, the way its member reports that. It cannot wait: the
// call it would wait for resumes only once this one has returned. The
// windows of the program open when the call starts take no input either: a
// host that makes a new voucher object for each click has no call of its
// own object to be refused by.
#include "platform/ui/modalform.h"
#include "voucher/clscmncptes.h"

#include <memory>
#include <vector>

class ClsCmnCptes::UnaLlamada {
public:
    // `control`: a control of the window the call works for (its grid); none:
    // the active window, the one whose click or key made the call.
    UnaLlamada(ClsCmnCptes& cls, const QWidget* control);
    ~UnaLlamada();
    UnaLlamada(const UnaLlamada&) = delete;
    UnaLlamada& operator=(const UnaLlamada&) = delete;

    // False: another call of the object is under way; this one is refused.
    bool concedida() const { return concedida_; }

private:
    ClsCmnCptes& cls_;
    bool concedida_;
    std::vector<std::unique_ptr<ui::InputBlocker>> bloqueos_;
};
