// The game's program entry.
#include <cstdio>
#include <string>

#include "game/shell/Main.h"
#include "platform/app.h"

int main(int argc, char** argv) {
  std::string why;
  if (!plat::Init(&why)) {
    std::fprintf(stderr, "ZARN III: %s\n", why.c_str());
    return 1;
  }
  const int code = zarn::RunProgram(argc, argv);
  plat::Shutdown();
  return code;
}
