// Saving one recording: where the application server says it lies, the session with its FTP
// server (the host's FTP client component, owned by the save window), and the copy to a file of
// the agent's.
#pragma once

#include "core/Edition.h"

#include <zeph/forms/Component.h>
#include <zeph/forms/MessagePump.h>

#include <memory>
#include <string>

namespace zeph::ftp {
class TFtpClient;
}

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::recording {

// Where a recording lies, as the server tells it.
struct TFtpLocation {
    std::string host1;
    std::string host2; // used when host1 is empty
    std::string remoteDir;
    std::string remoteFile;
    std::string user;
    std::string password;
    std::string port;
};

enum class TOpenOutcome { Opened, NotLocated, NoServer, NotConnected };

class TRecordingDownload {
public:
    // owner: the window that holds the FTP client component ("ftpRecord").
    TRecordingDownload(TInterFacefrmMain& main, zeph::forms::Component& owner, Edition edition);
    ~TRecordingDownload();
    TRecordingDownload(const TRecordingDownload&) = delete;
    TRecordingDownload& operator=(const TRecordingDownload&) = delete;

    // Locates the recording at filePath of staff member staffNo and connects to its server.
    TOpenOutcome Open(const std::string& filePath, const std::string& staffNo);
    // The recording's address on its server, for the agent to read.
    std::string Address() const;
    const TFtpLocation& Location() const noexcept { return location_; }

    // True when saving to localName (host text) replaces a file the agent has.
    bool Replaces(const std::string& localName) const;
    // Downloads the recording into localName; the old file there is replaced only by a whole
    // recording. Failures go to the host log in the full edition.
    bool CopyTo(const std::string& localName);

private:
    bool Locate(const std::string& filePath, const std::string& staffNo);
    bool Connect();
    void Log(const std::string& text);

    TInterFacefrmMain& main_;
    Edition edition_;
    std::unique_ptr<zeph::ftp::TFtpClient> ftpRecord_;
    zeph::forms::MessagePump pump_;
    TFtpLocation location_;
    std::string host_;
};

// The name the save dialog proposes: the serial number and the extension of the remote file
// name (its last "." and what follows). Only the remote name's last part counts, and
// separators never survive, so the proposal is a plain name in the dialog's folder.
std::string DefaultLocalName(const std::string& serialNo, const std::string& remoteFile);

} // namespace morvane::recording
