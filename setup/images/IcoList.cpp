#include "setup/images/IcoList.h"

#include <cstring>

#include "setup/lebytes.h"

namespace zarn3set {
namespace {

void Put32(std::string& s, std::int32_t v) { PutLe32(s, static_cast<std::uint32_t>(v)); }

}  // namespace

void TIcon::LoadFromStream(const std::string& bytes) {
  const EInvalidGraphic bad("Icon image is not valid");
  if (bytes.size() < 6 + 16 || GetLe16(bytes, 0) != 0) throw bad;
  std::uint16_t type = GetLe16(bytes, 2), count = GetLe16(bytes, 4);
  if ((type != 1 && type != 2) || count == 0 || 6 + 16u * count > bytes.size()) throw bad;
  std::uint32_t size = GetLe32(bytes, 6 + 8), offset = GetLe32(bytes, 6 + 12);
  if (offset > bytes.size() || size > bytes.size() - offset) throw bad;
  data = bytes;
  if (OnChange) OnChange();
}

void TIcon::Assign(const TIcon* other) {
  data = other ? other->data : std::string();
  if (OnChange) OnChange();
}

TClipFormat CF_ICON() {
  static const TClipFormat format = RegisterClipboardFormat("Icon Image");
  return format;
}

void TIcon::CopyToClipboard() const {
  if (Empty()) throw EInvalidGraphic("Icon image is not valid");
  ClipboardSetData({{CF_ICON(), data}});
}

void TIcon::LoadFromClipboardFormat() {
  auto bytes = ClipboardGetData(CF_ICON());
  if (!bytes) throw EInvalidGraphic("Unsupported clipboard format");
  LoadFromStream(*bytes);
}

int TIcon::Width() const {
  if (data.size() < 22) return 0;
  int w = static_cast<std::uint8_t>(data[6]);
  return w == 0 ? 256 : w;
}
int TIcon::Height() const {
  if (data.size() < 22) return 0;
  int h = static_cast<std::uint8_t>(data[7]);
  return h == 0 ? 256 : h;
}

TBitmap TIcon::ToBitmap(TColor background) const {
  TBitmap out;
  if (data.size() < 22) return out;
  std::size_t at = GetLe32(data, 6 + 12);
  if (at + 40 > data.size() || GetLe32(data, at) < 40) return out;
  int w = static_cast<std::int32_t>(GetLe32(data, at + 4));
  int h = static_cast<std::int32_t>(GetLe32(data, at + 8)) / 2;  // colour rows, then the mask
  int bits = GetLe16(data, at + 14);
  if (!out.Create(w, h, 24)) return out;
  std::size_t table = at + GetLe32(data, at);
  int entries = bits <= 8 ? 1 << bits : 0;
  std::size_t pixels = table + 4 * static_cast<std::size_t>(entries);
  std::size_t stride = static_cast<std::size_t>(((w * bits + 31) / 32) * 4);
  bool known = bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
  if (!known || pixels + stride * h > data.size()) {
    out = TBitmap();
    return out;
  }
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const std::uint8_t*>(data.data() + pixels + stride * (h - 1 - y));
    for (int x = 0; x < w; ++x) {
      TRGB c;
      if (bits <= 8) {
        unsigned i = bits == 8 ? row[x] : bits == 4 ? ((x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4)
                                        : (row[x / 8] >> (7 - x % 8)) & 1;
        const char* q = data.data() + table + 4 * i;
        c = {static_cast<std::uint8_t>(q[2]), static_cast<std::uint8_t>(q[1]),
             static_cast<std::uint8_t>(q[0])};
      } else {
        const std::uint8_t* q = row + x * (bits / 8);
        c = {q[2], q[1], q[0]};
      }
      out.SetPixel(x, y, c);
    }
  }
  // The mask follows the colour rows: one bit a pixel, set where the screen shows through.
  std::size_t maskAt = pixels + stride * h, maskStride = static_cast<std::size_t>(((w + 31) / 32) * 4);
  if (background != clNone && maskAt + maskStride * h <= data.size()) {
    for (int y = 0; y < h; ++y) {
      const auto* row = reinterpret_cast<const std::uint8_t*>(data.data() + maskAt + maskStride * (h - 1 - y));
      for (int x = 0; x < w; ++x)
        if ((row[x / 8] >> (7 - x % 8)) & 1) out.SetPixel(x, y, ColorToRgb(background));
    }
  }
  return out;
}

TIconList::~TIconList() {
  OnChange = nullptr;
  Clear();
}

void TIconList::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(this);
}

void TIconList::Check(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError();
}

void TIconList::Bind(TIcon* icon) {
  if (icon) icon->OnChange = [this] { IconChanged(); };
}

TIcon* TIconList::Get(int index) {
  Check(index);
  TIcon* i = items_[index].get();
  return i && !i->Empty() ? i : nullptr;
}

void TIconList::Put(int index, const TIcon* icon) {
  HoldChanges();
  try {
    if (index == GetCount()) {
      items_.push_back(std::make_unique<TIcon>());
      Bind(items_.back().get());
    }
    Check(index);
    if (!items_[index]) {
      items_[index] = std::make_unique<TIcon>();
      Bind(items_[index].get());
    }
    items_[index]->Assign(icon);
  } catch (...) {
    ReleaseChanges();
    throw;
  }
  ReleaseChanges();
}

int TIconList::Add(const TIcon* icon) {
  auto n = std::make_unique<TIcon>();
  n->Assign(icon);
  Bind(n.get());
  items_.push_back(std::move(n));
  Changed();
  return GetCount() - 1;
}

void TIconList::Clear() {
  HoldChanges();
  for (int i = GetCount() - 1; i >= 0; --i) Delete(i);
  ReleaseChanges();
}

void TIconList::Delete(int index) {
  Check(index);
  if (items_[index]) items_[index]->OnChange = nullptr;
  items_.erase(items_.begin() + index);
  Changed();
}

void TIconList::Exchange(int a, int b) {
  Check(a);
  Check(b);
  std::swap(items_[a], items_[b]);
  Changed();
}

int TIconList::IndexOf(const TIcon* icon) const {
  for (int i = 0; i < GetCount(); ++i)
    if (items_[i].get() == icon) return i;
  return -1;
}

void TIconList::Insert(int index, const TIcon* icon) {
  if (index < 0 || index > GetCount()) throw EListError();
  auto n = std::make_unique<TIcon>();
  n->Assign(icon);
  Bind(n.get());
  items_.insert(items_.begin() + index, std::move(n));
  Changed();
}

int TIconList::AddResource(const TModule& module, const std::string& name) {
  TIcon icon;
  icon.LoadFromStream(module.LoadIcon(name));
  return Add(&icon);
}

void TIconList::InsertResource(int index, const TModule& module, const std::string& name) {
  if (index < 0 || index > GetCount()) throw EListError();
  TIcon icon;
  icon.LoadFromStream(module.LoadIcon(name));
  Insert(index, &icon);
}

bool TIconList::ShouldStore(const TIconList* ancestor) const {
  if (!ancestor || ancestor->GetCount() != GetCount()) return GetCount() > 0;
  for (int i = 0; i < GetCount(); ++i) {
    const std::string mine = items_[i] ? items_[i]->data : std::string();
    const std::string theirs = ancestor->items_[i] ? ancestor->items_[i]->data : std::string();
    if (mine != theirs) return true;
  }
  return false;
}

void TIconList::Move(int from, int to) {
  Check(from);
  Check(to);
  auto item = std::move(items_[from]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  Changed();
}

void TIconList::LoadFromStream(const std::string& bytes) {
  // Everything is checked before the list changes.
  std::vector<std::string> icons;
  std::size_t at = 0;
  auto need = [&](std::size_t n) {
    if (n > bytes.size() - at) throw EInvalidGraphic("Stream read error");
  };
  need(4);
  std::int32_t count = static_cast<std::int32_t>(GetLe32(bytes, at));
  at += 4;
  if (count < 0) throw EInvalidGraphic("Stream read error");
  for (std::int32_t i = 0; i < count; ++i) {
    need(4);
    std::int32_t len = static_cast<std::int32_t>(GetLe32(bytes, at));
    at += 4;
    if (len <= 0) {
      icons.emplace_back();
      continue;
    }
    need(static_cast<std::size_t>(len));
    TIcon probe;
    probe.LoadFromStream(bytes.substr(at, static_cast<std::size_t>(len)));
    icons.push_back(probe.data);
    at += static_cast<std::size_t>(len);
  }
  HoldChanges();
  Clear();
  for (const std::string& d : icons) {
    TIcon t;
    t.data = d;
    Add(&t);
  }
  ReleaseChanges();
}

std::string TIconList::SaveToStream() const {
  std::string s;
  Put32(s, GetCount());
  for (const auto& i : items_) {
    std::size_t n = i ? i->data.size() : 0;
    Put32(s, static_cast<std::int32_t>(n));
    if (n) s += i->data;
  }
  return s;
}

void TIconList::Assign(const TIconList* other) {
  if (!other) {
    Clear();
    return;
  }
  if (other == this) return;
  HoldChanges();
  Clear();
  for (const auto& i : other->items_) Add(i.get());
  ReleaseChanges();
}

void TIconList::Assign(const TIcon& icon) {
  HoldChanges();
  Clear();
  Add(&icon);
  ReleaseChanges();
}

void TIconList::HoldChanges() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TIconList::ReleaseChanges() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TIconList::SetUpdateState(bool updating) {
  if (!updating) Changed();
}

}  // namespace zarn3set
