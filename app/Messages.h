// What a front end needs to talk with the core: the window message values
// and timer ids, the message target the scanning thread reports through,
// the message box sink, the libraries' diagnostics and the string table's
// texts.
#pragma once

#include "common/Diagnostics.h"
#include "common/MessageTarget.h"
#include "common/Messages.h"
#include "common/StringTable.h"
