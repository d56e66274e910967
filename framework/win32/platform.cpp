// Kernel services: named mutexes, self-freeing threads.
#include <windows.h>
#include <process.h>

#include <memory>
#include <stdexcept>

#include "fw/platform.h"
#include "fw/win32/handles.h"

namespace fw {

struct NamedMutex::Impl {
  win32::UniqueKernelHandle handle;
};

NamedMutex::NamedMutex(const std::string& name) : impl_(std::make_unique<Impl>()) {
  impl_->handle.reset(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
  if (!impl_->handle) impl_->handle.reset(CreateMutexA(nullptr, FALSE, name.c_str()));
}

NamedMutex::~NamedMutex() = default;

bool NamedMutex::valid() const { return static_cast<bool>(impl_->handle); }

NamedMutex::Wait NamedMutex::wait(unsigned timeoutMs) {
  switch (WaitForSingleObject(impl_->handle.get(), timeoutMs)) {
    case WAIT_OBJECT_0: return Wait::Acquired;
    case WAIT_ABANDONED: return Wait::Abandoned;
    case WAIT_TIMEOUT: return Wait::TimedOut;
    default: return Wait::Failed;
  }
}

bool NamedMutex::release() { return impl_->handle && ReleaseMutex(impl_->handle.get()); }

namespace {
unsigned __stdcall threadEntry(void* arg) {
  Thread::runFromEntry(arg);
  return 0;
}
}  // namespace

void Thread::start(std::unique_ptr<Thread> thread, unsigned stackBytes) {
  Thread* raw = thread.release();
  // The stack size is a reservation, so a flood of short threads costs address space lightly.
  const uintptr_t h = _beginthreadex(nullptr, stackBytes, threadEntry, raw, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!h) {
    delete raw;
    throw std::runtime_error("a thread could not be started");
  }
  win32::UniqueKernelHandle started(reinterpret_cast<HANDLE>(h));  // the thread frees itself
}

void sleepMs(unsigned ms) { Sleep(ms); }
unsigned currentProcessId() { return GetCurrentProcessId(); }

}  // namespace fw
