#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "game/base/dvga.h"

using namespace zarn;

TEST(Cp1251, CompileTimeTextsAndFontCodePage) {
  constexpr std::string_view t = "Ёж и ёлка: Ая!"_cp1251;
  ASSERT_EQ(t.size(), 14u);
  EXPECT_EQ(static_cast<std::uint8_t>(t[0]), 168);
  EXPECT_EQ(static_cast<std::uint8_t>(t[1]), 0xE6);
  EXPECT_EQ(static_cast<std::uint8_t>(t[5]), 184);
  EXPECT_EQ(t.substr(9, 2), ": ");
  // Ё ё А п р я and plain ASCII through the font conversion.
  EXPECT_EQ(Cp1251ToCp866Char(168), 240);
  EXPECT_EQ(Cp1251ToCp866Char(184), 241);
  EXPECT_EQ(Cp1251ToCp866Char(192), 128);
  EXPECT_EQ(Cp1251ToCp866Char(239), 175);
  EXPECT_EQ(Cp1251ToCp866Char(240), 224);
  EXPECT_EQ(Cp1251ToCp866Char(255), 239);
  EXPECT_EQ(Cp1251ToCp866Char(65), 65);
  const std::string f = ToFontCodePage("Мир"_cp1251);
  EXPECT_EQ(static_cast<std::uint8_t>(f[0]), 0x8C);
  for (int c = 0; c < 256; ++c) {
    const auto b = static_cast<std::uint8_t>(c);
    if (c == 168 || c == 184 || c >= 192) {
      EXPECT_EQ(Cp866ToCp1251Char(Cp1251ToCp866Char(b)), b);
    }
  }
  EXPECT_EQ(Cp1251ToUtf8("Ёж"_cp1251), "Ёж");
  EXPECT_EQ(Utf8ToCp1251("Ёж — №1"), "Ёж — №1"_cp1251);
}

TEST(Tables, IndexingIsCheckedAtBothEnds) {
  Table1<int, 3> t{};
  t[1] = 5;
  t[3] = 7;
  EXPECT_EQ(t.items[0], 5);
  EXPECT_EQ(t.items[2], 7);
  EXPECT_THROW(t[0], RangeError);
  EXPECT_THROW(t[4], RangeError);
  Table<int, 0, 2> z{};
  EXPECT_NO_THROW(z[0]);
  EXPECT_THROW(z[-1], RangeError);
}

TEST(RandomGen, SeededSequenceRepeatsAndStaysInRange) {
  Randomize(1234);
  int first[20];
  for (int& v : first) v = Random(8);
  Randomize(1234);
  for (int v : first) EXPECT_EQ(Random(8), v);
  int seen[8] = {};
  for (int i = 0; i < 8000; ++i) {
    const int r = Random(8);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 8);
    ++seen[r];
  }
  for (int s : seen) EXPECT_GT(s, 800);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-3), 0);
}

TEST(Files, NativePathMatchesCaseAndReplacesAtomically) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("zarn_files_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "Data");
  { std::ofstream(dir / "Data" / "ZARN.res") << "x"; }
  const fs::path old = fs::current_path();
  fs::current_path(dir);
  EXPECT_EQ(NativePath("data\\zarn.RES"), fs::path("Data") / "ZARN.res");
  EXPECT_EQ(NativePath("save\\new.sav"), fs::path("save") / "new.sav");

  const fs::path target = dir / "file.bin";
  ASSERT_TRUE(ReplaceFileAtomically(target, std::string_view("first")));
  ASSERT_TRUE(ReplaceFileAtomically(target, std::string_view("second")));
  std::vector<std::uint8_t> back;
  ASSERT_TRUE(ReadWholeFile(target, 6, back));
  EXPECT_EQ(std::string(back.begin(), back.end()), "second");
  // A folder that does not exist: refused, nothing left behind.
  EXPECT_FALSE(ReplaceFileAtomically(dir / "none" / "x.bin", std::string_view("y")));
  EXPECT_FALSE(ReadWholeFile(dir / "none" / "x.bin", 6, back));
  EXPECT_EQ(std::string(back.begin(), back.end()), "second");
  fs::current_path(old);
  fs::remove_all(dir);
}

// Only regular files are read, and no more than their kind can hold: a named pipe is not waited
// on and a link to a device that never ends is not read until memory runs out. The player is
// told which file.
TEST(Files, PipesDevicesAndOversizedFilesAreRefusedByName) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("zarn_reads_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  ASSERT_EQ(::mkfifo((dir / "pipe.dat").c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", dir / "zero.dat");
  fs::create_directory(dir / "folder.dat");
  { std::ofstream(dir / "big.dat") << std::string(MaxSheetFileBytes + 1, 'x'); }
  { std::ofstream(dir / "full.dat") << std::string(MaxSheetFileBytes, 'x'); }
  const struct {
    const char* name;
    int code;
    const char* text;
  } cases[] = {
      {"pipe.dat", NotRegularFileCode, "File data\\pipe.dat is not a regular file"},
      {"zero.dat", NotRegularFileCode, "File data\\zero.dat is not a regular file"},
      {"folder.dat", 5, "File data\\folder.dat: Access denied"},
      {"big.dat", FileTooLargeCode, "File data\\big.dat is larger than a file of its kind can be"},
      {"none.dat", 2, "File data\\none.dat not found"},
      {"full.dat", 0, nullptr},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes{1, 2, 3};
    const int code = ReadGameFile(dir / c.name, MaxSheetFileBytes, bytes);
    EXPECT_EQ(code, c.code) << c.name;
    EXPECT_EQ(ReadWholeFile(dir / c.name, MaxSheetFileBytes, bytes), c.code == 0) << c.name;
    if (c.code != 0) {
      EXPECT_EQ(bytes.size(), 3u) << c.name;  // the buffer is left as it was
      EXPECT_EQ(FileProblemText(std::string("data\\") + c.name, code), c.text);
    } else {
      EXPECT_EQ(bytes.size(), MaxSheetFileBytes);
    }
  }
  EXPECT_EQ(FileProblemText("data\\zarn.snd", OutOfMemoryCode),
            std::string("Файл data\\zarn.snd не загружен: недостаточно памяти"_cp1251));
  fs::remove_all(dir);
}
