#include "game/menus/buildmenus.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "game/base/cp1251.h"
#include "game/menus/dmenus.h"

namespace zarn {

namespace {

using i32 = std::int32_t;

// How the six menus differ.
struct TBuildMenu {
  std::uint8_t Screen;
  std::uint8_t LimitIndex;  // entry of Mission.UpgradeLimits
  std::uint16_t UpgradePrice;
  bool UnitLimits;
  bool Scrolls;  // long list: four rows shown, hold-to-scroll pacing
  int PriceX;
};

constexpr TBuildMenu Yard{ScreenYardBuildMenu, 1, 200, false, true, 192};
constexpr TBuildMenu Barracks{ScreenBarracksBuildMenu, 2, 200, true, false, 192};
constexpr TBuildMenu Academy{ScreenAcademyBuildMenu, 3, 200, true, false, 192};
constexpr TBuildMenu LightFactory{ScreenLightFactoryBuildMenu, 4, 200, true, false, 180};
constexpr TBuildMenu AirFactory{ScreenAirFactoryBuildMenu, 6, 200, true, false, 192};
constexpr TBuildMenu HeavyFactory{ScreenHeavyFactoryBuildMenu, 5, 300, true, true, 192};

constexpr MenuButtonRect Back{10, 169, 55, 182};
constexpr MenuButtonRect Forward{10, 185, 55, 198};
constexpr MenuButtonRect Order{106, 169, 223, 182};
constexpr MenuButtonRect Choose{106, 185, 223, 198};
constexpr int ListX = 18;
constexpr int ListY = 28;
constexpr int RowPitch = 30;
constexpr int ShownRows = 4;
constexpr std::uint8_t OutlineColour = 43;
constexpr std::uint8_t TextColour = 0;
constexpr std::uint8_t WarningColour = 12;
constexpr i32 StepPause = 4;

constexpr std::string_view NoMoneyText = "Не хватает финансов"_cp1251;
constexpr std::string_view NoUpgradeMoneyText = "Не хватает финансов для модернизации"_cp1251;

// Half-open hit areas: left and top edges belong to the button.
bool Hit(const MenuButtonRect& r, long x, long y) { return r.x1 <= x && x < r.x2 && r.y1 <= y && y < r.y2; }

bool Available(int kind) { return kind >= 1 && kind <= ItemCount && Mission.Available[kind] != 0; }

// The owner has a live building of this kind.
bool Owns(std::uint8_t buildingKind) {
  const int last = LastBuildingSlot();
  for (int i = 1; i <= last; ++i) {
    const TBuildingRecord& b = Buildings[i];
    if (b.Free == 0 && b.Kind == buildingKind && b.Owner == MenuState.MenuOwner) return true;
  }
  return false;
}

void Offer(std::uint8_t kind) {
  if (MenuState.BuildItemCount >= BuildItemSlots) return;
  MenuState.BuildItems[static_cast<std::size_t>(MenuState.BuildItemCount)] = kind;
  ++MenuState.BuildItemCount;
}

void OfferIf(bool condition, std::uint8_t kind) {
  if (condition) Offer(kind);
}

void FillYard() {
  const bool p3 = Owns(BuildingPowerPlant), p4 = Owns(BuildingRefinery), p6 = Owns(BuildingRadar);
  const bool p9 = Owns(BuildingLightFactory), p14 = Owns(BuildingStarport);
  OfferIf(Available(18), 18);
  Offer(17);
  OfferIf(Available(30) && p3 && p4 && p14, 30);
  OfferIf(Available(31) && p3 && p4, 31);
  OfferIf(Available(29) && p3 && p4 && p9, 29);
  OfferIf(Available(27) && p3 && p4 && p9, 27);
  OfferIf(Available(34) && p3 && p4 && p6, 34);
  OfferIf(Available(28) && p3 && p4 && p9, 28);
  OfferIf(Available(33) && p3 && p4 && p6, 33);
  OfferIf(Available(24) && p3 && p4, 24);
  OfferIf(p3 && p4 && p6 && (ViewState.LocalSide == 0 || Available(25)), 25);
  OfferIf(Available(26) && p3 && p4, 26);
  OfferIf(Available(22) && p3 && p4, 22);
  OfferIf(Available(23) && p3 && p4, 23);
  OfferIf(Available(21) && p3, 21);
  Offer(20);
  OfferIf(Available(32) && p3 && p4 && p14, 32);
}

void FillLightFactory() {
  if (NetRole != RoleSingle) {
    Offer(6);
    Offer(5);
  } else if (ViewState.LocalSide != 0) {
    OfferIf(Available(6), 6);
    Offer(5);
  } else {
    Offer(6);
  }
}

void FillHeavyFactory(const TBuildingRecord& b) {
  const bool network = NetRole != RoleSingle;
  if (!LacksIncomeBonusBuilding(b.Owner)) {
    if (network) {
      Offer(10);
      Offer(14);
      Offer(12);
    } else if (b.Side == 0) {
      OfferIf(Available(12), 12);
    } else if (b.Side == 1) {
      OfferIf(Available(10), 10);
    } else if (b.Side == 2) {
      OfferIf(Available(14), 14);
    }
  }
  OfferIf(Available(8), 8);
  OfferIf(Available(9) && (network || ViewState.LocalSide != 2), 9);
  OfferIf(Available(7), 7);
  OfferIf(Available(13), 13);
  OfferIf(Available(11), 11);
}

void Fill(const TBuildMenu& m, const TBuildingRecord& b) {
  MenuState.BuildItems.fill(0);
  MenuState.BuildItemCount = 0;
  switch (m.Screen) {
    case ScreenYardBuildMenu: FillYard(); break;
    case ScreenBarracksBuildMenu: OfferIf(Available(2), 2); Offer(1); break;
    case ScreenAcademyBuildMenu: OfferIf(Available(4), 4); Offer(3); break;
    case ScreenLightFactoryBuildMenu: FillLightFactory(); break;
    case ScreenAirFactoryBuildMenu: OfferIf(Available(16), 16); Offer(15); break;
    case ScreenHeavyFactoryBuildMenu: FillHeavyFactory(b); break;
    default: break;
  }
}

// The menu's building while it is still there and still the owner's it was opened for.
TBuildingRecord* MenuBuilding() {
  const i32 slot = MenuState.HoveredButton;
  if (slot < 1 || slot > MaxBuildingSlots) return nullptr;
  TBuildingRecord& b = Buildings[slot];
  if (b.Free != 0 || b.Owner != MenuState.MenuOwner) return nullptr;
  return &b;
}

TPlayerRecord* LocalRecord() {
  return LocalPlayer >= 1 && LocalPlayer <= MaxPlayers ? &Players[LocalPlayer] : nullptr;
}

void ReturnToPlay() { GameScreen = ScreenPlay; }

// The selected kind; 0 with an empty list.
std::uint8_t SelectedKind() {
  const i32 n = MenuState.SelectedItem;
  if (n < 1 || n > MenuState.BuildItemCount) return 0;
  return MenuState.BuildItems[static_cast<std::size_t>(n - 1)];
}

bool NeedsUpgrade(const TBuildMenu& m, const TBuildingRecord& b, std::uint8_t kind) {
  return BuildMenuLevelNeeded(m.Screen, kind) > b.UpgradeLevel;
}

void RestartPulses() {
  InitRedPulse(RedPulse1, 12);
  InitRedPulse(RedPulse2, 8);
  InitRedPulse(RedPulse3, 9);
}

void Step(const TBuildMenu& m, bool forward) {
  const i32 count = MenuState.BuildItemCount;
  if (count <= 0) return;
  i32& sel = MenuState.SelectedItem;
  i32& top = MenuState.FirstShownItem;
  if (m.Scrolls) {
    if (TickCount < BuildListRepeatTick) return;
    BuildListRepeatTick = TickCount + StepPause;
    RestartPulses();
  }
  if (!m.Scrolls || count <= ShownRows) {
    if (forward)
      sel = sel >= count ? 1 : sel + 1;
    else
      sel = sel <= 1 ? count : sel - 1;
    return;
  }
  if (forward) {
    if (sel >= count) {
      sel = 1;
      top = 1;
    } else {
      ++sel;
      if (top + 3 < sel) ++top;
    }
  } else {
    if (sel <= 1) {
      sel = count;
      top = count - 3;
    } else {
      --sel;
      if (sel < top) --top;
    }
  }
}

void Open(const TBuildMenu& m, i32 slot) {
  if (slot < 1 || slot > MaxBuildingSlots || Buildings[slot].Free != 0) return;
  TBuildingRecord& b = Buildings[slot];
  MenuState.HoveredButton = slot;
  MenuState.SelectedItem = 1;
  MenuState.FirstShownItem = 1;
  MenuState.MenuOwner = b.Owner;
  Fill(m, b);
  GameScreen = m.Screen;
  RepeatProductionShown = b.RepeatProduction != 0;
  CheckBoxCreate(RepeatCheckBox, 65, 1, 93, &RepeatProductionShown);
  if (m.Scrolls) BuildListRepeatTick = TickCount;
}

void ShowMessage(std::string_view cp1251) { ShowMessageLine(InFontCodePage(cp1251)); }

void OrderSelected(const TBuildMenu& m, TBuildingRecord& b, std::uint8_t kind) {
  TPlayerRecord* local = LocalRecord();
  if (!local) return;
  if (NeedsUpgrade(m, b, kind)) {
    if (b.UpgradeLevel >= Mission.UpgradeLimits[m.LimitIndex] || b.UpgradeIdle != 1) return;
    if (local->Credits < m.UpgradePrice) {
      ShowMessage(NoUpgradeMoneyText);
      return;
    }
    local->Credits -= m.UpgradePrice;
    if (StartBuildingUpgrade(b, m.UpgradePrice) != 0) local->Credits += m.UpgradePrice;
    return;
  }
  if (m.UnitLimits && !RoomToProduceUnit(LocalPlayer)) {
    ShowMessage(NoMoreUnitsText);
    return;
  }
  const std::uint16_t price = ItemCost(kind);
  if (local->Credits < price) {
    ShowMessage(NoMoneyText);
    return;
  }
  local->Credits -= price;
  if (OrderBuildingProduction(b, kind, price) != 0) local->Credits += price;
}

void Click(const TBuildMenu& m) {
  TBuildingRecord* b = MenuBuilding();
  if (!b) {
    ReturnToPlay();
    return;
  }
  const long x = ClickX(), y = ClickY();
  if (CheckBoxMouseDown(RepeatCheckBox, static_cast<int>(x), static_cast<int>(y))) {
    b->RepeatProduction = RepeatProductionShown ? 1 : 0;
    if (RepeatProductionShown)
      NetRequestBuildMenu62Proc(b->Slot);
    else
      NetRequestBuildMenu63Proc(b->Slot);
  }
  const std::uint8_t kind = SelectedKind();
  if (Hit(Back, x, y)) {
    Step(m, false);
  } else if (Hit(Forward, x, y)) {
    Step(m, true);
  } else if (Hit(Order, x, y)) {
    if (kind != 0) OrderSelected(m, *b, kind);
    ReturnToPlay();
  } else if (Hit(Choose, x, y)) {
    // Only an idle building takes a new item: a running order keeps the item it was paid for.
    if (kind != 0 && b->ProductionState == ProductionIdle && static_cast<i32>(b->ProductionProgress) < 1 &&
        !NeedsUpgrade(m, *b, kind))
      b->Item = kind;
    ReturnToPlay();
  } else if (x >= ListX && x < 49 && y >= ListY && y < 149) {
    const i32 rows = std::min(ShownRows, MenuState.BuildItemCount);
    for (i32 k = 0; k < rows; ++k)
      if (y >= ListY + RowPitch * k && y < 51 + RowPitch * k && MenuState.FirstShownItem + k <= MenuState.BuildItemCount) {
        MenuState.SelectedItem = MenuState.FirstShownItem + k;
        break;
      }
  }
}

std::uint8_t SelectionPulseEntry(const TBuildingRecord& b) {
  switch (b.Side) {
    case 1: return 8;
    case 2: return 9;
    default: return 12;
  }
}

void DrawDetails(const TBuildMenu& m, const TBuildingRecord& b, std::uint8_t kind) {
  const int side = MenuSide();
  DrawText(ThirdFont, 80, 25, TextColour, UnitShortName(kind));
  DrawText(ThirdFont, m.PriceX, 25, TextColour, ToFontCodePage("Цена: "_cp1251) + std::to_string(ItemCost(kind)));
  DrawPicture(TypeImageName(kind, static_cast<std::uint8_t>(side)), 74, 49);
  if (!NeedsUpgrade(m, b, kind)) return;
  DrawText(MainFont, 80, 60, WarningColour, ToFontCodePage("НУЖНА МОДЕРНИЗАЦИЯ"_cp1251));
  DrawText(MainFont, 80, 70, WarningColour,
           ToFontCodePage("(ЦЕНА:"_cp1251) + std::to_string(m.UpgradePrice) + ")");
}

void DrawList(const TBuildMenu& m, const TBuildingRecord& b) {
  const int side = MenuSide();
  for (int k = 0; k < ShownRows; ++k) {
    const i32 entry = MenuState.FirstShownItem + k;
    if (entry < 1 || entry > MenuState.BuildItemCount) break;
    const std::uint8_t kind = MenuState.BuildItems[static_cast<std::size_t>(entry - 1)];
    const int y = ListY + RowPitch * k;
    DrawIconLarge(ListX, y, TypePictureIndex(kind, static_cast<std::uint8_t>(side)));
    if (entry != MenuState.SelectedItem) {
      DrawFrame(17, y - 1, 48, y + 22, OutlineColour);
      continue;
    }
    const std::uint8_t pulse = SelectionPulseEntry(b);
    DrawFrame(17, y - 1, 48, y + 22, pulse);
    DrawFrame(16, y - 2, 49, y + 23, pulse);
    DrawDetails(m, b, kind);
  }
}

void HighlightButton(const MenuButtonRect& hit, int x, int y, int width, int height, int side) {
  RecolorRect(x, y, width, height, Hit(hit, ClickX(), ClickY()) ? 0 : 2, side);
}

void Draw(const TBuildMenu& m) {
  TBuildingRecord* b = MenuBuilding();
  if (!b) {
    ReturnToPlay();
    return;
  }
  if (!BeginMenuFrame(ReturnToPlay)) return;
  if (LastKey == 38) Step(m, false);
  if (LastKey == 40) Step(m, true);
  RepeatProductionShown = b->RepeatProduction != 0;

  const int side = MenuSide();
  DrawPicture("bildmenu.img", 0, 0);
  DrawPicture(side == 1 ? "aflag.img" : side == 2 ? "tflag.img" : "gflag.img", 265, 0);
  DrawPicture("tkonveer.img", 83, 1, true);
  HighlightButton(Back, 24, 170, 16, 9, side);
  HighlightButton(Forward, 24, 186, 16, 9, side);
  HighlightButton(Order, 106, 170, ScreenWidth - 106, 10, side);
  HighlightButton(Choose, 106, 186, ScreenWidth - 106, 11, side);
  if (m.Scrolls && BuildMenuButtonHeld()) {
    if (Hit(Back, ClickX(), ClickY())) Step(m, false);
    if (Hit(Forward, ClickX(), ClickY())) Step(m, true);
  }
  DrawList(m, *b);

  StepRedPulse(RedPulse1);
  StepRedPulse(RedPulse2);
  StepRedPulse(RedPulse3);
  CheckBoxDraw(RepeatCheckBox);
  DrawCredits(MenuState.MenuOwner);
  EndMenuFrame();
  if (NetRole == RoleServer) NetWorldTickProc();
}

}  // namespace

int BuildMenuLevelNeeded(int screen, std::uint8_t kind) {
  switch (screen) {
    case ScreenYardBuildMenu: return kind == 18 ? 1 : kind == 34 ? 2 : 0;
    case ScreenBarracksBuildMenu: return kind == 2 ? 1 : 0;
    case ScreenAcademyBuildMenu: return kind == 4 ? 1 : 0;
    case ScreenLightFactoryBuildMenu: return kind == 6 ? 1 : 0;
    case ScreenAirFactoryBuildMenu: return kind == 16 ? 1 : 0;
    case ScreenHeavyFactoryBuildMenu: return kind == 8 ? 3 : kind == 9 ? 2 : kind == 13 ? 1 : 0;
    default: return 0;
  }
}

void OpenYardBuildMenu(std::int32_t building) { Open(Yard, building); }
void OpenBarracksBuildMenu(std::int32_t building) { Open(Barracks, building); }
void OpenAcademyBuildMenu(std::int32_t building) { Open(Academy, building); }
void OpenLightFactoryBuildMenu(std::int32_t building) { Open(LightFactory, building); }
void OpenAirFactoryBuildMenu(std::int32_t building) { Open(AirFactory, building); }
void OpenHeavyFactoryBuildMenu(std::int32_t building) { Open(HeavyFactory, building); }

void YardBuildMenuClick() { Click(Yard); }
void BarracksBuildMenuClick() { Click(Barracks); }
void AcademyBuildMenuClick() { Click(Academy); }
void LightFactoryBuildMenuClick() { Click(LightFactory); }
void AirFactoryBuildMenuClick() { Click(AirFactory); }
void HeavyFactoryBuildMenuClick() { Click(HeavyFactory); }

void YardBuildMenuDraw() { Draw(Yard); }
void BarracksBuildMenuDraw() { Draw(Barracks); }
void AcademyBuildMenuDraw() { Draw(Academy); }
void LightFactoryBuildMenuDraw() { Draw(LightFactory); }
void AirFactoryBuildMenuDraw() { Draw(AirFactory); }
void HeavyFactoryBuildMenuDraw() { Draw(HeavyFactory); }

}  // namespace zarn
