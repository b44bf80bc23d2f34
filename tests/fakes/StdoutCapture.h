// Collects what is written to descriptor 1 (and C's stdout) while it lives.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace corvane::test {

class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        char aPath[] = "/tmp/corvane-stdout-XXXXXX";
        m_iFile = ::mkstemp(aPath);
        ::unlink(aPath);
        m_iSaved = ::dup(1);
        ::dup2(m_iFile, 1);
    }
    ~StdoutCapture() { Stop(); }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Ends the capture (descriptor 1 is back) and answers what was written.
    std::string Stop() {
        if (m_iSaved >= 0) {
            std::fflush(stdout);
            ::dup2(m_iSaved, 1);
            ::close(m_iSaved);
            m_iSaved = -1;
            std::string text;
            char aBuf[4096];
            ::lseek(m_iFile, 0, SEEK_SET);
            for (ssize_t n; (n = ::read(m_iFile, aBuf, sizeof aBuf)) > 0;) text.append(aBuf, static_cast<size_t>(n));
            ::close(m_iFile);
            m_text = text;
        }
        return m_text;
    }

private:
    int m_iFile = -1;
    int m_iSaved = -1;
    std::string m_text;
};

}  // namespace corvane::test
