#pragma once
// The controls' run-time errors (raiseControlError and the numbers) live in
// controlsupport.h.
#include "platform/ui/controlsupport.h"
