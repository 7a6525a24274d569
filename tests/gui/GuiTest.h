// CGuiTest: the base fixture of window tests. It starts every test with an
// empty record of unexpected dialogs and destroys whatever top-level windows
// the test left behind, so tests cannot disturb each other. Brings in the
// dialog hooks (wxTEST_DIALOG) and the window driving helpers.
#pragma once

#include <gtest/gtest.h>

#include "gui/DialogHook.h"
#include "gui/GuiDriver.h"

class CGuiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Destroys every top-level window and lets the toolkit finish with them.
void DestroyAllTopLevelWindows();
