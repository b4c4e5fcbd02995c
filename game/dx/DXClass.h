// The base of the component layer: its error classes and texts, the small streams that the
// wave, bitmap and sound-bank readers work on, the component-stream codec of stored resources,
// the name-hashed collection, listener lists, the library cache and the frame clock.
#pragma once

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "stored records are read byte for byte and assume a little-endian host");

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// ---------------------------------------------------------------------------------------------
// Errors

// The general class of the layer; every component raises a descendant of it.
struct EDXError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A library or an entry point that cannot be had.
struct EDXLibraryError : EDXError {
  using EDXError::EDXError;
};
// Short reads and writes, bad seeks, malformed component streams.
struct EStreamError : EDXError {
  using EDXError::EDXError;
};

inline constexpr const char* SNotLoaded = "%s not loaded";
inline constexpr const char* SCannotMade = "%s cannot be made";
inline constexpr const char* SCannotInitialized = "%s cannot be initialized";
inline constexpr const char* SNotMade = "%s not made";
inline constexpr const char* SCannotLock = "%s cannot be locked";
inline constexpr const char* SFormNotFound = "Form not found";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SInvalidStreamFormat = "Invalid stream format";

// Replaces the one "%s" (or "%d") of a pattern by arg (the layer's texts carry at most one).
std::string DXFormat(std::string_view pattern, std::string_view arg);

inline int MaxInt2(int a, int b) { return a > b ? a : b; }
inline int MinInt2(int a, int b) { return a < b ? a : b; }

// ---------------------------------------------------------------------------------------------
// Streams

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
 public:
  virtual ~TStream() = default;
  // Both return the number of bytes moved (0 at the end or on failure).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size();

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t p) { Seek(p, soBeginning); }
  // Bytes between the position and the end (never negative).
  std::int64_t Remaining();
  // Exact reads and writes: a short one throws EStreamError.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
  // Copies count bytes from source at its position.
  void CopyFrom(TStream& source, std::int64_t count);
};

// A growable stream in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
  const std::vector<std::uint8_t>& Bytes() const { return data_; }
  std::vector<std::uint8_t>& Bytes() { return data_; }
  void Clear() {
    data_.clear();
    pos_ = 0;
  }

 private:
  std::vector<std::uint8_t> data_;
  std::int64_t pos_ = 0;
};

// A read-only stream over bytes that someone else keeps alive.
class TReadOnlyStream : public TStream {
 public:
  explicit TReadOnlyStream(std::span<const std::uint8_t> bytes) : data_(bytes) {}
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

 private:
  std::span<const std::uint8_t> data_;
  std::int64_t pos_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Stored components: a resource header and the tagged property stream of the class library.

enum TValueType : std::uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
};

// Reads a component stream. Every length is checked against what remains of the stream
// before anything is allocated; malformed input throws EStreamError.
class TComponentReader {
 public:
  explicit TComponentReader(TStream& s) : s_(s) {}
  // Resource header: 0xFF, u16 10, a zero-ended name, u16 flags, u32 length. Returns the
  // length of the component stream, checked against what remains.
  std::int64_t ReadResHeader();
  void ReadSignature();  // "TPF0"
  std::string ReadShortString();
  std::uint8_t ReadByte();
  TValueType ReadValueType();
  TValueType PeekValueType();
  bool EndOfList();  // consumes the vaNull when it is next
  std::int32_t ReadInteger(TValueType t);
  std::int32_t ReadInteger() { return ReadInteger(ReadValueType()); }
  std::string ReadString(TValueType t);
  bool ReadBoolean(TValueType t);
  std::vector<std::uint8_t> ReadBinary(TValueType t);
  std::string ReadIdent(TValueType t);
  // Skips one value of any tag of the stream.
  void SkipValue(TValueType t);
  void SkipValue() { SkipValue(ReadValueType()); }
  TStream& Stream() { return s_; }

 private:
  TStream& s_;
  int depth_ = 0;
};

class TComponentWriter {
 public:
  explicit TComponentWriter(TStream& s) : s_(s) {}
  // Writes the resource header with a zero length; FinishResHeader fills it in.
  void WriteResHeader(std::string_view resName);
  void FinishResHeader();
  void WriteSignature();
  void WriteShortString(std::string_view s);
  void WriteValueType(TValueType t);
  void WriteInteger(std::int32_t v);     // the smallest tag that holds it
  void WriteString(std::string_view s);  // vaString up to 255 bytes, else vaLString
  void WriteBoolean(bool b);
  void WriteIdent(std::string_view s);
  void WriteBinary(std::span<const std::uint8_t> bytes);
  void WriteListEnd() { WriteValueType(vaNull); }

 private:
  TStream& s_;
  std::int64_t lengthPos_ = -1;
  std::int64_t bodyStart_ = 0;
};

// ---------------------------------------------------------------------------------------------
// DirectX-style result holder

class TDirectX {
 public:
  virtual ~TDirectX() = default;
  // Called for every failed call; the base does nothing and callers test the stored result.
  virtual void Check() {}
  void SetDXResult(std::int32_t code) {
    dxResult_ = code;
    if (code != 0) Check();
  }
  std::int32_t DXResult() const { return dxResult_; }

 private:
  std::int32_t dxResult_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Listeners: (procedure, data) pairs, told of a component's state by a small code.

using TDXNotifyProc = void (*)(void* data, int code);

class TDXListenerList {
 public:
  // An equal pair is removed first, so a pair is listed once and goes last.
  void Add(TDXNotifyProc proc, void* data);
  void Remove(TDXNotifyProc proc, void* data);
  // Last attached first; a listener may detach itself or others while it runs.
  void Notify(int code);
  std::size_t Count() const { return items_.size(); }

 private:
  struct Item {
    TDXNotifyProc proc;
    void* data;
  };
  std::vector<Item> items_;
};

// ---------------------------------------------------------------------------------------------
// Name-hashed collection

// On the lower-cased name of length n: n x 16, plus the character before the last and the
// first character when n >= 2; modulo 256.
int HashName(std::string_view name);
// cp1251 lower case.
std::string DXLowerCase(std::string_view s);

class THashCollection;

class THashCollectionItem {
 public:
  THashCollectionItem() = default;
  THashCollectionItem(const THashCollectionItem&) = delete;
  THashCollectionItem& operator=(const THashCollectionItem&) = delete;
  virtual ~THashCollectionItem();

  const std::string& Name() const { return name_; }
  // Keeps the item in the chain of its name's hash (a rename of equal text does nothing).
  void SetName(std::string_view name);
  int Index() const { return index_; }
  // Moves the item to position i of its collection.
  void SetIndex(int i);
  int HashValue() const { return hash_; }
  THashCollection* Collection() const { return collection_; }
  THashCollectionItem* NextInChain() const { return next_; }
  THashCollectionItem* PrevInChain() const { return prev_; }

  virtual const char* ClassName() const { return "THashCollectionItem"; }
  virtual std::string DisplayName() const;
  virtual void Assign(const THashCollectionItem& source);

 private:
  friend class THashCollection;
  void EnterChain();
  void LeaveChain();

  THashCollection* collection_ = nullptr;
  std::string name_;
  int hash_ = -1;
  int index_ = -1;
  THashCollectionItem* prev_ = nullptr;
  THashCollectionItem* next_ = nullptr;
};

class THashCollection {
 public:
  THashCollection() = default;
  THashCollection(const THashCollection&) = delete;
  THashCollection& operator=(const THashCollection&) = delete;
  virtual ~THashCollection();

  int Count() const { return static_cast<int>(items_.size()); }
  // Throws std::out_of_range for an index outside 0 .. Count - 1.
  THashCollectionItem& Item(int i) const;
  // Appends an item (which takes its place in its name's chain).
  THashCollectionItem& AddItem(std::unique_ptr<THashCollectionItem> item);
  void Delete(int i);
  void Clear();
  // First item in the chain whose name matches, ignoring case; null when none.
  THashCollectionItem* Find(std::string_view name) const;
  int IndexOf(std::string_view name) const;
  THashCollectionItem* BucketHead(int hash) const {
    return buckets_[static_cast<std::size_t>(hash & 255)];
  }

 protected:
  // Takes over another collection's items (both keep consistent chains).
  void SwapItems(THashCollection& other);

 private:
  friend class THashCollectionItem;
  void Renumber(std::size_t from);

  std::vector<std::unique_ptr<THashCollectionItem>> items_;
  std::array<THashCollectionItem*, 256> buckets_{};
};

// ---------------------------------------------------------------------------------------------
// Library cache

// The named entry point of the named library, loading the library once per name (letter case
// ignored). A library or entry point that cannot be had throws EDXLibraryError "%s not loaded";
// a failed load is not remembered, so a later call tries again.
void* DXLoadLibrary(std::string_view library, std::string_view entry);
void DXFreeLibraries();
// Number of libraries held (for the start-up log and tests).
int DXLoadedLibraryCount();

// ---------------------------------------------------------------------------------------------
// Frame clock

// cos(i / 256 x 2 pi).
extern const std::array<double, 256> CosineTable;

// A monotonic 64-bit millisecond clock: the platform's while it runs; replaceable.
inline std::uint64_t (*DXClockProc)() = nullptr;
std::uint64_t DXTimeMs();

class TCustomDXTimer;
// The application's one idle handler: the timer that resumed last, or none. The form layer
// runs it from the platform loop's idle pass (DXRunIdle).
inline TCustomDXTimer* DXIdleTimer = nullptr;

class TCustomDXTimer {
 public:
  TCustomDXTimer();
  TCustomDXTimer(const TCustomDXTimer&) = delete;
  TCustomDXTimer& operator=(const TCustomDXTimer&) = delete;
  virtual ~TCustomDXTimer();

  bool ActiveOnly() const { return activeOnly_; }
  void SetActiveOnly(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  int Interval() const { return interval_; }
  void SetInterval(int v);
  int MaxLag() const { return maxLag_; }
  // The longest lag seen: a positive MaxLag grows to each larger lag (0 or less stays as set).
  void SetMaxLag(int v) { maxLag_ = v; }
  int FrameRate() const { return frameRate_; }
  bool Initialized() const { return initialized_; }

  std::function<void(TCustomDXTimer&)> OnActivate;
  std::function<void(TCustomDXTimer&)> OnDeactivate;
  std::function<void(TCustomDXTimer&, int lag)> OnTimer;

  // After the owner has set the properties up.
  virtual void Loaded();
  void Initialize();
  void Finalize();
  void Resume();
  void Suspend();
  // The idle pass: Done is always false, so the loop keeps polling.
  void AppIdle(bool& done);
  // Activation of the application: the shell calls these from the form's activation events.
  void AppActivated();
  void AppDeactivated();
  // Whether the application counts as active; the shell keeps it current.
  static inline bool ApplicationActive = true;

 protected:
  virtual void DoActivate();
  virtual void DoDeactivate();
  virtual void DoTimer(int lag);

 private:
  int frameRate_ = 0;
  bool activeOnly_ = true;
  bool enabled_ = true;
  int interval_ = 1000;
  int divisor_ = 1000;
  int maxLag_ = 10;
  int frameCount_ = 0;
  std::uint64_t oldTime_ = 0;
  std::uint64_t secondStart_ = 0;
  bool initialized_ = false;
};

using TDXTimer = TCustomDXTimer;

// Runs the idle handler once, when one is installed (the application loop's idle pass).
bool DXRunIdle();

}  // namespace zarn
