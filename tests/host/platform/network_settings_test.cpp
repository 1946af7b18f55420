// The desk's network settings: which URLs go through the proxy the environment names (HTTP and
// HTTPS elsewhere; never loopback, never FTP), and the fixed HTTP time limits that only the host
// stand-in's setting may shorten.
#include "support/ScopedEnv.h"

#include <zeph/platform/NetworkSettings.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zeph::platform {
namespace {

using testing::ScopedEnv;

class NetworkSettingsTest : public ::testing::Test {
protected:
    ScopedEnv http{"http_proxy", "http://proxy.corp:3128"};
    ScopedEnv https{"https_proxy", std::nullopt};
    ScopedEnv httpsUpper{"HTTPS_PROXY", std::nullopt};
    ScopedEnv all{"all_proxy", std::nullopt};
    ScopedEnv allUpper{"ALL_PROXY", std::nullopt};
    ScopedEnv ftp{"ftp_proxy", "http://proxy.corp:3128"};
    ScopedEnv none{"no_proxy", std::nullopt};
    ScopedEnv noneUpper{"NO_PROXY", std::nullopt};
    ScopedEnv timeouts{"ZEPH_HTTP_TIMEOUTS_MS", std::nullopt};
};

TEST_F(NetworkSettingsTest, HttpElsewhereGoesThroughTheProxyLoopbackAndFtpNever) {
    EXPECT_EQ(ProxyFor("http://10.1.2.3:8080/axis/NoteSendWS.jws?wsdl"), "http://proxy.corp:3128");
    EXPECT_EQ(ProxyFor("HTTP://user@BN.corp/x"), "http://proxy.corp:3128");
    for (const char* url : {"http://127.0.0.1:8080/x", "http://127.9.0.1/x", "http://localhost:1/x",
                            "http://LocalHost/x", "http://bn.localhost:80/x", "http://[::1]:8080/x",
                            "http://[0:0:0:0:0:0:0:1]/x", "http://u:p@127.0.0.1/x"}) {
        EXPECT_EQ(ProxyFor(url), "") << url;
    }
    // Not loopback, though close to it in spelling.
    for (const char* url : {"http://127.0.0.1.example/x", "http://[::11]/x", "http://[1::]/x",
                            "http://128.0.0.1/x", "http://localhost.corp/x"}) {
        EXPECT_EQ(ProxyFor(url), "http://proxy.corp:3128") << url;
    }
    EXPECT_EQ(ProxyFor("ftp://10.1.2.3:21/"), "");
    EXPECT_EQ(ProxyFor("not a url"), "");
}

TEST_F(NetworkSettingsTest, HttpsAndTheFallbacksAndNoProxy) {
    EXPECT_EQ(ProxyFor("https://bn.corp/x"), "");
    {
        ScopedEnv fallback{"ALL_PROXY", "socks5://s:1080"};
        EXPECT_EQ(ProxyFor("https://bn.corp/x"), "socks5://s:1080");
        ScopedEnv own{"HTTPS_PROXY", "http://tls:8443"};
        EXPECT_EQ(ProxyFor("https://bn.corp/x"), "http://tls:8443");
    }
    // The upper-case HTTP_PROXY is not read for plain HTTP.
    ScopedEnv lower{"http_proxy", std::nullopt};
    ScopedEnv upper{"HTTP_PROXY", "http://injected:1"};
    EXPECT_EQ(ProxyFor("http://bn.corp/x"), "");

    ScopedEnv back{"http_proxy", "http://proxy.corp:3128"};
    ScopedEnv excluded{"no_proxy", " intra.corp ,.lan,10.1.2.3"};
    EXPECT_EQ(ProxyFor("http://bn.intra.corp/x"), "");
    EXPECT_EQ(ProxyFor("http://INTRA.corp/x"), "");
    EXPECT_EQ(ProxyFor("http://bn.lan/x"), "");
    EXPECT_EQ(ProxyFor("http://10.1.2.3:80/x"), "");
    EXPECT_EQ(ProxyFor("http://xintra.corp/x"), "http://proxy.corp:3128");
    ScopedEnv everything{"no_proxy", "*"};
    EXPECT_EQ(ProxyFor("http://bn.corp/x"), "");
}

TEST_F(NetworkSettingsTest, TimeOutsAreTenAndHundredTwentySecondsUnlessTheStandInShortensThem) {
    EXPECT_EQ(HttpExchangeTimeouts().connectMs, 10'000);
    EXPECT_EQ(HttpExchangeTimeouts().exchangeMs, 120'000);
    ScopedEnv shorter{"ZEPH_HTTP_TIMEOUTS_MS", "500,2000"};
    EXPECT_EQ(HttpExchangeTimeouts().connectMs, 500);
    EXPECT_EQ(HttpExchangeTimeouts().exchangeMs, 2000);
    // Never longer, and nonsense leaves the default.
    for (const char* setting : {"60000,600000", "x,y", "-1,0", "500", ",", "1e3,2000 "}) {
        ScopedEnv other{"ZEPH_HTTP_TIMEOUTS_MS", setting};
        const HttpTimeouts t = HttpExchangeTimeouts();
        EXPECT_EQ(t.connectMs, 10'000) << setting;
        EXPECT_EQ(t.exchangeMs, 120'000) << setting;
    }
}

} // namespace
} // namespace zeph::platform
