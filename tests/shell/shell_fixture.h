// A game folder of the demo data set in a temporary folder, the null back end, and the program
// created on it (start-up runs at the first activation inside ProcessMessages).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/base/dvga.h"
#include "game/shell/Main.h"
#include "game/shell/settings.h"
#include "platform/app.h"
#include "platform/null/null.h"

namespace fs = std::filesystem;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARN_PLATFORM", "null", 1);
    std::string why;
    ASSERT_TRUE(plat::Init(&why)) << why;
    plat::null::SetDesktopSize(1280, 1024);
    oldCwd = fs::current_path();
    folder = fs::temp_directory_path() /
             ("zarn_shell_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder / "data");
    fs::create_directories(folder / "music");
    const fs::path game = fs::path(ZARN_BINARY_DIR) / "game" / "data";
    for (const auto& e : fs::directory_iterator(game))
      fs::copy_file(e.path(), folder / "data" / e.path().filename());
    zarn::ProgramFolderOverride = folder;
  }
  void TearDown() override {
    if (zarn::MainForm) zarn::DestroyProgram();
    zarn::ProgramFolderOverride.clear();
    std::error_code ec;
    fs::current_path(oldCwd, ec);
    fs::remove_all(folder, ec);
    plat::Shutdown();
  }

  void WriteIni(const std::string& text) {
    std::ofstream(folder / "zarn.ini", std::ios::binary) << text;
  }
  std::string ReadIni() {
    std::ifstream in(folder / "zarn.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Creates the program and runs loop passes until the main window has started up.
  void Start(std::vector<std::string> args = {}) {
    args.insert(args.begin(), "zarn");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::string why;
    ASSERT_TRUE(zarn::CreateProgram(static_cast<int>(argv.size()), argv.data(), &why)) << why;
    Pass(5);
  }
  // The whole program, as started with no arguments: its exit status. Its clock moves on
  // each loop pass, and a program still running after a minute of it is stopped and the test
  // fails, where a broken halt would otherwise loop for good.
  static int RunWithoutArguments() {
    constexpr std::uint32_t BoundMs = 60'000;
    bool stopped = false;
    plat::null::SetAutoAdvance(10);
    const int bound = plat::AddTimer(BoundMs, [&stopped] {
      stopped = true;
      plat::Terminate();
    });
    char arg0[] = "zarn";
    char* argv[] = {arg0};
    const int code = zarn::RunProgram(1, argv);
    plat::RemoveTimer(bound);
    plat::null::SetAutoAdvance(0);
    EXPECT_FALSE(stopped) << "the program still ran after " << BoundMs / 1000 << " s of its clock: stopped";
    return code;
  }
  void Pass(int n) {
    for (int i = 0; i < n; ++i) {
      plat::null::AdvanceClock(1);
      plat::ProcessMessages();
    }
  }
  int FormId() const { return zarn::MainForm->Handle()->id; }

  fs::path folder;
  fs::path oldCwd;
};
