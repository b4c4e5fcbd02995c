#include "game/menus/encyclopedia.h"

#include <span>

#include "game/base/dvga.h"
#include "game/menus/gamemenu.h"
#include "game/menus/mainmenu.h"
#include "game/menus/menulists.h"
#include "game/sound/dsnd.h"

namespace zarn {

namespace {

// The four groups of the topic list, each entry with its section key and picture name.
constexpr TTopicRow Clans[] = {
    {"Алмиреты"_cp1251, "klAlmireth", "almireth"},
    {"Горвассены"_cp1251, "klGorvassen", "gorvasen"},
    {"Теликсы"_cp1251, "klTelix", "telix"},
};
constexpr TTopicRow Buildings[] = {
    {"Конструкторский двор"_cp1251, "btKDvor", "bkdvor"},
    {"Плита"_cp1251, "btPlita", "bplita"},
    {"Ветряк"_cp1251, "btEnergy", "benergy"},
    {"Элеватор"_cp1251, "btElevator", "belevatr"},
    {"Силос"_cp1251, "btSilos", "bsilos"},
    {"Казарма"_cp1251, "btKazarma", "bkazarma"},
    {"Академия"_cp1251, "btAkademy", "bakademy"},
    {"Радар"_cp1251, "btRadar", "bradar"},
    {"Л-завод"_cp1251, "btLzavod", "blzavod"},
    {"Т-завод"_cp1251, "btTzavod", "btzavod"},
    {"А-завод"_cp1251, "btAzavod", "bazavod"},
    {"Р-завод"_cp1251, "btRzavod", "brzavod"},
    {"Космопорт"_cp1251, "btSPort", "bsport"},
    {"Х-центр"_cp1251, "btXCenter", "bxcenter"},
    {"Дворец"_cp1251, "btPalace", "bpalace"},
    {"Орудийная башня"_cp1251, "btTurret", "bturret"},
    {"Ракетная башня"_cp1251, "btRTurret", "brturret"},
    {"Стена"_cp1251, "btWall", "bwall"},
};
constexpr TTopicRow Vehicles[] = {
    {"ПСД"_cp1251, "PSD", "bpsd"},
    {"Харвестер"_cp1251, "Harvester", "bharvest"},
    {"Лёгкая пехота"_cp1251, "Solders", "bsolder"},
    {"Тяжёлая пехота"_cp1251, "Troopers", "btruper"},
    {"Рейдер Теликсов"_cp1251, "Raider", "btrike2"},
    {"Разведчик"_cp1251, "Trike", "btrike"},
    {"БТР"_cp1251, "BTR", "bbtr"},
    {"Боевой танк"_cp1251, "Tank", "b1tank"},
    {"Ракетный танк"_cp1251, "RTank", "brtank"},
    {"Осадный танк"_cp1251, "BTank", "bbtank"},
    {"Носитель"_cp1251, "Nositel", "bnositel"},
    {"Скельтрел"_cp1251, "Skelwing", "bstelth"},
};
constexpr TTopicRow Special[] = {
    {"Оскраны"_cp1251, "Oskrans", "oskran"},
    {"Древокари"_cp1251, "Drevokari", "bdrevkar"},
    {"Песчаный червь"_cp1251, "Crow", "bcrow"},
    {"Рука возмездия"_cp1251, "Rocket", "rocket"},
    {"Громадор"_cp1251, "Gromador", "bgromdor"},
    {"Перволан"_cp1251, "Perwolan", "bperwoln"},
    {"Тремолан-танк"_cp1251, "STank", "bttank"},
    {"Саботажник"_cp1251, "Sabot", "sabotage"},
    {"Фрегат"_cp1251, "Fregat", "bfregate"},
    {"Оссин"_cp1251, "Ossin", ""},
    {"Пустыня"_cp1251, "Desert", ""},
    {"Вода"_cp1251, "Water", ""},
    {"Кальвидор"_cp1251, "Sandweave", ""},
};

struct TTopicGroup {
  std::string_view Heading;
  std::span<const TTopicRow> Entries;
};
constexpr TTopicGroup TopicGroups[] = {
    {"[КЛАНЫ"_cp1251, Clans},
    {"[СТРОЕНИЯ"_cp1251, Buildings},
    {"[ТЕХНИКА"_cp1251, Vehicles},
    {"[ОСОБОЕ"_cp1251, Special},
};

// Each group: its heading, an empty row, its entries; an empty row between two groups.
constexpr std::size_t LaidOutRows() {
  std::size_t n = 0;
  for (const TTopicGroup& g : TopicGroups) n += (n > 0 ? 1 : 0) + 2 + g.Entries.size();
  return n;
}
static_assert(LaidOutRows() == TopicRowCount);

constexpr std::array<TTopicRow, TopicRowCount> LayOutTopics() {
  std::array<TTopicRow, TopicRowCount> rows{};
  std::size_t i = 0;
  for (const TTopicGroup& g : TopicGroups) {
    if (i > 0) ++i;
    rows[i] = {g.Heading, "", ""};
    i += 2;
    for (const TTopicRow& e : g.Entries) rows[i++] = e;
  }
  return rows;
}

}  // namespace

const std::array<TTopicRow, TopicRowCount> TopicRows = LayOutTopics();

namespace {

constexpr std::uint8_t PictureOutline = 0;

void LeaveTopicPage() {
  ListBoxFree(ShortList);
  OpenTopicList();
}

void LeaveAuthors() {
  TextPanelFree(TextPanel);
  StopMusicProc();
  OpenMainMenu();
}

// The back buttons of the two encyclopedia screens: the pointer strictly inside lights it.
void DrawBackHighlight(const MenuButtonRect& b) {
  DrawSingleButtonHighlight(b, b.x1, b.y1, b.x2 - b.x1, b.y2 - b.y1, MenuSide());
}

}  // namespace

// --- Topic list (39) -------------------------------------------------------------------------

void OpenTopicList() {
  OpenMenuScreen(ScreenTopicList);
  ColumnListCreate(TopicList, 33, 52, true);
  for (const TTopicRow& row : TopicRows) ListBoxAdd(TopicList, ToFontCodePage(row.Text));
}

void TopicListClick() {
  if (InsideButton(TopicListBackButton, ClickX(), ClickY())) {
    PlayButtonSound();
    ListBoxFree(TopicList);
    OpenGameMenu();
    return;
  }
  if (OfferClickToList(TopicList, ClickX(), ClickY()) != ListPickedItem) return;
  const int row = TopicList.ColumnSelection;
  if (row < 0 || row >= TopicRowCount) return;
  const TTopicRow& topic = TopicRows[static_cast<std::size_t>(row)];
  // Empty rows and headings open nothing.
  if (topic.Key.empty()) return;
  const std::string key = "[" + std::string(topic.Key);
  const std::string picture = std::string(topic.Picture) + ".img";
  ListBoxFree(TopicList);
  OpenTopicPage(key, picture);
}

void TopicListDraw() {
  if (!BeginMenuFrame([] { EscapeToGameMenu(TopicList); })) return;
  DrawMenuBackground();
  DrawPicture("buttback.img", 131, 170);
  ListBoxDraw(TopicList, ClickX(), ClickY());
  DrawBackHighlight(TopicListBackButton);
  EndMenuFrame();
}

// --- Topic page (40) -------------------------------------------------------------------------

void OpenTopicPage(std::string_view key, std::string_view picture) {
  OpenMenuScreen(ScreenTopicPage);
  MenuState.TopicPicture = std::string(picture);
  ShortListCreate(ShortList, 33, 6, false);
  LoadBriefingSectionProc(key);
}

void TopicPageClick() {
  if (!ListMissedButtonHit(ShortList, TopicPageBackButton)) return;
  PlayButtonSound();
  LeaveTopicPage();
}

void TopicPageDraw() {
  if (!BeginMenuFrame(LeaveTopicPage)) return;
  DrawMenuBackground();
  DrawPicture("buttback.img", 250, 170);
  ListBoxDraw(ShortList, ClickX(), ClickY());
  DrawBackHighlight(TopicPageBackButton);
  // A topic without a picture, or a picture that is missing, shows the text alone.
  if (MenuState.TopicPicture != ".img" && LoadPicture(MenuState.TopicPicture)) {
    const int w = PictureWidth(), h = PictureHeight();
    const int x = (260 - w) / 2, y = (118 - h) / 2 + 75;
    BlitPicture(x, y);
    DrawFrame(x - 1, y - 1, x + w, y + h, PictureOutline);
  }
  EndMenuFrame();
}

// --- Authors (41) ----------------------------------------------------------------------------

void OpenAuthors() {
  OpenMenuScreen(ScreenAuthors);
  const TFontSlot* font = FontOf(ThirdFont);
  TextPanelCreate(TextPanel, 160, font ? font->Height + 2 : 10, ThirdFont);
  TextPanelSetBox(TextPanel, 0, 49, 320, 140);
  TextPanelToFontCodePageProc();
  PlayAuthorsMusic();
  MenuAnimFrame = 1;
}

void AuthorsClick() { LeaveAuthors(); }

void AuthorsDraw() {
  if (!BeginMenuFrame(LeaveAuthors)) return;
  DrawMenuTitleAndAnimation();
  TextPanelDraw(TextPanel);
  PresentFrameProc();
}

}  // namespace zarn
