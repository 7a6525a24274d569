// Holds the scanning thread for a scope, so that it does not act on its
// events while a page reads or rebuilds what a scan cycle reads.
#pragma once

#include "app/AppCore.h"
#include "engine/NewsWatch.h"

class CScannerHold {
public:
    explicit CScannerHold(CAppCore& core) : m_pWatch(core.Scanner()) {
        if (m_pWatch) m_pWatch->Hold();
    }
    ~CScannerHold() {
        if (m_pWatch) m_pWatch->Release();
    }
    CScannerHold(const CScannerHold&) = delete;
    CScannerHold& operator=(const CScannerHold&) = delete;

private:
    CNewsWatch* m_pWatch;
};
