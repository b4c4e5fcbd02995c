// Loading a library without the system's error boxes.
#pragma once

#include <string>

namespace zarn3set {

// The library's handle, or null (quietly) when it cannot be loaded.
void* LoadLibrarySilently(const std::string& name);

}  // namespace zarn3set
