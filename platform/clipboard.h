// The clipboard: formats registered by name, each holding bytes. Under X (a display, and not the
// null platform) the contents are the desktop's CLIPBOARD selection, offered to other programs
// and read from them under the formats' MIME types; otherwise they stay in the process.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace plat {

using TClipFormat = unsigned;
inline constexpr TClipFormat CF_TEXT = 1;
inline constexpr TClipFormat CF_BITMAP = 2;  // a bitmap, as the bytes of a BMP file
// A device-independent bitmap: a BMP file without its 14-byte file header ("image/bmp" with
// the header on the X selection).
inline constexpr TClipFormat CF_DIB = 8;
// Registered names get numbers from here on; the same name always gets the same number.
TClipFormat RegisterClipboardFormat(const std::string& name);
std::string ClipboardFormatName(TClipFormat format);
// The type other programs know the format by ("image/gif" for "GIF Image", whose data go
// there without the 4-byte length they carry here).
std::string ClipboardFormatMime(TClipFormat format);

class EClipboardError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Replaces the whole contents. Raises EClipboardError when the desktop refuses it.
void ClipboardSetData(std::vector<std::pair<TClipFormat, std::string>> items);
bool ClipboardHasFormat(TClipFormat format);
// The data of a format, or nothing; what another program offers is read within a few seconds
// and at most 64 MiB of it.
std::optional<std::string> ClipboardGetData(TClipFormat format);
void ClipboardClear();
// True while the contents go through the X selection.
bool ClipboardUsesX();

// X protocol errors (a window that went away before we wrote to it, a bad atom from another
// program) never end the program: Xlib's own handler would exit. KeepXErrorsHarmless puts our
// handler in force for the whole process (Xlib has one); the SDL back end calls it around its
// video start and end, which install and restore handlers of their own, and the clipboard before
// its connections make their first request. Does nothing without X.
void KeepXErrorsHarmless();
// How many protocol errors were ignored so far.
int XErrorsIgnored();

}  // namespace plat
