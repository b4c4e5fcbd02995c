// The picture library's clipboard is the platform's (shared with the game's pictures).
#pragma once

#include "platform/clipboard.h"

namespace zarn3set {

using plat::CF_BITMAP;
using plat::CF_DIB;
using plat::CF_TEXT;
using plat::ClipboardClear;
using plat::ClipboardFormatMime;
using plat::ClipboardFormatName;
using plat::ClipboardGetData;
using plat::ClipboardHasFormat;
using plat::ClipboardSetData;
using plat::ClipboardUsesX;
using plat::EClipboardError;
using plat::RegisterClipboardFormat;
using plat::TClipFormat;

}  // namespace zarn3set
