// Restores the operating-system seam when a test that changed entries ends.
#pragma once

#include "bridge/OsSeam.h"

namespace corvane::test {

class OsSeamScope {
public:
    OsSeamScope() : m_saved(g_os) {}
    ~OsSeamScope() { g_os = m_saved; }
    OsSeamScope(const OsSeamScope&) = delete;
    OsSeamScope& operator=(const OsSeamScope&) = delete;

private:
    OsSeam m_saved;
};

}  // namespace corvane::test
