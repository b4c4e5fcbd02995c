// The list screens' shared rules: a click acts on a row only when the row holds an item, a
// typed file name may not leave its folder or hold what the file system refuses, and the
// encyclopedia's rows stand where the advisor's list shows them.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "game/base/cp1251.h"
#include "game/menus/dmenus.h"

using namespace zarn;

namespace {

int RowY(const TListWidget& list, int row) { return list.TextY + row * ListRowHeight + 4; }

TEST(MenuLists, OnlyARowHoldingAnItemIsPicked) {
  TListWidget list;
  ListBoxCreate(list, 33, 52, true);
  ListBoxAdd(list, "one");
  ListBoxAdd(list, "two");
  EXPECT_EQ(OfferClickToList(list, 80, RowY(list, 1)), ListPickedItem);
  EXPECT_EQ(SelectedItem(list), "two");
  // An empty row below the items: taken, nothing picked, the selection stays.
  EXPECT_EQ(OfferClickToList(list, 80, RowY(list, 5)), ListTookClick);
  EXPECT_EQ(SelectedItem(list), "two");
  // The arrows and the track scroll; outside the box nothing happens.
  EXPECT_EQ(OfferClickToList(list, list.Rects[ListRectUp].X1 + 2, list.Rects[ListRectUp].Y1 + 2), ListTookClick);
  EXPECT_EQ(OfferClickToList(list, 5, 5), ListTookNothing);
  EXPECT_EQ(SelectedItem(list), "two");

  ListBoxClear(list);
  EXPECT_FALSE(HasSelectedItem(list));
  EXPECT_EQ(SelectedItem(list), "");
  EXPECT_EQ(OfferClickToList(list, 80, RowY(list, 0)), ListTookClick);
  EXPECT_FALSE(HasSelectedItem(list));
}

TEST(MenuLists, HeadingsAndTheirGapsAreNotPickedInAColumnList) {
  TListWidget list;
  ColumnListCreate(list, 33, 52, true);
  for (const char* row : {"[HEAD", "", "entry"}) ListBoxAdd(list, row);
  EXPECT_EQ(OfferClickToList(list, 80, RowY(list, 0)), ListTookClick);
  EXPECT_FALSE(HasSelectedItem(list));
  EXPECT_EQ(OfferClickToList(list, 80, RowY(list, 2)), ListPickedItem);
  EXPECT_EQ(SelectedItem(list), "entry");
  EXPECT_EQ(OfferClickToList(list, 80, RowY(list, 0)), ListTookClick);
  EXPECT_EQ(SelectedItem(list), "entry");
}

TEST(MenuLists, TypedFileNamesThatLeaveTheFolderAreRefused) {
  for (std::string_view bad : {"a\\b", "a/b", "c:", "*", "?", "\"x\"", "<", ">", "|", "..", "x..y", "..\\..\\x"})
    EXPECT_FALSE(FileNameProblem(bad).empty()) << bad;
  for (char c : {'\x01', '\t', '\n', '\x1f', '\x7f'})
    EXPECT_FALSE(FileNameProblem(std::string("a") + c).empty()) << int(c);
  for (std::string_view good : {std::string_view("abc"), std::string_view("Hold 1"), std::string_view("a.b"), "Игра 2"_cp1251, std::string_view("x-y_z")})
    EXPECT_TRUE(FileNameProblem(good).empty()) << good;
}

TEST(MenuLists, ACampaignScenarioNameNeedsASideWithAPrefix) {
  EXPECT_EQ(CampaignScenarioName(1, 3), "alm3.scn");
  EXPECT_EQ(CampaignScenarioName(0, 12), "gor12.scn");
  EXPECT_EQ(CampaignScenarioName(2, 1), "tel1.scn");
  EXPECT_EQ(CampaignScenarioName(3, 1), "dre1.scn");
  EXPECT_EQ(CampaignScenarioName(4, 1), "");
  EXPECT_EQ(CampaignScenarioName(-1, 1), "");
  EXPECT_EQ(CampaignScenarioName(255, 1), "");
}

}  // namespace

TEST(MenuLists, TheTopicListHeadsEachGroupAndSetsItOffByEmptyRows) {
  const std::map<int, std::string_view> headings{
      {0, "[КЛАНЫ"_cp1251}, {6, "[СТРОЕНИЯ"_cp1251}, {27, "[ТЕХНИКА"_cp1251}, {42, "[ОСОБОЕ"_cp1251}};
  const std::set<int> empty{1, 5, 7, 26, 28, 41, 43};
  for (int row = 0; row < TopicRowCount; ++row) {
    const TTopicRow& r = TopicRows[static_cast<std::size_t>(row)];
    if (headings.contains(row)) {
      EXPECT_EQ(r.Text, headings.at(row)) << row;
      EXPECT_TRUE(r.Key.empty()) << row;
    } else if (empty.contains(row)) {
      EXPECT_TRUE(r.Text.empty() && r.Key.empty()) << row;
    } else {
      EXPECT_FALSE(r.Key.empty()) << row;
    }
  }
  EXPECT_EQ(TopicRows[2].Key, "klAlmireth");
  EXPECT_EQ(TopicRows[25].Key, "btWall");
  EXPECT_EQ(TopicRows[29].Key, "PSD");
  EXPECT_EQ(TopicRows[44].Key, "Oskrans");
  EXPECT_EQ(TopicRows[55].Text, "Вода"_cp1251);
  EXPECT_TRUE(TopicRows[55].Picture.empty());
  EXPECT_EQ(TopicRows[56].Key, "Sandweave");
}
