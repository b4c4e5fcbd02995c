// The display: a device object over the platform's presentation, 16-bit surfaces with their
// canvas, palettes and clipper, the full-screen display modes and their search, and the display
// component that the main form shows its picture through (windowed blit or full-screen flip).
//
// Full screen never changes the monitor's mode: the chosen display mode becomes the size of
// the window's picture and the platform scales that onto the desktop.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/dx/DIB.h"
#include "game/dx/DXClass.h"
#include "game/dx/DXForms.h"
#include "platform/surface.h"

namespace zarn {

// ---------------------------------------------------------------------------------------------
// Errors and texts

struct EDirectDrawError : EDXError {
  using EDXError::EDXError;
};
struct EDirectDrawPaletteError : EDirectDrawError {
  using EDirectDrawError::EDirectDrawError;
};
struct EDirectDrawClipperError : EDirectDrawError {
  using EDirectDrawError::EDirectDrawError;
};
struct EDirectDrawSurfaceError : EDirectDrawError {
  using EDirectDrawError::EDirectDrawError;
};
struct EDXDrawError : EDXError {
  using EDXError::EDXError;
};

inline constexpr const char* SNecessaryDirectX6 = "Necessary since DirectX 6";
inline constexpr const char* SDisplayModeChange = "Display mode cannot be changed (%dx%d %dbit)";
inline constexpr const char* SInvalidDisplayBitCount = "It should be either of 8 or 16 or 24 or 32";
inline constexpr const char* SFullScreenUnavailable = "Full screen is not available; the game stays in a window";

// ---------------------------------------------------------------------------------------------
// Result codes, flags and records of the device

inline constexpr std::int32_t DD_OK = 0;
inline constexpr std::int32_t DDERR_GENERIC = static_cast<std::int32_t>(0x80004005u);
inline constexpr std::int32_t DDERR_INVALIDPARAMS = static_cast<std::int32_t>(0x80070057u);
inline constexpr std::int32_t DDERR_NOEXCLUSIVEMODE = static_cast<std::int32_t>(0x887600E1u);
inline constexpr std::int32_t DDERR_OUTOFVIDEOMEMORY = static_cast<std::int32_t>(0x8876017Cu);
inline constexpr std::int32_t DDERR_SURFACEBUSY = static_cast<std::int32_t>(0x887601AEu);
inline constexpr std::int32_t DDERR_SURFACELOST = static_cast<std::int32_t>(0x887601C2u);
inline constexpr std::int32_t DDERR_UNSUPPORTEDMODE = static_cast<std::int32_t>(0x8876024Eu);
inline constexpr std::int32_t DDERR_NOBLTHW = static_cast<std::int32_t>(0x88760245u);

// Surface description flags.
inline constexpr std::uint32_t DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4;
inline constexpr std::uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
// Surface capabilities.
inline constexpr std::uint32_t DDSCAPS_BACKBUFFER = 0x4, DDSCAPS_COMPLEX = 0x8, DDSCAPS_FLIP = 0x10;
inline constexpr std::uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40, DDSCAPS_PRIMARYSURFACE = 0x200;
inline constexpr std::uint32_t DDSCAPS_SYSTEMMEMORY = 0x800, DDSCAPS_3DDEVICE = 0x2000;
inline constexpr std::uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;
// Cooperative levels.
inline constexpr std::uint32_t DDSCL_FULLSCREEN = 0x1, DDSCL_ALLOWREBOOT = 0x2;
inline constexpr std::uint32_t DDSCL_NOWINDOWCHANGES = 0x4, DDSCL_NORMAL = 0x8;
inline constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x10, DDSCL_ALLOWMODEX = 0x40;
// Blit and flip flags.
inline constexpr std::uint32_t DDBLT_COLORFILL = 0x400, DDBLT_KEYSRC = 0x8000;
inline constexpr std::uint32_t DDBLT_WAIT = 0x1000000, DDFLIP_WAIT = 0x1;
inline constexpr std::uint32_t DDWAITVB_BLOCKBEGIN = 0x1;
inline constexpr std::uint32_t DDCKEY_SRCBLT = 0x8;
// Palette flags.
inline constexpr std::uint32_t DDPCAPS_8BIT = 0x4, DDPCAPS_INITIALIZE = 0x8;
inline constexpr std::uint32_t DDPCAPS_ALLOW256 = 0x40;
inline constexpr std::uint8_t PC_NOCOLLAPSE = 0x4, PC_RESERVED_FLAGS = 0x40;

// The surface description: the fields the layer reads and writes.
struct TDDSurfaceDesc {
  std::uint32_t dwFlags = 0;
  std::int32_t dwWidth = 0;
  std::int32_t dwHeight = 0;
  std::uint32_t dwBackBufferCount = 0;
  std::uint32_t dwCaps = 0;
  std::int32_t dwBitCount = 16;
};

// The blit effects: only the fill colour is used.
struct TDDBltFx {
  std::uint32_t dwFillColor = 0;
};

#pragma pack(push, 1)
struct TDDPaletteEntry {
  std::uint8_t peRed, peGreen, peBlue, peFlags;
};
struct TRGBQuad {
  std::uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
};
#pragma pack(pop)
static_assert(sizeof(TDDPaletteEntry) == 4 && sizeof(TRGBQuad) == 4);
using TPaletteEntries = std::array<TDDPaletteEntry, 256>;
using TRGBQuads = std::array<TRGBQuad, 256>;

// The system palette's 20 reserved colours (0 to 9 and 246 to 255); black between.
const TRGBQuads& SystemPaletteQuads();

// A display mode that the device offers.
struct TDisplayModeInfo {
  int width = 0, height = 0, bitCount = 0;
  bool operator==(const TDisplayModeInfo&) const = default;
};
// The classic modes at 8, 16, 24 and 32 bits: any of them can be the window's picture size.
std::vector<TDisplayModeInfo> DefaultDisplayModes();
// Where the device's list of modes comes from (tests give their own).
inline std::function<std::vector<TDisplayModeInfo>()> DXDisplayModesProc;
// Bytes of surface memory that count as video memory (-1: no limit). A surface asked for in
// video memory beyond it fails, as on a card that is full.
inline std::int64_t DXVideoMemoryLimit = -1;

// ---------------------------------------------------------------------------------------------
// Device objects

class TDirectDraw;
class TDirectDrawSurface;
class TCustomDXDraw;

class TDirectDrawClipper : public TDirectX {
 public:
  // Throws EDirectDrawClipperError "Clipper cannot be made" without a device.
  explicit TDirectDrawClipper(TDirectDraw& owner);
  ~TDirectDrawClipper() override;
  TDirectDrawClipper(const TDirectDrawClipper&) = delete;
  TDirectDrawClipper& operator=(const TDirectDrawClipper&) = delete;

  TDirectDraw* DDraw() const { return owner_; }
  void SetHandle(TDXForm* window);
  TDXForm* Window() const { return window_; }

 private:
  friend class TDirectDraw;
  TDirectDraw* owner_;
  TDXForm* window_ = nullptr;
};

class TDirectDrawPalette : public TDirectX {
 public:
  explicit TDirectDrawPalette(TDirectDraw& owner);
  ~TDirectDrawPalette() override;
  TDirectDrawPalette(const TDirectDrawPalette&) = delete;
  TDirectDrawPalette& operator=(const TDirectDrawPalette&) = delete;

  TDirectDraw* DDraw() const { return owner_; }
  bool HasInterface() const { return made_; }
  // Replaces the palette; true when it was made.
  bool CreatePalette(std::uint32_t caps, const TPaletteEntries& entries);
  // Sets entries start .. start + count - 1; false for a range outside 0 .. 255.
  bool SetEntries(int start, int count, const TDDPaletteEntry* entries);
  const TPaletteEntries& Entries() const { return entries_; }
  std::uint32_t Caps() const { return caps_; }

 private:
  friend class TDirectDraw;
  TDirectDraw* owner_;
  bool made_ = false;
  std::uint32_t caps_ = 0;
  TPaletteEntries entries_{};
};

// A device context of a surface: the locked pixels and a few drawing operations on them.
class TDirectDrawSurfaceCanvas : public TCanvas {
 public:
  explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface) : surface_(surface) {}
  ~TDirectDrawSurfaceCanvas() override;
  TDirectDrawSurfaceCanvas(const TDirectDrawSurfaceCanvas&) = delete;
  TDirectDrawSurfaceCanvas& operator=(const TDirectDrawSurfaceCanvas&) = delete;

  // Row 0 of the surface, held until Release; null when the surface cannot give one (lost or
  // without memory). A second use before Release gives the same context.
  std::uint16_t* Handle();
  bool HandleAllocated() const { return pixels_ != nullptr; }
  int Pitch() const;  // in pixels
  void Release();

  // Colours converted from and to the surface's pixel format.
  int Width() override;
  int Height() override;
  TColor Pixel(int x, int y) override;
  void SetPixel(int x, int y, TColor colour) override;

  // Draws a 16-bit picture 1:1 at (x, y) or stretched into dst, clipped to the surface and
  // converted to its pixel format.
  void Draw(int x, int y, const plat::Surface& picture);
  void StretchDraw(plat::Rect dst, const plat::Surface& picture);
  void FillRect(plat::Rect r, std::uint16_t colour);

 private:
  TDirectDrawSurface& surface_;
  std::uint16_t* pixels_ = nullptr;
};

class TDirectDrawSurface : public TDirectX {
 public:
  explicit TDirectDrawSurface(TDirectDraw& owner);
  ~TDirectDrawSurface() override;
  TDirectDrawSurface(const TDirectDrawSurface&) = delete;
  TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

  TDirectDraw* DDraw() const { return owner_; }
  bool HasInterface() const { return made_; }
  // Releases the current surface and makes one from the description; true on success.
  bool CreateSurface(const TDDSurfaceDesc& desc);
  // An off-screen surface of the size; 0 or less releases it. Falls back to system memory
  // when video memory is full (and keeps asking for it later). Throws "Surface cannot be made".
  void SetSize(int width, int height);
  void Release();

  int Width() const { return made_ ? desc_.dwWidth : 0; }
  int Height() const { return made_ ? desc_.dwHeight : 0; }
  plat::Rect ClientRect() const { return plat::Rect{0, 0, Width(), Height()}; }
  const TDDSurfaceDesc& SurfaceDesc() const { return desc_; }
  std::uint32_t Caps() const { return made_ ? desc_.dwCaps : 0; }
  bool SystemMemory() const { return systemMemory_; }
  plat::PixelFormat Format() const { return pixels_.format; }
  // The memory itself (for presenting and for tests).
  const plat::Surface& Pixels() const { return pixels_; }

  TDirectDrawSurfaceCanvas& Canvas();
  // Row 0 while locked (pitch = Width); null when lost or not made.
  std::uint16_t* Lock();
  void Unlock();

  bool IsLost() const;
  bool Restore();
  bool Fill(std::uint16_t colour);
  // Copies (stretching when the sizes differ) srcRect of source into destRect, clipped to both
  // surfaces; DDBLT_COLORFILL fills destRect with fx.dwFillColor; DDBLT_KEYSRC skips the
  // source's key colour. A blit into the primary surface shows at once.
  bool Blt(plat::Rect destRect, plat::Rect srcRect, std::uint32_t flags, const TDDBltFx& fx,
           TDirectDrawSurface* source);
  // Page flip of a primary surface with a back buffer: the back buffer is shown.
  bool Flip(std::uint32_t flags);
  // The attached back buffer of a flipping primary surface.
  TDirectDrawSurface* AttachedSurface() const { return attached_.get(); }

  void SetClipper(TDirectDrawClipper* clipper);
  bool HasClipper() const { return hasClipper_; }
  TDirectDrawClipper* Clipper() const { return clipper_; }
  void SetPalette(TDirectDrawPalette* palette);
  TDirectDrawPalette* Palette() const { return palette_; }
  bool SetColorKey(std::uint32_t flags, std::uint16_t low, std::uint16_t high);
  void SetKeyColor(std::uint16_t colour) { SetColorKey(DDCKEY_SRCBLT, colour, colour); }
  std::uint16_t KeyColor() const { return keyColour_; }

  // Null releases; another surface with memory is duplicated; a graphic, or a picture's, is
  // copied in at its own size.
  void Assign(std::nullptr_t) { Release(); }
  void Assign(const TDirectDrawSurface* source);
  void Assign(TGraphic* source);
  void Assign(const TPicture* source) { Assign(source ? source->Graphic() : nullptr); }
  // The surface becomes width x height (0: the rectangle's) holding the graphic's source
  // rectangle, stretched. A picture leaves plain memory for its canvas.
  void CopyGraphic(TGraphic& graphic, int width, int height, plat::Rect source);
  // The whole surface into a 24-bit picture of its size.
  void AssignTo(TDIB& dest);

 private:
  friend class TDirectDraw;
  friend class TDirectDrawSurfaceCanvas;
  void Detach();  // the device goes: drop the memory and the link to it
  void Present();

  TDirectDraw* owner_;
  bool made_ = false;
  TDDSurfaceDesc desc_;
  plat::Surface pixels_;
  bool systemMemory_ = false;
  std::int64_t videoBytes_ = 0;
  std::unique_ptr<TDirectDrawSurfaceCanvas> canvas_;
  std::unique_ptr<TDirectDrawSurface> attached_;
  TDirectDrawSurface* flipParent_ = nullptr;
  TDirectDrawClipper* clipper_ = nullptr;
  bool hasClipper_ = false;
  TDirectDrawPalette* palette_ = nullptr;
  std::uint16_t keyColour_ = 0;
};

// The device: the platform's presentation for one window.
class TDirectDraw : public TDirectX {
 public:
  // Throws EDirectDrawError "DirectDraw cannot be initialized" when the platform has no
  // presentation. driverGuid: unused (one display driver).
  explicit TDirectDraw(const void* driverGuid = nullptr);
  ~TDirectDraw() override;
  TDirectDraw(const TDirectDraw&) = delete;
  TDirectDraw& operator=(const TDirectDraw&) = delete;

  std::vector<TDisplayModeInfo> EnumDisplayModes() const;
  // Stores the window and flags; full screen needs the exclusive flag.
  std::int32_t SetCooperativeLevel(TDXForm* window, std::uint32_t flags);
  std::uint32_t CooperativeLevel() const { return coopFlags_; }
  TDXForm* Window() const { return window_; }
  // Accepts a listed mode under the exclusive level; EnterFullScreen then shows it.
  std::int32_t SetDisplayMode(int width, int height, int bitCount);
  bool DisplayModeSet() const { return modeSet_; }
  TDisplayModeInfo DisplayMode() const { return mode_; }
  // Puts the window full screen with the picture of the mode's size, scaled to the desktop.
  // False (the window unchanged) with the reason when full screen cannot be had.
  bool EnterFullScreen(std::string* why);
  bool InFullScreen() const { return inFullScreen_; }
  // Back to the window and its size before the mode was set.
  void RestoreDisplayMode();
  std::int32_t WaitForVerticalBlank(std::uint32_t flags);
  // Hardware 3D is offered by no driver here.
  bool Has3DHardware() const { return false; }

  int SurfaceCount() const { return static_cast<int>(surfaces_.size()); }
  int PaletteCount() const { return static_cast<int>(palettes_.size()); }
  int ClipperCount() const { return static_cast<int>(clippers_.size()); }
  std::int64_t VideoMemoryUsed() const { return videoUsed_; }

 private:
  friend class TDirectDrawSurface;
  friend class TDirectDrawPalette;
  friend class TDirectDrawClipper;

  std::vector<TDirectDrawSurface*> surfaces_;
  std::vector<TDirectDrawPalette*> palettes_;
  std::vector<TDirectDrawClipper*> clippers_;
  TDXForm* window_ = nullptr;
  std::uint32_t coopFlags_ = 0;
  bool modeSet_ = false;
  TDisplayModeInfo mode_;
  bool inFullScreen_ = false;
  int savedWidth_ = 0, savedHeight_ = 0;
  std::int64_t videoUsed_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Display modes

class TDirectDrawDisplayMode {
 public:
  explicit TDirectDrawDisplayMode(const TDDSurfaceDesc& desc) : desc_(desc) {}
  int Width() const { return desc_.dwWidth; }
  int Height() const { return desc_.dwHeight; }
  int BitCount() const { return desc_.dwBitCount; }
  const TDDSurfaceDesc& SurfaceDesc() const { return desc_; }

 private:
  TDDSurfaceDesc desc_;
};

class TDirectDrawDisplay {
 public:
  explicit TDirectDrawDisplay(TCustomDXDraw* owner = nullptr) : owner_(owner) {}
  TDirectDrawDisplay(const TDirectDrawDisplay&) = delete;
  // Copies the six properties (not the owner or the list).
  TDirectDrawDisplay& operator=(const TDirectDrawDisplay& source);
  void Assign(const TDirectDrawDisplay& source) { *this = source; }

  int BitCount() const { return bitCount_; }
  void SetBitCount(int v);  // 8, 16, 24 or 32, else EDirectDrawError
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v > 0 ? v : 0; }
  int Height() const { return height_; }
  void SetHeight(int v) { height_ = v > 0 ? v : 0; }
  bool FixedBitCount = true;
  bool FixedRatio = true;
  bool FixedSize = false;

  int Count();
  const TDirectDrawDisplayMode& Modes(int index);  // std::out_of_range outside the list
  int IndexOf(int width, int height, int bitCount);
  void ClearModes() { modes_.clear(); }
  // The mode search: the exact mode, else the smallest acceptable one (same shape first when
  // FixedRatio). On success Width, Height and BitCount hold what was set.
  bool SetDisplayMode(int width, int height, int bitCount);

 private:
  void FillModes();
  bool Search(int w, int h, int bits, bool ratio);
  bool TrySet(int w, int h, int bits);

  TCustomDXDraw* owner_;
  std::vector<TDirectDrawDisplayMode> modes_;
  int bitCount_ = 8;
  int width_ = 640;
  int height_ = 480;
};

// ---------------------------------------------------------------------------------------------
// The display component

enum TDXDrawOption : int {
  doFullScreen, doNoWindowChange, doAllowReboot, doWaitVBlank, doAllowPalette256, doSystemMemory,
  doStretch, doCenter, doFlip, do3D, doHardware, doRetainedMode, doSelectDriver, doZBuffer, doRGB,
  doMono, doDither,
};
using TDXDrawOptions = std::uint32_t;
constexpr TDXDrawOptions DXOpt(TDXDrawOption o) { return TDXDrawOptions{1} << o; }
constexpr bool HasOpt(TDXDrawOptions set, TDXDrawOption o) { return (set & DXOpt(o)) != 0; }
inline constexpr TDXDrawOptions DXDrawDefaultOptions = 0x1DC8C;
// doHardware .. doDither.
inline constexpr TDXDrawOptions DXDraw3DOptions = 0x1FC00;

// Listener codes of the display.
enum TDXDrawNotifyType : int {
  dxntDestroying = 0, dxntInitializing = 1, dxntInitialize = 2, dxntInitializeSurface = 3,
  dxntFinalize = 4, dxntFinalizeSurface = 5, dxntRestore = 6, dxntSetSurfaceSize = 7,
};

class TDXDrawDriver {
 public:
  explicit TDXDrawDriver(TCustomDXDraw& owner) : owner_(owner) {}
  virtual ~TDXDrawDriver() = default;
  virtual void Finalize();
  virtual void Flip() = 0;
  virtual void Initialize() = 0;
  virtual bool SetSize(int, int) { return false; }
  bool Restore();

 protected:
  TCustomDXDraw& owner_;
};

class TDXDrawDriverBlt : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;
  void Flip() override;
  void Initialize() override;
  bool SetSize(int width, int height) override;

 private:
  void InitializeSurface();
};

class TDXDrawDriverFlip : public TDXDrawDriver {
 public:
  using TDXDrawDriver::TDXDrawDriver;
  void Flip() override;
  void Initialize() override;
};

class TCustomDXDraw {
 public:
  // parent: the form the display sits on (its window gets the display's message hook).
  explicit TCustomDXDraw(TDXForm* parent = nullptr);
  virtual ~TCustomDXDraw();
  TCustomDXDraw(const TCustomDXDraw&) = delete;
  TCustomDXDraw& operator=(const TCustomDXDraw&) = delete;

  // The control.
  void SetParent(TDXForm* parent);
  TDXForm* ParentForm() const { return parentForm_; }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  // Fills the form's client area and follows its size (the main form's layout).
  bool AlignClient() const { return alignClient_; }
  void SetAlignClient(bool on);

  bool AutoInitialize = true;
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  std::uint16_t Color = 0;

  TDirectDrawDisplay& Display() { return display_; }
  void SetDisplay(const TDirectDrawDisplay& d) { display_ = d; }
  TDXDrawOptions Options() const { return options_; }
  void SetOptions(TDXDrawOptions value);
  TDXDrawOptions EffectiveOptions() const { return effective_; }

  int SurfaceWidth() const;
  int SurfaceHeight() const;
  void SetSurfaceWidth(int w);
  void SetSurfaceHeight(int h);

  std::function<void(TCustomDXDraw&)> OnFinalize;
  std::function<void(TCustomDXDraw&)> OnFinalizeSurface;
  std::function<void(TCustomDXDraw&)> OnInitialize;
  std::function<void(TCustomDXDraw&)> OnInitializeSurface;
  std::function<void(TCustomDXDraw&)> OnInitializing;
  std::function<void(TCustomDXDraw&)> OnRestoreSurface;
  // Full screen was asked for but could not be had: the display runs in the window. Without
  // a handler the reason is shown in a message box.
  std::function<void(TCustomDXDraw&, const std::string& reason)> OnFullScreenFailed;

  void RegisterNotifyEvent(TDXNotifyProc proc, void* data) { listeners_.Add(proc, data); }
  void UnRegisterNotifyEvent(TDXNotifyProc proc, void* data) { listeners_.Remove(proc, data); }

  // After the owner has set the properties up.
  virtual void Loaded();
  void Initialize();
  void Finalize();
  void Flip();
  bool CanDraw();
  void Restore();
  void SetCooperativeLevel();
  void Paint();
  // Sets the palette entries from the colour table.
  void UpdatePalette();

  bool Initialized() const { return initialized_; }
  // Shown full screen right now (Options may ask for it while the window is all we have).
  bool FullScreenActive() const { return ddraw_ && ddraw_->InFullScreen(); }
  const std::string& FullScreenError() const { return fullScreenError_; }

  TDirectDraw* DDraw() const { return ddraw_.get(); }
  TDXDrawDriver* Driver() const { return driver_.get(); }
  TDirectDrawSurface* Primary() const { return primary_.get(); }
  TDirectDrawSurface* Surface() const { return surface_; }
  TDirectDrawPalette* Palette() const { return palette_.get(); }
  TDirectDrawClipper* Clipper() const { return clipper_.get(); }

  TRGBQuads PaletteTable{};
  TRGBQuads RestoreColorTable{};

 protected:
  virtual void DoFinalize();
  virtual void DoFinalizeSurface();
  virtual void DoInitialize();
  virtual void DoInitializeSurface();
  virtual void DoInitializing();
  virtual void DoRestoreSurface();

 private:
  friend class TDXDrawDriver;
  friend class TDXDrawDriverBlt;
  friend class TDXDrawDriverFlip;
  friend class TDirectDrawDisplay;

  void ApplyOptions();  // EffectiveOptions from Options while not initialised
  void SetSurfaceSize(int w, int h);
  bool CheckSurfaces();
  void FollowParent();
  void OnParentMessage(TDXFormMessage msg, const std::function<void()>& previous);
  void ReportFullScreenFailure(const std::string& reason);
  TPaletteEntries PaletteEntriesFrom(const TRGBQuads& table) const;

  TDXForm* parentForm_ = nullptr;
  int hookId_ = 0;
  int left_ = 0, top_ = 0, width_ = 100, height_ = 100;
  bool alignClient_ = true;
  bool autoSize_ = true;
  TDirectDrawDisplay display_{this};
  TDXDrawOptions options_ = 0;
  TDXDrawOptions effective_ = 0;

  std::unique_ptr<TDirectDraw> ddraw_;
  std::unique_ptr<TDXDrawDriver> driver_;
  std::unique_ptr<TDirectDrawSurface> primary_;
  std::unique_ptr<TDirectDrawSurface> back_;  // the blit driver's own back surface
  TDirectDrawSurface* surface_ = nullptr;     // the back surface either driver draws on
  std::unique_ptr<TDirectDrawPalette> palette_;
  std::unique_ptr<TDirectDrawClipper> clipper_;

  int storedWidth_ = 100, storedHeight_ = 100;
  bool initializeRequested_ = false;
  bool internalInitialized_ = false;
  bool initialized_ = false;
  bool busy_ = false;
  bool calledDoInitialize_ = false;
  bool calledDoInitializeSurface_ = false;
  int updateCount_ = 0;
  std::string fullScreenError_;
  TDXListenerList listeners_;
};

using TDXDraw = TCustomDXDraw;

}  // namespace zarn
