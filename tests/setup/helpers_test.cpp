// The component family's helper routines and properties.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "setup/archive/AwkMain.h"
#include "tests/setup/setup_fixture.h"
#include "tools/mkrar/rarwriter.h"

using namespace zarn3set;
using setup_test::Spit;
using setup_test::TempDir;

namespace {

TEST(ArchiveHelpers, FileSpecsMatchLikeTheOldShell) {
  EXPECT_TRUE(MatchFileMask("README", "*.*"));  // no extension still matches
  EXPECT_TRUE(MatchFileMask("data\\ARMY.DAT", "*.dat"));
  EXPECT_TRUE(MatchFileMask("zarn.exe", "ZARN.EXE"));
  EXPECT_TRUE(MatchFileMask("a1.map", "a?.map"));
  EXPECT_FALSE(MatchFileMask("a12.map", "a?.map"));
  EXPECT_FALSE(MatchFileMask("army.dat", "*.fnt"));
  EXPECT_TRUE(MatchFileMask("name.", "name"));  // a trailing dot is dropped
  EXPECT_TRUE(MatchFileMask("", "*"));
  EXPECT_FALSE(MatchFileMask("", "*.*"));
  EXPECT_FALSE(MatchFileMask("x", ""));
  EXPECT_TRUE(HasWildcards("a?"));
  EXPECT_FALSE(HasWildcards("zarn.exe"));
}

TEST(ArchiveHelpers, PathsNamesDatesAndNumbers) {
  EXPECT_EQ(AppendBackslash(""), "");
  EXPECT_EQ(AppendBackslash("a\\"), "a\\");
  EXPECT_EQ(AppendBackslash("a"), "a\\");
  EXPECT_EQ(SlashToBackslash("/a/b"), "\\a\\b");
  EXPECT_EQ(NativePath("\\a\\b"), "/a/b");
  // cp866 "Игры/Ёж"; box drawing becomes its nearest plain character.
  EXPECT_EQ(OemToAnsiPath("\x88\xa3\xe0\xeb/\xf0\xa6"), "Игры\\Ёж");
  EXPECT_EQ(OemToAnsiPath("\xda\xc4\xbf\xb3\xfc"), "+-+|№");
  EXPECT_EQ(OctStrToInt(" 0755x9"), 0755);
  EXPECT_DOUBLE_EQ(DosDateToDateTimeSafe(0), 29221.0);
  EXPECT_DOUBLE_EQ(DosDateToDateTimeSafe(0x00210000), 29221.0);          // 1980-01-01
  EXPECT_DOUBLE_EQ(DosDateToDateTimeSafe(0x00000000u | (13u << 21)), 29221.0);  // month 13
  // 2000-02-29 12:00:00.
  std::uint32_t leap = (20u << 25) | (2u << 21) | (29u << 16) | (12u << 11);
  EXPECT_DOUBLE_EQ(DosDateToDateTimeSafe(leap), 36585.5);
  EXPECT_DOUBLE_EQ(DosDateToDateTimeSafe((21u << 25) | (2u << 21) | (29u << 16)), 29221.0);
}

TEST(ArchiveHelpers, FileAttributesKeepTheirBits) {
  TarxFileAttr a;
  EXPECT_EQ(a.Attr(), 0x21);
  a.SetReadOnly(false);
  a.SetHidden(true);
  a.SetDirectory(true);
  EXPECT_EQ(a.Attr(), 0x32);
  TarxFileAttr b;
  b.Assign(a);
  EXPECT_TRUE(b.ftHidden() && b.ftDirectory() && !b.ftReadOnly());
}

TEST(ArchiveHelpers, TypesAreDetectedFromTheFirstBytes) {
  auto dir = TempDir("zarn_arctype");
  TUnRAR u;
  const std::pair<std::string, TArcType> cases[] = {
      {std::string("Rar!\x1a\x07\x00", 7), atRAR},
      {"PK\x03\x04", atZIP},
      {"MSCF", atCAB},
      {std::string("\x1f\x8b\x08\x00", 4), atGZip},
      {std::string("\x60\xea\x00\x00", 4), atARJ},
      {"xx-lh5-", atLHA},
      {"MZ" + std::string(100, '\0') + zarn_tools::WriteRar({}), atRarExe},
      // A marker that no main header follows is only bytes of the program.
      {"MZ" + std::string(100, '\0') + std::string("Rar!\x1a\x07\x00", 7), atUnknown},
      {"MZ" + std::string(100, '\0'), atUnknown},
      {"hello", atUnknown},
  };
  for (auto& [bytes, type] : cases) {
    Spit(dir / "f", bytes);
    u.SetArchiveFile((dir / "f").string());
    EXPECT_EQ(u.ArcType(), type) << bytes;
  }
  std::string tar(512, '\0');
  std::memcpy(tar.data(), "file.txt", 8);
  std::memset(tar.data() + 148, ' ', 8);
  unsigned sum = 0;
  for (unsigned char c : tar) sum += c;
  std::snprintf(tar.data() + 148, 8, "%06o", sum);
  Spit(dir / "f", tar);
  u.SetArchiveFile((dir / "f").string());
  EXPECT_EQ(u.ArcType(), atTAR);
  u.SetArchiveFile("");
  EXPECT_EQ(u.ArcType(), atNA);
  std::filesystem::remove_all(dir);
}

TEST(ArchiveHelpers, ExtractDirDefaultsToTheArchivesFolder) {
  TUnRAR u;
  u.SetExtractDir("");
  EXPECT_EQ(u.ExtractDir(), "");
  u.SetArchiveFile("/no/such/place/zarn3.rar");
  EXPECT_EQ(u.ArchiveFile(), "\\no\\such\\place\\zarn3.rar");
  EXPECT_EQ(u.ArcType(), atFileOpenErr);
  u.SetExtractDir("");
  EXPECT_EQ(u.ExtractDir(), "\\no\\such\\place\\");
  u.SetExtractDir("/opt/ZarnIII");
  EXPECT_EQ(u.ExtractDir(), "\\opt\\ZarnIII\\");
  u.SetFileMask("");
  EXPECT_EQ(u.FileMask(), "*.*");
}

}  // namespace
