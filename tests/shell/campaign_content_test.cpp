// The demo campaign's content against what a player meets: every mission opens on the player's
// base with a resource field in sight and the harvester at work, every briefing names only
// enemies that the scenario puts on the map, every encyclopedia page is headed by its own row
// and names its subject as the side panel does, the build icons are told apart, and the end
// scenes name no side by colour.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "game/base/cp1251.h"
#include "game/menus/dmenus.h"
#include "game/shell/dresurse.h"
#include "tests/shell/campaign_world.h"

using namespace zarn;
namespace fs = std::filesystem;

namespace {

class CampaignContentTest : public ::testing::Test {
 protected:
  void SetUp() override { campaign_world::CopyCampaignFiles(fs::path(ZARN_BINARY_DIR) / "game"); }
  void TearDown() override {
    campaign_world::ClearWorld();
    ListBoxFree(FileListBox);
    ListBoxFree(ShortList);
    ResetHooks();
  }
  // Loads a campaign mission the way the faction choice does and puts it into play.
  static void Play(int side, int mission) {
    campaign_world::FreshProgram(static_cast<std::uint32_t>(100 * side + mission));
    Players[1].Side = static_cast<std::uint8_t>(side);
    Mission.MissionNumber = mission;
    StartMission();
    ASSERT_EQ(GameScreen, ScreenMissionStart);
    StartGame();
    ASSERT_EQ(GameScreen, ScreenPlay);
  }
  campaign_world::TGameFolder folder_{"content"};
};

constexpr int ViewColumns = 20, ViewRows = 10;

bool InView(int x, int y) {
  return x >= ViewState.ViewX && x < ViewState.ViewX + ViewColumns && y >= ViewState.ViewY &&
         y < ViewState.ViewY + ViewRows;
}

TEST_F(CampaignContentTest, EveryMissionOpensOnTheBaseWithAFieldInSightAndTheHarvesterAtWork) {
  for (int side : {1, 2, 0})
    for (int m = 1; m <= CampaignMissions; ++m) {
      SCOPED_TRACE(CampaignScenarioName(side, m));
      Play(side, m);
      // An own building (not a wall or slab) shows in the opening view.
      bool base = false;
      for (int i = 1; i <= BuildingSlots && !base; ++i) {
        const TBuildingRecord& b = Buildings[i];
        if (b.Free != 0 || b.Owner != LocalPlayer || b.Kind < BuildingConstructionYard) continue;
        const std::uint8_t cls = FootprintClass(b.Kind);
        for (int dx = 0; dx < FootprintWidth(cls); ++dx)
          for (int dy = 0; dy < FootprintHeight(cls); ++dy) base = base || InView(b.X + dx, b.Y + dy);
      }
      EXPECT_TRUE(base) << "no own building in the view at " << ViewState.ViewX << "," << ViewState.ViewY;
      // Resource cells that the shroud does not hide show in it too.
      int seen = 0;
      for (int x = ViewState.ViewX; x < ViewState.ViewX + ViewColumns; ++x)
        for (int y = ViewState.ViewY; y < ViewState.ViewY + ViewRows; ++y) {
          std::uint16_t slot = 0;
          std::uint8_t cls = 0;
          if (FindOssinFieldAt(x, y, slot, cls) == 0 && ShroudAt(x, y) == ShroudVisible) ++seen;
        }
      EXPECT_GE(seen, 3) << "resource cells in sight";
      // The harvester has a field within its reach: it sets out at once.
      int harvesters = 0;
      for (int i = 1; i <= UnitSlots; ++i) {
        const TUnitRecord& u = Units[i];
        if (u.Free != 0 || u.Owner != LocalPlayer || u.Kind != UnitHarvester) continue;
        ++harvesters;
        EXPECT_EQ(u.State, StateHarvest) << "harvester " << i << " idles";
      }
      EXPECT_GE(harvesters, 1);
      campaign_world::ClearWorld();
    }
}

// The factions by side as the briefings write them (a stem that every case form contains).
const std::map<std::uint8_t, std::string_view> FactionStems{
    {0, "орвассен"_cp1251}, {1, "лмирет"_cp1251}, {2, "еликс"_cp1251}, {3, "ревокар"_cp1251}, {4, "скран"_cp1251}};

TEST_F(CampaignContentTest, BriefingsNameOnlyTheEnemiesOnTheMap) {
  int named = 0;
  for (int side : {1, 2, 0})
    for (int m = 1; m <= CampaignMissions; ++m) {
      SCOPED_TRACE(CampaignScenarioName(side, m));
      campaign_world::FreshProgram(1);
      ASSERT_FALSE(LoadScenario(CampaignScenarioName(side, m)));
      ASSERT_EQ(Players[1].Side, side);
      LoadBriefing(side, m);
      std::string briefing;
      for (const std::string& line : FileListBox.Items) briefing += line + "\n";
      ASSERT_FALSE(briefing.empty());
      // Colours belong to sides; a briefing that named one could name the wrong side.
      for (std::string_view colour : {"красн"_cp1251, "зелён"_cp1251, "зелен"_cp1251, "синий"_cp1251, "синих"_cp1251,
                                      "жёлт"_cp1251, "желт"_cp1251})
        EXPECT_EQ(briefing.find(ToFontCodePage(colour)), std::string::npos) << "names a colour";
      for (const auto& [s, stem] : FactionStems) {
        if (s == side || briefing.find(ToFontCodePage(stem)) == std::string::npos) continue;
        ++named;
        bool onMap = false;
        for (int p = 2; p <= Mission.PlayerCount; ++p) onMap = onMap || Players[p].Side == s;
        EXPECT_TRUE(onMap) << "the briefing names side " << int(s) << ", which has no player in the mission";
      }
    }
  EXPECT_GE(named, 5) << "the briefings name their enemies";
}

// Upper case of a cp1251 text (Russian letters and Latin).
std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0xE0) c = static_cast<char>(b - 0x20);
    else if (b == 0xB8) c = static_cast<char>(0xA8);
    else if (b >= 'a' && b <= 'z') c = static_cast<char>(b - 0x20);
  }
  return out;
}

TEST_F(CampaignContentTest, EachEncyclopediaPageIsHeadedByItsRowAndNamesItsSubjectAsThePanelDoes) {
  // What each row describes, by the side panel's kinds.
  const std::map<std::string_view, std::vector<std::uint8_t>> units{
      {"Solders", {0, 1}},   {"Troopers", {2, 3}}, {"Raider", {4}},   {"Trike", {4}},     {"BTR", {5}},
      {"Tank", {6}},         {"BTank", {7}},       {"RTank", {8}},    {"STank", {9}},     {"Harvester", {10}},
      {"Gromador", {11}},    {"PSD", {12}},        {"Perwolan", {13}}, {"Nositel", {14}}, {"Skelwing", {15}}};
  const std::map<std::string_view, std::uint8_t> buildings{
      {"btWall", 1},     {"btKDvor", 2},   {"btEnergy", 3},   {"btElevator", 4}, {"btSilos", 5},
      {"btRadar", 6},    {"btKazarma", 7}, {"btAkademy", 8},  {"btLzavod", 9},   {"btTzavod", 10},
      {"btRzavod", 11},  {"btAzavod", 12}, {"btXCenter", 13}, {"btSPort", 14},   {"btPalace", 15},
      {"btTurret", 16},  {"btRTurret", 17}};
  int pages = 0, checked = 0;
  for (const TTopicRow& row : TopicRows) {
    if (row.Key.empty()) continue;
    SCOPED_TRACE(std::string(row.Key));
    LoadBriefingSection("[" + std::string(row.Key));
    ASSERT_GE(ShortList.Items.size(), 2u);
    ++pages;
    EXPECT_EQ(ShortList.Items[0], ToFontCodePage(Upper(row.Text)));
    std::string page;
    for (const std::string& line : ShortList.Items) page += line + "\n";
    std::vector<std::string> captions;
    if (auto u = units.find(row.Key); u != units.end())
      for (std::uint8_t k : u->second) captions.emplace_back(UnitCaption(k));
    if (auto b = buildings.find(row.Key); b != buildings.end()) captions.emplace_back(BuildingCaption(b->second));
    for (const std::string& c : captions) {
      ASSERT_FALSE(c.empty());
      EXPECT_NE(page.find(c), std::string::npos) << "the page does not name the panel's " << c;
      ++checked;
    }
  }
  EXPECT_EQ(pages, 46);
  EXPECT_EQ(checked, 34);
}

// Every pair of build icons that one faction's lists can show side by side differs in a good
// share of its pixels by a step of brightness the eye sees at once.
TEST(BuildIcons, EveryPairThatCanShareAListIsToldApart) {
  std::vector<std::uint8_t> icons, palette;
  ASSERT_TRUE(ReadWholeFile(fs::path(ZARN_BINARY_DIR) / "game" / "data" / "icons.dat", MaxSheetFileBytes, icons));
  ASSERT_TRUE(ReadWholeFile(fs::path(ZARN_BINARY_DIR) / "game" / "data" / "army.dat", MaxSheetFileBytes, palette));
  constexpr std::size_t IconBytes = 30 * 22;
  ASSERT_EQ(icons.size(), 43 * IconBytes);
  ASSERT_GE(palette.size(), 768u);
  auto brightness = [&](std::uint8_t p) {
    return 0.3 * palette[p * 3u] + 0.59 * palette[p * 3u + 1] + 0.11 * palette[p * 3u + 2];
  };
  int pairs = 0;
  for (std::uint8_t side : {0, 1, 2}) {
    std::set<int> shown;
    for (std::uint8_t item = 1; item <= ItemCount; ++item) shown.insert(TypePictureIndex(item, side));
    for (auto a = shown.begin(); a != shown.end(); ++a)
      for (auto b = std::next(a); b != shown.end(); ++b) {
        const std::uint8_t* x = &icons[static_cast<std::size_t>(*a - 1) * IconBytes];
        const std::uint8_t* y = &icons[static_cast<std::size_t>(*b - 1) * IconBytes];
        std::size_t differ = 0;
        for (std::size_t i = 0; i < IconBytes; ++i) differ += std::abs(brightness(x[i]) - brightness(y[i])) > 8 ? 1 : 0;
        EXPECT_GE(differ * 100, IconBytes * 12) << "icons " << *a << " and " << *b << " (side " << int(side) << ")";
        ++pairs;
      }
  }
  EXPECT_GT(pairs, 1000);
}

// Nothing recolours the victory and defeat scenes by the player's side: they must wear no
// side's colours, or they name a side whoever plays.
TEST(EndScenes, WearNoSidesColours) {
  const fs::path old = fs::current_path();
  fs::current_path(fs::path(ZARN_BINARY_DIR) / "game");
  std::vector<std::uint8_t> archive;
  const bool opened = OpenResourceArchive("data\\zarn.res", archive) == 0;
  fs::current_path(old);
  ASSERT_TRUE(opened);
  for (const char* scene : {"victory.img", "tolose.img"}) {
    SCOPED_TRACE(scene);
    ASSERT_TRUE(LoadPicture(scene));
    const std::size_t pixels = static_cast<std::size_t>(PictureWidth()) * PictureHeight();
    ASSERT_GT(pixels, 0u);
    std::map<int, int> sideful;
    for (std::size_t i = 4; i < 4 + pixels; ++i)
      for (int side = 0; side < 8; ++side) {
        const int p = PictureBuffer[i];
        if ((p >= 2 && p <= 9) || (p >= SideColorBase(side) + 2 && p <= SideColorBase(side) + 9)) ++sideful[side];
      }
    EXPECT_TRUE(sideful.empty()) << "pixels of side " << (sideful.empty() ? -1 : sideful.begin()->first);
  }
  CloseAllArchives();
}

}  // namespace
