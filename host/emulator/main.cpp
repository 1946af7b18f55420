// zeph-host: loads the plug-in as the host desktop does and delivers requests to it, answering
// its server calls from an SQLite desk database. Command line: docs/zeph-host.md.
#include <zeph/client/Delivery.h>
#include <zeph/client/HostServices.h>
#include <zeph/emulator/CommandLine.h>
#include <zeph/emulator/DemoDatabase.h>
#ifdef ZEPH_HAS_QT
#include <zeph/emulator/DeskWindow.h>
#endif
#include <tollund/CMiniDumper.h>
#include <zeph/emulator/DeskPlatform.h>
#include <zeph/emulator/DeskServices.h>
#include <zeph/emulator/InputFile.h>
#include <zeph/emulator/PluginLibrary.h>
#include <zeph/formdrive/ConsoleBackend.h>
#include <zeph/formdrive/Script.h>
#include <zeph/formdrive/Terminal.h>
#include <zeph/forms/Application.h>
#include <zeph/forms/Form.h>
#include <zeph/platform/Paths.h>
#include <zeph/text/HostText.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>

namespace {

using namespace zeph;
using namespace zeph::emulator;

// Exit statuses (docs/zeph-host.md).
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitWordError = 3;
constexpr int kExitPlugin = 4;
constexpr int kExitServer = 5;
constexpr int kExitNoElement = 6;

// An error text as one line: line breaks become "\n".
std::string OneLine(const std::string& utf8) {
    std::string out;
    for (char c : utf8) {
        out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    }
    return out;
}

// The host's own application window, whose handle ShowMorvane receives.
class THostMainWindow : public forms::Form {
public:
    THostMainWindow() : forms::Form(nullptr, "ZephHostMain") { Caption = "Zeph"; }
};

std::string DefaultPlugin(const std::string& edition) {
    const char* name = edition == "basic" ? ZEPH_MORVANE_BASIC_FILE : ZEPH_MORVANE_FULL_FILE;
    return platform::PathToUtf8(ExecutableFolder().parent_path() / "lib" / name);
}

class Desk {
public:
    Desk(const Options& options, std::optional<forms::Script> script) : script_(std::move(script)) {
        if (options.server.empty()) {
            temporary_.emplace();
            db_.emplace(Database::Open(platform::PathToUtf8(temporary_->Path() / "desk.db"), true));
            BuildDemoDatabase(*db_);
        } else {
            if (!std::filesystem::exists(platform::PathFromUtf8(options.server))) {
                throw EDatabaseError("no desk database " + options.server +
                                     " (zeph-host make-demo PATH writes one to start from)");
            }
            db_.emplace(Database::Open(options.server, false));
            if (!db_->TableExists("desk_setting") || !db_->TableExists("server_procedure")) {
                throw EDatabaseError(options.server + " is not a desk database (no desk_setting or "
                                                      "server_procedure table)");
            }
        }
        services_ = std::make_shared<DeskServices>(*db_);
        if (!options.logFile.empty()) {
            services_->SetLogFile(platform::PathToUtf8(
                std::filesystem::absolute(platform::PathFromUtf8(options.logFile))));
        }
        if (options.verbose) {
            services_->SetTrace(&std::cerr);
            verbose_ = true;
        }
        InstallHostServices(services_);
        UseWindow(hostWindow_);
        // Where the plug-in keeps its per-agent files: the desk's program_dir, else this
        // program's own folder.
        std::string programDir = services_->Setting("program_dir");
        if (!programDir.empty()) {
            std::filesystem::path dir = platform::PathFromUtf8(programDir);
            if (dir.is_relative()) {
                dir = std::filesystem::absolute(platform::PathFromUtf8(db_->Path())).parent_path() /
                      dir;
            }
            platform::SetProgramDirectory(
                platform::HostPath(platform::PathToUtf8(dir.lexically_normal())));
        }
    }

    ~Desk() {
        InstallHostServices(nullptr);
        forms::Application()->SetBackend(nullptr);
        // Plug-ins are unloaded (their windows freed) before the host's own window goes.
        plugin_.reset();
        services_.reset();
    }

    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    void LoadPlugin(const std::string& path) {
        plugin_ = std::make_unique<PluginLibrary>(path);
        const std::filesystem::path absolute =
            std::filesystem::absolute(platform::PathFromUtf8(path));
        services_->SetLibraryDir(platform::PathToUtf8(absolute.parent_path()));
        services_->SetLoadedPlugin(platform::PathToUtf8(absolute));
    }

    // The window whose handle ShowMorvane receives: the host's own, or the desk window.
    void UseWindow(forms::Form& window) {
        hostHandle_ = window.Handle();
        services_->SetHostWindow(hostHandle_);
    }
    // Dialogs and windows go to this backend while it lives instead of the console.
    void UseBackend(std::weak_ptr<forms::Backend> backend) { fixedBackend_ = std::move(backend); }

    // Runs one request; returns its exit status.
    int Run(const CallRequest& request) {
        Variant output;
        std::string error;
        int status = Deliver(request, output, error);
        if (!error.empty()) {
            std::cerr << error << '\n';
        }
        if (status != kExitOk && status != kExitWordError) {
            return status;
        }
        return Print(request, output, status);
    }

    // Delivers one request: its Output, and the error line (UTF-8) when it failed.
    int Deliver(const CallRequest& request, Variant& output, std::string& error) {
        if (forms::Application()->RequestRunning()) {
            // Asked from a window that let events through while a word runs: refused before
            // the running word's backend or main window is touched.
            error = "zeph-host: a word is running; deliver the next one when it has returned";
            return kExitPlugin;
        }
        if (auto fixed = fixedBackend_.lock()) {
            forms::Application()->SetBackend(fixed);
        } else {
            // Each request starts with its own answers and the script from its beginning.
            auto backend = forms::ConsoleBackend::ForProcess();
            for (const std::string& answer : request.answers) {
                backend->AddAnswer(answer);
            }
            if (script_) {
                backend->Load(*script_);
            }
            forms::Application()->SetBackend(backend);
        }
        Variant input;
        try {
            input = BuildInput(request);
        } catch (const EUsageError& e) {
            error = std::string("zeph-host: ") + e.what();
            return kExitUsage;
        }
        forms::WindowHandle window = plugin_->ShowMorvane(hostHandle_);
        if (window == 0) {
            error = "zeph-host: ShowMorvane of " + plugin_->Path() +
                    " returned 0: the plug-in is not usable";
            return kExitPlugin;
        }
        if (verbose_) {
            // A new handle tells that the plug-in built a new main window (the last one closed).
            std::cerr << "Host: ShowMorvane -> " << window << '\n';
        }
        try {
            DeliverRequest(window, input, output);
        } catch (const EDeliveryError& e) {
            error = std::string("zeph-host: ") + e.what();
            return kExitPlugin;
        } catch (const std::exception& e) {
            error = "Error: " + OneLine(text::GbkToUtf8(e.what()));
            return kExitWordError;
        } catch (...) {
            error = "Error: an unknown error left the word";
            return kExitWordError;
        }
        return kExitOk;
    }

private:
    static int Print(const CallRequest& request, const Variant& output, int status) {
        if (!request.raw) {
            std::string json;
            try {
                json = ToJson(output);
            } catch (const std::exception& e) {
                std::cerr << "zeph-host: " << e.what() << '\n';
                return status != kExitOk ? status : kExitFailure;
            }
            std::cout << json << '\n' << std::flush;
            return status;
        }
        int n = *request.raw;
        if (!output.IsArray() || n < output.LowBound() || n > output.HighBound() ||
            output[n].IsArray()) {
            std::string shown;
            try {
                shown = ToJson(output);
            } catch (const std::exception&) {
                shown = "not printable";
            }
            std::cerr << "zeph-host: Output has no text element " << n << " (Output is " << shown
                      << ")\n";
            return status != kExitOk ? status : kExitNoElement;
        }
        std::string bytes = output[n].AsText();
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        return status;
    }

    std::optional<forms::Script> script_;
    std::optional<TemporaryFolder> temporary_;
    std::optional<Database> db_;
    std::shared_ptr<DeskServices> services_;
    THostMainWindow hostWindow_;
    forms::WindowHandle hostHandle_ = 0;
    std::weak_ptr<forms::Backend> fixedBackend_;
    std::unique_ptr<PluginLibrary> plugin_;
    bool verbose_ = false;
};

int Repl(Desk& desk, const CallRequest& primed) {
    bool interactive = forms::StandardInputIsTerminal();
    int status = kExitOk;
    std::deque<std::string> pending = primed.answers;
    std::string line;
    for (;;) {
        if (interactive) {
            std::cerr << "zeph> " << std::flush;
        }
        if (!std::getline(std::cin, line)) {
            break;
        }
        CallRequest request;
        try {
            std::vector<std::string> words = SplitLine(line);
            if (words.empty()) {
                continue;
            }
            if (words.size() == 1 && (words[0] == "quit" || words[0] == "exit")) {
                break;
            }
            request = ParseCallWords(words);
        } catch (const EUsageError& e) {
            std::cerr << "zeph-host: " << e.what() << '\n';
            status = status == kExitOk ? kExitUsage : status;
            continue;
        }
        request.answers.insert(request.answers.begin(), pending.begin(), pending.end());
        pending.clear();
        int rc = desk.Run(request);
        if (rc != kExitOk) {
            status = rc;
        }
    }
    return status;
}

#ifdef ZEPH_HAS_QT
int Gui(Desk& desk, const Options& options, int argc, char** argv) {
    DeskWindowCalls calls;
    calls.attach = [&desk](forms::Form& window, std::shared_ptr<forms::Backend> backend) {
        desk.UseWindow(window);
        desk.UseBackend(backend);
    };
    calls.deliver = [&desk](const std::string& line) {
        DeskAnswer answer;
        CallRequest request;
        try {
            std::vector<std::string> words = SplitLine(line);
            words.insert(words.begin(), "call");
            request = ParseCallWords(words);
        } catch (const EUsageError& e) {
            answer.status = kExitUsage;
            answer.shown = std::string("zeph-host: ") + e.what();
            return answer;
        }
        Variant output;
        std::string error;
        answer.status = desk.Deliver(request, output, error);
        answer.shown = error;
        if (answer.status == kExitOk || answer.status == kExitWordError) {
            try {
                answer.shown += (error.empty() ? "" : "\n") + ToJson(output);
            } catch (const std::exception& e) {
                answer.shown += (error.empty() ? "" : "\n") + std::string("zeph-host: ") + e.what();
            }
        }
        return answer;
    };
    std::string title =
        std::string("zeph-host — ") + (options.edition == "basic" ? "basic" : "full") + " edition";
    return RunDeskWindow(argc, argv, title, std::move(calls));
}
#endif

forms::Script ReadScript(const std::string& path) {
    std::string text;
    try {
        text = ReadInputFile(path);
    } catch (const EUsageError& e) {
        throw EUsageError(std::string("--script: ") + e.what());
    }
    try {
        return forms::ParseScript(text);
    } catch (const forms::EScriptError& e) {
        throw EUsageError("--script " + path + ": " + e.what());
    }
}

int MakeDemo(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::exists(platform::PathFromUtf8(path), ec) || ec) {
        std::cerr << "zeph-host: " << path
                  << (ec ? ": " + ec.message() : " exists; make-demo writes a new file only")
                  << '\n';
        return kExitServer;
    }
    try {
        Database db = Database::Open(path, true);
        BuildDemoDatabase(db);
    } catch (const std::exception& e) {
        // A folder that may not be written or a full disk: the database error names the file.
        std::cerr << "zeph-host: " << e.what() << '\n';
        std::filesystem::remove(platform::PathFromUtf8(path), ec);
        return kExitServer;
    }
    return kExitOk;
}

} // namespace

static int Main(int argc, char** argv) {
    std::vector<std::string> args = ProgramArguments(argc, argv);
    args.erase(args.begin());
    Options options;
    std::optional<forms::Script> script;
    try {
        options = ParseCommandLine(args);
        if (!options.script.empty()) {
            script = ReadScript(options.script);
        }
    } catch (const EUsageError& e) {
        std::cerr << "zeph-host: " << e.what() << "\n(zeph-host --help lists the options)\n";
        return kExitUsage;
    }
    if (options.mode == Options::Mode::Help) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (options.mode == Options::Mode::MakeDemo) {
        return MakeDemo(options.demoPath);
    }
    std::unique_ptr<Desk> desk;
    try {
        desk = std::make_unique<Desk>(options, std::move(script));
    } catch (const std::exception& e) {
        std::cerr << "zeph-host: " << e.what() << '\n';
        return kExitServer;
    }
    std::string plugin = options.plugin.empty() ? DefaultPlugin(options.edition) : options.plugin;
    try {
        desk->LoadPlugin(plugin);
    } catch (const EPluginError& e) {
        std::cerr << "zeph-host: " << e.what() << '\n';
        return kExitPlugin;
    }
    if (options.mode == Options::Mode::Repl) {
        return Repl(*desk, options.call);
    }
    if (options.mode == Options::Mode::Gui) {
#ifdef ZEPH_HAS_QT
        return Gui(*desk, options, argc, argv);
#else
        std::cerr << "zeph-host: this build has no windows (configured with ZEPH_QT off)\n";
        return kExitUsage;
#endif
    }
    return desk->Run(options.call);
}

int main(int argc, char** argv) {
    UseBinaryStandardStreams();
    // A crash leaves a dump in the program directory, as it does for the real desktop.
    CMiniDumper::SetUnhandledExceptionFilter();
    // Whatever ends the program, the desk (and its temporary folder) is unwound first.
    try {
        return Main(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "zeph-host: out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "zeph-host: " << e.what() << '\n';
    }
    return kExitFailure;
}
