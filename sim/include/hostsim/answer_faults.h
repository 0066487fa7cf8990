#pragma once
// Makes the game's form queries give bad answers: null where a form or a
// name is asked for, or an empty name. One query at a time or several in a
// mix, each call picked with a share from a fixed seed, so that a run can be
// repeated exactly.
#include <cstdint>
#include <optional>

#include "hostsim/forms.h"

namespace hostsim {

enum class AnswerFault : std::uint8_t { None, Null, EmptyName };

// From now on a share (0..1] of the calls of `query` answer with `fault`
// (EmptyName only means something for HostForm_GetFullName; elsewhere it is
// taken as Null). Boolean queries answer false.
void setAnswerFault(FormQuery query, AnswerFault fault, double share = 1.0, std::uint64_t seed = 1);
void clearAnswerFaults();

// For the queries: the fault this call answers with, if any.
AnswerFault takeAnswerFault(FormQuery query);

}  // namespace hostsim
