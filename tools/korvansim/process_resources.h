// What the host process holds (GDI and USER objects, kernel handles, working set), read from
// inside it: under Wine another process reads 0 for its GDI objects.
#pragma once

#include <string>
#include <vector>

namespace korvansim {

// One "name value" entry a figure, as the `resources` request answers.
std::vector<std::wstring> processResources();

}  // namespace korvansim
