#pragma once

#include <tollund/TollundApi.h>

#include <cstdint>
#include <string>

// Process-wide text log in the program directory, a volatile trace on standard error, and the
// small process helpers the rest of the library stands on. Only static operations; an instance
// carries no state.
class TOLLUND_API CFunction {
public:
    CFunction();
    ~CFunction();

    // Appends the formatted message (at most 511 bytes) to "Info.dat" in the program directory.
    static void RLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // As RLog with the prefix "[DLog] ", but only while the marker file "VelkarnTech.debug"
    // exists in the program directory; the marker is tested on every call.
    static void DLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Sends one numbered, time-stamped trace line to standard error; the log file is untouched.
    static void VLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Logs "<file>.Line:<line>.Error Code:0X<code>".
    static void ELog(const char* sourceFile, uint32_t line, int32_t errorCode);
    // As above with the calling thread's errno.
    static void ELog(const char* sourceFile, uint32_t line);

    // Directory of the running executable, without a trailing "/"; empty when it has none.
    static std::string GetCurrentModuleDir();
    // Monotonic milliseconds.
    static int64_t GetSysTickCount64();
    // The system's text for an error number; empty for a number the system does not know.
    static std::string GetLastErrorString(uint32_t errorCode);
    // The same for the calling thread's errno.
    static std::string GetLastErrorString();

private:
    // Appends one entry to fileName (relative to the program directory, starting with "/").
    static void Log(const std::string& fileName, const char* message);
    // Receives every logged message; produces no output.
    static void DebugOutput(const std::string& message);

public:
    // Processes, windows and machine facts.
    // Command lines are split into arguments by the usual Windows rules: blanks separate,
    // double quotes group, a backslash escapes a double quote.

    // Runs appPath (or, when it is empty, the first argument searched on PATH) with the
    // arguments of commandLine, standard output and error into a pipe, standard input the
    // caller's. 1 when it ended within timeoutSeconds (negative: no limit); then output holds
    // what it wrote if capture is not 0. On time-out the child is killed, the output is empty
    // and the result 0. A command line of 1040 characters or more is refused (0).
    static int ExecCommand(const std::string& appPath, const std::string& commandLine,
                           std::string& output, int capture, int timeoutSeconds);
    // Starts <program directory>/fileName with parameters in the program directory, without
    // waiting; a file that is not executable is handed to the desktop's opener (xdg-open).
    static void RunProcess(std::string fileName, std::string parameters, int showCommand);

    // An X11 window id; 0 is none. Windows are looked up on the display named by DISPLAY.
    using WindowHandle = unsigned long;
    // Kills the process that owns the window (its _NET_WM_PID on this machine): 1 on success.
    static int FindProcessHandleAndKill(WindowHandle window);
    // The same for the top-level window with exactly that title; 0 when there is none.
    static int FindProcessHandleAndKill(const std::string& windowTitle);
    // Posts a ClientMessage of type "_TOLLUND_WINDOW_MESSAGE" (format 32: message, wParam,
    // lParam) to the top-level window with that title; logs when there is none.
    static void FindWindowAndSendMsg(const char* windowTitle, uint32_t message, uint32_t wParam,
                                     int32_t lParam);
    // Opens an address or file: the desktop's opener, else the command of the registry layer's
    // HKEY_CLASSES_ROOT\.htm class. Above 32 when started, else an error code.
    static int GotoURL(const char* url, int showCommand);

    // Registry layer: root keys, with the values they have on Windows.
    using RegKey = uint32_t;
    static constexpr RegKey HKEY_CLASSES_ROOT = 0x80000000u;
    static constexpr RegKey HKEY_CURRENT_USER = 0x80000001u;
    static constexpr RegKey HKEY_LOCAL_MACHINE = 0x80000002u;
    static constexpr RegKey HKEY_USERS = 0x80000003u;
    static constexpr RegKey HKEY_CURRENT_CONFIG = 0x80000005u;
    // Copies the default value of root\subKey (at most 259 bytes and a zero) into output (at
    // least 260 bytes; empty when the value cannot be read). 0 when the key exists, else an
    // errno value (2 when it is missing).
    static int32_t GetRegKey(RegKey root, const char* subKey, char* output);

    // Menu layer: items by command identifier with their state.
    static constexpr uint32_t MenuStateGrayed = 0x3;  // disabled and grayed
    static constexpr uint32_t MenuStateChecked = 0x8; // check mark
    class TOLLUND_API Menu {
    public:
        Menu();
        ~Menu();
        Menu(const Menu&) = delete;
        Menu& operator=(const Menu&) = delete;
        void AppendItem(uint32_t commandId, const std::string& text, uint32_t state = 0);
        // The item's state flags; false when there is no such item.
        bool GetItemState(uint32_t commandId, uint32_t& state) const;
        bool SetItemState(uint32_t commandId, uint32_t state);

    private:
        struct Items;
        Items* m_items;
    };
    // Sets only the item's state: enabled, or disabled and grayed when enable is 0; checked
    // when check is not 0.
    static void SetMenuItemState(Menu* menu, uint32_t commandId, int check, int enable);

    // Message layer: one queue per thread, made by its first SetMessageHandler or MsgProcess.
    struct Message {
        uint32_t message;
        uint32_t wParam;
        int32_t lParam;
    };
    using MessageHandler = void (*)(const Message& message, void* context);
    // The calling thread's kernel thread id, under which its queue is reached.
    static uint32_t GetCurrentThreadId();
    // Where MsgProcess of the calling thread dispatches its messages.
    static void SetMessageHandler(MessageHandler handler, void* context);
    // Queues a message for the thread; 0 when that thread has no queue.
    static int PostThreadMessage(uint32_t threadId, uint32_t message, uint32_t wParam,
                                 int32_t lParam);
    // Dispatches every message waiting in the calling thread's queue, then returns.
    static void MsgProcess();

    // Online processors, read once.
    static int GetNumOfProcessors();
    // Processor load in percent since the previous call, from /proc/stat; 0 on the first call.
    static double GetCpuUsage();
    // Adds to addresses (any container of std::string with push_back) the dotted text of every
    // IPv4 address but 127.0.0.1, in interface order; the number added.
    template <class StringArray>
    static int GetIpAddress(StringArray& addresses) {
        return EnumIpAddresses(
            [](const char* address, void* target) {
                static_cast<StringArray*>(target)->push_back(address);
            },
            &addresses);
    }
    static int EnumIpAddresses(void (*add)(const char* address, void* target), void* target);
    // MAC of the first network adapter that is not a loopback, as lower-case hexadecimal
    // without separators; 1 also when there is none (output untouched), 0 on failure.
    static int GetNetCardMacAddress(std::string& output);
    // Serial of the root file system (statvfs("/") f_fsid, low 32 bits); 1 on success.
    static int GetDiskSerialNumber(uint32_t& serial);
    // Serial ("%X"), "-", MAC text; else a new GUID text.
    static std::string GetUserUniqueIdentify();
    // A new random GUID as text, or "Can't Get a Guid".
    static std::string GetGUID();
    // The folder of the system's C library.
    static std::string GetSystemDir();
    // ProductVersion of the version layer (section ".tollund.version") of the executable
    // (which 0) or of "Pellora.dll" in the program directory; empty when missing.
    static std::string GetAppVersion(int which);
};
