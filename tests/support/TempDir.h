// A fresh folder under the temporary directory for one test, removed with everything in it when
// the object goes; and whole-file reads and writes by native path.
#pragma once

#include <filesystem>
#include <string>

namespace zeph::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const noexcept { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::string operator/(const std::string& name) const { return File(name); }

private:
    std::string path_;
};

// A file system path from a UTF-8 name, as Linux names files and Windows' wide names hold them.
inline std::filesystem::path Utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The file's bytes (the path in UTF-8); empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes the bytes (the path in UTF-8), creating the folders on the way.
void WriteFile(const std::string& path, const std::string& bytes);

} // namespace zeph::testing
