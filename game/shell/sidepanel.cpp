#include "game/shell/sidepanel.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "game/base/cp1251.h"
#include "game/base/dvga.h"
#include "game/shell/selection.h"
#include "game/world/dobjects.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// The middle area and the command column.
constexpr int InfoX = 75;
constexpr int InfoY = 165;
constexpr int TextX = 115;
constexpr int FigureX = 180;
constexpr int CommandX = 259;
constexpr int CommandPictureX = 262;
constexpr int CommandPictureY = 162;
constexpr int CaptionBoxWidth = 58;
constexpr int CaptionY = 189;
constexpr std::uint8_t ShadowColour = 0;
constexpr std::int16_t CancelPicture = 39;
constexpr std::int16_t WormPicture = 14;

std::string Font(std::string_view cp1251) { return ToFontCodePage(cp1251); }

void Text(int x, int y, std::uint8_t colour, std::string_view cp1251) {
  DrawText(SecondFont, x, y, colour, Font(cp1251));
}

std::string Percent(double part, double whole) {
  const int n = whole > 0 ? static_cast<int>(part / whole * 100) : 100;
  return n < 100 ? std::to_string(std::max(n, 0)) + "%" : "100%";
}

TUnitRecord* UnitAt(std::uint16_t index) {
  if (index > MaxUnitSlots || Units[index].Free != 0) return nullptr;
  return &Units[index];
}

TWormRecord* WormOfSelection() {
  const TSelectionEntry& e = ViewState.Selection[1];
  if (e.Index < 1 || e.Index > WormSlots || Worms[e.Index].Removed != 0) return nullptr;
  return &Worms[e.Index];
}

void HealthBar(int x1, int width, int y, i32 health, i32 maxHealth) {
  DrawHLine(x1, x1 + width, y, PanelTextColour);
  DrawHLine(x1, x1 + BarLength(health, maxHealth, width), y, HealthColour(health, maxHealth));
}

// Two rows of small pictures with health bars, column after column.
void DrawUnitGrid(int x0, int y0, std::span<const std::uint16_t> slots) {
  int k = 0;
  for (std::uint16_t slot : slots) {
    const TUnitRecord* u = UnitAt(slot);
    if (!u) continue;
    const int x = x0 + k / 2 * 25, y = y0 + k % 2 * 16;
    DrawIconSmall(x, y, TypeIconIndex2(u->Kind, u->Side));
    HealthBar(x, 23, y + 14, u->Health, u->MaxHealth);
    ++k;
  }
}

// Name, large picture in its outline and health bar: the head of every single object.
void DrawHead(std::string_view fontName, std::uint8_t colour, std::int16_t picture, i32 health,
              i32 maxHealth, bool buildMenuFrame) {
  DrawText(SecondFont, InfoX, InfoY, colour, fontName.substr(0, 20));
  DrawIconLarge(76, 172, picture);
  if (buildMenuFrame)
    DrawIconFrame(75, 171);
  else
    DrawFrame(75, 171, 106, 194, colour);
  HealthBar(InfoX, 31, 194, health, maxHealth);
}

std::string_view UnitName(const TUnitRecord& u) {
  // The natives' infantry, in the font code page once.
  static const std::string natives[4] = {Font("ДРЕВОКАРИ"_cp1251), Font("ДРЕВОКАРИЫ"_cp1251),
                                         Font("ОСКРАН"_cp1251), Font("ОСКРАНЫ"_cp1251)};
  const bool infantry = u.Kind <= UnitHeavySquad;
  const bool squad = u.Kind == UnitInfantrySquad || u.Kind == UnitHeavySquad;
  if (NetRole == RoleSingle && infantry && (u.Side == 3 || u.Side == 4))
    return natives[(u.Side == 4 ? 2 : 0) + (squad ? 1 : 0)];
  return UnitCaption(u.Kind);
}

void DrawOneUnit(const TUnitRecord& u) {
  const bool own = u.Owner == LocalPlayer;
  DrawHead(UnitName(u), own ? PanelOwnColour : PanelAlertColour, TypeIconIndex(u.Kind, u.Side),
           u.Health, u.MaxHealth, false);
  if (u.Kind == UnitHarvester) {
    if (u.Load == 0)
      Text(TextX, 177, PanelTextColour, "ПУСТОЙ"_cp1251);
    else
      Text(TextX, 177, PanelTextColour, std::string("ПОЛОН НА "_cp1251) + Percent(u.Load, u.Capacity));
  } else if (u.Kind == UnitCarrier && (own || NetRole != RoleSingle) && u.CargoCount > 0) {
    Text(TextX, 177, PanelTextColour, "НА БОРТУ"_cp1251);
    std::array<std::uint16_t, 6> cargo{};
    const int n = std::min<int>(u.CargoCount, static_cast<int>(cargo.size()));
    for (int i = 1; i <= n; ++i) cargo[static_cast<std::size_t>(i - 1)] = u.Cargo[i];
    DrawUnitGrid(175, InfoY, std::span(cargo).first(static_cast<std::size_t>(n)));
  }
}

void DrawFiguresHeading(std::string_view cp1251) {
  Text(FigureX, 167, PanelTextColour, cp1251);
  DrawHLine(FigureX, 230, 174, PanelTextColour);
}

void DrawPowerFigures(const TBuildingRecord& b) {
  const i32 demand = PowerConsumption(b.Owner) / std::max(CountPowerPlants(b.Owner), 1);
  DrawFiguresHeading("ЭНЕРГИЯ"_cp1251);
  Text(FigureX, 177, PanelTextColour, std::string("СПРОС:  "_cp1251) + std::to_string(demand));
  Text(FigureX, 187, PanelTextColour, "ВЫХОД: "_cp1251);
  Text(222, 187, b.PowerOutput < demand ? PanelAlertColour : PanelTextColour, std::to_string(b.PowerOutput));
}

void DrawStorageFigures(const TBuildingRecord& b) {
  const i32 stores = CountStorageBuildings(b.Owner);
  const i32 credits = b.Owner >= 1 && b.Owner <= MaxPlayers ? Players[b.Owner].Credits : 0;
  DrawFiguresHeading("ОССИН"_cp1251);
  Text(FigureX, 177, PanelTextColour, std::string("ЕСТЬ:   "_cp1251) + std::to_string(stores > 0 ? credits / stores : 0));
  Text(FigureX, 187, PanelTextColour, std::string("МАКС: "_cp1251) + "2000");
}

// The production buildings and the starport carry the raised frame of the build-menu button.
bool HasBuildMenuButton(std::uint8_t kind) { return IsProductionBuilding(kind) || kind == BuildingStarport; }

void DrawOneBuilding(const TBuildingRecord& b) {
  if (b.Owner != LocalPlayer) {
    DrawHead(BuildingCaption(b.Kind), PanelAlertColour, TypeIconIndex3(b.Kind), b.Health, b.MaxHealth, false);
    return;
  }
  if (b.Kind == BuildingSlab || b.Kind == BuildingWall) return;
  const bool menu = HasBuildMenuButton(b.Kind);
  DrawHead(BuildingCaption(b.Kind), PanelOwnColour, TypeIconIndex3(b.Kind), b.Health, b.MaxHealth, menu);
  if (b.Health < b.MaxHealth) DrawButton(TextX, 177, Font("РЕМОНТ"_cp1251), b.RepairOff != 1 ? 0 : 1);
  if (menu) {
    if (b.UpgradeIdle == 0) {
      // In two pieces: the whole line is too long for a string's own storage, and the panel is
      // drawn every frame.
      const std::string head = Font("МОДЕРНИЗАЦИЯ "_cp1251);
      DrawText(SecondFont, TextX, 187, PanelTextColour, head);
      DrawText(SecondFont, TextX + TextWidth(SecondFont, head), 187, PanelTextColour,
               Percent(b.UpgradeProgress, b.UpgradeTarget));
    }
  } else if (b.Kind == BuildingPowerPlant) {
    DrawPowerFigures(b);
  } else if (b.Kind == BuildingRefinery || b.Kind == BuildingSilo) {
    DrawStorageFigures(b);
  }
}

// --- Command column ---

void CommandPicture(std::int16_t picture) {
  DrawIconLarge(CommandPictureX, CommandPictureY, picture);
  DrawFrame(261, 161, 292, 184, PanelTextColour);
}

void CancelDisplay() {
  CommandPicture(CancelPicture);
  DrawCommandCaption(Font("ОТМЕНИТЬ"_cp1251), PanelAlertColour);
}

struct TCommandButton {
  std::string_view Caption;  // cp1251
  bool Lit;
};

void DrawCommandButtons(std::initializer_list<TCommandButton> buttons) {
  int y = 159;
  for (const TCommandButton& b : buttons) {
    DrawButton(CommandX, y, Font(b.Caption), b.Lit ? 0 : 1);
    y += 10;
  }
}

// A unit's lighting: moving (state 2), without an order (state 0 or 10), or busy with the
// command of a lower row.
void DrawUnitCommands(const TUnitRecord& u) {
  const bool moving = u.State == 2, idle = u.State == 0 || u.State == 10;
  const std::string_view march = "МАРШ"_cp1251;
  const std::string_view stop = "СТОП"_cp1251;
  const std::string_view attack = "АТАКА"_cp1251;
  switch (u.Kind) {
    case UnitHarvester: {
      const bool busy = u.State == 5 || u.State == 3;
      DrawCommandButtons({{march, moving && !busy}, {stop, idle && !busy},
                          {"СБОР"_cp1251, u.State == 5}, {"ВОЗВРАТ"_cp1251, u.State == 3}});
      break;
    }
    case UnitConstructionVehicle:
      DrawCommandButtons({{march, moving}, {stop, idle}, {"ПОМЕСТИТЬ"_cp1251, false}});
      break;
    case UnitGromador:
      DrawCommandButtons({{march, moving && u.State != 1}, {stop, idle && u.State != 1},
                          {attack, u.State == 1}, {"РАЗРУШИТЬ"_cp1251, false}});
      break;
    case UnitCarrier: {
      const bool busy = u.State == 11 || u.State == 12;
      DrawCommandButtons({{march, moving && !busy}, {stop, idle && !busy},
                          {"ЗАГРУЗИТЬ"_cp1251, u.State == 11}, {"ВЫГРУЗИТЬ"_cp1251, u.State == 12}});
      break;
    }
    default:
      DrawCommandButtons({{march, moving && u.State != 1}, {"ОХРАНА"_cp1251, idle && u.State != 1},
                          {attack, u.State == 1}});
      break;
  }
}

void DrawProductionCommand(const TBuildingRecord& b) {
  CommandPicture(PendingOrder != 0 ? CancelPicture : TypePictureIndex(b.Item, ViewState.LocalSide));
  const i32 progress = static_cast<i32>(b.ProductionProgress);
  switch (b.ProductionState) {
    case ProductionIdle:
      DrawCommandCaption(Font("ПОСТРОИТЬ"_cp1251), PanelTextColour);
      break;
    case ProductionRunning:
      if (progress < b.ProductionTarget)
        DrawCommandCaption("< " + std::to_string(static_cast<int>(b.ProductionProgress / b.ProductionTarget * 100)) + "% >",
                           PanelTextColour);
      else if (b.Item < ItemSlab)
        DrawCommandCaption(Font("СДЕЛАНО"_cp1251), PanelTextColour);
      else if (PendingOrder == 4)
        DrawCommandCaption(Font("ОТМЕНИТЬ"_cp1251), PanelAlertColour);
      else
        DrawCommandCaption(Font("ПОСТАВИТЬ"_cp1251), PanelAlertColour);
      break;
    case ProductionPaused:
      DrawCommandCaption(Font("<-СТОИТ->"_cp1251), PanelTextColour);
      break;
    default:
      break;
  }
}

void DrawSpecialWeaponCommand(const TBuildingRecord& b) {
  if (PendingOrder != 0) {
    CommandPicture(CancelPicture);
    return;
  }
  if (WorldTickCount < b.LastFireTick) return;  // still charging
  if (b.Side == 1) {
    CommandPicture(43);
    DrawCommandCaption(Font("ОСКРАНЫ"_cp1251), PanelTextColour);
  } else if (b.Side == 2) {
    CommandPicture(41);
    DrawCommandCaption(Font("САБОТАЖНИК"_cp1251), PanelTextColour);
  } else {
    CommandPicture(36);
    DrawCommandCaption(Font("ПУСК"_cp1251), PanelTextColour);
  }
}

}  // namespace

void DrawPanelBase() {
  RestorePanel();
  RecolorRect(152, 159, 19, 4, MenuButtonIdle == 0 ? -2 : 0, ViewState.LocalSide);
  MenuButtonIdle = 1;
}

std::uint8_t HealthColour(std::int32_t health, std::int32_t maxHealth) {
  if (health < (maxHealth >> 2)) return PanelAlertColour;
  if (health < (maxHealth >> 1)) return PanelWormColour;
  return PanelOwnColour;
}

void DrawCommandCaption(std::string_view fontText, std::uint8_t colour) {
  const int offset = (CaptionBoxWidth - static_cast<int>(TextWidth(SecondFont, fontText))) / 2;
  const int x = CommandX + offset;
  DrawText(SecondFont, x, CaptionY, ShadowColour, fontText);
  DrawText(SecondFont, x + 1, CaptionY, ShadowColour, fontText);
  DrawText(SecondFont, x, CaptionY + 1, ShadowColour, fontText);
  DrawText(SecondFont, x + 1, CaptionY + 1, ShadowColour, fontText);
  DrawText(SecondFont, x, CaptionY, colour, fontText);
}

void DrawObjectInfo() {
  if (ViewState.SelectedCount == 0) return;
  switch (ViewState.SelectionKind) {
    case SelectedUnits:
      if (ViewState.SelectedCount > 1) {
        std::array<std::uint16_t, SelectionEntries> slots{};
        std::size_t n = 0;
        for (const TSelectionEntry& e : ViewState.Selection)
          if (e.InUse != 0) slots[n++] = e.Index;
        DrawUnitGrid(InfoX, InfoY, std::span(slots).first(n));
      } else if (const TUnitRecord* u = SingleSelectedUnit()) {
        DrawOneUnit(*u);
      }
      break;
    case SelectedBuilding:
      if (const TBuildingRecord* b = LiveSelectedBuilding()) DrawOneBuilding(*b);
      break;
    case SelectedWorm:
      if (const TWormRecord* w = WormOfSelection())
        DrawHead(Font("ПЕСЧАНЫЙ ЧЕРВЬ"_cp1251), PanelWormColour, WormPicture, w->Health, w->MaxHealth, false);
      break;
    default:
      break;
  }
}

void DrawCommandPanel() {
  if (ViewState.SelectedCount == 0) return;
  if (ViewState.SelectionKind == SelectedUnits) {
    if (ViewState.SelectedCount > 1) {
      if (PendingOrder != 0)
        CancelDisplay();
      else
        DrawCommandButtons({{"МАРШ"_cp1251, false}, {"ОХРАНА"_cp1251, false}, {"АТАКА"_cp1251, false}});
      return;
    }
    const TUnitRecord* u = OwnSelectedUnit();
    if (!u) return;
    if (PendingOrder != 0)
      CancelDisplay();
    else
      DrawUnitCommands(*u);
    return;
  }
  const TBuildingRecord* b = OwnSelectedBuilding();
  if (!b) return;
  if (IsProductionBuilding(b->Kind))
    DrawProductionCommand(*b);
  else if (b->Kind == BuildingPalace)
    DrawSpecialWeaponCommand(*b);
}

}  // namespace zarn
