// Whether a wheel can take the effects asked of it (a VR sensor needs teeth, jitter edges, a
// fault a tooth the wheel has): trigwave and trigwave-play refuse the same things.
#pragma once

#include "crank_model.h"
#include "effects.h"

// False after saying on standard error what this wheel cannot do.
bool effects_fit(const effects& fx, const crank_model& m);
