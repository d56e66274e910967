#include <memory>

#include "fw/platform.h"

namespace fw {

void Thread::runFromEntry(void* self) { runAndFree(static_cast<Thread*>(self)); }

void Thread::runAndFree(Thread* t) {
  std::unique_ptr<Thread> owned(t);
  try {
    owned->execute();
  } catch (...) {
    // A thread's errors end the thread only.
  }
}

}  // namespace fw
