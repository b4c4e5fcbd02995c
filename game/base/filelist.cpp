// The file lists of the load and save screens: names without extension, newest first.
#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "game/base/cp1251.h"
#include "game/base/files.h"
#include "game/base/listbox.h"
#include "game/base/widgets.h"

namespace zarn {

namespace {

struct TListedFile {
  std::string Name;  // cp1251, without the extension
  std::filesystem::file_time_type Time;
};

bool HasExtension(const std::string& name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  return std::equal(extension.begin(), extension.end(), name.end() - static_cast<std::ptrdiff_t>(extension.size()),
                    [](char a, char b) {
                      auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
                      return lower(a) == lower(b);
                    });
}

}  // namespace

void ListGameFiles(std::string_view folder, std::string_view extension) {
  namespace fs = std::filesystem;
  ListBoxClear(FileListBox);
  std::vector<TListedFile> files;
  std::error_code ec;
  const fs::path dir = NativePath(folder);
  for (fs::directory_iterator it(dir, ec), last; !ec && it != last; it.increment(ec)) {
    std::error_code fileEc;
    if (!it->is_regular_file(fileEc) || fileEc) continue;
    const std::string utf8 = it->path().filename().string();
    if (!HasExtension(utf8, extension) || utf8.size() == extension.size()) continue;
    // A name the game cannot write in its own code page could not be opened again.
    const std::string name = Utf8ToCp1251(utf8);
    if (Cp1251ToUtf8(name) != utf8) continue;
    const fs::file_time_type time = it->last_write_time(fileEc);
    if (fileEc) continue;
    files.push_back({name.substr(0, name.size() - extension.size()), time});
  }
  // Sort everything before keeping 200, so the newest are never the ones left out. Equal
  // times fall back to the name, so the order does not depend on the folder's.
  std::sort(files.begin(), files.end(), [](const TListedFile& a, const TListedFile& b) {
    if (a.Time != b.Time) return a.Time > b.Time;
    return a.Name < b.Name;
  });
  if (files.size() > FileListMax) files.resize(FileListMax);
  for (const TListedFile& f : files) ListBoxAdd(FileListBox, f.Name);
}

void ListSaveGames() { ListGameFiles("save\\", ".sav"); }
void ListMaps() { ListGameFiles("maps\\", ".map"); }
void ListScenes() { ListGameFiles("scenes\\", ".scn"); }

}  // namespace zarn
