// What the whole DLL shares: its instance handle and the count that decides whether COM may
// unload it.
#pragma once

#include <windows.h>

namespace korvansim {

HINSTANCE moduleInstance();
void objectCreated();
void objectDestroyed();

}  // namespace korvansim
