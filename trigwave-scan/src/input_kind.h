// What kind of sensor an audio channel carries, and how that is told from the signal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// hall: a square-ish signal (hall, optical, logic level, trigwave's own files);
// vr: a variable-reluctance sensor's bipolar lobes, each tooth centred where they cross.
enum class input_kind : uint8_t { hall, vr };

// What the person asked for with --input.
enum class input_choice : uint8_t { automatic, hall, vr };

const char* input_kind_name(input_kind kind);

// The report's line on how the channels are compared: "crank vr, cam hall (decided from
// the signal)". Each channel by its kind's name (or "digital"); cam null for none.
std::string input_line(const char* crank, const char* cam, bool decided);

// "auto", "hall" or "vr"; false for anything else.
bool parse_input_choice(const std::string& text, input_choice& out);

// Decides from a stretch of one channel (count samples, every stride floats): a VR
// signal crosses its middle slowly, a hall signal steps across it within a sample or
// two on at least one side (what white noise adds to a step is taken off). Hall when too
// few edges to tell.
input_kind decide_input(const float* samples, std::size_t count, std::size_t stride);
