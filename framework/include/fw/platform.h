// Kernel and desktop services that are not windows: clipboard, named mutexes, threads.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace fw {

// Text clipboard; text is Windows-1254.
namespace clipboard {
// Puts Unicode text on the clipboard; peers that ask for 8-bit text get the system's conversion.
bool setText(const std::string& text);
std::string text();  // empty when there is no text
// Whether the clipboard holds text at all (an empty text counts).
bool hasText();
}  // namespace clipboard

// A named kernel mutex, opened if it exists, created otherwise (not owned). Each backend keeps
// its own state behind Impl: the real one owns a kernel handle, the headless one a process-wide
// table entry and the ownership the kernel would record.
class NamedMutex {
 public:
  explicit NamedMutex(const std::string& name);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;
  bool valid() const;
  enum class Wait { Acquired, Abandoned, TimedOut, Failed };
  Wait wait(unsigned timeoutMs);
  bool release();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A thread created suspended, started explicitly, that frees itself when its body ends.
// Give it a small stack: alert tones may come in floods.
class Thread {
 public:
  virtual ~Thread() = default;
  // Starts the body; ownership passes to the thread, which deletes itself at the end.
  static void start(std::unique_ptr<Thread> thread, unsigned stackBytes = 64 * 1024);

 protected:
  virtual void execute() = 0;

 public:
  static void runFromEntry(void* self);  // the backend's thread entry

 private:
  static void runAndFree(Thread* t);
};

void sleepMs(unsigned ms);
unsigned currentProcessId();

}  // namespace fw
