#include <tollund/CFunction.h>
#include <tollund/CMiniDumper.h>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

// Everything the filter calls runs inside a signal handler, possibly while the failing thread
// held the log lock or the allocator's: only async-signal-safe system calls, fixed buffers, no
// allocation, no stdio, no locks.

namespace {

constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int DumpLimit = 10;
constexpr size_t PathCapacity = PATH_MAX + 64;
constexpr size_t MessageLimit = 511;
constexpr off_t LogResetSize = 2048000;

// Appends to a fixed buffer, cutting what does not fit; always terminated.
class FixedText {
public:
    FixedText(char* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) {
        m_buffer[0] = '\0';
    }
    FixedText& Add(const char* text) { return Add(text, std::strlen(text)); }
    FixedText& Add(const char* text, size_t length) {
        const size_t n = std::min(length, m_capacity - 1 - m_length);
        std::memcpy(m_buffer + m_length, text, n);
        m_length += n;
        m_buffer[m_length] = '\0';
        return *this;
    }
    // Decimal, zero-padded to width digits.
    FixedText& Number(long long value, int width) {
        char digits[24];
        int n = 0;
        const bool negative = value < 0;
        unsigned long long v = negative ? 0ull - static_cast<unsigned long long>(value)
                                        : static_cast<unsigned long long>(value);
        do {
            digits[n++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0 && n < 20);
        while (n < width && n < 20) {
            digits[n++] = '0';
        }
        if (negative) {
            Add("-", 1);
        }
        while (n > 0) {
            Add(&digits[--n], 1);
        }
        return *this;
    }
    void Truncate(size_t length) {
        if (length < m_length) {
            m_length = length;
            m_buffer[m_length] = '\0';
        }
    }
    const char* Get() const { return m_buffer; }
    size_t Length() const { return m_length; }

private:
    char* m_buffer;
    size_t m_capacity;
    size_t m_length = 0;
};

// Set when the filter is installed, read in the handler.
std::atomic<long> localOffsetSeconds{0};
std::atomic<void*> debugHelpLibrary{nullptr};
std::atomic<CMiniDumper::MiniDumpWriteDumpFunction> miniDumpWriteDump{nullptr};

// Program directory (no trailing "/") and dump base name of the running executable.
bool ExecutableNames(FixedText& dir, FixedText& base) {
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) {
        return false;
    }
    exe[length] = '\0';
    const char* slash = std::strrchr(exe, '/');
    if (slash != nullptr && slash != exe) {
        dir.Add(exe, static_cast<size_t>(slash - exe));
    }
    const char* name = slash != nullptr ? slash + 1 : exe;
    const char* dot = std::strrchr(name, '.');
    base.Add(name,
             dot != nullptr && dot != name ? static_cast<size_t>(dot - name) : std::strlen(name));
    return true;
}

// days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

long long DaysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// One entry in the log format of CFunction::RLog, written without its lock: the lock may be
// held by the thread that failed. A single write keeps the entry whole.
void CrashLog(const char* message, const char* argument = nullptr) {
    static char dirBuffer[PATH_MAX];
    static char baseBuffer[NAME_MAX + 1];
    static char pathBuffer[PathCapacity];
    static char entryBuffer[64 + MessageLimit + 1];
    static char messageBuffer[MessageLimit + 1];
    FixedText dir(dirBuffer, sizeof dirBuffer);
    FixedText base(baseBuffer, sizeof baseBuffer);
    if (!ExecutableNames(dir, base)) {
        return;
    }
    FixedText path(pathBuffer, sizeof pathBuffer);
    path.Add(dir.Get()).Add("/Info.dat");

    FixedText text(messageBuffer, sizeof messageBuffer);
    // Messages are "text" or "text%s" with one argument at the end.
    const char* placeholder = std::strstr(message, "%s");
    if (placeholder != nullptr) {
        text.Add(message, static_cast<size_t>(placeholder - message));
        text.Add(argument != nullptr ? argument : "");
        text.Add(placeholder + 2);
    } else {
        text.Add(message);
    }

    timespec wall{};
    clock_gettime(CLOCK_REALTIME, &wall);
    const long long local = static_cast<long long>(wall.tv_sec) + localOffsetSeconds.load();
    long long days = local / 86400;
    long long secondOfDay = local % 86400;
    if (secondOfDay < 0) {
        secondOfDay += 86400;
        --days;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const uint64_t tickMs =
        static_cast<uint64_t>(boot.tv_sec) * 1000u + static_cast<uint64_t>(boot.tv_nsec) / 1000000u;

    FixedText entry(entryBuffer, sizeof entryBuffer);
    entry.Add("\r\n").Number(year, 4).Add("-").Number(month, 2).Add("-").Number(day, 2).Add(" ");
    entry.Number(secondOfDay / 3600, 2).Add(":").Number(secondOfDay / 60 % 60, 2).Add(":");
    entry.Number(secondOfDay % 60, 2).Add(":").Number(static_cast<long long>(tickMs % 1000u), 3);
    entry.Add(" ").Add(text.Get());

    const int fd = open(path.Get(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    struct stat fileStat {};
    if (fstat(fd, &fileStat) == 0 && fileStat.st_size > LogResetSize) {
        if (ftruncate(fd, 0) != 0) {
            close(fd);
            return;
        }
    }
    const char* data = entry.Get();
    size_t left = entry.Length();
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    close(fd);
}

const char* ErrorText(int code) {
    const char* text = strerrordesc_np(code);
    return text != nullptr ? text : "";
}

// The last-write time bound of the oldest-file search: 30 December 3000, 00:00 local time.
long long SearchBound() {
    return DaysFromCivil(3000, 12, 30) * 86400 - localOffsetSeconds.load();
}

// Chooses the dump path (see CMiniDumper::GetFileName). entries is scratch space for the
// directory listing. Returns false when no name was formed and no file matched.
bool ChooseDumpPath(const char* dir, const char* base, int limit, FixedText& path, char* entries,
                    size_t entriesSize) {
    bool formed = false;
    for (int number = 1; number < limit; ++number) {
        path.Truncate(0);
        path.Add(dir).Add("/").Add(base).Number(number, 2).Add(".dmp");
        formed = true;
        struct stat existing {};
        if (lstat(path.Get(), &existing) != 0) {
            return true;
        }
    }
    const int folder = open(dir[0] != '\0' ? dir : "/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return formed;
    }
    const size_t baseLength = std::strlen(base);
    static constexpr size_t NameCapacity = NAME_MAX + 1;
    char best[NameCapacity] = {};
    long long bestTime = SearchBound();
    char candidate[PathCapacity];
    while (true) {
        const ssize_t got = getdents64(folder, entries, entriesSize);
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            at += entry->d_reclen;
            const char* name = entry->d_name;
            const size_t length = std::strlen(name);
            if (length != baseLength + 6 || std::strncmp(name, base, baseLength) != 0 ||
                std::strcmp(name + baseLength + 2, ".dmp") != 0) {
                continue;
            }
            FixedText full(candidate, sizeof candidate);
            full.Add(dir).Add("/").Add(name);
            struct stat info {};
            if (lstat(full.Get(), &info) != 0 || S_ISDIR(info.st_mode)) {
                continue;
            }
            // The first file found wins a tie.
            if (static_cast<long long>(info.st_mtim.tv_sec) < bestTime) {
                bestTime = info.st_mtim.tv_sec;
                std::memcpy(best, name, length + 1);
            }
        }
    }
    close(folder);
    if (best[0] != '\0') {
        path.Truncate(0);
        path.Add(dir).Add("/").Add(best);
        return true;
    }
    return formed;
}

void InstallAlternateStack() {
    thread_local bool installed = false;
    if (installed) {
        return;
    }
    const long minimum = sysconf(_SC_SIGSTKSZ);
    const size_t size =
        std::max<size_t>(256 * 1024, minimum > 0 ? static_cast<size_t>(minimum) : 0);
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        return;
    }
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = size;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(memory, size);
        return;
    }
    installed = true; // the stack lives as long as the thread may need it
}

void LookUpDebugHelp() {
    const std::string local = CFunction::GetCurrentModuleDir() + "/libdbghelp.so";
    void* library = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        library = dlopen("libdbghelp.so", RTLD_NOW | RTLD_LOCAL);
    }
    auto writer = library != nullptr ? reinterpret_cast<CMiniDumper::MiniDumpWriteDumpFunction>(
                                           dlsym(library, "MiniDumpWriteDump"))
                                     : nullptr;
    void* previous = debugHelpLibrary.exchange(library);
    miniDumpWriteDump = writer;
    if (previous != nullptr) {
        dlclose(previous); // the same library keeps the reference of this lookup
    }
}

} // namespace

CMiniDumper::CMiniDumper() = default;

void CMiniDumper::SetUnhandledExceptionFilter() {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    localOffsetSeconds = local.tm_gmtoff;
    LookUpDebugHelp();
    InstallAlternateStack();

    struct sigaction action {};
    action.sa_sigaction = [](int signalNumber, siginfo_t* info, void* context) {
        OnFatalSignal(signalNumber, info, context);
    };
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : FatalSignals) {
        sigaddset(&action.sa_mask, signalNumber);
    }
    for (const int signalNumber : FatalSignals) {
        sigaction(signalNumber, &action, nullptr);
    }
}

void CMiniDumper::GetFileName(int limit, std::string& path) {
    char dirBuffer[PATH_MAX];
    char baseBuffer[NAME_MAX + 1];
    FixedText dir(dirBuffer, sizeof dirBuffer);
    FixedText base(baseBuffer, sizeof baseBuffer);
    ExecutableNames(dir, base);
    std::vector<char> result(PathCapacity);
    std::vector<char> entries(32 * 1024);
    FixedText chosen(result.data(), result.size());
    if (ChooseDumpPath(dir.Get(), base.Get(), limit, chosen, entries.data(), entries.size())) {
        path.assign(chosen.Get(), chosen.Length());
    }
}

void CMiniDumper::OnFatalSignal(int signalNumber, void* signalInfo, void* context) {
    // A second failing thread waits: the first one ends the process.
    static std::atomic<int> claimed{0};
    if (claimed.exchange(1) != 0) {
        while (true) {
            pause();
        }
    }
    ExceptionInfo info{signalNumber, signalInfo, context};
    TopLevelFilter(&info);
    _exit(128 + signalNumber);
}

int32_t CMiniDumper::TopLevelFilter(ExceptionInfo* info) {
    static char dirBuffer[PATH_MAX];
    static char baseBuffer[NAME_MAX + 1];
    static char pathBuffer[PathCapacity];
    static char entries[32 * 1024];
    FixedText dir(dirBuffer, sizeof dirBuffer);
    FixedText base(baseBuffer, sizeof baseBuffer);
    FixedText path(pathBuffer, sizeof pathBuffer);
    ExecutableNames(dir, base);
    ChooseDumpPath(dir.Get(), base.Get(), DumpLimit, path, entries, sizeof entries);

    CrashLog("Program crash.Dump to file: %s", path.Get());
    if (debugHelpLibrary.load() == nullptr) {
        CrashLog("Load DBGHELP.DLL Error");
        return 1;
    }
    const MiniDumpWriteDumpFunction writer = miniDumpWriteDump.load();
    if (writer == nullptr) {
        CrashLog("DBGHELP.DLL too old, Not find MiniDumpWriteDump");
        return 1;
    }
    const int file = open(path.Get(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) {
        CrashLog("Failed to create dump file: %s", ErrorText(errno));
        return 1;
    }
    const MiniDumpExceptionInformation exception{static_cast<int32_t>(gettid()), info, 0};
    const int32_t process = static_cast<int32_t>(getpid());
    if (writer(process, process, file, MiniDumpNormal, &exception, nullptr, nullptr) != 0) {
        CrashLog("Save to dump file successful.");
    } else {
        CrashLog("Failed to save dump file:%s", ErrorText(errno));
    }
    close(file);
    return 1;
}
