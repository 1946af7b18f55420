#pragma once

#include <tollund/TollundApi.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

// Raised by CHttpUpload::SetUploadParams when the HTTP client cannot create its session or
// connection objects.
class TOLLUND_API CHttpUploadException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sends one local file as a multipart/form-data POST on a worker thread of its own and keeps the
// reply body. Configure with SetUploadParams, start with UploadFile, poll GetProgress, then read
// getResponseHtml once the upload has ended.
class TOLLUND_API CHttpUpload {
public:
    CHttpUpload();
    ~CHttpUpload();
    CHttpUpload(const CHttpUpload&) = delete;
    CHttpUpload& operator=(const CHttpUpload&) = delete;

    // Ends any running upload and prepares a direct (never proxied) connection to server:port.
    // No traffic happens yet. Throws CHttpUploadException when the objects cannot be created.
    void SetUploadParams(std::string server, int port, std::string objectPath,
                         std::string refererPath, std::string fieldName);
    // Starts a worker uploading localFile; 1 when started, 0 when one is already running or the
    // thread cannot be started. The path is stored in either case.
    int UploadFile(std::string localFile);
    // The worker: 1 when a reply arrived (whatever its HTTP status), 0 on failure.
    static unsigned uploadObj(void* object);
    // Percentage of the file's bytes read into the request, 0..100.
    unsigned GetProgress();
    // The reply body of the last upload.
    std::string getResponseHtml();
    // Drops the connection and ends a running upload at once.
    void resetConnection();

    // Time limits of the uploads started afterwards, in seconds; 0 means no limit. Connecting
    // to the server may take at most the connect time-out; once connected, the transfer fails
    // when no byte has gone either way for the stall limit (a server that stops reading, or
    // never answers).
    static constexpr unsigned DefaultConnectTimeoutSeconds = 10;
    static constexpr unsigned DefaultStallTimeoutSeconds = 30;
    void SetConnectTimeout(unsigned seconds);
    void SetStallTimeout(unsigned seconds);

private:
    struct Session;
    struct Connection;

    static std::string MakeRequestHeaders(std::string& boundary, const std::string& server,
                                          const std::string& refererPath);
    static std::string MakePreFileData(std::string& boundary, const std::string& fieldName,
                                       std::string& localFile);
    static std::string MakePostFileData(std::string& boundary);
    unsigned Transfer(Connection& connection, unsigned char* buffer, int file, uint64_t fileSize,
                      std::string& localFile);

    std::unique_ptr<Session> m_session;
    std::unique_ptr<Connection> m_connection;
    std::string m_server;
    int m_port;
    std::thread m_worker;
    std::string m_objectPath;
    std::string m_refererPath;
    std::string m_fieldName;
    std::string m_response;
    std::string m_localFile;
    std::atomic<uint32_t> m_bytesSent;
    std::atomic<uint32_t> m_totalBytes;

    std::atomic<bool> m_workerRunning; // set from UploadFile until uploadObj returns
    std::atomic<bool> m_abandon;       // asks the running transfer to stop
    std::atomic<bool> m_pathTaken;     // the new worker has copied the local file path
    std::mutex m_stateLock;            // guards the response and the local file path
    std::atomic<unsigned> m_connectTimeout;
    std::atomic<unsigned> m_stallTimeout;
};
