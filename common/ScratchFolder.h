// CScratchFolder: a fresh folder under the system's temporary directory for
// a throw-away story archive, removed with everything in it when it goes.
#pragma once

#include <string>

class CScratchFolder {
public:
    // prefix names the folder, e.g. "skimbolt-links"; Path() is empty when
    // no folder could be made.
    explicit CScratchFolder(const std::string& prefix);
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};
