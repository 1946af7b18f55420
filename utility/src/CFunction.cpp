// CFunction: the log file and debug trace, then processes, windows and machine facts.

#include <tollund/CFunction.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <arpa/inet.h>
#include <dirent.h>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <limits.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <uuid/uuid.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

constexpr size_t MessageBufferSize = 512;
constexpr off_t LogResetSize = 2048000;
constexpr const char* LogFileName = "/Info.dat";
constexpr const char* DebugMarkerName = "/VelkarnTech.debug";

// Serialises every append within the process; other processes are kept out by flock.
std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

std::atomic<int32_t> traceCounter{0};

// Milliseconds since boot, truncated to 32 bits like the classic system tick count.
uint32_t SystemTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

tm LocalNow() {
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    return local;
}

void FormatMessage(char (&buffer)[MessageBufferSize], const char* format, va_list args) {
    buffer[0] = '\0';
    if (format == nullptr) {
        return;
    }
    if (vsnprintf(buffer, sizeof buffer, format, args) < 0) {
        buffer[0] = '\0';
    }
}

bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t written = write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

CFunction::CFunction() = default;
CFunction::~CFunction() = default;

void CFunction::RLog(const char* format, ...) {
    const int savedErrno = errno;
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    DebugOutput(message);
    Log(LogFileName, message);
    errno = savedErrno;
}

void CFunction::DLog(const char* format, ...) {
    const int savedErrno = errno;
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    const std::string markerPath = GetCurrentModuleDir() + DebugMarkerName;
    DebugOutput(message);
    const std::string entry = std::string("[DLog] ") + message;
    struct stat markerStat {};
    if (stat(markerPath.c_str(), &markerStat) == 0) {
        Log(LogFileName, entry.c_str());
    }
    errno = savedErrno;
}

void CFunction::VLog(const char* format, ...) {
    const int savedErrno = errno;
    const tm local = LocalNow();
    const int64_t tick = GetSysTickCount64();
    char message[MessageBufferSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    const int32_t number = traceCounter.fetch_add(1);
    const long tickLow = static_cast<int32_t>(static_cast<uint32_t>(tick));
    char line[MessageBufferSize + 96];
    const int length = snprintf(line, sizeof line, "No:%d\t,%d-%d %02d:%02d:%02d,Tick:%ld,%s\r\n",
                                number, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                local.tm_min, local.tm_sec, tickLow, message);
    if (length > 0) {
        // One write per line keeps lines of different threads apart.
        WriteAll(STDERR_FILENO, line,
                 static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length)
                                                           : sizeof line - 1);
    }
    errno = savedErrno;
}

void CFunction::ELog(const char* sourceFile, uint32_t line, int32_t errorCode) {
    // There is no pending per-thread error object here, so the entry never has a description.
    RLog("%s.Line:%d.Error Code:0X%X", sourceFile != nullptr ? sourceFile : "",
         static_cast<int>(line), static_cast<unsigned>(errorCode));
}

void CFunction::ELog(const char* sourceFile, uint32_t line) {
    ELog(sourceFile, line, errno);
}

std::string CFunction::GetCurrentModuleDir() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    const std::string exe(path, static_cast<size_t>(length));
    const size_t slash = exe.rfind('/');
    if (slash == std::string::npos || slash == 0) {
        return {};
    }
    return exe.substr(0, slash);
}

int64_t CFunction::GetSysTickCount64() {
    // The monotonic clock counts nanoseconds: a fixed frequency of 1e9.
    constexpr int64_t frequency = 1000000000;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const int64_t counter = static_cast<int64_t>(ts.tv_sec) * frequency + ts.tv_nsec;
    return (counter / frequency) * 1000 + ((counter % frequency) * 1000) / frequency;
}

std::string CFunction::GetLastErrorString(uint32_t errorCode) {
    const int code = static_cast<int>(errorCode);
    std::string text;
    // strerrorname_np knows exactly the codes the system has a message for.
    if (code > 0 && strerrorname_np(code) != nullptr) {
        char buffer[256];
        text = strerror_r(code, buffer, sizeof buffer);
    }
    DebugOutput(text);
    return text;
}

std::string CFunction::GetLastErrorString() {
    return GetLastErrorString(static_cast<uint32_t>(errno));
}

void CFunction::Log(const std::string& fileName, const char* message) {
    const std::lock_guard<std::mutex> guard(LogLock());
    const std::string path = GetCurrentModuleDir() + fileName;
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    // Exclusive for the whole append: a writer in another process loses its entry instead of
    // interleaving bytes with this one.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    struct stat fileStat {};
    if (fstat(fd, &fileStat) != 0) {
        close(fd);
        return;
    }
    if (fileStat.st_size > LogResetSize) {
        if (ftruncate(fd, 0) != 0) {
            close(fd);
            return;
        }
    }
    const tm local = LocalNow();
    char entry[64 + MessageBufferSize + 16];
    const int stampLength =
        snprintf(entry, sizeof entry, "\r\n%04d-%02d-%02d %02d:%02d:%02d:%03d ",
                 local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                 local.tm_sec, static_cast<int>(SystemTickCount() % 1000u));
    std::string text(entry, stampLength > 0 ? static_cast<size_t>(stampLength) : 0);
    if (message != nullptr) {
        text += message;
    }
    if (lseek(fd, 0, SEEK_END) >= 0) {
        WriteAll(fd, text.data(), text.size());
    }
    close(fd); // also releases the lock
}

void CFunction::DebugOutput(const std::string& message) {
    (void)message;
}

// Processes, windows and machine facts.

extern char** environ;

namespace {

constexpr size_t CommandLineBuffer = 1040;
constexpr size_t GotoUrlBuffer = 520;
constexpr size_t ReadPiece = 4096;
constexpr size_t RegistryValueBuffer = 260;
constexpr size_t SystemDirBuffer = 260;
constexpr int ShellStarted = 33;       // results above 32 mean "started"
constexpr int ShellNoAssociation = 31; // nothing opens this kind of text
constexpr const char* GuidFailure = "Can't Get a Guid";

// ---------------------------------------------------------------------------------------------
// Command lines and process start

// Splits a command line by the Windows rules: blanks and tabs separate arguments, double quotes
// group, 2n backslashes before a quote give n backslashes, 2n+1 give n and a literal quote, and
// "" inside quotes is a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                size_t slashes = 0;
                while (i < n && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

struct SpawnOptions {
    bool searchPath = false;
    int output = -1; // descriptor for standard output and error, or -1 to inherit
    const char* workingDir = nullptr;
};

// Starts program with args (args[0] is the child's argv[0]); an errno value or 0.
int Spawn(pid_t& pid, const std::string& program, const std::vector<std::string>& args,
          const SpawnOptions& options) {
    if (program.empty()) {
        return ENOENT;
    }
    std::vector<char*> argv;
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    if (argv.empty()) {
        argv.push_back(const_cast<char*>(program.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, options.output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, options.output, STDERR_FILENO);
    }
    if (options.workingDir != nullptr) {
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDir);
    }
    // The child starts with default signal handling and nothing blocked, whatever this
    // process has set up.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const int rc =
        options.searchPath
            ? posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ)
            : posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

// A started program that nobody waits for is reaped in the background.
void ReapLater(pid_t pid) {
    try {
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Left as a zombie until this process ends.
    }
}

// Start-result codes for a failed start, as the shell functions give them.
int StartError(int error) {
    switch (error) {
    case ENOENT:
        return 2; // file not found
    case ENOTDIR:
        return 3; // path not found
    case EACCES:
    case EPERM:
        return 5; // access denied
    case ENOEXEC:
        return 11; // bad format
    default:
        return 0; // out of resources
    }
}

int64_t NowMs() {
    return CFunction::GetSysTickCount64();
}

// Reads what the pipe holds now, at most limit bytes; false once it is at its end.
bool ReadAvailable(int fd, std::string* output, size_t limit) {
    char buffer[ReadPiece];
    size_t total = 0;
    while (total < limit) {
        const ssize_t got = read(fd, buffer, std::min(sizeof buffer, limit - total));
        if (got > 0) {
            if (output != nullptr) {
                output->append(buffer, static_cast<size_t>(got));
            }
            total += static_cast<size_t>(got);
            continue;
        }
        if (got == 0) {
            return false;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    return true;
}

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// ---------------------------------------------------------------------------------------------
// X11

std::mutex& XLock() {
    static std::mutex lock;
    return lock;
}

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

// One display connection for one operation. X errors (a window that vanished meanwhile) are
// ignored while it is open instead of ending the process.
class XSession {
public:
    XSession() : m_guard(XLock()) {
        m_display = XOpenDisplay(nullptr);
        if (m_display != nullptr) {
            m_previous = XSetErrorHandler(IgnoreXError);
        }
    }
    ~XSession() {
        if (m_display != nullptr) {
            XSync(m_display, False);
            XSetErrorHandler(m_previous);
            XCloseDisplay(m_display);
        }
    }
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;
    Display* Get() const { return m_display; }

private:
    std::lock_guard<std::mutex> m_guard;
    Display* m_display = nullptr;
    XErrorHandler m_previous = nullptr;
};

bool WindowProperty(Display* display, Window window, Atom property, Atom type, std::string& bytes,
                    int wantedFormat = 8) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4096, False, type, &actualType,
                           &actualFormat, &count, &after, &data) != Success ||
        data == nullptr) {
        return false;
    }
    const bool ok = actualType == type && actualFormat == wantedFormat;
    if (ok) {
        const size_t unit = wantedFormat == 8    ? 1
                            : wantedFormat == 16 ? sizeof(short)
                                                 : sizeof(long);
        bytes.assign(reinterpret_cast<char*>(data), count * unit);
    }
    XFree(data);
    return ok;
}

bool TitleIs(Display* display, Window window, const std::string& title) {
    std::string name;
    if (WindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                       XInternAtom(display, "UTF8_STRING", False), name) &&
        name == title) {
        return true;
    }
    char* plain = nullptr;
    if (XFetchName(display, window, &plain) != 0 && plain != nullptr) {
        const bool equal = title == plain;
        XFree(plain);
        return equal;
    }
    return false;
}

// The topmost top-level window with exactly that title; client windows that a window manager
// has put into frames are found one level down.
Window FindTopLevel(Display* display, const std::string& title) {
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned i = count; i-- > 0 && found == 0;) {
        if (TitleIs(display, children[i], title)) {
            found = children[i];
        }
    }
    for (unsigned i = count; i-- > 0 && found == 0;) {
        Window* inner = nullptr;
        unsigned innerCount = 0;
        Window innerRoot = 0;
        Window innerParent = 0;
        if (XQueryTree(display, children[i], &innerRoot, &innerParent, &inner, &innerCount) != 0) {
            for (unsigned j = innerCount; j-- > 0 && found == 0;) {
                if (TitleIs(display, inner[j], title)) {
                    found = inner[j];
                }
            }
            if (inner != nullptr) {
                XFree(inner);
            }
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// The local process that owns the window; 0 when it has none or runs on another machine.
pid_t WindowProcess(Display* display, Window window) {
    std::string value;
    if (!WindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                        value, 32) ||
        value.size() < sizeof(long)) {
        return 0;
    }
    long pid = 0;
    std::memcpy(&pid, value.data(), sizeof pid);
    std::string machine;
    if (WindowProperty(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, machine)) {
        char host[HOST_NAME_MAX + 1] = {};
        gethostname(host, sizeof host - 1);
        if (machine.c_str() != std::string(host)) {
            return 0;
        }
    }
    return pid > 0 ? static_cast<pid_t>(pid) : 0;
}

int KillWindowProcess(Display* display, Window window) {
    const pid_t pid = WindowProcess(display, window);
    if (pid <= 0) {
        return 0;
    }
    return kill(pid, SIGKILL) == 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Registry layer: <base>/<root key name>/<key>/<subkey>/... folders; a key's default value is
// the content of its file "(Default)".

const char* RootKeyName(CFunction::RegKey root) {
    switch (root) {
    case CFunction::HKEY_CLASSES_ROOT:
        return "HKEY_CLASSES_ROOT";
    case CFunction::HKEY_CURRENT_USER:
        return "HKEY_CURRENT_USER";
    case CFunction::HKEY_LOCAL_MACHINE:
        return "HKEY_LOCAL_MACHINE";
    case CFunction::HKEY_USERS:
        return "HKEY_USERS";
    case CFunction::HKEY_CURRENT_CONFIG:
        return "HKEY_CURRENT_CONFIG";
    default:
        return nullptr;
    }
}

std::string RegistryBase() {
    const char* base = std::getenv("TOLLUND_REGISTRY");
    return base != nullptr && base[0] != '\0' ? base : "/etc/tollund/registry";
}

bool EqualIgnoringAsciiCase(const std::string& a, const char* b) {
    const size_t length = std::strlen(b);
    if (a.size() != length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        const unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x < 128 && y < 128 && std::tolower(x) == std::tolower(y))) {
            return false;
        }
    }
    return true;
}

// The entry of folder named component, matched as key names are: ignoring ASCII case.
std::string KeyEntry(const std::string& folder, const std::string& component) {
    struct stat exact {};
    if (stat((folder + "/" + component).c_str(), &exact) == 0) {
        return component;
    }
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return component;
    }
    std::string match = component;
    while (const dirent* entry = readdir(dir)) {
        if (EqualIgnoringAsciiCase(component, entry->d_name)) {
            match = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return match;
}

// ---------------------------------------------------------------------------------------------
// Message layer

struct MessageQueue {
    std::mutex lock;
    std::deque<CFunction::Message> messages;
    CFunction::MessageHandler handler = nullptr;
    void* context = nullptr;
};

std::mutex& QueuesLock() {
    static std::mutex lock;
    return lock;
}

std::unordered_map<uint32_t, std::shared_ptr<MessageQueue>>& Queues() {
    static auto* queues = new std::unordered_map<uint32_t, std::shared_ptr<MessageQueue>>;
    return *queues;
}

// The calling thread's queue, made on first use and unregistered when the thread ends.
struct QueueOwner {
    std::shared_ptr<MessageQueue> queue;
    uint32_t threadId = 0;
    ~QueueOwner() {
        if (queue) {
            const std::lock_guard<std::mutex> guard(QueuesLock());
            Queues().erase(threadId);
        }
    }
};

MessageQueue& ThisThreadQueue() {
    thread_local QueueOwner owner;
    if (!owner.queue) {
        owner.queue = std::make_shared<MessageQueue>();
        owner.threadId = CFunction::GetCurrentThreadId();
        const std::lock_guard<std::mutex> guard(QueuesLock());
        Queues()[owner.threadId] = owner.queue;
    }
    return *owner.queue;
}

// ---------------------------------------------------------------------------------------------
// Version layer: the section ".tollund.version" of an ELF file holds entries "key=value", each
// ended by a zero byte, with the keys of a version resource.

constexpr const char* VersionSection = ".tollund.version";
constexpr uint64_t MaxVersionSection = 64 * 1024;
constexpr uint64_t MaxSectionNames = 1024 * 1024;
constexpr uint64_t MaxSections = 65535;

bool ReadAt(int fd, uint64_t fileSize, uint64_t offset, void* into, uint64_t length) {
    if (offset > fileSize || length > fileSize - offset) {
        return false;
    }
    auto* out = static_cast<char*>(into);
    while (length > 0) {
        const ssize_t got = pread(fd, out, length, static_cast<off_t>(offset));
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        out += got;
        offset += static_cast<uint64_t>(got);
        length -= static_cast<uint64_t>(got);
    }
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
bool VersionSectionOf(int fd, uint64_t fileSize, std::string& content) {
    Header header{};
    if (!ReadAt(fd, fileSize, 0, &header, sizeof header) ||
        header.e_shentsize < sizeof(SectionHeader) || header.e_shoff == 0) {
        return false;
    }
    auto sectionAt = [&](uint64_t index, Section& section) {
        SectionHeader raw{};
        if (!ReadAt(fd, fileSize, header.e_shoff + index * header.e_shentsize, &raw, sizeof raw)) {
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
    if (!ReadAt(fd, fileSize, names.offset, nameTable.data(), names.size)) {
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
        return ReadAt(fd, fileSize, section.offset, content.data(), section.size);
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

std::string ProductVersion(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string content;
    struct stat info {};
    unsigned char ident[EI_NIDENT] = {};
    bool found = false;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        ReadAt(fd, static_cast<uint64_t>(info.st_size), 0, ident, sizeof ident) &&
        std::memcmp(ident, ELFMAG, SELFMAG) == 0 && ident[EI_DATA] == ELFDATA2LSB) {
        const auto size = static_cast<uint64_t>(info.st_size);
        if (ident[EI_CLASS] == ELFCLASS64) {
            found = VersionSectionOf<Elf64_Ehdr, Elf64_Shdr>(fd, size, content);
        } else if (ident[EI_CLASS] == ELFCLASS32) {
            found = VersionSectionOf<Elf32_Ehdr, Elf32_Shdr>(fd, size, content);
        }
    }
    close(fd);
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

} // namespace

// ---------------------------------------------------------------------------------------------

int CFunction::ExecCommand(const std::string& appPath, const std::string& commandLine,
                           std::string& output, int capture, int timeoutSeconds) {
    output.clear();
    if (commandLine.size() >= CommandLineBuffer) {
        RLog("[ExecCommand] Command line too long (%u characters, at most %u).Command:%s",
             static_cast<unsigned>(commandLine.size()),
             static_cast<unsigned>(CommandLineBuffer - 1), appPath.c_str());
        return 0;
    }
    int pipeFds[2] = {-1, -1};
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        RLog("[ExecCommand] Stdout pipe creation failed.Command:%s", appPath.c_str());
        return 0;
    }
    std::vector<std::string> args = SplitCommandLine(commandLine);
    SpawnOptions options;
    options.output = pipeFds[1];
    options.searchPath = appPath.empty();
    const std::string program =
        appPath.empty() ? (args.empty() ? std::string() : args[0]) : appPath;
    if (args.empty()) {
        args.push_back(program);
    }
    pid_t pid = -1;
    const int spawnError = Spawn(pid, program, args, options);
    close(pipeFds[1]);
    if (spawnError != 0) {
        close(pipeFds[0]);
        RLog("[ExecCommand] CreateProcess Error:%s.Error:%s", appPath.c_str(),
             GetLastErrorString(static_cast<uint32_t>(spawnError)).c_str());
        return 0;
    }
    const int out = pipeFds[0];
    fcntl(out, F_SETFL, fcntl(out, F_GETFL) | O_NONBLOCK);
    const int pidFd = OpenPidFd(pid);
    std::string* sink = capture != 0 ? &output : nullptr;
    const int64_t deadline = timeoutSeconds < 0 ? -1 : NowMs() + int64_t{timeoutSeconds} * 1000;

    // The output is read while the child runs, so that a child writing more than the pipe holds
    // does not stall; each round reads a bounded amount and then looks at the clock again.
    bool pipeOpen = true;
    bool ended = false;
    int waitResult = 0;
    int waitError = 0;
    while (true) {
        int status = 0;
        const pid_t waited = waitpid(pid, &status, WNOHANG);
        if (waited == pid || (waited < 0 && errno == ECHILD)) {
            ended = true;
            break;
        }
        if (waited < 0 && errno != EINTR) {
            waitResult = -1;
            waitError = errno;
            break;
        }
        int waitMs = -1;
        if (deadline >= 0) {
            const int64_t left = deadline - NowMs();
            if (left <= 0) {
                waitResult = ETIMEDOUT;
                waitError = ETIMEDOUT;
                break;
            }
            waitMs = static_cast<int>(std::min<int64_t>(left, 1000));
        }
        if (pidFd < 0) {
            waitMs = waitMs < 0 ? 20 : std::min(waitMs, 20);
        }
        pollfd fds[2];
        nfds_t count = 0;
        if (pipeOpen) {
            fds[count++] = {out, POLLIN, 0};
        }
        if (pidFd >= 0) {
            fds[count++] = {pidFd, POLLIN, 0};
        }
        if (poll(fds, count, waitMs) > 0 && pipeOpen && fds[0].revents != 0) {
            pipeOpen = ReadAvailable(out, sink, 1 << 20);
        }
    }

    int result = 0;
    if (ended) {
        // What the child wrote is in the pipe now. A grandchild may still hold the pipe open:
        // take what is there and stop, instead of waiting for an end that may never come.
        int available = 0;
        if (pipeOpen && ioctl(out, FIONREAD, &available) == 0 && available > 0) {
            ReadAvailable(out, sink, static_cast<size_t>(available));
        }
        result = 1;
    } else {
        RLog("ExecCommand:%s.Waited  %dS Timeout. ret=%d,%s", appPath.c_str(), timeoutSeconds,
             waitResult, GetLastErrorString(static_cast<uint32_t>(waitError)).c_str());
        kill(pid, SIGKILL);
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        output.clear();
    }
    if (pidFd >= 0) {
        close(pidFd);
    }
    close(out);
    return result;
}

void CFunction::RunProcess(std::string fileName, std::string parameters, int showCommand) {
    (void)showCommand; // a started program chooses its own window state here
    const std::string dir = GetCurrentModuleDir();
    const std::string path = dir + "/" + fileName;
    struct stat info {};
    const bool executable =
        stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
    std::vector<std::string> args;
    std::string program;
    SpawnOptions options;
    options.workingDir = dir.empty() ? "/" : dir.c_str();
    if (executable) {
        program = path;
        args.push_back(path);
        for (auto& a : SplitCommandLine(parameters)) {
            args.push_back(std::move(a));
        }
    } else {
        program = "xdg-open";
        options.searchPath = true;
        args = {program, path};
    }
    pid_t pid = -1;
    if (Spawn(pid, program, args, options) == 0) {
        ReapLater(pid);
    }
}

int CFunction::FindProcessHandleAndKill(WindowHandle window) {
    XSession session;
    if (session.Get() == nullptr || window == 0) {
        return 0;
    }
    return KillWindowProcess(session.Get(), static_cast<Window>(window));
}

int CFunction::FindProcessHandleAndKill(const std::string& windowTitle) {
    XSession session;
    if (session.Get() == nullptr) {
        return 0;
    }
    const Window window = FindTopLevel(session.Get(), windowTitle);
    return window == 0 ? 0 : KillWindowProcess(session.Get(), window);
}

void CFunction::FindWindowAndSendMsg(const char* windowTitle, uint32_t message, uint32_t wParam,
                                     int32_t lParam) {
    XSession session;
    Display* display = session.Get();
    const Window window =
        display != nullptr && windowTitle != nullptr ? FindTopLevel(display, windowTitle) : 0;
    if (window == 0) {
        RLog("Not Find VelkarnDaemon.");
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_TOLLUND_WINDOW_MESSAGE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(message);
    event.xclient.data.l[1] = static_cast<long>(wParam);
    event.xclient.data.l[2] = static_cast<long>(lParam);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

int CFunction::GotoURL(const char* url, int showCommand) {
    (void)showCommand;
    const std::string text = url != nullptr ? url : "";
    if (text.empty()) {
        return 2;
    }
    // 1. The desktop's opener. It hands over and ends at once on a desktop; when it runs a
    // browser itself it is left running.
    int shellResult = ShellNoAssociation;
    pid_t opener = -1;
    SpawnOptions options;
    options.searchPath = true;
    if (Spawn(opener, "xdg-open", {"xdg-open", text}, options) == 0) {
        const int64_t until = NowMs() + 2000;
        int status = 0;
        pid_t waited = 0;
        while ((waited = waitpid(opener, &status, WNOHANG)) == 0 && NowMs() < until) {
            usleep(10000);
        }
        if (waited == 0) {
            ReapLater(opener);
            return ShellStarted;
        }
        if (waited == opener && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            return ShellStarted;
        }
    }
    // 2. The command that opens web pages, from the registry layer.
    char className[RegistryValueBuffer];
    char command[RegistryValueBuffer];
    if (GetRegKey(HKEY_CLASSES_ROOT, ".htm", className) != 0 || className[0] == '\0') {
        return shellResult;
    }
    const std::string commandKey = std::string(className) + "\\shell\\open\\command";
    if (GetRegKey(HKEY_CLASSES_ROOT, commandKey.c_str(), command) != 0 || command[0] == '\0') {
        return shellResult;
    }
    // 3. Cut at the placeholder, preferably a quoted one, and append the text.
    std::string line = command;
    size_t cut = line.find("\"%1\"");
    if (cut == std::string::npos) {
        cut = line.find("%1");
    }
    if (cut != std::string::npos) {
        line.resize(cut);
    }
    line += " ";
    line += text;
    if (line.size() >= GotoUrlBuffer) {
        RLog("[GotoURL] Command line too long (%u characters, at most %u).",
             static_cast<unsigned>(line.size()), static_cast<unsigned>(GotoUrlBuffer - 1));
        return shellResult;
    }
    // 4. Start it.
    const std::vector<std::string> args = SplitCommandLine(line);
    if (args.empty()) {
        return 2;
    }
    pid_t browser = -1;
    const int error = Spawn(browser, args[0], args, options);
    if (error != 0) {
        return StartError(error);
    }
    ReapLater(browser);
    return ShellStarted;
}

int32_t CFunction::GetRegKey(RegKey root, const char* subKey, char* output) {
    if (output != nullptr) {
        output[0] = '\0';
    }
    const char* rootName = RootKeyName(root);
    if (rootName == nullptr) {
        return EINVAL;
    }
    std::string path = RegistryBase() + "/" + rootName;
    const std::string key = subKey != nullptr ? subKey : "";
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find_first_of("\\/", start);
        if (end == std::string::npos) {
            end = key.size();
        }
        const std::string component = key.substr(start, end - start);
        start = end + 1;
        if (component.empty()) {
            continue;
        }
        if (component == "." || component == "..") {
            return EINVAL; // a key name, not a way out of the registry
        }
        path += "/" + KeyEntry(path, component);
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return errno;
    }
    if (!S_ISDIR(info.st_mode)) {
        return ENOENT;
    }
    if (access(path.c_str(), R_OK | X_OK) != 0) {
        return errno;
    }
    if (output == nullptr) {
        return 0;
    }
    const int fd = open((path + "/(Default)").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    char value[RegistryValueBuffer + 2];
    size_t length = 0;
    while (length < sizeof value) {
        const ssize_t got = read(fd, value + length, sizeof value - length);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        length += static_cast<size_t>(got);
    }
    close(fd);
    length = strnlen(value, length);
    if (length > 0 && value[length - 1] == '\n') {
        --length; // files written with echo end in a line feed
    }
    if (length < RegistryValueBuffer) {
        std::memcpy(output, value, length);
        output[length] = '\0';
    }
    return 0;
}

struct CFunction::Menu::Items {
    struct Item {
        uint32_t id;
        std::string text;
        uint32_t state;
    };
    mutable std::mutex lock;
    std::vector<Item> items;
};

CFunction::Menu::Menu() : m_items(new Items) {}

CFunction::Menu::~Menu() {
    delete m_items;
}

void CFunction::Menu::AppendItem(uint32_t commandId, const std::string& text, uint32_t state) {
    const std::lock_guard<std::mutex> guard(m_items->lock);
    m_items->items.push_back({commandId, text, state});
}

bool CFunction::Menu::GetItemState(uint32_t commandId, uint32_t& state) const {
    const std::lock_guard<std::mutex> guard(m_items->lock);
    for (const auto& item : m_items->items) {
        if (item.id == commandId) {
            state = item.state;
            return true;
        }
    }
    return false;
}

bool CFunction::Menu::SetItemState(uint32_t commandId, uint32_t state) {
    const std::lock_guard<std::mutex> guard(m_items->lock);
    for (auto& item : m_items->items) {
        if (item.id == commandId) {
            item.state = state;
            return true;
        }
    }
    return false;
}

void CFunction::SetMenuItemState(Menu* menu, uint32_t commandId, int check, int enable) {
    if (menu == nullptr) {
        return;
    }
    const uint32_t state =
        (enable != 0 ? 0u : MenuStateGrayed) | (check != 0 ? MenuStateChecked : 0u);
    menu->SetItemState(commandId, state);
}

uint32_t CFunction::GetCurrentThreadId() {
    return static_cast<uint32_t>(gettid());
}

void CFunction::SetMessageHandler(MessageHandler handler, void* context) {
    MessageQueue& queue = ThisThreadQueue();
    const std::lock_guard<std::mutex> guard(queue.lock);
    queue.handler = handler;
    queue.context = context;
}

int CFunction::PostThreadMessage(uint32_t threadId, uint32_t message, uint32_t wParam,
                                 int32_t lParam) {
    std::shared_ptr<MessageQueue> queue;
    {
        const std::lock_guard<std::mutex> guard(QueuesLock());
        const auto it = Queues().find(threadId);
        if (it == Queues().end()) {
            return 0;
        }
        queue = it->second;
    }
    const std::lock_guard<std::mutex> guard(queue->lock);
    queue->messages.push_back({message, wParam, lParam});
    return 1;
}

void CFunction::MsgProcess() {
    MessageQueue& queue = ThisThreadQueue();
    // The messages waiting now; those that handlers post meanwhile wait for the next call.
    std::deque<Message> waiting;
    MessageHandler handler = nullptr;
    void* context = nullptr;
    {
        const std::lock_guard<std::mutex> guard(queue.lock);
        waiting.swap(queue.messages);
        handler = queue.handler;
        context = queue.context;
    }
    for (const Message& message : waiting) {
        if (handler != nullptr) {
            handler(message, context);
        }
    }
}

int CFunction::GetNumOfProcessors() {
    static std::atomic<int> processors{0};
    int count = processors.load();
    if (count == 0) {
        const long online = sysconf(_SC_NPROCESSORS_ONLN);
        count = online > 0 ? static_cast<int>(online) : 1;
        processors = count;
    }
    return count;
}

double CFunction::GetCpuUsage() {
    static std::atomic<uint64_t> previousIdle{0};
    static std::atomic<uint64_t> previousSystem{0};
    std::ifstream stat("/proc/stat");
    std::string line;
    uint64_t idle = 0;
    uint64_t total = 0;
    int processors = 0;
    bool haveTotal = false;
    while (std::getline(stat, line)) {
        if (line.rfind("cpu ", 0) == 0) {
            std::istringstream fields(line.substr(4));
            uint64_t value = 0;
            for (int i = 0; fields >> value && i < 8; ++i) {
                total += value;
                if (i == 3 || i == 4) { // idle, iowait
                    idle += value;
                }
            }
            haveTotal = true;
        } else if (line.rfind("cpu", 0) == 0) {
            ++processors;
        }
    }
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (!haveTotal || processors == 0 || ticksPerSecond <= 0) {
        return 0;
    }
    // In 100-nanosecond units: the idle time of all processors, and the time that passed
    // (the total of all processors' time divided among them).
    const uint64_t unit = 10000000u / static_cast<uint64_t>(ticksPerSecond);
    const uint64_t idleTime = idle * unit;
    const uint64_t systemTime = total * unit / static_cast<uint64_t>(processors);
    double result = 0;
    const uint64_t lastIdle = previousIdle.load();
    const uint64_t lastSystem = previousSystem.load();
    if (lastIdle != 0) {
        if (systemTime <= lastSystem) {
            return 0; // no time has passed that could be measured
        }
        const double idleShare = static_cast<double>(idleTime - std::min(idleTime, lastIdle)) /
                                 static_cast<double>(systemTime - lastSystem);
        result = 100.0 - idleShare * 100.0 / processors + 0.5;
    }
    previousIdle = idleTime;
    previousSystem = systemTime;
    return std::clamp(result, 0.0, 100.0);
}

int CFunction::EnumIpAddresses(void (*add)(const char* address, void* target), void* target) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return 0;
    }
    int added = 0;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr ||
            std::strcmp(text, "127.0.0.1") == 0) {
            continue;
        }
        add(text, target);
        ++added;
    }
    freeifaddrs(list);
    return added;
}

int CFunction::GetNetCardMacAddress(std::string& output) {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        const int error = errno;
        RLog("GetNetCardMacAddress  nError=%d,%s", error,
             GetLastErrorString(static_cast<uint32_t>(error)).c_str());
        return 0;
    }
    std::string mac;
    for (const ifaddrs* entry = list; entry != nullptr && mac.empty(); entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen == 0 || link->sll_halen > sizeof link->sll_addr) {
            continue; // no hardware address (tunnels and the like)
        }
        char hex[3];
        for (int i = 0; i < link->sll_halen; ++i) {
            std::snprintf(hex, sizeof hex, "%02x", link->sll_addr[i]);
            mac += hex;
        }
    }
    freeifaddrs(list);
    if (mac.empty()) {
        RLog("GetAdapterInfoByIpHlp ERROR_NO_DATA");
        return 1;
    }
    output = mac;
    DLog("NetCard MAC:%s", output.c_str());
    return 1;
}

int CFunction::GetDiskSerialNumber(uint32_t& serial) {
    struct statvfs info {};
    if (statvfs("/", &info) != 0) {
        return 0;
    }
    serial = static_cast<uint32_t>(info.f_fsid);
    return 1;
}

std::string CFunction::GetUserUniqueIdentify() {
    uint32_t serial = 0;
    std::string mac;
    if (GetDiskSerialNumber(serial) == 1 && GetNetCardMacAddress(mac) == 1) {
        char text[16];
        std::snprintf(text, sizeof text, "%0X", serial);
        return std::string(text) + "-" + mac;
    }
    return GetGUID();
}

std::string CFunction::GetGUID() {
    uuid_t id;
    uuid_generate_random(id);
    if (uuid_is_null(id) != 0) {
        return GuidFailure;
    }
    const unsigned long data1 = (static_cast<unsigned long>(id[0]) << 24) |
                                (static_cast<unsigned long>(id[1]) << 16) |
                                (static_cast<unsigned long>(id[2]) << 8) | id[3];
    const unsigned data2 = (static_cast<unsigned>(id[4]) << 8) | id[5];
    const unsigned data3 = (static_cast<unsigned>(id[6]) << 8) | id[7];
    char text[40];
    std::snprintf(text, sizeof text, "%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X", data1,
                  data2, data3, id[8], id[9], id[10], id[11], id[12], id[13], id[14], id[15]);
    return text;
}

std::string CFunction::GetSystemDir() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&::write), &info) == 0 || info.dli_fname == nullptr) {
        return "/usr/lib";
    }
    std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
    return path.size() < SystemDirBuffer ? path : std::string();
}

std::string CFunction::GetAppVersion(int which) {
    const std::string path =
        which == 0 ? std::string("/proc/self/exe") : GetCurrentModuleDir() + "//Pellora.dll";
    return ProductVersion(path);
}
