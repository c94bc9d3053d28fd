#pragma once
// The tape view's samples read again from the recording where they are asked for, instead of
// being held while the window shows them.
#include "view/Waveform.h"

#include <string>

namespace tonvale {

// Reads channel `channel` (0 left or mono, 1 right) of the recording at `path`, from any
// sample on; empty when it cannot be opened again.
SampleSummary::Reader ReadAgain(const std::string& path, int channel);

} // namespace tonvale
