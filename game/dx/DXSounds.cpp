#include "game/dx/DXSounds.h"

#include <algorithm>

#include "platform/app.h"
#include "platform/audio.h"
#include "platform/system.h"

namespace zarn {

bool WavePlayable(const TWave& wave) {
  if (wave.FormatSize() < 16) return false;
  const TWaveFormatEx f = wave.FormatRecord();
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
         (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
         f.nSamplesPerSec >= plat::kFrequencyMin && f.nSamplesPerSec <= plat::kFrequencyMax;
}

namespace {

plat::PcmFormat ToPcm(const TWave& wave) {
  const TWaveFormatEx f = wave.FormatRecord();
  plat::PcmFormat p;
  p.formatTag = f.wFormatTag;
  p.channels = f.nChannels;
  p.samplesPerSec = f.nSamplesPerSec;
  p.bitsPerSample = f.wBitsPerSample;
  return p;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TDirectSound

TDirectSound::TDirectSound() {
  if (!plat::AudioIsOpen()) {
    std::string why;
    if (!plat::AudioOpen(&why))
      throw EDirectSoundError(DXFormat(SCannotInitialized, "DirectSound"));
    openedAudio_ = true;
  }
}

TDirectSound::~TDirectSound() {
  // Buffers that outlive their mixer lose their samples and no longer point at it.
  for (TDirectSoundBuffer* b : buffers_) {
    b->Release();
    b->owner_ = nullptr;
  }
  if (openedAudio_) plat::AudioClose();
}

void TDXSoundDirectSound::DoRestoreBuffer() { owner_.Restore(); }

// ---------------------------------------------------------------------------------------------
// TDirectSoundBuffer

TDirectSoundBuffer::TDirectSoundBuffer(TDirectSound& owner) : owner_(&owner) {
  owner_->buffers_.push_back(this);
}

TDirectSoundBuffer::~TDirectSoundBuffer() {
  Release();
  if (owner_) std::erase(owner_->buffers_, this);
}

void TDirectSoundBuffer::Check() {
  if (DXResult() == DSERR_BUFFERLOST && owner_ && !owner_->restoring_) {
    owner_->restoring_ = true;
    try {
      owner_->DoRestoreBuffer();
    } catch (...) {
      owner_->restoring_ = false;
      throw;
    }
    owner_->restoring_ = false;
  }
}

void TDirectSoundBuffer::Release() {
  if (id_ != 0) plat::SoundDestroy(id_);
  id_ = 0;
  primary_ = false;
}

void TDirectSoundBuffer::CreateBuffer(const TWave& format, std::int32_t size) {
  Release();
  if (!owner_) throw EDirectSoundError(DXFormat(SNotMade, "IDirectSound"));
  flags_ = DSBCAPS_CTRLDEFAULT;
  if (owner_ && owner_->StickyFocus)
    flags_ |= DSBCAPS_STICKYFOCUS;
  else if (owner_ && owner_->GlobalFocus)
    flags_ |= DSBCAPS_GLOBALFOCUS;
  if (!WavePlayable(format) || size < 0)
    throw EDirectSoundBufferError(DXFormat(SCannotMade, "Sound Buffer"));
  const plat::PcmFormat pcm = ToPcm(format);
  const std::vector<std::uint8_t> silence(static_cast<std::size_t>(size),
                                          pcm.bitsPerSample == 8 ? 0x80 : 0);
  std::string why;
  id_ = plat::SoundCreate(pcm, silence.data(), silence.size(), &why);
  SetDXResult(id_ != 0 ? 0 : DSERR_GENERIC);
  if (id_ == 0) throw EDirectSoundBufferError(DXFormat(SCannotMade, "Sound Buffer"));
}

void TDirectSoundBuffer::CreatePrimary() {
  Release();
  flags_ = DSBCAPS_PRIMARYBUFFER;
  if (!plat::AudioIsOpen()) throw EDirectSoundBufferError(DXFormat(SCannotMade, "Primary Buffer"));
  primary_ = true;
}

void TDirectSoundBuffer::LoadWave(const TWave& wave) {
  Release();
  // A wave without samples is silence: it gets no buffer at all.
  if (wave.Size() <= 0) return;
  if (!owner_) throw EDirectSoundError(DXFormat(SNotMade, "IDirectSound"));
  flags_ = DSBCAPS_CTRLDEFAULT;
  if (owner_ && owner_->StickyFocus)
    flags_ |= DSBCAPS_STICKYFOCUS;
  else if (owner_ && owner_->GlobalFocus)
    flags_ |= DSBCAPS_GLOBALFOCUS;
  if (!WavePlayable(wave)) throw EDirectSoundBufferError(DXFormat(SCannotMade, "Sound Buffer"));
  std::string why;
  id_ = plat::SoundCreate(ToPcm(wave), wave.Data(), static_cast<std::size_t>(wave.Size()), &why);
  SetDXResult(id_ != 0 ? 0 : DSERR_GENERIC);
  if (id_ == 0) throw EDirectSoundBufferError(DXFormat(SCannotMade, "Sound Buffer"));
}

void TDirectSoundBuffer::Assign(const TDirectSoundBuffer* source) {
  if (source == this) return;
  if (!source || source->id_ == 0) {
    Release();
    return;
  }
  Release();
  id_ = plat::SoundDuplicate(source->id_);
  flags_ = source->flags_;
  SetDXResult(id_ != 0 ? 0 : DSERR_GENERIC);
  if (id_ == 0) throw EDirectSoundBufferError(DXFormat(SCannotMade, "Sound Buffer"));
  // Some mixers start a duplicate at defaults: set the master's parameters explicitly.
  plat::SoundSetVolume(id_, plat::SoundVolume(source->id_));
  plat::SoundSetPan(id_, plat::SoundPan(source->id_));
  plat::SoundSetFrequency(id_, plat::SoundFrequency(source->id_));
}

bool TDirectSoundBuffer::Lost() const { return id_ != 0 && !plat::SoundValid(id_); }

bool TDirectSoundBuffer::Play(bool loop) {
  if (!HasInterface()) throw EDirectSoundBufferError(DXFormat(SNotMade, "IDirectSoundBuffer"));
  if (primary_) return true;
  if (Lost()) {
    SetDXResult(DSERR_BUFFERLOST);
    return false;
  }
  SetDXResult(plat::SoundPlay(id_, loop) ? 0 : DSERR_GENERIC);
  return DXResult() == 0;
}

bool TDirectSoundBuffer::Stop() {
  if (!HasInterface()) throw EDirectSoundBufferError(DXFormat(SNotMade, "IDirectSoundBuffer"));
  if (id_ != 0 && !Lost()) plat::SoundStop(id_);
  SetDXResult(0);
  return true;
}

std::uint32_t TDirectSoundBuffer::Status() {
  if (!HasInterface()) throw EDirectSoundBufferError(DXFormat(SNotMade, "IDirectSoundBuffer"));
  if (primary_) return 0;
  if (Lost()) return DSBSTATUS_BUFFERLOST;
  return plat::SoundPlaying(id_) ? DSBSTATUS_PLAYING : 0;
}

bool TDirectSoundBuffer::Playing() {
  return (Status() & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING)) != 0;
}

bool TDirectSoundBuffer::SetFrequency(std::int32_t hz) {
  if (!HasInterface()) throw EDirectSoundBufferError(DXFormat(SNotMade, "IDirectSoundBuffer"));
  if (id_ != 0) plat::SoundSetFrequency(id_, hz < 0 ? 0u : static_cast<std::uint32_t>(hz));
  return true;
}

bool TDirectSoundBuffer::SetPan(std::int32_t pan) {
  if (!HasInterface()) throw EDirectSoundBufferError(DXFormat(SNotMade, "IDirectSoundBuffer"));
  if (id_ != 0) plat::SoundSetPan(id_, pan);
  return true;
}

bool TDirectSoundBuffer::SetVolume(std::int32_t hundredthsDb) {
  if (!HasInterface()) throw EDirectSoundBufferError(DXFormat(SNotMade, "IDirectSoundBuffer"));
  if (id_ != 0) plat::SoundSetVolume(id_, hundredthsDb);
  return true;
}

std::int32_t TDirectSoundBuffer::Frequency() const {
  return id_ != 0 ? static_cast<std::int32_t>(plat::SoundFrequency(id_)) : 0;
}
std::int32_t TDirectSoundBuffer::Pan() const { return id_ != 0 ? plat::SoundPan(id_) : 0; }
std::int32_t TDirectSoundBuffer::Volume() const { return id_ != 0 ? plat::SoundVolume(id_) : 0; }

// ---------------------------------------------------------------------------------------------
// TCustomDXSound

TCustomDXSound::TCustomDXSound(plat::Form* owner) : owner_(owner) {}

TCustomDXSound::~TCustomDXSound() {
  Finalize();
  listeners_.Notify(dsntDestroying);
}

void TCustomDXSound::SetOptions(TDXSoundOptions o) {
  options_ = o;
  if (!initialized_) {
    nowOptions_ = o;
    return;
  }
  // The cooperative level was fixed at initialisation; only the focus flags follow at once.
  constexpr TDXSoundOptions initOnly = soExclusive | soWritePrimary;
  nowOptions_ = static_cast<TDXSoundOptions>((nowOptions_ & initOnly) | (o & ~initOnly));
  if (dsound_) {
    dsound_->GlobalFocus = (nowOptions_ & soGlobalFocus) != 0;
    dsound_->StickyFocus = (nowOptions_ & soStickyFocus) != 0;
  }
}

void TCustomDXSound::Loaded() {
  if (!AutoInitialize) return;
  try {
    Initialize();
  } catch (const std::exception&) {
    // Without a mixer the game runs silent.
  }
}

void TCustomDXSound::Initialize() {
  Finalize();
  if (!owner_) throw EDXSoundError(SFormNotFound);
  listeners_.Notify(dsntInitializing);
  DoInitializing();
  initializing_ = true;
  try {
    dsound_ = std::make_unique<TDXSoundDirectSound>(*this);
    dsound_->GlobalFocus = (nowOptions_ & soGlobalFocus) != 0;
    primary_ = std::make_unique<TDirectSoundBuffer>(*dsound_);
    primary_->CreatePrimary();
    initialized_ = true;
    cooperativeLevel_ = (nowOptions_ & soWritePrimary) ? DSSCL_WRITEPRIMARY
                        : (nowOptions_ & soExclusive)  ? DSSCL_EXCLUSIVE
                                                       : DSSCL_NORMAL;
  } catch (...) {
    Finalize();
    throw;
  }
  initializing_ = false;
  listeners_.Notify(dsntInitialize);
  calledDoInitialize_ = true;
  DoInitialize();
  Restore();
}

void TCustomDXSound::Finalize() {
  if (initializing_ || initialized_) {
    listeners_.Notify(dsntFinalize);
    if (calledDoInitialize_) {
      calledDoInitialize_ = false;
      DoFinalize();
    }
  }
  initialized_ = false;
  initializing_ = false;
  SetOptions(options_);
  primary_.reset();
  dsound_.reset();
}

void TCustomDXSound::Restore() {
  if (!initialized_) return;
  listeners_.Notify(dsntRestore);
  DoRestore();
}

void TCustomDXSound::RegisterNotifyEvent(TDXNotifyProc proc, void* data) {
  listeners_.Add(proc, data);
  if (initialized_) {
    proc(data, dsntInitialize);
    proc(data, dsntRestore);
  }
}

void TCustomDXSound::UnRegisterNotifyEvent(TDXNotifyProc proc, void* data) {
  listeners_.Remove(proc, data);
  if (initialized_) proc(data, dsntFinalize);
}

void TCustomDXSound::DoFinalize() {
  if (OnFinalize) OnFinalize(*this);
}
void TCustomDXSound::DoInitialize() {
  if (OnInitialize) OnInitialize(*this);
}
void TCustomDXSound::DoInitializing() {
  if (OnInitializing) OnInitializing(*this);
}
void TCustomDXSound::DoRestore() {
  if (OnRestore) OnRestore(*this);
}

// ---------------------------------------------------------------------------------------------
// TWaveCollectionItem

TWaveCollectionItem::~TWaveCollectionItem() { Finalize(); }

TWaveCollection* TWaveCollectionItem::WaveCollection() const {
  return static_cast<TWaveCollection*>(Collection());
}

void TWaveCollectionItem::Assign(const THashCollectionItem& source) {
  THashCollectionItem::Assign(source);
  if (const auto* w = dynamic_cast<const TWaveCollectionItem*>(&source); w && w != this) {
    looped_ = w->looped_;
    wave_.Assign(&w->wave_);
    frequency_ = w->frequency_;
    pan_ = w->pan_;
    volume_ = w->volume_;
  }
}

void TWaveCollectionItem::Initialize() {
  TWaveCollection* coll = WaveCollection();
  if (!coll || !coll->Initialized())
    throw EWaveCollectionError(DXFormat(SCannotInitialized, ClassName()));
  buffer_ = std::make_unique<TDirectSoundBuffer>(*coll->dxSound_->DSound());
  initialized_ = true;
}

void TWaveCollectionItem::Finalize() {
  if (!initialized_) return;
  initialized_ = false;
  buffer_.reset();
}

void TWaveCollectionItem::Restore() {
  TWaveCollection* coll = WaveCollection();
  if (!coll || !coll->Initialized()) return;
  if (!initialized_) Initialize();
  buffer_->LoadWave(wave_);
  if (!buffer_->HasInterface()) return;
  buffer_->SetFrequency(frequency_);
  buffer_->SetPan(pan_);
  buffer_->SetVolume(volume_);
}

void TWaveCollectionItem::SetLooped(bool v) {
  if (v == looped_) return;
  if (initialized_ && buffer_->HasInterface()) buffer_->Stop();
  looped_ = v;
}

void TWaveCollectionItem::SetFrequency(std::int32_t v) {
  frequency_ = v;
  if (initialized_ && buffer_->HasInterface()) buffer_->SetFrequency(v);
}

void TWaveCollectionItem::SetPan(std::int32_t v) {
  pan_ = v;
  if (initialized_ && buffer_->HasInterface()) buffer_->SetPan(v);
}

void TWaveCollectionItem::SetVolume(std::int32_t v) {
  volume_ = v;
  if (initialized_ && buffer_->HasInterface()) buffer_->SetVolume(v);
}

void TWaveCollectionItem::Stop() {
  if (initialized_ && buffer_->HasInterface()) buffer_->Stop();
}

void TWaveCollectionItem::Play(bool wait) {
  TWaveCollection* coll = WaveCollection();
  if (!coll || !coll->Initialized()) return;
  // An item added after binding, or whose buffer the mixer lost, is made ready first.
  if (!initialized_ || (buffer_->HasInterface() && (buffer_->Status() & DSBSTATUS_BUFFERLOST)))
    Restore();
  if (!buffer_->HasInterface()) return;  // silence
  if (looped_) {
    buffer_->Play(true);
    return;
  }
  auto dup = std::make_unique<TDirectSoundBuffer>(*coll->dxSound_->DSound());
  dup->Assign(buffer_.get());
  dup->Play(false);
  if (!wait) {
    coll->oneShots_.push_back(std::move(dup));
    return;
  }
  // Bounded by the effect's own length, so a stalled mixer cannot hang the game.
  const TWaveFormatEx f = wave_.FormatRecord();
  const std::uint64_t bytesPerSec = std::max<std::uint64_t>(
      1, static_cast<std::uint64_t>(f.nSamplesPerSec) * f.nChannels * (f.wBitsPerSample / 8));
  const std::uint64_t limit =
      plat::NowMs() + static_cast<std::uint64_t>(wave_.Size()) * 1000 / bytesPerSec + 2000;
  while (dup->Playing() && plat::NowMs() < limit) plat::SleepMs(10);
}

// ---------------------------------------------------------------------------------------------
// TWaveCollection

TWaveCollection::~TWaveCollection() {
  Finalize();
  Clear();
}

TWaveCollectionItem& TWaveCollection::Add() {
  return static_cast<TWaveCollectionItem&>(AddItem(std::make_unique<TWaveCollectionItem>()));
}

void TWaveCollection::Assign(const TWaveCollection& source) {
  if (&source == this) return;
  Clear();
  for (int i = 0; i < source.Count(); ++i) Add().Assign(source.Items(i));
  if (Initialized()) {
    Initialize(*dxSound_);
    Restore();
  }
}

bool TWaveCollection::Initialized() const { return dxSound_ && dxSound_->Initialized(); }

void TWaveCollection::Initialize(TCustomDXSound& sound) {
  Finalize();
  dxSound_ = &sound;
  for (int i = 0; i < Count(); ++i) Items(i).Initialize();
  timer_ = plat::AddTimer(500, [this] { ReapFinished(); });
}

void TWaveCollection::Finalize() {
  if (timer_) plat::RemoveTimer(timer_);
  timer_ = 0;
  oneShots_.clear();
  for (int i = 0; i < Count(); ++i) Items(i).Finalize();
  dxSound_ = nullptr;
}

void TWaveCollection::Restore() {
  for (int i = 0; i < Count(); ++i) Items(i).Restore();
}

void TWaveCollection::ReapFinished() {
  for (std::size_t k = oneShots_.size(); k-- > 0;)
    if (!oneShots_[k]->HasInterface() || !oneShots_[k]->Playing())
      oneShots_.erase(oneShots_.begin() + static_cast<std::ptrdiff_t>(k));
}

namespace {

constexpr const char* kCarrierClass = "TWaveCollectionComponent";
constexpr const char* kBankResName = "TWAVECOLLECTIONCOMPONENT";

bool SameText(std::string_view a, std::string_view b) { return DXLowerCase(a) == DXLowerCase(b); }

struct ParsedItem {
  std::string name;
  bool looped = false;
  TWave wave;
};

std::vector<ParsedItem> ParseItems(TComponentReader& r) {
  std::vector<ParsedItem> items;
  while (!r.EndOfList()) {
    TValueType t = r.ReadValueType();
    if (t == vaInt8 || t == vaInt16 || t == vaInt32) {  // an item's order, not needed
      r.ReadInteger(t);
      t = r.ReadValueType();
    }
    if (t != vaList) throw EStreamError(SInvalidStreamFormat);
    ParsedItem item;
    while (!r.EndOfList()) {
      const std::string prop = r.ReadShortString();
      const TValueType vt = r.ReadValueType();
      if (SameText(prop, "Name")) {
        item.name = r.ReadString(vt);
      } else if (SameText(prop, "Looped")) {
        item.looped = r.ReadBoolean(vt);
      } else if (SameText(prop, "Wave.WAVE")) {
        const std::vector<std::uint8_t> bytes = r.ReadBinary(vt);
        item.wave.LoadFromBytes(bytes);
        // A wave with samples must be one the mixer plays, or binding would fail half-way.
        if (item.wave.Size() > 0 && !WavePlayable(item.wave))
          throw EWaveStreamError(SInvalidWaveFormat);
      } else {
        r.SkipValue(vt);
      }
    }
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

void TWaveCollection::LoadFromStream(TStream& stream) {
  std::vector<ParsedItem> parsed;
  {
    TComponentReader head(stream);
    const std::int64_t length = head.ReadResHeader();
    std::vector<std::uint8_t> body(static_cast<std::size_t>(length));
    stream.ReadBuffer(body.data(), length);
    TReadOnlyStream bs(body);
    TComponentReader r(bs);
    r.ReadSignature();
    r.ReadShortString();  // the carrier's class
    r.ReadShortString();  // its name (none)
    bool haveList = false;
    while (!r.EndOfList()) {
      const std::string prop = r.ReadShortString();
      const TValueType vt = r.ReadValueType();
      if (SameText(prop, "List") && vt == vaCollection && !haveList) {
        parsed = ParseItems(r);
        haveList = true;
      } else {
        r.SkipValue(vt);
      }
    }
    if (!r.EndOfList()) throw EStreamError(SInvalidStreamFormat);  // no child components
  }
  // Everything is read: now the collection changes.
  TCustomDXSound* sound = Initialized() ? dxSound_ : nullptr;
  Finalize();
  Clear();
  for (ParsedItem& p : parsed) {
    TWaveCollectionItem& item = Add();
    item.SetName(p.name);
    item.looped_ = p.looped;
    item.wave_ = std::move(p.wave);
  }
  if (sound) {
    Initialize(*sound);
    Restore();
  }
}

void TWaveCollection::LoadFromBytes(std::span<const std::uint8_t> bytes) {
  TReadOnlyStream s(bytes);
  LoadFromStream(s);
}

void TWaveCollection::LoadFromFile(const std::filesystem::path& path) {
  // A named pipe or a device is refused rather than waited on; no sound bank comes near the bound.
  constexpr std::uintmax_t MaxWaveListFileBytes = 256u << 20;
  std::vector<std::uint8_t> bytes;
  if (plat::ReadRegularFile(path, MaxWaveListFileBytes, bytes) != plat::ReadResult::Ok)
    throw EWaveCollectionError(DXFormat(SCannotOpenFile, path.string()));
  LoadFromBytes(bytes);
}

void TWaveCollection::SaveToStream(TStream& stream) const {
  TComponentWriter w(stream);
  w.WriteResHeader(kBankResName);
  w.WriteSignature();
  w.WriteShortString(kCarrierClass);
  w.WriteShortString("");
  w.WriteShortString("List");
  w.WriteValueType(vaCollection);
  for (int i = 0; i < Count(); ++i) {
    const TWaveCollectionItem& item = Items(i);
    w.WriteValueType(vaList);
    w.WriteShortString("Name");
    w.WriteString(item.Name());
    w.WriteShortString("Looped");
    w.WriteBoolean(item.Looped());
    w.WriteShortString("Wave.WAVE");
    w.WriteBinary(item.Wave().SaveToBytes());
    w.WriteListEnd();
  }
  w.WriteListEnd();  // the collection
  w.WriteListEnd();  // the properties
  w.WriteListEnd();  // the child components
  w.FinishResHeader();
}

std::vector<std::uint8_t> TWaveCollection::SaveToBytes() const {
  TMemoryStream s;
  SaveToStream(s);
  return std::move(s.Bytes());
}

bool TWaveCollection::SaveToFile(const std::filesystem::path& path) const {
  const std::vector<std::uint8_t> bytes = SaveToBytes();
  return plat::WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// ---------------------------------------------------------------------------------------------
// TCustomDXWaveList

TCustomDXWaveList::TCustomDXWaveList() = default;

TCustomDXWaveList::~TCustomDXWaveList() { SetDXSound(nullptr); }

void TCustomDXWaveList::SetDXSound(TCustomDXSound* sound) {
  if (sound == dxSound_) return;
  if (dxSound_) dxSound_->UnRegisterNotifyEvent(&TCustomDXWaveList::Notify, this);
  dxSound_ = sound;
  if (dxSound_) dxSound_->RegisterNotifyEvent(&TCustomDXWaveList::Notify, this);
}

void TCustomDXWaveList::Notify(void* self, int code) {
  auto* list = static_cast<TCustomDXWaveList*>(self);
  switch (code) {
    case dsntDestroying:
      list->items_.Finalize();
      list->dxSound_ = nullptr;
      break;
    case dsntInitialize:
      if (list->dxSound_) list->items_.Initialize(*list->dxSound_);
      break;
    case dsntFinalize:
      list->items_.Finalize();
      break;
    case dsntRestore:
      list->items_.Restore();
      break;
    default:
      break;
  }
}

}  // namespace zarn
