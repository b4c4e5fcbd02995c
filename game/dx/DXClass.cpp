#include "game/dx/DXClass.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/app.h"
#include "platform/system.h"

namespace zarn {

std::string DXFormat(std::string_view pattern, std::string_view arg) {
  std::string out(pattern);
  auto at = out.find("%s");
  if (at == std::string::npos) at = out.find("%d");
  if (at != std::string::npos) out.replace(at, 2, arg);
  return out;
}

// ---------------------------------------------------------------------------------------------
// Streams

std::int64_t TStream::Size() {
  const std::int64_t here = Position();
  const std::int64_t end = Seek(0, soEnd);
  Seek(here, soBeginning);
  return end;
}

std::int64_t TStream::Remaining() {
  const std::int64_t r = Size() - Position();
  return r > 0 ? r : 0;
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count < 0 || (count > 0 && Read(buffer, count) != count)) throw EStreamError(SReadError);
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count < 0 || (count > 0 && Write(buffer, count) != count)) throw EStreamError(SWriteError);
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count < 0 || count > source.Remaining()) throw EStreamError(SReadError);
  std::uint8_t chunk[16384];
  while (count > 0) {
    const std::int64_t n = std::min<std::int64_t>(count, sizeof chunk);
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    count -= n;
  }
}

namespace {

std::int64_t SeekWithin(std::int64_t pos, std::int64_t size, std::int64_t offset,
                        TSeekOrigin origin) {
  std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos : size;
  std::int64_t p = base + offset;
  return p < 0 ? 0 : p;
}

}  // namespace

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t size = Size();
  if (count <= 0 || pos_ >= size) return 0;
  const std::int64_t n = std::min(count, size - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
  pos_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  const auto end = static_cast<std::size_t>(pos_ + count);
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + pos_, buffer, static_cast<std::size_t>(count));
  pos_ += count;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  pos_ = SeekWithin(pos_, Size(), offset, origin);
  return pos_;
}

std::int64_t TReadOnlyStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t size = Size();
  if (count <= 0 || pos_ >= size) return 0;
  const std::int64_t n = std::min(count, size - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
  pos_ += n;
  return n;
}

std::int64_t TReadOnlyStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  pos_ = SeekWithin(pos_, Size(), offset, origin);
  return pos_;
}

// ---------------------------------------------------------------------------------------------
// Component streams

namespace {
// Deep enough for any tree the game stores; guards the recursion of SkipValue.
constexpr int kMaxNesting = 64;
}  // namespace

std::uint8_t TComponentReader::ReadByte() {
  std::uint8_t b = 0;
  s_.ReadBuffer(&b, 1);
  return b;
}

std::int64_t TComponentReader::ReadResHeader() {
  std::uint8_t head[3];
  s_.ReadBuffer(head, 3);
  if (head[0] != 0xFF || head[1] != 10 || head[2] != 0) throw EStreamError(SInvalidStreamFormat);
  while (ReadByte() != 0) {
  }
  std::uint8_t tail[6];
  s_.ReadBuffer(tail, 6);
  std::uint32_t length = 0;
  std::memcpy(&length, tail + 2, 4);
  if (static_cast<std::int64_t>(length) > s_.Remaining()) throw EStreamError(SInvalidStreamFormat);
  return length;
}

void TComponentReader::ReadSignature() {
  char sig[4];
  s_.ReadBuffer(sig, 4);
  if (std::memcmp(sig, "TPF0", 4) != 0) throw EStreamError(SInvalidStreamFormat);
}

std::string TComponentReader::ReadShortString() {
  const std::uint8_t n = ReadByte();
  std::string s(n, '\0');
  s_.ReadBuffer(s.data(), n);
  return s;
}

TValueType TComponentReader::ReadValueType() {
  const std::uint8_t t = ReadByte();
  if (t > vaCollection) throw EStreamError(SInvalidStreamFormat);
  return static_cast<TValueType>(t);
}

TValueType TComponentReader::PeekValueType() {
  const TValueType t = ReadValueType();
  s_.Seek(-1, soCurrent);
  return t;
}

bool TComponentReader::EndOfList() {
  if (PeekValueType() != vaNull) return false;
  ReadByte();
  return true;
}

std::int32_t TComponentReader::ReadInteger(TValueType t) {
  switch (t) {
    case vaInt8: {
      std::int8_t v;
      s_.ReadBuffer(&v, 1);
      return v;
    }
    case vaInt16: {
      std::int16_t v;
      s_.ReadBuffer(&v, 2);
      return v;
    }
    case vaInt32: {
      std::int32_t v;
      s_.ReadBuffer(&v, 4);
      return v;
    }
    default:
      throw EStreamError(SInvalidStreamFormat);
  }
}

std::string TComponentReader::ReadString(TValueType t) {
  std::uint32_t n = 0;
  if (t == vaString) {
    n = ReadByte();
  } else if (t == vaLString) {
    s_.ReadBuffer(&n, 4);
  } else {
    throw EStreamError(SInvalidStreamFormat);
  }
  if (static_cast<std::int64_t>(n) > s_.Remaining()) throw EStreamError(SReadError);
  std::string s(n, '\0');
  s_.ReadBuffer(s.data(), n);
  return s;
}

bool TComponentReader::ReadBoolean(TValueType t) {
  if (t == vaTrue) return true;
  if (t == vaFalse) return false;
  throw EStreamError(SInvalidStreamFormat);
}

std::vector<std::uint8_t> TComponentReader::ReadBinary(TValueType t) {
  if (t != vaBinary) throw EStreamError(SInvalidStreamFormat);
  std::uint32_t n = 0;
  s_.ReadBuffer(&n, 4);
  if (static_cast<std::int64_t>(n) > s_.Remaining()) throw EStreamError(SReadError);
  std::vector<std::uint8_t> bytes(n);
  s_.ReadBuffer(bytes.data(), n);
  return bytes;
}

std::string TComponentReader::ReadIdent(TValueType t) {
  if (t == vaIdent) return ReadShortString();
  if (t == vaFalse) return "False";
  if (t == vaTrue) return "True";
  if (t == vaNil) return "nil";
  if (t == vaNull) return "Null";
  throw EStreamError(SInvalidStreamFormat);
}

void TComponentReader::SkipValue(TValueType t) {
  if (++depth_ > kMaxNesting) throw EStreamError(SInvalidStreamFormat);
  auto skip = [&](std::int64_t n) {
    if (n > s_.Remaining()) throw EStreamError(SReadError);
    s_.Seek(n, soCurrent);
  };
  switch (t) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      break;
    case vaList:
      while (!EndOfList()) SkipValue();
      break;
    case vaInt8:
      skip(1);
      break;
    case vaInt16:
      skip(2);
      break;
    case vaInt32:
      skip(4);
      break;
    case vaExtended:
      skip(10);
      break;
    case vaString:
    case vaIdent:
      skip(ReadByte());
      break;
    case vaLString:
    case vaBinary: {
      std::uint32_t n = 0;
      s_.ReadBuffer(&n, 4);
      skip(n);
      break;
    }
    case vaSet:
      while (!ReadShortString().empty()) {
      }
      break;
    case vaCollection:
      while (!EndOfList()) {
        TValueType item = ReadValueType();
        if (item == vaInt8 || item == vaInt16 || item == vaInt32) {
          ReadInteger(item);
          item = ReadValueType();
        }
        if (item != vaList) throw EStreamError(SInvalidStreamFormat);
        while (!EndOfList()) {
          ReadShortString();
          SkipValue();
        }
      }
      break;
  }
  --depth_;
}

void TComponentWriter::WriteResHeader(std::string_view resName) {
  const std::uint8_t head[3] = {0xFF, 10, 0};
  s_.WriteBuffer(head, 3);
  s_.WriteBuffer(resName.data(), static_cast<std::int64_t>(resName.size()));
  const std::uint8_t zero = 0;
  s_.WriteBuffer(&zero, 1);
  const std::uint16_t flags = 0x1030;  // moveable, pure, discardable
  s_.WriteBuffer(&flags, 2);
  lengthPos_ = s_.Position();
  const std::uint32_t length = 0;
  s_.WriteBuffer(&length, 4);
  bodyStart_ = s_.Position();
}

void TComponentWriter::FinishResHeader() {
  if (lengthPos_ < 0) return;
  const std::int64_t end = s_.Position();
  const auto length = static_cast<std::uint32_t>(end - bodyStart_);
  s_.SetPosition(lengthPos_);
  s_.WriteBuffer(&length, 4);
  s_.SetPosition(end);
  lengthPos_ = -1;
}

void TComponentWriter::WriteSignature() { s_.WriteBuffer("TPF0", 4); }

void TComponentWriter::WriteShortString(std::string_view s) {
  const auto n = static_cast<std::uint8_t>(std::min<std::size_t>(s.size(), 255));
  s_.WriteBuffer(&n, 1);
  s_.WriteBuffer(s.data(), n);
}

void TComponentWriter::WriteValueType(TValueType t) { s_.WriteBuffer(&t, 1); }

void TComponentWriter::WriteInteger(std::int32_t v) {
  if (v >= -128 && v <= 127) {
    WriteValueType(vaInt8);
    const auto b = static_cast<std::int8_t>(v);
    s_.WriteBuffer(&b, 1);
  } else if (v >= -32768 && v <= 32767) {
    WriteValueType(vaInt16);
    const auto w = static_cast<std::int16_t>(v);
    s_.WriteBuffer(&w, 2);
  } else {
    WriteValueType(vaInt32);
    s_.WriteBuffer(&v, 4);
  }
}

void TComponentWriter::WriteString(std::string_view s) {
  if (s.size() <= 255) {
    WriteValueType(vaString);
    WriteShortString(s);
  } else {
    WriteValueType(vaLString);
    const auto n = static_cast<std::uint32_t>(s.size());
    s_.WriteBuffer(&n, 4);
    s_.WriteBuffer(s.data(), n);
  }
}

void TComponentWriter::WriteBoolean(bool b) { WriteValueType(b ? vaTrue : vaFalse); }

void TComponentWriter::WriteIdent(std::string_view s) {
  WriteValueType(vaIdent);
  WriteShortString(s);
}

void TComponentWriter::WriteBinary(std::span<const std::uint8_t> bytes) {
  WriteValueType(vaBinary);
  const auto n = static_cast<std::uint32_t>(bytes.size());
  s_.WriteBuffer(&n, 4);
  s_.WriteBuffer(bytes.data(), n);
}

// ---------------------------------------------------------------------------------------------
// Listeners

void TDXListenerList::Add(TDXNotifyProc proc, void* data) {
  Remove(proc, data);
  items_.push_back({proc, data});
}

void TDXListenerList::Remove(TDXNotifyProc proc, void* data) {
  std::erase_if(items_, [&](const Item& i) { return i.proc == proc && i.data == data; });
}

void TDXListenerList::Notify(int code) {
  // A copy, so listeners may detach while they are told; a detached one is not called again.
  const std::vector<Item> snapshot = items_;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    const bool still = std::any_of(items_.begin(), items_.end(), [&](const Item& i) {
      return i.proc == it->proc && i.data == it->data;
    });
    if (still) it->proc(it->data, code);
  }
}

// ---------------------------------------------------------------------------------------------
// Hash collection

std::string DXLowerCase(std::string_view s) {
  std::string out(s);
  for (char& ch : out) {
    auto c = static_cast<std::uint8_t>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF))
      c = static_cast<std::uint8_t>(c + 32);
    else if (c == 0xA8)
      c = 0xB8;
    ch = static_cast<char>(c);
  }
  return out;
}

int HashName(std::string_view name) {
  const std::string lower = DXLowerCase(name);
  const std::size_t n = lower.size();
  std::uint32_t h = static_cast<std::uint32_t>(n) * 16u;
  if (n >= 2) h += static_cast<std::uint8_t>(lower[n - 2]) + static_cast<std::uint8_t>(lower[0]);
  return static_cast<int>(h % 256u);
}

THashCollectionItem::~THashCollectionItem() = default;

void THashCollectionItem::EnterChain() {
  if (!collection_) return;
  hash_ = HashName(name_);
  auto& head = collection_->buckets_[static_cast<std::size_t>(hash_)];
  if (head) {
    head->prev_ = this;
    next_ = head;
  }
  head = this;
}

void THashCollectionItem::LeaveChain() {
  // The item may be the last of its chain: its next is then none, and only the links that
  // exist are mended.
  if (prev_) {
    prev_->next_ = next_;
    if (next_) next_->prev_ = prev_;
  } else if (hash_ != -1 && collection_) {
    auto& head = collection_->buckets_[static_cast<std::size_t>(hash_)];
    if (head == this) head = next_;
    if (next_) next_->prev_ = nullptr;
  }
  prev_ = nullptr;
  next_ = nullptr;
  hash_ = -1;
}

void THashCollectionItem::SetName(std::string_view name) {
  if (name == name_) return;
  name_ = std::string(name);
  LeaveChain();
  EnterChain();
}

void THashCollectionItem::SetIndex(int i) {
  if (!collection_ || i == index_) return;
  auto& items = collection_->items_;
  if (i < 0 || i >= static_cast<int>(items.size()))
    throw std::out_of_range("List index out of bounds");
  const auto from = static_cast<std::size_t>(index_);
  auto self = std::move(items[from]);
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(from));
  items.insert(items.begin() + i, std::move(self));
  collection_->Renumber(std::min(from, static_cast<std::size_t>(i)));
}

std::string THashCollectionItem::DisplayName() const {
  return name_.empty() ? std::string(ClassName()) : name_;
}

void THashCollectionItem::Assign(const THashCollectionItem& source) {
  if (&source != this) SetName(source.name_);
}

THashCollection::~THashCollection() { Clear(); }

THashCollectionItem& THashCollection::Item(int i) const {
  if (i < 0 || i >= Count()) throw std::out_of_range("List index out of bounds");
  return *items_[static_cast<std::size_t>(i)];
}

THashCollectionItem& THashCollection::AddItem(std::unique_ptr<THashCollectionItem> item) {
  item->collection_ = this;
  item->index_ = Count();
  THashCollectionItem& ref = *item;
  items_.push_back(std::move(item));
  ref.EnterChain();
  return ref;
}

void THashCollection::Delete(int i) {
  THashCollectionItem& item = Item(i);
  item.LeaveChain();
  items_.erase(items_.begin() + i);
  Renumber(static_cast<std::size_t>(i));
}

void THashCollection::Clear() {
  while (!items_.empty()) {
    items_.back()->LeaveChain();
    items_.pop_back();
  }
  buckets_.fill(nullptr);
}

THashCollectionItem* THashCollection::Find(std::string_view name) const {
  const std::string lower = DXLowerCase(name);
  for (auto* p = buckets_[static_cast<std::size_t>(HashName(name))]; p; p = p->next_)
    if (DXLowerCase(p->name_) == lower) return p;
  return nullptr;
}

int THashCollection::IndexOf(std::string_view name) const {
  const auto* p = Find(name);
  return p ? p->index_ : -1;
}

void THashCollection::SwapItems(THashCollection& other) {
  items_.swap(other.items_);
  buckets_.swap(other.buckets_);
  for (auto& item : items_) item->collection_ = this;
  for (auto& item : other.items_) item->collection_ = &other;
}

void THashCollection::Renumber(std::size_t from) {
  for (std::size_t k = from; k < items_.size(); ++k) items_[k]->index_ = static_cast<int>(k);
}

// ---------------------------------------------------------------------------------------------
// Library cache

namespace {

using DXLibraryHandle = void*;

DXLibraryHandle DXOpenLibrary(std::string_view name) {
  return plat::LibraryLoad(std::string(name));
}
void* DXLibrarySymbol(DXLibraryHandle h, std::string_view entry) {
  return plat::LibrarySymbol(h, std::string(entry));
}
void DXCloseLibrary(DXLibraryHandle h) { plat::LibraryFree(h); }

struct CachedLibrary {
  std::string lowerName;
  DXLibraryHandle handle;
};

std::vector<CachedLibrary>& LibraryList() {
  static std::vector<CachedLibrary> list;
  return list;
}

struct LibraryListFinalizer {
  ~LibraryListFinalizer() { DXFreeLibraries(); }
} libraryListFinalizer;

}  // namespace

void* DXLoadLibrary(std::string_view library, std::string_view entry) {
  const std::string lower = DXLowerCase(library);
  auto& list = LibraryList();
  auto it = std::find_if(list.begin(), list.end(),
                         [&](const CachedLibrary& c) { return c.lowerName == lower; });
  DXLibraryHandle handle = nullptr;
  if (it != list.end()) {
    handle = it->handle;
  } else {
    handle = DXOpenLibrary(library);
    if (!handle) throw EDXLibraryError(DXFormat(SNotLoaded, library));
    list.push_back({lower, handle});
  }
  void* proc = DXLibrarySymbol(handle, entry);
  if (!proc) throw EDXLibraryError(DXFormat(SNotLoaded, library));
  return proc;
}

void DXFreeLibraries() {
  auto& list = LibraryList();
  for (auto& c : list) DXCloseLibrary(c.handle);
  list.clear();
}

int DXLoadedLibraryCount() { return static_cast<int>(LibraryList().size()); }

// ---------------------------------------------------------------------------------------------
// Frame clock

const std::array<double, 256> CosineTable = [] {
  std::array<double, 256> t{};
  for (int i = 0; i < 256; ++i)
    t[static_cast<std::size_t>(i)] = std::cos(i / 256.0 * 2 * std::numbers::pi);
  return t;
}();

std::uint64_t DXTimeMs() {
  if (DXClockProc) return DXClockProc();
  if (plat::Backend() != plat::BackendKind::None) return plat::NowMs();
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TCustomDXTimer::TCustomDXTimer() = default;

TCustomDXTimer::~TCustomDXTimer() {
  Finalize();
  if (DXIdleTimer == this) DXIdleTimer = nullptr;
}

void TCustomDXTimer::SetInterval(int v) {
  if (v == interval_) return;
  interval_ = std::max(v, 0);
  divisor_ = std::max(v, 1);
}

void TCustomDXTimer::Loaded() {
  if (enabled_) Initialize();
}

void TCustomDXTimer::Initialize() {
  Finalize();
  if (!activeOnly_ || ApplicationActive) Resume();
  initialized_ = true;
}

void TCustomDXTimer::Finalize() {
  if (!initialized_) return;
  Suspend();
  initialized_ = false;
}

void TCustomDXTimer::Resume() {
  oldTime_ = DXTimeMs();
  secondStart_ = oldTime_;
  DXIdleTimer = this;
}

void TCustomDXTimer::Suspend() {
  // There is one idle handler for the application, whichever timer installed it.
  DXIdleTimer = nullptr;
}

void TCustomDXTimer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  if (v)
    Initialize();
  else
    Finalize();
}

void TCustomDXTimer::SetActiveOnly(bool v) {
  if (v == activeOnly_) return;
  activeOnly_ = v;
  if (v && initialized_ && !ApplicationActive) Suspend();
}

void TCustomDXTimer::AppIdle(bool& done) {
  done = false;
  const std::uint64_t t = DXTimeMs();
  if (t < oldTime_ || t - oldTime_ < static_cast<std::uint64_t>(interval_)) return;
  const std::uint64_t elapsed = t - oldTime_;
  oldTime_ = t;
  std::uint64_t lag64 = elapsed / static_cast<std::uint64_t>(divisor_);
  if (lag64 > 0x7FFFFFFF) lag64 = 0x7FFFFFFF;
  int lag = static_cast<int>(lag64);
  // MaxLag records the longest lag seen; the lag itself goes out whole. The game's steps are
  // paced by window timers that never queue a backlog, so a stall cannot make it race.
  if (maxLag_ > 0) maxLag_ = std::max(lag, maxLag_);
  lag = std::max(lag, 1);
  ++frameCount_;
  const std::uint64_t span = std::max<std::uint64_t>(t - secondStart_, 1);
  if (span >= 1000) {
    frameRate_ =
        static_cast<int>((static_cast<std::uint64_t>(frameCount_) * 1000 + span / 2) / span);
    frameCount_ = 0;
    secondStart_ = t;
  }
  DoTimer(lag);
}

void TCustomDXTimer::AppActivated() {
  DoActivate();
  if (initialized_ && activeOnly_) Resume();
}

void TCustomDXTimer::AppDeactivated() {
  DoDeactivate();
  if (initialized_ && activeOnly_) Suspend();
}

void TCustomDXTimer::DoActivate() {
  if (OnActivate) OnActivate(*this);
}

void TCustomDXTimer::DoDeactivate() {
  if (OnDeactivate) OnDeactivate(*this);
}

void TCustomDXTimer::DoTimer(int lag) {
  if (OnTimer) OnTimer(*this, lag);
}

bool DXRunIdle() {
  if (!DXIdleTimer) return false;
  bool done = false;
  DXIdleTimer->AppIdle(done);
  return true;
}

}  // namespace zarn
