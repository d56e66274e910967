// What the whole DLL shares: its instance handle and the count that decides whether COM may
// unload it.
#pragma once

#include <windows.h>

namespace korvansim {

HINSTANCE moduleInstance();
void objectCreated();
void objectDestroyed();

// One live object of the DLL for as long as the owner lives.
class CountedObject {
 public:
  CountedObject() { objectCreated(); }
  ~CountedObject() { objectDestroyed(); }
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;
};

}  // namespace korvansim
