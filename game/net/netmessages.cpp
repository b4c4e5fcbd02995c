#include <charconv>

#include "game/base/maps.h"
#include "game/net/netgame.h"

namespace zarn {

TMessageReader::TMessageReader(std::string_view message) {
  if (message.size() < 2 || message.front() != '[' || message.back() != ']') {
    ok_ = false;
    return;
  }
  body_ = message.substr(1, message.size() - 2);
}

bool TMessageReader::Code(std::int32_t& code) { return Number(code, 0, 9999); }

bool TMessageReader::Number(std::int32_t& value, std::int32_t lo, std::int32_t hi) {
  if (!ok_) return false;
  std::size_t end = body_.find(' ', pos_);
  if (end == std::string_view::npos) end = body_.size();
  const std::string_view field = body_.substr(pos_, end - pos_);
  pos_ = end < body_.size() ? end + 1 : end;
  std::int32_t v = 0;
  const char* first = field.data();
  const char* last = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (field.empty() || ec != std::errc() || ptr != last || v < lo || v > hi) {
    ok_ = false;
    return false;
  }
  value = v;
  return true;
}

bool TMessageReader::Tile(std::int32_t& x, std::int32_t& y) {
  return Number(x, 1, GameMap.Width) && Number(y, 1, GameMap.Height);
}

std::string_view TMessageReader::Text() {
  if (!ok_) return {};
  const std::string_view rest = body_.substr(pos_);
  pos_ = body_.size();
  return rest;
}

std::string_view WithoutClosingBlank(std::string_view text) {
  if (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string_view ChatName(std::string_view name) { return name.substr(0, name.find(' ')); }

std::string CleanWireText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '[') c = '(';
    else if (c == ']') c = ')';
  }
  return out;
}

}  // namespace zarn
