// A private copy of the laid-out demo game folder for benchmarks that run the program.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace benchgame {

namespace fs = std::filesystem;

// The laid-out game folder beside the bench folder (build/<name>/game), or ZARN_GAME_DIR.
inline fs::path GameFolder() {
  if (const char* dir = std::getenv("ZARN_GAME_DIR")) return dir;
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "game";
}

inline fs::path CopyPath() { return fs::temp_directory_path() / ("zarn_bench_" + std::to_string(::getpid())); }

// A private copy of its data, made once and removed at exit.
inline fs::path GameCopy() {
  static const fs::path folder = [] {
    const fs::path to = CopyPath();
    fs::remove_all(to);
    fs::create_directories(to);
    fs::copy(GameFolder() / "data", to / "data", fs::copy_options::recursive);
    fs::create_directories(to / "music");
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(CopyPath(), ec);
    });
    return to;
  }();
  return folder;
}

}  // namespace benchgame
