// The second form: the store of the game's long texts (help, mission briefings, the advisor's
// encyclopedia, the credits) that the menus copy into their widgets through hooks, and in debug
// mode a small viewer of the packed resource archive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/base/listbox.h"
#include "game/base/textpanel.h"
#include "game/dx/DXForms.h"

namespace zarn {

// A memo: its lines in cp1251. Sections run from a line holding "[" + name + "]" to a line
// holding "[end".
using TMemoLines = std::vector<std::string>;

// The texts, split into lines once.
const TMemoLines& RusHelpMemo();
const TMemoLines& RusMissionMemo();
const TMemoLines& RusSevnarMemo();
const TMemoLines& RusAuthorsMemo();

// Copies the section whose header contains `key` into the list (each line in the font code
// page, an empty item for the "[end" line). 0 when "[end" was reached, -1 otherwise.
int CopyMemoSection(const TMemoLines& memo, std::string_view key, TListWidget& target);

// The hook targets.
void LoadBriefing(std::int32_t side, std::int32_t mission);
void LoadBriefingSection(std::string_view key);
void ListBoxToFontCodePageHook();
void TextPanelToFontCodePageHook();

// The archive viewer's rows, one per directory record of the archive loaded at start-up.
struct TViewerRow {
  std::string Name;
  std::uint8_t Id = 0;     // the name's length byte
  std::uint8_t Nouse = 0;  // the reserved byte
  std::int32_t Offset = 0;
  std::int32_t Size = 0;
};

class TForm1 {
 public:
  TForm1();
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // The viewer window, made when first shown (never in play): the controls on the left half
  // (drawn with the game's list, buttons and fonts), the drawn picture on the right half.
  void Show();
  bool Shown() const { return window_ != nullptr && window_->Visible(); }
  plat::Form* Window() const { return window_ ? window_->Handle() : nullptr; }
  // Draws the window and presents it.
  void Paint();
  // The pointer in window coordinates: a press works the list and the buttons.
  void MouseDown(int x, int y);
  void MouseMove(int x, int y);

  // "Read List": the directory of archive 1. Edit1 := the last index.
  void ListResourceDirectory();
  // "Load": the selected row's picture into the picture buffer. False when it is not a picture.
  bool Load(int row);
  // "Draw": the loaded picture in palette colours (each 6-bit component x 4) on white.
  void Draw();
  // "Save": images\<name cut at its first '.'>.blk: palette, then the picture block.
  bool Save(int row);
  // "Save All BLK" and "Save All IMG" (the picture block under the entry's own name).
  int SaveAllBlk();
  int SaveAllImg();

  std::vector<TViewerRow> Rows;
  // The list of the rows' names; its selection is the selected row.
  TListWidget ListView;
  // The controls as last drawn: 320 x 200 palette indices.
  std::vector<std::uint8_t> Controls;
  std::string Edit1, Edit2, Edit3;
  bool LoadEnabled = false, DrawEnabled = false;
  // The drawn picture, 8-8-8 colours.
  int ImageWidth = 0, ImageHeight = 0;
  std::vector<std::uint32_t> Image;

 private:
  bool SaveBlock(int row, bool withPalette, const std::string& fileName);
  void DrawControls();
  std::unique_ptr<TDXForm> window_;
  // The loaded picture block (the picture buffer also serves the list's own pictures).
  std::vector<std::uint8_t> picture_;
  int mouseX_ = -1, mouseY_ = -1;
};

inline TForm1* Form1 = nullptr;

}  // namespace zarn
