#include "setup/archive/MyLibLod.h"

#include "platform/system.h"

namespace zarn3set {

// The loader shows no boxes here; a failure is only the null handle.
void* LoadLibrarySilently(const std::string& name) { return plat::LibraryLoad(name); }

}  // namespace zarn3set
