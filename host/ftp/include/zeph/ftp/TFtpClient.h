// The host's FTP client component: one session with a server, opened by Connect and used by
// the operations that follow, as a window holds it between showing a file and saving it.
//
// Fixed settings: binary transfers, passive data connections, no proxy (the platform's rule,
// zeph/platform/NetworkSettings.h, sends FTP direct whatever the environment says), any local
// address; a 15-second limit on connecting, on each reply and on a transfer that stalls.
// Replies ending in a bare line feed are accepted. Names travel as the host holds them (host
// text, unchanged, dot segments included). Operations report failure by their result and leave
// the reason in LastError().
#pragma once

#include <zeph/component/Component.h>
#include <zeph/text/HostText.h>

#include <functional>
#include <memory>
#include <string>

namespace zeph::ftp {

inline constexpr int kFtpServicePort = 21;

class ZEPH_HOST_API TFtpClient : public component::Component {
public:
    explicit TFtpClient(component::Component* owner, std::string name = {});
    ~TFtpClient() override;

    std::string Host;
    int Port = kFtpServicePort;
    std::string Username = "anonymous";
    std::string Password;
    long TimeoutSeconds = 15;
    // Fired every few milliseconds while an operation waits on the server or moves data, so
    // the window that runs it can let events through. An operation started from inside it
    // fails: the session is busy.
    std::function<void(TFtpClient& sender)> OnWork;

    // Connects and logs in, blocking up to the time limit; a refused connection, a wrong
    // password or a server that does not answer fails here. An open session is closed first.
    bool Connect();
    // True while the session is open: logged in, and the server has not closed the connection.
    bool Connected() const;
    // Sends QUIT and closes the session.
    void Disconnect();

    // The server's working directory (PWD); empty on failure.
    std::string RetrieveCurrentDir();
    // Changes the working directory with one CWD of the whole path, as given.
    bool ChangeDir(const std::string& directory);
    // Downloads a file of the working directory (or a path the server resolves) into the local
    // file localPath (host text). The local file is replaced only when the whole file arrived:
    // as long as SIZE answered, or as the opening reply announced ("(N bytes)") when SIZE did
    // not; on failure it is as it was.
    bool Get(const std::string& remoteFile, const std::string& localPath);

    // Why the last operation failed (host text); empty after one that succeeded.
    const std::string& LastError() const noexcept { return lastError_; }

private:
    struct Session;
    void Work();
    bool Busy() const;

    std::unique_ptr<Session> session_;
    bool inWork_ = false;
    std::string lastError_;
};

} // namespace zeph::ftp
