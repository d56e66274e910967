// Time stamps at the steps of start-up. The shipped program and the tests mark nothing; the
// benchmark's build of the program (bench_zelvora_traced, scripts/bench) writes them to the file
// named by ZELVORA_STARTUP_TRACE.
#pragma once

namespace fw::startup_trace {

void mark(const char* step);

}  // namespace fw::startup_trace
