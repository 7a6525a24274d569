// What windows need of the desktop around the program: the web browser
// (started, or reached over DDE), the look at an article's headers that
// tells whether it may be shown in a frame, the desktop's notifications,
// the notification sound, the program's own files, the icon in the
// notification area as a D-Bus item, pictures drawn from SVG, closing a
// dialog the toolkit runs itself (these three linked into the desktop
// program only), and the single-instance lock and socket.
#pragma once

#include "net/FramingCheck.h"
#include "platform/DdeClient.h"
#include "platform/DesktopNotifications.h"
#include "platform/DesktopSystem.h"
#include "platform/InstanceLock.h"
#include "platform/InstanceServer.h"
#include "platform/ProgramFiles.h"
#include "platform/Sound.h"
#include "platform/StatusNotifierItem.h"
#include "platform/SvgPicture.h"
#include "platform/ToolkitDialog.h"
#include "present/BrowserLink.h"
