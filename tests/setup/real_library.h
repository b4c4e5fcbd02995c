// The component over our RAR library, extracting archives that the tests write into a
// fresh folder.
#pragma once

#include <string>
#include <vector>

#include "setup/archive/AwkMain.h"
#include "setup/archive/UnRAR.h"
#include "tests/setup/setup_fixture.h"
#include "tools/mkrar/rarwriter.h"

namespace setup_test {

using namespace zarn3set;
using zarn_tools::RarEntry;

class RealLibrary : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ASSERT_TRUE(BindUnrarLibrary(ZARN_UNRAR_LIBRARY));
    root_ = dir;
    out_ = root_ / "install";
    std::filesystem::create_directories(out_);
    unrar_.OnEnd = [this](TZipCommon*, const std::string& f, bool ok) {
      ends_ += std::filesystem::path(NativePath(f)).filename().string() + (ok ? "+" : "-") + ";";
    };
  }
  void TearDown() override {
    UnbindUnrarLibrary();
    TempDirTest::TearDown();
  }
  static RarEntry File(const std::string& name, const std::string& data, std::uint32_t mode = 0100644) {
    RarEntry e;
    e.name = name;
    e.data = data;
    e.attr = mode;
    return e;
  }
  // Writes the archive and extracts it into out_; the failure's message or "".
  std::string Extract(const std::string& bytes) {
    Spit(root_ / "game.rar", bytes);
    return Run((root_ / "game.rar").string());
  }
  // Extracts the archive named into out_; the failure's message or "".
  std::string Run(const std::string& archive) {
    unrar_.SetArchiveFile(archive);
    unrar_.SetExtractDir(out_.string());
    try {
      unrar_.Extract();
    } catch (const E_RAISE& e) {
      return e.what();
    }
    return "";
  }
  std::string Extract(const std::vector<RarEntry>& entries) {
    return Extract(zarn_tools::WriteRar(entries));
  }

  std::filesystem::path root_, out_;
  TUnRAR unrar_;
  std::string ends_;
};

}  // namespace setup_test
