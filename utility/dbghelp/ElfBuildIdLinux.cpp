#include "ElfBuildIdLinux.h"

#include "OwnMemoryLinux.h"

#include <elf.h>

#include <cstring>

namespace dbghelp {

namespace {

constexpr size_t NoteCapacity = 4096;
constexpr size_t ProgramHeaderLimit = 128;

size_t AlignNote(size_t value) {
    return (value + 3) & ~static_cast<size_t>(3);
}

} // namespace

size_t FindGnuBuildId(const uint8_t* notes, size_t size, uint8_t* out, size_t capacity) {
    size_t at = 0;
    while (at <= size && size - at >= sizeof(Elf64_Nhdr)) {
        Elf64_Nhdr note;
        std::memcpy(&note, notes + at, sizeof note);
        at += sizeof note;
        const size_t nameSize = AlignNote(note.n_namesz);
        if (note.n_namesz > size - at || nameSize > size - at) {
            return 0;
        }
        const uint8_t* name = notes + at;
        at += nameSize;
        const size_t descSize = AlignNote(note.n_descsz);
        if (note.n_descsz > size - at) {
            return 0;
        }
        const uint8_t* desc = notes + at;
        if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 &&
            std::memcmp(name, "GNU", 4) == 0) {
            if (note.n_descsz == 0 || note.n_descsz > capacity) {
                return 0;
            }
            std::memcpy(out, desc, note.n_descsz);
            return note.n_descsz;
        }
        if (descSize > size - at) {
            return 0;
        }
        at += descSize;
    }
    return 0;
}

size_t ReadMappedBuildId(uint64_t base, uint8_t* out, size_t capacity) {
    Elf64_Ehdr header;
    if (ReadOwnMemory(base, &header, sizeof header) != sizeof header ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_phentsize != sizeof(Elf64_Phdr) ||
        header.e_phnum == 0) {
        return 0;
    }
    static Elf64_Phdr programHeaders[ProgramHeaderLimit];
    const size_t count = header.e_phnum < ProgramHeaderLimit ? header.e_phnum : ProgramHeaderLimit;
    const size_t bytes = count * sizeof(Elf64_Phdr);
    if (ReadOwnMemory(base + header.e_phoff, programHeaders, bytes) != bytes) {
        return 0;
    }
    // The mapping at base holds file offset 0, which the lowest loadable segment covers.
    uint64_t lowest = UINT64_MAX;
    for (size_t i = 0; i < count; ++i) {
        if (programHeaders[i].p_type == PT_LOAD && programHeaders[i].p_vaddr < lowest) {
            lowest = programHeaders[i].p_vaddr;
        }
    }
    if (lowest == UINT64_MAX) {
        return 0;
    }
    const uint64_t bias = base - (lowest & ~static_cast<uint64_t>(0xfff));
    static uint8_t notes[NoteCapacity];
    for (size_t i = 0; i < count; ++i) {
        if (programHeaders[i].p_type != PT_NOTE) {
            continue;
        }
        const size_t size =
            programHeaders[i].p_memsz < NoteCapacity ? programHeaders[i].p_memsz : NoteCapacity;
        const size_t got = ReadOwnMemory(bias + programHeaders[i].p_vaddr, notes, size);
        const size_t length = FindGnuBuildId(notes, got, out, capacity);
        if (length != 0) {
            return length;
        }
    }
    return 0;
}

} // namespace dbghelp
