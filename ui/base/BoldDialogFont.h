// The application's bold dialog font: the dialogs' own font made bold, made
// once and given to group boxes and emphasised labels.
#pragma once

#include <wx/font.h>

const wxFont& BoldDialogFont();
