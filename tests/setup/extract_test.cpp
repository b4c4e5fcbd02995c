// Our RAR library through the component: archives written by mkrar's writer come out byte for
// byte, and damaged or hostile archives fail with the component's messages and write nothing
// outside the target folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "setup/archive/AwkMain.h"
#include "setup/archive/UnRAR.h"
#include "tests/setup/real_library.h"
#include "tools/mkrar/rarwriter.h"

using namespace zarn3set;
using setup_test::Listing;
using setup_test::RealLibrary;
using setup_test::Slurp;
using setup_test::Spit;
using zarn_tools::RarEntry;

namespace {


TEST_F(RealLibrary, AFolderComesOutByteForByteWithModesAndTimes) {
  auto src = root_ / "src";
  std::string big(200000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  Spit(src / "zarn", big);
  Spit(src / "data" / "army.dat", "army");
  Spit(src / "maps" / "alm1.map", "");
  Spit(src / "save" / "Сохранение 1.sav", "saved");
  Spit(src / "shared.dat", "group writable");
  ::chmod((src / "zarn").c_str(), 0755);
  ::chmod((src / "data" / "army.dat").c_str(), 0640);
  ::chmod((src / "shared.dat").c_str(), 0664);
  time_t when = 1700000000;  // even seconds survive the 2-second DOS clock
  for (auto& p : std::filesystem::recursive_directory_iterator(src)) {
    timespec t[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, p.path().c_str(), t, AT_SYMLINK_NOFOLLOW);
    when += 3602;
  }
  std::vector<RarEntry> entries;
  std::string error;
  ASSERT_TRUE(zarn_tools::EntriesOfFolder(src, entries, error)) << error;
  EXPECT_EQ(Extract(entries), "");
  EXPECT_EQ(Listing(out_), Listing(src));
  for (auto& p : std::filesystem::recursive_directory_iterator(src)) {
    auto rel = p.path().lexically_relative(src);
    SCOPED_TRACE(rel.string());
    struct stat a {}, b {};
    ASSERT_EQ(::stat(p.path().c_str(), &a), 0);
    ASSERT_EQ(::stat((out_ / rel).c_str(), &b), 0);
    if (S_ISDIR(a.st_mode)) continue;
    EXPECT_EQ(Slurp(out_ / rel), Slurp(p.path()));
    EXPECT_EQ(b.st_mode & 07777, a.st_mode & 07777);
    EXPECT_EQ(b.st_mtime, a.st_mtime);
  }
  EXPECT_EQ(ends_, "army.dat+;alm1.map+;Сохранение 1.sav+;shared.dat+;zarn+;");
}

TEST_F(RealLibrary, ThePackedGameInstallsWhole) {
  unrar_.OnEnd = nullptr;
  int files = 0;
  unrar_.OnBegin = [&](TZipCommon*, const std::string&, int, bool&) { ++files; };
  bool done = false;
  unrar_.OnDeactivate = [&](TZipCommon*) { done = true; };
  EXPECT_EQ(Extract(Slurp(ZARN_GAME_PACKAGE)), "");
  EXPECT_TRUE(done);
  std::filesystem::path pkg = ZARN_PACKAGE_DIR;
  EXPECT_EQ(Listing(out_), Listing(pkg));
  int expected = 0;
  for (auto& p : std::filesystem::recursive_directory_iterator(pkg)) {
    if (!p.is_regular_file()) continue;
    ++expected;
    auto rel = p.path().lexically_relative(pkg);
    ASSERT_EQ(Slurp(out_ / rel), Slurp(p.path())) << rel;
  }
  EXPECT_EQ(files, expected);
  if (std::filesystem::exists(pkg / "zarn")) {
    EXPECT_EQ(::access((out_ / "zarn").c_str(), X_OK), 0);
  }
}

TEST_F(RealLibrary, AWrongDataCrcFailsTheEntryAndStops) {
  std::vector<RarEntry> entries = {File("good.dat", "good"), File("bad.dat", "bad data"),
                                   File("after.dat", "never")};
  entries[1].badDataCrc = true;
  Spit(out_ / "bad.dat", "old copy");
  EXPECT_EQ(Extract(entries), "File fails CRC check");
  EXPECT_EQ(ends_, "good.dat+;bad.dat-;");
  EXPECT_EQ(Slurp(out_ / "good.dat"), "good");
  EXPECT_EQ(Slurp(out_ / "bad.dat"), "old copy");  // the old file is kept, no torn copy
  EXPECT_FALSE(std::filesystem::exists(out_ / "after.dat"));
  EXPECT_EQ(Listing(out_), "bad.dat\ngood.dat\n");
}

TEST_F(RealLibrary, DamagedHeadersAreCaught) {
  std::vector<RarEntry> entries = {File("one.dat", "1"), File("two.dat", "2")};
  std::string bytes = zarn_tools::WriteRar(entries);
  std::string broken = bytes;
  broken[zarn_tools::EntryHeaderOffset(entries, 1) + 32] ^= 0x20;  // a letter of the name
  std::string begun;
  unrar_.OnBegin = [&](TZipCommon*, const std::string& f, int, bool&) { begun += f + ";"; };
  EXPECT_EQ(Extract(broken), "Bad file header");
  EXPECT_EQ(Listing(out_), "one.dat\n");
  // Caught when the header is read, before the entry is offered at all.
  EXPECT_EQ(begun, SlashToBackslash(out_.string()) + "\\one.dat;");
  unrar_.OnBegin = nullptr;

  // A main header that fails its CRC (the CRC itself, its size, a reserved byte that nothing
  // else reads): the archive does not open.
  for (std::size_t at : {7 + 0, 7 + 5, 7 + 9}) {
    broken = bytes;
    broken[at] ^= 1;
    EXPECT_EQ(Extract(broken), "Invalid or unsupported archive type for this operation") << at;
  }
  // Cut inside the second entry: what is there comes out, then the error.
  std::filesystem::remove_all(out_);
  EXPECT_EQ(Extract(bytes.substr(0, zarn_tools::EntryHeaderOffset(entries, 1) + 20)),
            "Error reading file or unexpected end of file");
  EXPECT_EQ(Listing(out_), "one.dat\n");
}

// Each line of a listing with `prefix` before it.
std::string Prefixed(const std::string& prefix, const std::string& listing) {
  std::string out;
  for (std::size_t at = 0, nl; (nl = listing.find('\n', at)) != std::string::npos; at = nl + 1)
    out += prefix + listing.substr(at, nl + 1 - at);
  return out;
}

// Asks the library alone for the first entry below `dest`: the library forms the name, or
// takes `name` below `dest` from the caller.
int LibraryExtractsFirst(const std::filesystem::path& archive, const std::filesystem::path& dest,
                         const std::string& name = {}) {
  std::string arc = archive.string(), to = dest.string(), full = (dest / name).string();
  RAROpenArchiveData open{};
  open.ArcName = arc.data();
  open.OpenMode = RAR_OM_EXTRACT;
  void* h = UnrarEntryPoints.RAROpenArchive(&open);
  if (!h) return -1;
  RARHeaderData header{};
  int r = UnrarEntryPoints.RARReadHeader(h, &header);
  if (r == ERAR_SUCCESS)
    r = UnrarEntryPoints.RARProcessFile(h, RAR_EXTRACT, to.data(), name.empty() ? nullptr : full.data());
  UnrarEntryPoints.RARCloseArchive(h);
  return r;
}

TEST_F(RealLibrary, HostileNamesAreRefusedAndNothingLandsOutside) {
  const char* names[] = {"..\\escape.dat", "sub\\..\\..\\escape.dat", "C:..\\escape.dat",
                         "\\..\\escape.dat", "sub/../../escape.dat", "C:\\D:\\x.dat"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    std::filesystem::remove_all(out_);
    EXPECT_EQ(Extract({File(name, "x")}), "Invalid file name");
    EXPECT_EQ(Listing(root_), "game.rar\n");  // not even the target folder was made
    // The library alone, asked for the stored name below a folder, refuses it too.
    std::filesystem::create_directories(out_);
    EXPECT_EQ(LibraryExtractsFirst(root_ / "game.rar", out_), ERAR_ECREATE);
    EXPECT_EQ(Listing(root_), "game.rar\ninstall\n");
  }
}

TEST_F(RealLibrary, DrivesAndLeadingSeparatorsAreDroppedBelowTheTarget) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\abs.dat", "abs.dat"},         {"C:\\abs.dat", "abs.dat"},
      {"C:abs.dat", "abs.dat"},          {"/abs.dat", "abs.dat"},
      {"\\\\two\\lead.dat", "two/lead.dat"}, {"d:\\games\\zarn\\x.dat", "games/zarn/x.dat"},
  };
  for (auto [name, landed] : cases) {
    SCOPED_TRACE(name);
    std::filesystem::remove_all(out_);
    EXPECT_EQ(Extract({File(name, "x")}), "");
    EXPECT_EQ(Slurp(out_ / landed), "x");
    // The library forming the name itself drops them the same way.
    std::filesystem::remove_all(out_);
    std::filesystem::create_directories(out_);
    EXPECT_EQ(LibraryExtractsFirst(root_ / "game.rar", out_), ERAR_SUCCESS);
    EXPECT_EQ(Slurp(out_ / landed), "x");
    EXPECT_EQ(Listing(root_), "game.rar\ninstall\n" + Prefixed("install/", Listing(out_)));
  }
  EXPECT_FALSE(std::filesystem::exists("/abs.dat"));
  EXPECT_FALSE(std::filesystem::exists("/games/zarn/x.dat"));
}

TEST_F(RealLibrary, TheLaterOfTwoEntriesOfOneNameWins) {
  EXPECT_EQ(Extract({File("data\\army.dat", "first"), File("data\\army.dat", "second"),
                     File("other.dat", "o")}),
            "");
  EXPECT_EQ(Slurp(out_ / "data" / "army.dat"), "second");
  EXPECT_EQ(Slurp(out_ / "other.dat"), "o");
  EXPECT_EQ(ends_, "army.dat+;army.dat+;other.dat+;");
  EXPECT_EQ(unrar_.EntryCount(), 3);
}

TEST_F(RealLibrary, NoLevelOfAnOutputPathIsFollowedThroughALink) {
  auto outside = root_ / "outside";
  auto inside = out_ / "real";
  const char* entries[] = {"sublink\\victim.dat", "a\\sublink\\victim.dat",
                           "a\\b\\sublink\\victim.dat"};
  // A link to a folder outside, and one to a folder already inside the destination.
  for (const auto& target : {outside, inside}) {
    for (const char* entry : entries) {
      SCOPED_TRACE(target.string() + " " + entry);
      std::filesystem::remove_all(out_);
      std::filesystem::remove_all(outside);
      Spit(outside / "victim.dat", "precious");
      Spit(inside / "victim.dat", "precious");
      std::string levels = entry;
      std::filesystem::path link = out_ / std::filesystem::path(
          NativePath(levels.substr(0, levels.rfind('\\'))));
      std::filesystem::create_directories(link.parent_path());
      std::filesystem::create_directory_symlink(target, link);
      // The component forms the name.
      EXPECT_EQ(Extract({File(entry, "overwritten")}), "Error writing to file");
      // The library forms it, or is given it by a caller that checked nothing.
      EXPECT_EQ(LibraryExtractsFirst(root_ / "game.rar", out_), ERAR_ECREATE);
      EXPECT_EQ(LibraryExtractsFirst(root_ / "game.rar", out_, NativePath(entry)), ERAR_ECREATE);
      EXPECT_EQ(Slurp(outside / "victim.dat"), "precious");
      EXPECT_EQ(Slurp(inside / "victim.dat"), "precious");
      EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
  }
  std::filesystem::remove_all(out_);
  std::filesystem::create_directories(out_);
  // The destination folder the caller names may itself be a link: it is the caller's choice.
  std::filesystem::create_directory_symlink(outside, root_ / "chosen");
  EXPECT_EQ(LibraryExtractsFirst(root_ / "game.rar", root_ / "chosen"), ERAR_SUCCESS);
  EXPECT_EQ(Slurp(outside / "a" / "b" / "sublink" / "victim.dat"), "overwritten");
  std::filesystem::remove(root_ / "chosen");
  std::filesystem::remove_all(outside / "a");

  // A link where the file goes is replaced by the file, not followed.
  std::filesystem::create_symlink(outside / "victim.dat", out_ / "victim.dat");
  EXPECT_EQ(Extract({File("victim.dat", "new")}), "");
  EXPECT_EQ(Slurp(outside / "victim.dat"), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink(out_ / "victim.dat"));
  EXPECT_EQ(Slurp(out_ / "victim.dat"), "new");
  // Nor is a link planted where the file is first written, beside it.
  std::filesystem::create_symlink(outside / "victim.dat",
                                  out_ / (".late.dat.part" + std::to_string(::getpid()) + "_0"));
  EXPECT_EQ(Extract({File("late.dat", "late")}), "");
  EXPECT_EQ(Slurp(outside / "victim.dat"), "precious");
  EXPECT_EQ(Slurp(out_ / "late.dat"), "late");
  // A hard link where the file goes is replaced as well: the other name keeps its data.
  std::filesystem::create_hard_link(outside / "victim.dat", out_ / "hard.dat");
  EXPECT_EQ(Extract({File("hard.dat", "new")}), "");
  EXPECT_EQ(Slurp(outside / "victim.dat"), "precious");
  EXPECT_EQ(Slurp(out_ / "hard.dat"), "new");

  // Link entries are not made.
  EXPECT_EQ(Extract({File("link", "/etc/passwd", 0120777)}), "Error writing to file");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(out_ / "link")));
}

TEST_F(RealLibrary, ANameTooLongForTheHeaderFailsThatEntry) {
  std::string longName(300, 'n');
  EXPECT_EQ(Extract({File("first.dat", "1"), File(longName, "x")}), "Bad file header");
  EXPECT_EQ(Listing(out_), "first.dat\n");
}

TEST_F(RealLibrary, DirectoriesAreKnownByTheirFlag) {
  RarEntry dir = File("folder", "", 0100664);  // the flag says folder, the mode does not
  dir.directory = true;
  RarEntry dosDir = File("dosdir", "");
  dosDir.hostOS = 2;
  dosDir.attr = 0x10;
  RarEntry dosFile = File("dos.txt", "read only");
  dosFile.hostOS = 2;
  dosFile.attr = 0x21;
  EXPECT_EQ(Extract({dir, dosDir, dosFile, File("folder\\in.dat", "in", 0100664)}), "");
  EXPECT_EQ(Listing(out_), "dos.txt\ndosdir\nfolder\nfolder/in.dat\n");
  struct stat st {};
  ASSERT_EQ(::stat((out_ / "folder" / "in.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0664u);
  ASSERT_EQ(::stat((out_ / "dos.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(RealLibrary, EncryptedEntriesNeedAPasswordThatWeCannotCheck) {
  RarEntry secret = File("secret.dat", "?");
  secret.extraFlags = 0x04;
  EXPECT_EQ(Extract({secret}), "Invalid or unsupported archive type for this operation");
  int asked = 0;
  unrar_.OnGetPassword = [&](TZipCommon*, const std::string&, std::string& pw, bool&) {
    pw = "pw";
    ++asked;
  };
  EXPECT_EQ(Extract({secret}), "Invalid password");
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(Listing(out_), "");
}

TEST_F(RealLibrary, NoArchiveIsAFailureNotAnEmptyInstall) {
  unrar_.SetArchiveFile((root_ / "missing.rar").string());
  EXPECT_EQ(unrar_.ArcType(), atFileOpenErr);
  EXPECT_THROW(unrar_.Extract(), E_RAISE);
  Spit(root_ / "notes.txt", "PK\x03\x04 not ours");
  unrar_.SetArchiveFile((root_ / "notes.txt").string());
  EXPECT_EQ(unrar_.ArcType(), atZIP);
  try {
    unrar_.Extract();
    ADD_FAILURE();
  } catch (const E_RAISE& e) {
    EXPECT_STREQ(e.what(), "Invalid or unsupported archive type for this operation");
  }
}

}  // namespace

namespace {

TEST_F(RealLibrary, WithoutStoredFoldersOnlyNamesAreUsedAndRefusedFilesStay) {
  unrar_.SetUseStoredDirs(false);
  Spit(out_ / "keep.dat", "mine");
  std::string asked;
  unrar_.OnFileExists = [&](TZipCommon*, const std::string& f, double date, bool& accept) {
    asked += std::filesystem::path(NativePath(f)).filename().string() + " " +
             std::to_string(static_cast<int>(date)) + ";";
    accept = false;
  };
  RarEntry keep = File("deep\\er\\keep.dat", "theirs");
  keep.dosTime = (20u << 25) | (1u << 21) | (2u << 16);  // 2000-01-02
  EXPECT_EQ(Extract({File("deep\\er\\one.dat", "1"), keep, File("two.dat", "2")}), "");
  EXPECT_EQ(Listing(out_), "keep.dat\none.dat\ntwo.dat\n");
  EXPECT_EQ(Slurp(out_ / "keep.dat"), "mine");
  EXPECT_EQ(asked, "keep.dat 36527;");
  EXPECT_EQ(unrar_.EntryCount(), 2);
}

}  // namespace

namespace {

TEST_F(RealLibrary, AnEntryContinuedInAnotherVolumeIsNotCutShort) {
  RarEntry part = File("part.dat", "first half");
  part.extraFlags = 0x02;
  EXPECT_EQ(Extract({File("whole.dat", "w"), part}), "Broken multi-volume chain");
  EXPECT_EQ(Listing(out_), "whole.dat\n");
}

}  // namespace
