#include "game/menus/menulists.h"

#include "game/base/cp1251.h"
#include "game/base/files.h"
#include "game/base/hooks.h"

namespace zarn {

int OfferClickToList(TListWidget& list, int x, int y) {
  const std::uint16_t oldSelection = list.Selection;
  const std::int32_t oldColumn = list.ColumnSelection;
  // Parked out of range: only a row that holds an item moves the selection back in.
  list.Selection = 0xFFFF;
  list.ColumnSelection = -1;
  const int hit = ListBoxMouseDown(list, x, y);
  const bool picked = hit == ListHitRow && (list.Kind == TListKind::Column
                                                ? list.ColumnSelection >= 0 && list.ColumnSelection < list.Count()
                                                : list.Selection < list.Count());
  if (list.Kind == TListKind::Column) {
    list.Selection = oldSelection;
    if (!picked) list.ColumnSelection = oldColumn;
  } else {
    list.ColumnSelection = oldColumn;
    if (!picked) list.Selection = oldSelection;
  }
  if (picked) return ListPickedItem;
  return hit == ListHitNone ? ListTookNothing : ListTookClick;
}

bool ListMissedButtonHit(TListWidget& list, const MenuButtonRect& button) {
  return OfferClickToList(list, ClickX(), ClickY()) == ListTookNothing && InsideButton(button, ClickX(), ClickY());
}

bool HasSelectedItem(const TListWidget& list) {
  if (list.Kind == TListKind::Column) return list.ColumnSelection >= 0 && list.ColumnSelection < list.Count();
  return list.Selection < list.Count();
}

std::string SelectedItem(const TListWidget& list) {
  if (!HasSelectedItem(list)) return {};
  const int i = list.Kind == TListKind::Column ? list.ColumnSelection : list.Selection;
  return list.Items[static_cast<std::size_t>(i)];
}

std::string FileNameProblem(std::string_view name) {
  if (HoldsRefusedFileNameByte(name))
    return std::string("Имя файла не может содержать знаки \\ / : * ? \" < > | и управляющие символы"_cp1251);
  if (name.find("..") != std::string_view::npos)
    return std::string("Имя файла не может содержать \"..\""_cp1251);
  if (name == ".") return std::string("Недопустимое имя файла: ."_cp1251);
  return {};
}

bool TypedFileNameOk(std::string_view name) { return !name.empty() && FileNameProblem(name).empty(); }

bool CheckTypedFileName(std::string_view name) {
  if (TypedFileNameOk(name)) return true;
  // An empty name does nothing, without a word.
  if (!name.empty()) ShowMessageProc(FileNameProblem(name));
  return false;
}

}  // namespace zarn
