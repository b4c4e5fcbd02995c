// Sound effects: the sound component (the mixer and its primary buffer), sound buffers on the
// platform's mixer, and the wave list: the sound bank of named WAVE items, played by index,
// where one effect may sound several times at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "game/dx/DXClass.h"
#include "game/dx/Wave.h"

namespace plat {
struct Form;
}

namespace zarn {

struct EDirectSoundError : EDXError {
  using EDXError::EDXError;
};
struct EDirectSoundBufferError : EDXError {
  using EDXError::EDXError;
};
struct EDXSoundError : EDXError {
  using EDXError::EDXError;
};
struct EWaveCollectionError : EDXError {
  using EDXError::EDXError;
};

inline constexpr const char* SoundBankFile = "data\\zarn.snd";
inline constexpr const char* SCannotOpenFile = "Cannot open file %s";

inline constexpr std::int32_t DSERR_BUFFERLOST = static_cast<std::int32_t>(0x88780096u);
inline constexpr std::int32_t DSERR_GENERIC = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::uint32_t DSBSTATUS_PLAYING = 1;
inline constexpr std::uint32_t DSBSTATUS_BUFFERLOST = 2;
inline constexpr std::uint32_t DSBSTATUS_LOOPING = 4;
// Buffer description flags.
inline constexpr std::uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
inline constexpr std::uint32_t DSBCAPS_CTRLDEFAULT = 0xE0;  // frequency, pan, volume
inline constexpr std::uint32_t DSBCAPS_STICKYFOCUS = 0x4000;
inline constexpr std::uint32_t DSBCAPS_GLOBALFOCUS = 0x8000;
// Cooperative levels.
inline constexpr int DSSCL_NORMAL = 1;
inline constexpr int DSSCL_EXCLUSIVE = 3;
inline constexpr int DSSCL_WRITEPRIMARY = 4;

// Listener codes of the sound component.
enum TDXSoundNotifyType : int {
  dsntDestroying = 0,
  dsntInitializing = 1,
  dsntInitialize = 2,
  dsntFinalize = 3,
  dsntRestore = 4,
};

// Whether the platform's mixer can play a wave of this format (PCM, 8 or 16 bits, mono or
// stereo, a sane rate).
bool WavePlayable(const TWave& wave);

class TDirectSoundBuffer;
class TCustomDXSound;

// The mixer. Opens the platform's audio when it is not open (and closes it again when it was
// the one that opened it).
class TDirectSound : public TDirectX {
 public:
  TDirectSound();
  ~TDirectSound() override;
  TDirectSound(const TDirectSound&) = delete;
  TDirectSound& operator=(const TDirectSound&) = delete;

  bool GlobalFocus = false;
  bool StickyFocus = false;
  int BufferCount() const { return static_cast<int>(buffers_.size()); }
  virtual void DoRestoreBuffer() {}

 private:
  friend class TDirectSoundBuffer;
  std::vector<TDirectSoundBuffer*> buffers_;
  bool openedAudio_ = false;
  bool restoring_ = false;
};

class TDXSoundDirectSound : public TDirectSound {
 public:
  explicit TDXSoundDirectSound(TCustomDXSound& owner) : owner_(owner) {}
  void DoRestoreBuffer() override;

 private:
  TCustomDXSound& owner_;
};

// A sound buffer: a platform buffer of samples with its own volume, pan and frequency.
class TDirectSoundBuffer : public TDirectX {
 public:
  explicit TDirectSoundBuffer(TDirectSound& owner);
  ~TDirectSoundBuffer() override;
  TDirectSoundBuffer(const TDirectSoundBuffer&) = delete;
  TDirectSoundBuffer& operator=(const TDirectSoundBuffer&) = delete;

  // Restores lost buffers through the owner; other failures only stay in DXResult.
  void Check() override;

  // A silent buffer of the format and size (flags as described for the owner's focus).
  void CreateBuffer(const TWave& format, std::int32_t size);
  // The primary buffer: no samples of its own.
  void CreatePrimary();
  // A buffer holding the wave's samples; a wave without samples gives no buffer.
  void LoadWave(const TWave& wave);
  // None releases; another buffer is duplicated (sharing its samples).
  void Assign(const TDirectSoundBuffer* source);
  void Release();

  bool Play(bool loop);
  bool Stop();
  std::uint32_t Status();
  bool Playing();
  bool SetFrequency(std::int32_t hz);
  bool SetPan(std::int32_t pan);
  bool SetVolume(std::int32_t hundredthsDb);
  std::int32_t Frequency() const;
  std::int32_t Pan() const;
  std::int32_t Volume() const;

  bool HasInterface() const { return id_ != 0 || primary_; }
  int SoundId() const { return id_; }
  std::uint32_t CreationFlags() const { return flags_; }
  // Null once the mixer that made the buffer is gone.
  TDirectSound* DSound() const { return owner_; }

 private:
  friend class TDirectSound;
  bool Lost() const;
  TDirectSound* owner_;
  int id_ = 0;
  bool primary_ = false;
  std::uint32_t flags_ = 0;
};

enum TDXSoundOption : std::uint8_t {
  soGlobalFocus = 1,
  soStickyFocus = 2,
  soExclusive = 4,
  soWritePrimary = 8
};
using TDXSoundOptions = std::uint8_t;

// The sound component: owns the mixer while initialised and tells its listeners (the wave
// lists) when it initialises, finalises and restores.
class TCustomDXSound {
 public:
  // owner: the form whose window the sound belongs to ("Form not found" when none).
  explicit TCustomDXSound(plat::Form* owner);
  virtual ~TCustomDXSound();
  TCustomDXSound(const TCustomDXSound&) = delete;
  TCustomDXSound& operator=(const TCustomDXSound&) = delete;

  bool AutoInitialize = true;
  TDXSoundOptions Options() const { return options_; }
  void SetOptions(TDXSoundOptions o);

  std::function<void(TCustomDXSound&)> OnFinalize;
  std::function<void(TCustomDXSound&)> OnInitialize;
  std::function<void(TCustomDXSound&)> OnInitializing;
  std::function<void(TCustomDXSound&)> OnRestore;

  // After the owner has set the properties up: initialises when AutoInitialize, swallowing
  // a failure (the sound stays off).
  virtual void Loaded();
  void Initialize();
  void Finalize();
  void Restore();
  bool Initialized() const { return initialized_; }
  TDirectSound* DSound() const { return dsound_.get(); }
  TDirectSoundBuffer* Primary() const { return primary_.get(); }
  // The level set on the form when it initialised (normal, exclusive or write-primary).
  int CooperativeLevel() const { return cooperativeLevel_; }

  void RegisterNotifyEvent(TDXNotifyProc proc, void* data);
  void UnRegisterNotifyEvent(TDXNotifyProc proc, void* data);

 protected:
  virtual void DoFinalize();
  virtual void DoInitialize();
  virtual void DoInitializing();
  virtual void DoRestore();

 private:
  plat::Form* owner_;
  TDXSoundOptions options_ = 0;
  TDXSoundOptions nowOptions_ = 0;  // in force: exclusive and write-primary wait for Initialize
  std::unique_ptr<TDXSoundDirectSound> dsound_;
  std::unique_ptr<TDirectSoundBuffer> primary_;
  TDXListenerList listeners_;
  bool initialized_ = false;
  bool initializing_ = false;
  bool calledDoInitialize_ = false;
  int cooperativeLevel_ = 0;
};

using TDXSound = TCustomDXSound;

class TWaveCollection;

class TWaveCollectionItem : public THashCollectionItem {
 public:
  TWaveCollectionItem() = default;
  ~TWaveCollectionItem() override;

  const char* ClassName() const override { return "TWaveCollectionItem"; }
  void Assign(const THashCollectionItem& source) override;

  bool Looped() const { return looped_; }
  void SetLooped(bool v);
  const TWave& Wave() const { return wave_; }
  void SetWave(const TWave& w) { wave_.Assign(&w); }
  std::int32_t Frequency() const { return frequency_; }
  std::int32_t Pan() const { return pan_; }
  std::int32_t Volume() const { return volume_; }
  void SetFrequency(std::int32_t v);
  void SetPan(std::int32_t v);
  // Hundredths of a decibel, -10000 .. 0; the next one-shot starts at it.
  void SetVolume(std::int32_t v);

  // Does nothing while the collection is not bound to an initialised sound component, and
  // for an item without samples (silence). Wait blocks until the effect has ended.
  void Play(bool wait = false);
  void Stop();
  // Loads the wave into the master buffer and applies frequency, pan and volume.
  void Restore();
  bool Initialized() const { return initialized_; }
  TDirectSoundBuffer* Buffer() const { return buffer_.get(); }
  TWaveCollection* WaveCollection() const;

 private:
  friend class TWaveCollection;
  void Initialize();
  void Finalize();

  bool looped_ = false;
  TWave wave_;
  std::int32_t frequency_ = 0;
  std::int32_t pan_ = 0;
  std::int32_t volume_ = 0;
  bool initialized_ = false;
  std::unique_ptr<TDirectSoundBuffer> buffer_;
};

class TCustomDXWaveList;

class TWaveCollection : public THashCollection {
 public:
  explicit TWaveCollection(TCustomDXWaveList* owner = nullptr) : owner_(owner) {}
  ~TWaveCollection() override;
  TCustomDXWaveList* Owner() const { return owner_; }

  TWaveCollectionItem& Items(int i) const { return static_cast<TWaveCollectionItem&>(Item(i)); }
  TWaveCollectionItem& Add();
  TWaveCollectionItem* Find(std::string_view name) const {
    return static_cast<TWaveCollectionItem*>(THashCollection::Find(name));
  }
  // Copies another collection's items.
  void Assign(const TWaveCollection& source);

  // The bank format: a resource header, then the stored carrier component whose "List" holds
  // the items. Everything is checked before the collection changes; a bad bank throws and
  // leaves the collection as it was.
  void LoadFromFile(const std::filesystem::path& path);
  void LoadFromStream(TStream& stream);
  void LoadFromBytes(std::span<const std::uint8_t> bytes);
  void SaveToStream(TStream& stream) const;
  std::vector<std::uint8_t> SaveToBytes() const;
  // Written to a temporary file and renamed into place.
  bool SaveToFile(const std::filesystem::path& path) const;

  // Binding to a sound component: every item gets a master buffer and a 500 ms timer reaps
  // finished one-shots.
  void Initialize(TCustomDXSound& sound);
  void Finalize();
  void Restore();
  bool Initialized() const;
  TCustomDXSound* DXSound() const { return dxSound_; }
  // The timer's work: frees the one-shots that have stopped.
  void ReapFinished();
  int OneShotCount() const { return static_cast<int>(oneShots_.size()); }

 private:
  friend class TWaveCollectionItem;
  TCustomDXWaveList* owner_;
  TCustomDXSound* dxSound_ = nullptr;
  std::vector<std::unique_ptr<TDirectSoundBuffer>> oneShots_;
  int timer_ = 0;
};

// The wave list component: its collection follows the sound component it listens to.
class TCustomDXWaveList {
 public:
  TCustomDXWaveList();
  virtual ~TCustomDXWaveList();
  TCustomDXWaveList(const TCustomDXWaveList&) = delete;
  TCustomDXWaveList& operator=(const TCustomDXWaveList&) = delete;

  TCustomDXSound* DXSound() const { return dxSound_; }
  void SetDXSound(TCustomDXSound* sound);
  TWaveCollection& Items() { return items_; }
  const TWaveCollection& Items() const { return items_; }
  void SetItems(const TWaveCollection& source) { items_.Assign(source); }

 private:
  static void Notify(void* self, int code);
  TCustomDXSound* dxSound_ = nullptr;
  TWaveCollection items_{this};
};

using TDXWaveList = TCustomDXWaveList;

}  // namespace zarn
