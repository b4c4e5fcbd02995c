// The platform layer: everything the game and the installer need of the operating system.
#pragma once

#include "platform/app.h"
#include "platform/audio.h"
#include "platform/forms.h"
#include "platform/ini.h"
#include "platform/keys.h"
#include "platform/net.h"
#include "platform/surface.h"
#include "platform/system.h"
