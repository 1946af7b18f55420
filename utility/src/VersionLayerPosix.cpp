// The version layer: the section ".tollund.version" of an ELF file holds entries "key=value",
// each ended by a zero byte, with the keys of a version resource.

#include "AsciiText.h"
#include "VersionLayer.h"

#include <tollund/CFunction.h>

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using tollund::detail::EqualIgnoringAsciiCase;

constexpr const char* VersionSection = ".tollund.version";
constexpr uint64_t MaxVersionSection = 64 * 1024;
constexpr uint64_t MaxSectionNames = 1024 * 1024;
constexpr uint64_t MaxSections = 65535;

// An image larger than this is not read into memory for its version.
constexpr uint64_t MaxImageSize = 256ull * 1024 * 1024;

// Copies length bytes at offset of the image; false when they are not all inside it.
bool ReadAt(std::string_view image, uint64_t offset, void* into, uint64_t length) {
    if (offset > image.size() || length > image.size() - offset) {
        return false;
    }
    std::memcpy(into, image.data() + offset, length);
    return true;
}

struct Section {
    uint32_t name = 0;
    uint32_t type = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
    uint32_t link = 0;
};

template <class Header, class SectionHeader>
bool VersionSectionOf(std::string_view image, std::string& content) {
    Header header{};
    if (!ReadAt(image, 0, &header, sizeof header) || header.e_shentsize < sizeof(SectionHeader) ||
        header.e_shoff == 0) {
        return false;
    }
    auto sectionAt = [&](uint64_t index, Section& section) {
        SectionHeader raw{};
        if (!ReadAt(image, header.e_shoff + index * header.e_shentsize, &raw, sizeof raw)) {
            return false;
        }
        section = {raw.sh_name, raw.sh_type, raw.sh_offset, raw.sh_size, raw.sh_link};
        return true;
    };
    uint64_t count = header.e_shnum;
    uint64_t namesIndex = header.e_shstrndx;
    if (count == 0 || namesIndex == SHN_XINDEX) {
        Section first;
        if (!sectionAt(0, first)) {
            return false;
        }
        count = count == 0 ? first.size : count;
        namesIndex = namesIndex == SHN_XINDEX ? first.link : namesIndex;
    }
    if (count > MaxSections || namesIndex >= count) {
        return false;
    }
    Section names;
    if (!sectionAt(namesIndex, names) || names.size > MaxSectionNames) {
        return false;
    }
    std::string nameTable(names.size, '\0');
    if (!ReadAt(image, names.offset, nameTable.data(), names.size)) {
        return false;
    }
    for (uint64_t i = 0; i < count; ++i) {
        Section section;
        if (!sectionAt(i, section)) {
            return false;
        }
        if (section.name >= nameTable.size() ||
            std::strncmp(nameTable.c_str() + section.name, VersionSection,
                         nameTable.size() - section.name) != 0 ||
            section.type == SHT_NOBITS || section.size > MaxVersionSection) {
            continue;
        }
        content.assign(section.size, '\0');
        return ReadAt(image, section.offset, content.data(), section.size);
    }
    return false;
}

std::string VersionEntry(const std::string& content, const std::string& key) {
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\0', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        const std::string entry = content.substr(start, end - start);
        const size_t eq = entry.find('=');
        if (eq != std::string::npos && EqualIgnoringAsciiCase(key, entry.substr(0, eq).c_str())) {
            return entry.substr(eq + 1);
        }
        start = end + 1;
    }
    return {};
}

// The whole of a regular file, at most MaxImageSize bytes; false when it cannot be read.
bool ReadImage(const std::string& path, std::string& image) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<uint64_t>(info.st_size) <= MaxImageSize;
    if (ok) {
        image.assign(static_cast<size_t>(info.st_size), '\0');
        size_t done = 0;
        while (done < image.size()) {
            const ssize_t got = read(fd, image.data() + done, image.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            done += static_cast<size_t>(got);
        }
        image.resize(done); // a file that shrank meanwhile is read as far as it goes
    }
    close(fd);
    return ok;
}

} // namespace

namespace tollund::detail {

std::string ProductVersionOf(std::string_view image) {
    std::string content;
    unsigned char ident[EI_NIDENT] = {};
    bool found = false;
    if (ReadAt(image, 0, ident, sizeof ident) && std::memcmp(ident, ELFMAG, SELFMAG) == 0 &&
        ident[EI_DATA] == ELFDATA2LSB) {
        if (ident[EI_CLASS] == ELFCLASS64) {
            found = VersionSectionOf<Elf64_Ehdr, Elf64_Shdr>(image, content);
        } else if (ident[EI_CLASS] == ELFCLASS32) {
            found = VersionSectionOf<Elf32_Ehdr, Elf32_Shdr>(image, content);
        }
    }
    if (!found) {
        return {};
    }
    // The first language and code page pair, as eight hexadecimal digits.
    const std::string translation = VersionEntry(content, "VarFileInfo\\Translation");
    if (translation.size() < 8) {
        return {};
    }
    unsigned language = 0;
    unsigned codePage = 0;
    if (std::sscanf(translation.substr(0, 8).c_str(), "%4x%4x", &language, &codePage) != 2) {
        return {};
    }
    char key[64];
    std::snprintf(key, sizeof key, "StringFileInfo\\%04x%04x\\ProductVersion", language, codePage);
    return VersionEntry(content, key);
}

} // namespace tollund::detail

std::string CFunction::GetAppVersion(int which) {
    const std::string path =
        which == 0 ? std::string("/proc/self/exe") : GetCurrentModuleDir() + "//Pellora.dll";
    std::string image;
    return ReadImage(path, image) ? tollund::detail::ProductVersionOf(image) : std::string();
}
