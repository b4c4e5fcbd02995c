// The advisor's encyclopedia (topic list 39, topic page 40) and the authors screen (41).
#pragma once

#include <array>
#include <string_view>

#include "game/menus/menuframe.h"

namespace zarn {

// A row of the topic list: a heading ("[" first), an empty row, or an entry with the key of its
// advisor text section and its picture name (empty: no picture). Texts are UTF-8 -> cp1251.
struct TTopicRow {
  std::string_view Text;
  std::string_view Key;
  std::string_view Picture;
};
inline constexpr int TopicRowCount = 57;
extern const std::array<TTopicRow, TopicRowCount> TopicRows;

inline constexpr MenuButtonRect TopicListBackButton{131, 170, 189, 186};
inline constexpr MenuButtonRect TopicPageBackButton{250, 170, 308, 186};

void OpenTopicList();
void TopicListClick();
void TopicListDraw();

// key: the section key with "[" in front; picture: a file name, ".img" alone for none.
void OpenTopicPage(std::string_view key, std::string_view picture);
void TopicPageClick();
void TopicPageDraw();

void OpenAuthors();
void AuthorsClick();
void AuthorsDraw();

}  // namespace zarn
