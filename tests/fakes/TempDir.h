// A scratch directory removed with everything in it when the test ends.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace corvane::test {

class TempDir {
public:
    TempDir() {
        char aPath[] = "/tmp/corvane-test-XXXXXX";
        m_path = ::mkdtemp(aPath);
    }
    ~TempDir() {
        for (const std::string& name : Entries()) ::unlink((m_path + "/" + name).c_str());
        ::rmdir(m_path.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

    void Write(const std::string& name, const std::string& text) const {
        FILE* pFile = std::fopen(File(name).c_str(), "w");
        std::fputs(text.c_str(), pFile);
        std::fclose(pFile);
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* pDir = ::opendir(m_path.c_str())) {
            while (dirent* pEntry = ::readdir(pDir)) {
                const std::string name = pEntry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(pDir);
        }
        return names;
    }

private:
    std::string m_path;
};

}  // namespace corvane::test
