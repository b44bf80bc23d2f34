// Restores the Windows seam when a test that changed entries ends.
#pragma once

#include "bridge/WinSeam.h"

namespace corvane::test {

class WinSeamScope {
public:
    WinSeamScope() : m_saved(g_win) {}
    ~WinSeamScope() { g_win = m_saved; }
    WinSeamScope(const WinSeamScope&) = delete;
    WinSeamScope& operator=(const WinSeamScope&) = delete;

private:
    WinSeam m_saved;
};

}  // namespace corvane::test
