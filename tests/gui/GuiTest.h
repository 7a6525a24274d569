// CGuiTest: the base fixture of window tests. It starts every test with an
// empty record of unexpected dialogs and destroys whatever top-level windows
// the test left behind, so tests cannot disturb each other. Brings in the
// dialog hooks (wxTEST_DIALOG) and the window driving helpers.
//
// Test processes that share one X display (ctest -j under one xvfb-run) would
// stack windows on each other and fight over the one mouse pointer, so each
// test holds a lock on the display from SetUp to TearDown.
#pragma once

#include <gtest/gtest.h>

#include "gui/DialogHook.h"
#include "gui/GuiDriver.h"

class CGuiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    int m_nDisplayLock = -1;  // descriptor of the display's lock file
};

// Destroys every top-level window and lets the toolkit finish with them.
void DestroyAllTopLevelWindows();
