#include "fw/startup_trace.h"

namespace fw::startup_trace {

// Native tests have no start-up worth timing.
void mark(const char*) {}

}  // namespace fw::startup_trace
