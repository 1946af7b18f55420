#include "recording/RecordingDownload.h"

#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/ftp/TFtpClient.h>
#include <zeph/platform/Files.h>
#include <zeph/text/HostText.h>

namespace morvane::recording {
namespace {

constexpr int kLocationFirst = 2;
constexpr int kLocationLast = 8;

// A "/" (never a trail byte) always stands alone, and a "\\" only after a lead byte; names from
// the server may be damaged, so only a well-formed pair hides its second byte.
bool IsSeparator(const std::string& text, std::size_t pos, std::size_t length) {
    return length == 1 && (text[pos] == '/' || text[pos] == '\\');
}

// The text with every separator replaced by "_".
std::string WithoutSeparators(const std::string& text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = zeph::text::PairedCharLength(text, pos);
        out += IsSeparator(text, pos, length) ? std::string("_") : text.substr(pos, length);
        pos += length;
    }
    return out;
}

// What follows the last separator.
std::string LastPart(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < path.size();) {
        const std::size_t length = zeph::text::PairedCharLength(path, pos);
        if (IsSeparator(path, pos, length)) {
            start = pos + 1;
        }
        pos += length;
    }
    return path.substr(start);
}

} // namespace

std::string DefaultLocalName(const std::string& serialNo, const std::string& remoteFile) {
    const std::string name = LastPart(remoteFile);
    const std::size_t dot = name.rfind('.'); // "." is never a trail byte
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    return WithoutSeparators(serialNo + extension);
}

TRecordingDownload::TRecordingDownload(TInterFacefrmMain& main, zeph::forms::Component& owner,
                                       Edition edition)
    : main_(main), edition_(edition),
      ftpRecord_(std::make_unique<zeph::ftp::TFtpClient>(&owner, "ftpRecord")) {
    // The desk stays alive while a recording downloads.
    ftpRecord_->OnWork = [this](zeph::ftp::TFtpClient&) { pump_.Tick(); };
}

TRecordingDownload::~TRecordingDownload() = default;

TOpenOutcome TRecordingDownload::Open(const std::string& filePath, const std::string& staffNo) {
    if (!Locate(filePath, staffNo)) {
        return TOpenOutcome::NotLocated;
    }
    host_ = !location_.host1.empty() ? location_.host1 : location_.host2;
    if (host_.empty()) {
        return TOpenOutcome::NoServer;
    }
    return Connect() ? TOpenOutcome::Opened : TOpenOutcome::NotConnected;
}

std::string TRecordingDownload::Address() const {
    return "ftp://" + host_ + location_.remoteDir + location_.remoteFile;
}

bool TRecordingDownload::Locate(const std::string& filePath, const std::string& staffNo) {
    // A "~" inside a piece would shift the staff number into the path.
    if (zeph::text::Contains(filePath, "~") || zeph::text::Contains(staffNo, "~")) {
        Log("P_QC_GETFTPFILEPATH: \"~\" in " + filePath + "~" + staffNo);
        return false;
    }
    zeph::Variant result;
    if (!main_.ZephClient.StoreProcedure("P_QC_GETFTPFILEPATH", filePath + "~" + staffNo, result)) {
        return false;
    }
    if (!result.IsArray() || result.LowBound() > kLocationFirst ||
        result.HighBound() < kLocationLast) {
        return false;
    }
    try {
        location_.host1 = result[2].AsText();
        location_.host2 = result[3].AsText();
        location_.remoteDir = result[4].AsText();
        location_.remoteFile = result[5].AsText();
        location_.user = result[6].AsText();
        location_.password = result[7].AsText();
        location_.port = result[8].AsText();
    } catch (const std::exception&) {
        return false; // an element that is no text
    }
    return true;
}

bool TRecordingDownload::Connect() {
    int port = zeph::ftp::kFtpServicePort;
    if (!location_.port.empty()) {
        if (!zeph::IfNumber(location_.port)) {
            return false;
        }
        port = static_cast<int>(zeph::Variant(location_.port).AsInteger());
    }
    ftpRecord_->Host = host_;
    ftpRecord_->Username = location_.user;
    ftpRecord_->Password = location_.password;
    ftpRecord_->Port = port;
    return ftpRecord_->Connect() && ftpRecord_->Connected();
}

void TRecordingDownload::Log(const std::string& text) {
    main_.ZephClient.WriteLog(text, {});
}

bool TRecordingDownload::Replaces(const std::string& localName) const {
    return zeph::platform::FileExists(localName);
}

bool TRecordingDownload::CopyTo(const std::string& localName) {
    const bool full = edition_ == Edition::Full;
    if (location_.remoteFile.empty() || localName.empty()) {
        if (full) {
            Log("FTP文件名或本地文件名为空"_host);
        }
        return false;
    }
    if (!ftpRecord_->Connected()) {
        if (full) {
            Log("连接FTP失败"_host);
        }
        return false;
    }
    std::string directory = location_.remoteDir;
    if (directory.empty() || directory.back() != '/') {
        directory += '/'; // "/" is never a trail byte
    }
    ftpRecord_->RetrieveCurrentDir();
    bool copied =
        ftpRecord_->ChangeDir(directory) && ftpRecord_->Get(location_.remoteFile, localName);
    if (full && !ftpRecord_->LastError().empty()) {
        Log(ftpRecord_->LastError());
    }
    return copied;
}

} // namespace morvane::recording
