// The request CHttpUpload puts on the wire, byte for byte, and as a real multipart parser reads it.

#include "support/UploadServer.h"

#include <tollund/CHttpUpload.h>

#include <gtest/gtest.h>

#include <random>

namespace {

using systest::UploadServer;

const std::string Boundary = "-----------------------------7d131a26a016";

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (auto& b : bytes) {
        b = static_cast<char>(random());
    }
    return bytes;
}

std::string ExpectedBody(const std::string& field, const std::string& path,
                         const std::string& content) {
    return "--" + Boundary + "\r\nContent-Disposition: form-data; name=\"" + field +
           "\"; filename=\"" + path + "\"\r\nContent-Type: application/octet-stream\r\n\r\n" +
           content + "\r\n--" + Boundary + "--\r\n";
}

struct WireCase {
    const char* name;
    size_t size;
    std::string objectPath;
    std::string expectedTarget;
};

class UploadWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(UploadWire, RequestBytesAndParsedFormMatch) {
    const WireCase& c = GetParam();
    UploadServer server({"--body", "<html>stored</html>"});
    systest::TempDir dir;
    const std::string path = dir / "data set.bin";
    // Lines and the boundary text inside the file must reach the server unchanged.
    std::string content = RandomBytes(c.size, 7);
    if (c.size > 200) {
        content.replace(100, 4, "\r\n--");
        content.replace(120, Boundary.size(), Boundary);
    }
    systest::WriteFile(path, content);

    CHttpUpload upload;
    upload.SetUploadParams("127.0.0.1", server.Port(), c.objectPath, "refer/page.htm", "upfile");
    ASSERT_EQ(upload.GetProgress(), 0u);
    ASSERT_EQ(upload.UploadFile(path), 1);
    ASSERT_TRUE(
        systest::WaitUntil([&] { return upload.getResponseHtml() == "<html>stored</html>"; }));
    EXPECT_EQ(upload.GetProgress(), c.size == 0 ? 0u : 100u);

    const systest::RecordedRequest request = server.Request(1);
    const std::string body = ExpectedBody("upfile", path, content);
    const size_t headEnd = request.raw.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    const std::string head = request.raw.substr(0, headEnd + 2);
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "POST " + c.expectedTarget + " HTTP/1.1");
    EXPECT_NE(head.find("\r\nContent-Type: multipart/form-data; boundary=" + Boundary + "\r\n"),
              std::string::npos);
    EXPECT_NE(head.find("\r\nReferer: http://127.0.0.1/refer/page.htm\r\n"), std::string::npos);
    EXPECT_NE(head.find("\r\nContent-Length: " + std::to_string(body.size()) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(head.find("Expect:"), std::string::npos);
    EXPECT_EQ(head.find("Proxy"), std::string::npos);
    EXPECT_EQ(request.raw.substr(headEnd + 4), body);

    EXPECT_EQ(request.Field("declared_length"), std::to_string(body.size()));
    EXPECT_EQ(request.Field("complete"), "1");
    EXPECT_EQ(request.Field("error"), "");
    EXPECT_EQ(request.Field("parts"), "1");
    EXPECT_EQ(request.Field("part0.name"), "upfile");
    EXPECT_EQ(request.Field("part0.filename"), path);
    EXPECT_EQ(request.Field("part0.size"), std::to_string(c.size));
    EXPECT_EQ(request.part0, content);
    EXPECT_EQ(request.All("part0.header"),
              (std::vector<std::string>{"Content-Disposition: form-data; name=\"upfile\"; "
                                        "filename=\"" +
                                            path + "\"",
                                        "Content-Type: application/octet-stream"}));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, UploadWire,
    ::testing::Values(WireCase{"Empty", 0, "/upload.php", "/upload.php"},
                      WireCase{"OnePiece", 1000, "/cgi/up?user=7&x=1", "/cgi/up?user=7&x=1"},
                      WireCase{"ExactPiece", 65535, "upload.php", "/upload.php"},
                      WireCase{"ManyPieces", 300001, "/a/b/../c.jsp", "/a/b/../c.jsp"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UploadWire, ErrorStatusStillCountsAsSuccessWithItsPage) {
    UploadServer server({"--status", "404", "--body", "<h1>Not Found</h1>"});
    systest::TempDir dir;
    systest::WriteFile(dir / "a.txt", "abc");
    auto upload = systest::Prepared(dir / "a.txt", server.Port());
    EXPECT_EQ(CHttpUpload::uploadObj(upload.get()), 1u);
    EXPECT_EQ(upload->getResponseHtml(), "<h1>Not Found</h1>");
    EXPECT_EQ(upload->GetProgress(), 100u);
}

// Proxy settings of the environment are never used.
TEST(UploadWire, GoesDirectWhateverTheProxyVariablesSay) {
    UploadServer server({"--body", "direct"});
    systest::TempDir dir;
    systest::WriteFile(dir / "a", "abc");
    const char* variables[] = {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"};
    for (const char* name : variables) {
        setenv(name, "http://127.0.0.1:9", 1);
    }
    auto upload = systest::Prepared(dir / "a", server.Port());
    const unsigned result = CHttpUpload::uploadObj(upload.get());
    for (const char* name : variables) {
        unsetenv(name);
    }
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(upload->getResponseHtml(), "direct");
}

TEST(UploadWire, SuccessiveUploadsOnOneObject) {
    UploadServer server({"--body", "done"});
    systest::TempDir dir;
    CHttpUpload upload;
    upload.SetUploadParams("127.0.0.1", server.Port(), "/u", "r", "f");
    for (int i = 1; i <= 3; ++i) {
        const std::string path = dir / ("f" + std::to_string(i));
        systest::WriteFile(path,
                           std::string(static_cast<size_t>(i) * 70000, static_cast<char>('a' + i)));
        // Refused only while the previous worker is still finishing.
        ASSERT_TRUE(systest::WaitUntil([&] { return upload.UploadFile(path) == 1; }));
        ASSERT_TRUE(systest::WaitUntil([&] { return server.HasRequest(i); }));
        EXPECT_EQ(server.Request(i).part0, systest::ReadFile(path));
        EXPECT_EQ(server.Request(i).Field("part0.filename"), path);
    }
    ASSERT_TRUE(systest::WaitUntil([&] { return upload.getResponseHtml() == "done"; }));
}

} // namespace
