// Archives beyond one plain file: volume sets, archives inside programs, and the output modes
// that hand the data to the caller instead of writing files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <sstream>

#include "tests/setup/real_library.h"

namespace setup_test {
namespace {

std::string Pattern(std::size_t size, unsigned seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 31 + seed) ^ (i >> 7));
  return s;
}

class Volumes : public RealLibrary {
 protected:
  void SetUp() override {
    RealLibrary::SetUp();
    entries_ = {File("zarn", Pattern(2500, 1), 0100755), File("data\\army.dat", "army"),
                File("data\\empty.dat", ""), File("maps\\alm1.map", Pattern(3100, 2)),
                File("last.dat", Pattern(700, 3))};
  }
  // Writes the set (at most `size` bytes of data a volume); the volumes' paths.
  std::vector<std::filesystem::path> WriteSet(std::size_t size) {
    std::vector<std::string> volumes = zarn_tools::WriteRarVolumes(entries_, size);
    std::vector<std::string> names =
        zarn_tools::VolumeNames((root_ / "game.rar").string(), volumes.size());
    std::vector<std::filesystem::path> paths;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
      Spit(names[i], volumes[i]);
      paths.emplace_back(names[i]);
    }
    return paths;
  }
  void ExpectAllOut() {
    for (const RarEntry& e : entries_) {
      SCOPED_TRACE(e.name);
      std::string got = Slurp(out_ / NativePath(e.name));
      EXPECT_EQ(got.size(), e.data.size());
      EXPECT_TRUE(got == e.data);
    }
  }

  std::vector<RarEntry> entries_;
};

TEST_F(Volumes, ASetComesOutByteForByteAcrossItsVolumes) {
  std::vector<std::filesystem::path> set = WriteSet(1000);
  ASSERT_EQ(set.size(), 7u);  // 6304 bytes of data, 1000 a volume
  EXPECT_EQ(set[1].filename(), "game.r00");
  EXPECT_EQ(set[6].filename(), "game.r05");
  std::string offered;
  unrar_.OnNextVolume = [&](TZipCommon*, std::string&, std::string& name, int id, bool exists,
                            bool&) { offered += name + " " + std::to_string(id) + (exists ? "+;" : "-;"); };
  EXPECT_EQ(Run(set[0].string()), "");
  ExpectAllOut();
  EXPECT_EQ(ends_, "zarn+;army.dat+;empty.dat+;alm1.map+;last.dat+;");
  EXPECT_EQ(offered, "game.r00 0+;game.r01 1+;game.r02 2+;game.r03 3+;game.r04 4+;game.r05 5+;");
  EXPECT_EQ(Listing(out_), "data\ndata/army.dat\ndata/empty.dat\nlast.dat\nmaps\nmaps/alm1.map\nzarn\n");

  // One entry per volume and entries over many volumes come out alike.
  for (std::size_t size : {97u, 699u, 100000u}) {
    SCOPED_TRACE(size);
    for (auto& p : std::filesystem::directory_iterator(root_))
      if (p.path().filename() != "install") std::filesystem::remove(p.path());
    std::filesystem::remove_all(out_);
    set = WriteSet(size);
    EXPECT_EQ(Run(set[0].string()), "");
    ExpectAllOut();
  }
}

// Past r99 the counter takes the whole extension: 100, 101, ...
TEST_F(Volumes, ASetGoesOnPastR99WithThreeDigits) {
  std::vector<std::filesystem::path> set = WriteSet(60);
  ASSERT_GT(set.size(), 102u);
  for (std::size_t i = 101; i < set.size(); ++i) {  // the writer names them s00, s01, ...
    std::filesystem::path named = root_ / ("game." + std::to_string(i - 1));
    std::filesystem::rename(set[i], named);
    set[i] = named;
  }
  std::vector<std::string> offered;
  unrar_.OnNextVolume = [&](TZipCommon*, std::string&, std::string& name, int id, bool exists, bool&) {
    offered.push_back(name + " " + std::to_string(id) + (exists ? "+" : "-"));
  };
  EXPECT_EQ(Run(set[0].string()), "");
  ExpectAllOut();
  ASSERT_EQ(offered.size(), set.size() - 1);
  EXPECT_EQ(offered[99], "game.r99 99+");
  EXPECT_EQ(offered[100], "game.100 100+");
  EXPECT_EQ(offered[101], "game.101 101+");
}

TEST_F(Volumes, AMissingVolumeIsAskedForAndABrokenChainIsTold) {
  std::vector<std::filesystem::path> set = WriteSet(1000);
  std::filesystem::path disk2 = root_ / "disk2";
  std::filesystem::create_directories(disk2);
  std::filesystem::rename(set[4], disk2 / set[4].filename());  // game.r03
  // Without a handler the set ends there: what came before stays, the rest is not faked.
  std::string errors;
  unrar_.OnError = [&](TZipCommon*, const std::string& f, const std::string&, int, int code) {
    errors += f + ":" + MessageText(code) + ";";
  };
  EXPECT_EQ(Run(set[0].string()), "Error opening file");
  EXPECT_EQ(errors, "game.r03:File not found;alm1.map:Error opening file;");
  EXPECT_EQ(Slurp(out_ / "zarn"), entries_[0].data);
  EXPECT_FALSE(std::filesystem::exists(out_ / "maps" / "alm1.map"));

  // The handler is offered the missing volume and names the folder that holds it; the next
  // one is looked for there first.
  std::vector<std::string> offered;
  unrar_.OnNextVolume = [&](TZipCommon*, std::string& folder, std::string& name, int, bool exists,
                            bool&) {
    offered.push_back(name + (exists ? "+" : "-"));
    if (!exists) folder = SlashToBackslash((name == "game.r03" ? disk2 : root_).string());
  };
  std::filesystem::remove_all(out_);
  EXPECT_EQ(Run(set[0].string()), "");
  ExpectAllOut();
  EXPECT_EQ(offered, (std::vector<std::string>{"game.r00+", "game.r01+", "game.r02+", "game.r03-",
                                               "game.r04-", "game.r05+"}));
  std::filesystem::rename(disk2 / set[4].filename(), set[4]);

  // A cancelled request ends the extraction.
  unrar_.OnNextVolume = [&](TZipCommon*, std::string&, std::string& name, int, bool, bool& cancel) {
    cancel = name == "game.r01";
  };
  EXPECT_EQ(Run(set[0].string()), "Error opening file");

  // A volume out of its place is refused, never joined.
  std::string r01 = Slurp(set[2]);
  Spit(set[2], Slurp(set[5]));
  unrar_.OnNextVolume = nullptr;
  std::filesystem::remove_all(out_);
  EXPECT_EQ(Run(set[0].string()), "Broken multi-volume chain");
  EXPECT_FALSE(std::filesystem::exists(out_ / "zarn"));
  Spit(set[2], r01);

  // A volume that is a file met before (here through a link) is not read again.
  {
    std::vector<std::string> two =
        zarn_tools::WriteRarVolumes({File("a.dat", Pattern(1000, 5)), File("b.dat", "b")}, 1000);
    ASSERT_EQ(two.size(), 2u);  // the first volume ends with a whole entry
    Spit(root_ / "loop.rar", two[0]);
    std::filesystem::create_symlink(root_ / "loop.rar", root_ / "loop.r00");
    Spit(root_ / "loop.r01", two[1]);
    ends_.clear();
    EXPECT_EQ(Run((root_ / "loop.rar").string()), "Broken multi-volume chain");
    EXPECT_EQ(ends_, "a.dat+;");
  }

  // A damaged part is its entry failing its CRC; the old file is kept.
  std::string r03 = Slurp(set[4]);
  std::string bad = r03;
  bad[bad.size() - 20] ^= 1;
  Spit(set[4], bad);
  Spit(out_ / "maps" / "alm1.map", "old");
  EXPECT_EQ(Run(set[0].string()), "File fails CRC check");
  EXPECT_EQ(Slurp(out_ / "maps" / "alm1.map"), "old");
  Spit(set[4], r03);

  // A set whose first volume is a program goes on with r00 as well.
  std::filesystem::rename(set[0], root_ / "game.exe");
  std::filesystem::rename(set[1], disk2 / set[1].filename());
  offered.clear();
  unrar_.OnNextVolume = [&](TZipCommon*, std::string& folder, std::string& name, int, bool exists,
                            bool&) {
    offered.push_back(name + (exists ? "+" : "-"));
    if (!exists) folder = SlashToBackslash((name == "game.r00" ? disk2 : root_).string());
  };
  std::filesystem::remove_all(out_);
  EXPECT_EQ(Run((root_ / "game.exe").string()), "");
  ExpectAllOut();
  ASSERT_FALSE(offered.empty());
  EXPECT_EQ(offered[0], "game.r00-");
}

TEST_F(Volumes, OneFileWantedFromALaterVolumeIsReadFromTheFirst) {
  std::vector<std::filesystem::path> set = WriteSet(1000);
  unrar_.SetFileMask("maps\\alm1.map");
  std::string opened;
  unrar_.OnActivate = [&](TZipCommon* s) { opened = s->ArchiveFile(); };
  EXPECT_EQ(Run(set[4].string()), "");  // game.r03 holds the map's middle
  EXPECT_EQ(opened, SlashToBackslash(set[0].string()));
  EXPECT_EQ(unrar_.ArchiveFile(), SlashToBackslash(set[4].string()));
  EXPECT_EQ(Listing(out_), "maps\nmaps/alm1.map\n");
  EXPECT_EQ(Slurp(out_ / "maps" / "alm1.map"), entries_[3].data);

  // The first volume may carry any extension of the table, in either case.
  std::filesystem::rename(set[0], root_ / "game.EXE");
  std::filesystem::remove_all(out_);
  EXPECT_EQ(Run(set[4].string()), "");
  EXPECT_EQ(opened, SlashToBackslash((root_ / "game.EXE").string()));
  EXPECT_EQ(Slurp(out_ / "maps" / "alm1.map"), entries_[3].data);

  // With wildcards the named volume is read from where it stands: its first part is
  // continued from a volume not read.
  std::filesystem::rename(root_ / "game.EXE", set[0]);
  unrar_.SetFileMask("*.*");
  EXPECT_EQ(Run(set[4].string()), "Broken multi-volume chain");
  EXPECT_EQ(opened, SlashToBackslash(set[4].string()));
}

// An archive inside a program: "MZ", `at` bytes of program, then the archive.
std::string Program(std::size_t at, const std::string& archive) {
  std::string exe = "MZ" + Pattern(at - 2, 9);
  for (char& c : exe)
    if (c == 'R') c = 'r';  // no stray marker
  return exe + archive;
}

TEST_F(RealLibrary, AnArchiveIsFoundAnywhereInsideAProgram) {
  std::string archive = zarn_tools::WriteRar({File("data\\army.dat", "army"), File("zarn", "game")});
  const std::size_t kAt[] = {2, 100, 4097, 65536, 70001, 131072 + 3, 300000, (1u << 20) - 3,
                             (1u << 20) + 5, 3u << 20};
  for (std::size_t at : kAt) {
    SCOPED_TRACE(at);
    std::filesystem::remove_all(out_);
    Spit(root_ / "setup.exe", Program(at, archive));
    unrar_.SetArchiveFile((root_ / "setup.exe").string());
    EXPECT_EQ(unrar_.ArcType(), atRarExe);
    EXPECT_EQ(Run((root_ / "setup.exe").string()), "");
    EXPECT_EQ(Slurp(out_ / "data" / "army.dat"), "army");
    EXPECT_EQ(Slurp(out_ / "zarn"), "game");
  }
  // A marker with no sound main header behind it is passed over: none at all, or one that
  // fails its CRC.
  std::string decoy = std::string("Rar!\x1a\x07\x00", 7) + "not a header at all";
  std::string badCrc = archive;
  badCrc[7 + 9] ^= 1;  // a reserved byte of the main header
  Spit(root_ / "setup.exe", Program(5000, decoy + badCrc + Pattern(90000, 4) + archive));
  EXPECT_EQ(Run((root_ / "setup.exe").string()), "");
  EXPECT_EQ(Slurp(out_ / "zarn"), "game");
  // A program with no archive is not one.
  Spit(root_ / "plain.exe", Program(200000, decoy));
  unrar_.SetArchiveFile((root_ / "plain.exe").string());
  EXPECT_EQ(unrar_.ArcType(), atUnknown);
  EXPECT_EQ(Run((root_ / "plain.exe").string()),
            "Invalid or unsupported archive type for this operation");
}

class OutputModes : public Volumes {
 protected:
  std::string Expected() const {
    std::string all;
    for (const RarEntry& e : entries_)
      if (e.name.find(".dat") != std::string::npos) all += e.data;
    return all;
  }
  template <typename F>
  std::string Try(F run) {
    try {
      run();
    } catch (const E_RAISE& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(OutputModes, StreamsAndMemoryGetTheSelectedDataAndNoFileIsWritten) {
  std::vector<std::filesystem::path> set = WriteSet(1000);
  unrar_.SetArchiveFile(set[0].string());
  unrar_.SetExtractDir(out_.string());
  unrar_.SetFileMask("*.dat");
  std::string expected = Expected();
  ASSERT_EQ(expected.size(), 4u + 700u);

  std::ostringstream stream;
  EXPECT_EQ(Try([&] { unrar_.ExtractToStream(stream); }), "");
  EXPECT_EQ(stream.str(), expected);
  EXPECT_EQ(unrar_.OutputMode(), TOutputMode::omStream1);

  Spit(root_ / "handle.out", "");
  int fd = ::open((root_ / "handle.out").c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Try([&] { unrar_.ExtractToHandle(fd); }), "");
  ::close(fd);
  EXPECT_EQ(Slurp(root_ / "handle.out"), expected);
  EXPECT_EQ(unrar_.OutputMode(), TOutputMode::omStream2);

  std::string block(expected.size() + 16, '#');
  std::size_t written = 0;
  EXPECT_EQ(Try([&] { written = unrar_.ExtractToMemory(block.data(), block.size()); }), "");
  EXPECT_EQ(written, expected.size());
  EXPECT_EQ(block, expected + std::string(16, '#'));
  EXPECT_EQ(unrar_.OutputMode(), TOutputMode::omMemory);
  EXPECT_EQ(ends_, std::string("army.dat+;empty.dat+;last.dat+;").append("army.dat+;empty.dat+;last.dat+;").append("army.dat+;empty.dat+;last.dat+;"));
  EXPECT_EQ(Listing(out_), "");

  // Data that does not fit: a write error, and nothing past the block.
  std::string small(300, '#');
  small += "GUARD";
  EXPECT_EQ(Try([&] { unrar_.ExtractToMemory(small.data(), 300); }), "Error writing to file");
  EXPECT_EQ(small.substr(300), "GUARD");
  EXPECT_EQ(small.substr(0, 4), "army");
  // So is an entry larger than what is left of the block, though an empty block would hold it.
  std::string tight(702, '#');
  tight += "GUARD";
  EXPECT_EQ(Try([&] { unrar_.ExtractToMemory(tight.data(), 702); }), "Error writing to file");
  EXPECT_EQ(tight.substr(702), "GUARD");
  // A stream that fails and a closed handle fail the same way.
  std::ostringstream failing;
  failing.setstate(std::ios::badbit);
  EXPECT_EQ(Try([&] { unrar_.ExtractToStream(failing); }), "Error writing to file");
  EXPECT_EQ(Try([&] { unrar_.ExtractToHandle(-1); }), "Error writing to file");
  // A damaged entry is told in these modes too.
  std::vector<RarEntry> bad = {File("x.dat", "data")};
  bad[0].badDataCrc = true;
  Spit(root_ / "bad.rar", zarn_tools::WriteRar(bad));
  unrar_.SetArchiveFile((root_ / "bad.rar").string());
  std::ostringstream sink;
  EXPECT_EQ(Try([&] { unrar_.ExtractToStream(sink); }), "File fails CRC check");
}

}  // namespace
}  // namespace setup_test
