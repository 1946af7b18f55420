#include <zeph/platform/ReplacingFile.h>

namespace zeph::platform {

std::string ReplaceFile(const std::string& path, std::string_view bytes,
                        const std::function<void()>& beforeRename) {
    TReplacingFile file(path);
    std::FILE* stream = file.Stream();
    if (stream == nullptr) {
        return file.Error();
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size()) {
        // Commit reports the failed write and leaves the old file.
        file.Commit();
        return file.Error();
    }
    if (beforeRename) {
        beforeRename();
    }
    return file.Commit() ? std::string() : file.Error();
}

} // namespace zeph::platform
