// Time stamps at the steps of start-up, written only when ZELVORA_STARTUP_TRACE names a file:
// "milliseconds since the process was created  milliseconds since the previous mark  step".
// Costs one environment lookup when off.
#pragma once

namespace fw::startup_trace {

void mark(const char* step);

}  // namespace fw::startup_trace
