// The truth of a file as one JSON document, in the form of trigwave-scan's --json.
#pragma once

#include <string>

#include "crank_model.h"
#include "effects.h"
#include "json_text.h"
#include "trigwave.h"
#include "truth_log.h"

std::string truth_json(const truth_log& log, const crank_model& m, const Trigwave& tw, const effects& fx,
                       const std::string& wav_name);
