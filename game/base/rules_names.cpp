// Names, captions, build pictures and icon numbers of every object kind.
#include <array>
#include <string>
#include <string_view>

#include "game/base/cp1251.h"
#include "game/base/rules.h"

namespace zarn {

namespace {

struct ItemText {
  std::string_view longName;
  std::string_view shortName;
  std::string_view picture;
};

// Indexed by item; item 0 means nothing.
const ItemText ItemTexts[ItemCount + 1] = {
    {"", "", ""},
    {"Пехотинец"_cp1251, "Пехотинец"_cp1251, "bsolder.img"},
    {"Отряд пехоты"_cp1251, "Отряд пехоты"_cp1251, "bsolder.img"},
    {"Тяжёлый пехотинец"_cp1251, "Т-пехота"_cp1251, "btruper.img"},
    {"Отряд тяжёлой пехоты"_cp1251, "Отряд Т-пехоты"_cp1251, "btruper.img"},
    {"Трайк"_cp1251, "Трайк"_cp1251, "btrike.img"},
    {"Квад"_cp1251, "Квад"_cp1251, "bbtr.img"},
    {"Лёгкий танк"_cp1251, "Лёгкий танк"_cp1251, "b1tank.img"},
    {"Осадный танк"_cp1251, "Осадный танк"_cp1251, "bbtank.img"},
    {"Ракетная пусковая установка"_cp1251, "РПУ"_cp1251, "brtank.img"},
    {"Тремолан-танк"_cp1251, "Тремолан-танк"_cp1251, "bttank.img"},
    {"Харвестер"_cp1251, "Харвестер"_cp1251, "bharvest.img"},
    {"Громадор"_cp1251, "Громадор"_cp1251, "bgromdor.img"},
    {"Передвижной сборочный двор"_cp1251, "ПСД"_cp1251, "bpsd.img"},
    {"Перволан"_cp1251, "Перволан"_cp1251, "bperwoln.img"},
    {"Носитель"_cp1251, "Носитель"_cp1251, "bnositel.img"},
    {"Скельтрел"_cp1251, "Скельтрел"_cp1251, "bstelth.img"},
    {"Плита"_cp1251, "Плита"_cp1251, "bplita.img"},
    {"Плиты"_cp1251, "Плиты"_cp1251, "bplita2.img"},
    {"Конструкторский двор"_cp1251, "Конструкторский двор"_cp1251, "bkdvor.img"},
    {"Ветряк"_cp1251, "Ветряк"_cp1251, "benergy.img"},
    {"Элеватор"_cp1251, "Элеватор"_cp1251, "belevatr.img"},
    {"Силос"_cp1251, "Силос"_cp1251, "bsilos.img"},
    {"Радар"_cp1251, "Радар"_cp1251, "bradar.img"},
    {"Казарма"_cp1251, "Казарма"_cp1251, "bkazarma.img"},
    {"Академия"_cp1251, "Академия"_cp1251, "bakademy.img"},
    {"Завод лёгких бронемашин"_cp1251, "Л-Завод"_cp1251, "blzavod.img"},
    {"Завод тяжёлой техники"_cp1251, "Т-Завод"_cp1251, "btzavod.img"},
    {"Ремонтный завод"_cp1251, "Р-завод"_cp1251, "brzavod.img"},
    {"Авиа-завод"_cp1251, "А-завод"_cp1251, "bazavod.img"},
    {"Научный центр"_cp1251, "Научный центр"_cp1251, "bxcenter.img"},
    {"Космопорт"_cp1251, "Космопорт"_cp1251, "bsport.img"},
    {"Дворец"_cp1251, "Дворец"_cp1251, "bpalace.img"},
    {"Орудийная башня"_cp1251, "Орудийная башня"_cp1251, "bturret.img"},
    {"Ракетная башня"_cp1251, "Ракетная башня"_cp1251, "brturret.img"},
    {"Стена"_cp1251, "Стена"_cp1251, "bwall.img"},
};

const std::string_view UnitCaptions[UnitKindCount] = {
    "ПЕХОТИНЕЦ"_cp1251, "ПЕХОТА"_cp1251,        "ГВАРДЕЕЦ"_cp1251,      "ГВАРДИЯ"_cp1251,
    "ТРАЙК"_cp1251,     "КВАД"_cp1251,          "ТАНК"_cp1251,          "ОСАДНЫЙ ТАНК"_cp1251,
    "РПУ"_cp1251,       "ТРЕМОЛАН-ТАНК"_cp1251, "ХАРВЕСТЕР"_cp1251,     "ГРОМАДОР"_cp1251,
    "ПСД"_cp1251,       "ПЕРВОЛАН"_cp1251,      "НОСИТЕЛЬ"_cp1251,      "СКЕЛЬТРЕЛ"_cp1251,
};

const std::string_view BuildingCaptions[BuildingKindCount] = {
    "",
    "СТЕНА"_cp1251,
    "КОНСТРУКТОРСКИЙ ДВОР"_cp1251,
    "ВЕТРЯК"_cp1251,
    "ЭЛЕВАТОР"_cp1251,
    "СИЛОС"_cp1251,
    "РАДАР"_cp1251,
    "КАЗАРМА"_cp1251,
    "АКАДЕМИЯ"_cp1251,
    "Л-ЗАВОД"_cp1251,
    "Т-ЗАВОД"_cp1251,
    "Р-ЗАВОД"_cp1251,
    "А-ЗАВОД"_cp1251,
    "Х-ЦЕНТР"_cp1251,
    "КОСМОПОРТ"_cp1251,
    "ДВОРЕЦ"_cp1251,
    "ОРУДИЙНАЯ БАШНЯ"_cp1251,
    "РАКЕТНАЯ БАШНЯ"_cp1251,
};

}  // namespace

std::string UnitLongName(std::uint8_t item) {
  return item >= 1 && item <= ItemCount ? ToFontCodePage(ItemTexts[item].longName) : std::string();
}

std::string UnitShortName(std::uint8_t item) {
  return item >= 1 && item <= ItemCount ? ToFontCodePage(ItemTexts[item].shortName) : std::string();
}

namespace {

// A table of cp1251 texts in the font code page, converted once: the side panel asks every frame.
template <std::size_t N>
std::string_view FontCaption(const std::string_view (&texts)[N], std::size_t i) {
  static const std::array<std::string, N> converted = [&texts] {
    std::array<std::string, N> out;
    for (std::size_t k = 0; k < N; ++k) out[k] = ToFontCodePage(texts[k]);
    return out;
  }();
  return i < N ? std::string_view(converted[i]) : std::string_view();
}

}  // namespace

std::string_view UnitCaption(std::uint8_t unitKind) { return FontCaption(UnitCaptions, unitKind); }

std::string_view BuildingCaption(std::uint8_t buildingKind) {
  return FontCaption(BuildingCaptions, buildingKind);
}

std::string TypeImageName(std::uint8_t item, std::uint8_t side) {
  if (item == 5 && side == 2) return "btrike2.img";
  return item >= 1 && item <= ItemCount ? ToFontCodePage(ItemTexts[item].picture) : std::string();
}

std::int16_t TypePictureIndex(std::uint8_t item, std::uint8_t side) {
  switch (item) {
    case 2: case 3: case 4: case 6: case 7: case 8: case 9: case 11:
    case 17: case 18: case 19: case 20: case 21: case 22: case 23: case 24: case 25: case 26:
    case 27: case 35:
      return item;
    case 5: return side == 2 ? 38 : 5;
    case 10: return 15;
    case 12: return 10;
    case 13: return 12;  // the carrier's icon is 13; the PSD has its own (as on the side panel)
    case 14: return 40;
    case 15: return 13;
    case 16: return 37;
    case 28: return 29;
    case 29: return 28;
    case 30: return 33;
    case 31: return 32;
    case 32: return 34;
    case 33: return 30;
    case 34: return 31;
    default: return 1;
  }
}

std::int16_t TypeIconIndex(std::uint8_t unitKind, std::uint8_t side) {
  switch (unitKind) {
    case 1: return 2;
    case 2: return side == 3 ? 16 : side == 4 ? 42 : 3;
    case 3: return side == 3 ? 16 : side == 4 ? 43 : 4;
    case 4: return side == 2 ? 38 : 5;
    case 5: return 6;
    case 6: return 7;
    case 7: return 8;
    case 8: return 9;
    case 9: return 15;
    case 10: return 11;
    case 11: return 10;
    case 12: return 12;
    case 13: return 40;
    case 14: return 13;
    case 15: return 37;
    default: return 1;
  }
}

std::int16_t TypeIconIndex2(std::uint8_t unitKind, std::uint8_t side) {
  switch (unitKind) {
    case 1: return 2;
    case 2: return 3;
    case 3: return 4;
    case 4: return side == 2 ? 17 : 5;
    case 5: return 6;
    case 6: return 7;
    case 7: return 8;
    case 8: return 9;
    case 9: return 14;
    case 10: return 11;
    case 11: return 10;
    case 12: return 12;
    case 13: return 18;
    case 14: return 13;
    case 15: return 16;
    default: return 1;
  }
}

std::int16_t TypeIconIndex3(std::uint8_t buildingKind) {
  switch (buildingKind) {
    case 1: return 35;
    case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10:
      return static_cast<std::int16_t>(buildingKind + 17);
    case 11: return 29;
    case 12: return 28;
    case 13: return 33;
    case 14: return 32;
    case 15: return 34;
    case 16: return 30;
    case 17: return 31;
    default: return 1;
  }
}

}  // namespace zarn
