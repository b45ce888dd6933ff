// The server under the rules: a client that sends too slowly is dropped,
// one connection carries several requests, and requests reach the handler
// as the rules expect them (lower-case header names, repeated ones joined).

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include "service/HttpServer.h"

namespace zarvo {
namespace {

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(std::uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

// What arrives until the server closes the connection or count replies have come.
std::string readReplies(int fd, int count) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        text.append(buffer, std::size_t(n));
        int seen = 0;
        for (std::size_t at = 0; (at = text.find("HTTP/1.1 ", at)) != std::string::npos; ++at) ++seen;
        if (seen >= count && text.ends_with("}")) break;
    }
    return text;
}

class HttpServerTest : public ::testing::Test {
protected:
    void serve(ServerLimits limits, EventSocketRules events = {}) {
        server = std::make_unique<HttpServer>(port, [this](const ApiRequest& request) {
            seen.push_back(request);
            return errorResponse(418, "seen", request.method + " " + request.target);
        }, limits, events);
        thread = std::thread([this] { server->run(); });
    }
    ~HttpServerTest() override {
        if (server) server->stop();
        if (thread.joinable()) thread.join();
    }

    int port = freePort();
    std::vector<ApiRequest> seen;
    std::unique_ptr<HttpServer> server;
    std::thread thread;
};

TEST_F(HttpServerTest, AClientThatSendsTooSlowlyIsDropped) {
    ServerLimits limits;
    limits.timeout = std::chrono::seconds(1);
    serve(limits);
    const int fd = connectTo(port);
    const std::string start = "GET /v1/forms HTTP/1.1\r\nHost: local";
    ::send(fd, start.data(), start.size(), MSG_NOSIGNAL);
    const auto before = std::chrono::steady_clock::now();
    char byte = 0;
    EXPECT_EQ(::recv(fd, &byte, 1, 0), 0);  // closed, nothing answered
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    ::close(fd);
    EXPECT_TRUE(seen.empty());
}

TEST_F(HttpServerTest, OneConnectionCarriesSeveralRequests) {
    serve({});
    const int fd = connectTo(port);
    const std::string requests =
        "POST /v1/jobs HTTP/1.1\r\nHost: a\r\nX-Twice: 1\r\nx-twice: 2\r\nContent-Length: 2\r\n\r\n{}"
        "GET /v1/forms HTTP/1.1\r\nHost: b\r\nConnection: close\r\n\r\n";
    ::send(fd, requests.data(), requests.size(), MSG_NOSIGNAL);
    const std::string replies = readReplies(fd, 2);
    ::close(fd);
    EXPECT_NE(replies.find("POST /v1/jobs"), std::string::npos) << replies;
    EXPECT_NE(replies.find("GET /v1/forms"), std::string::npos) << replies;
    EXPECT_EQ(replies.find("Access-Control"), std::string::npos);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].body, "{}");
    EXPECT_EQ(seen[0].headers.at("x-twice"), "1, 2");
    EXPECT_EQ(seen[1].headers.at("host"), "b");
}

TEST_F(HttpServerTest, APortInUseIsRefused) {
    serve({});
    EXPECT_THROW(HttpServer(port, [](const ApiRequest&) { return ApiResponse{}; }), ListenError);
}

namespace websocket = boost::beast::websocket;

// What an events socket that sends first hears: its messages, until the
// server closes it (then "closed CODE") or count have come.
std::vector<std::string> listen(int port, const std::string& first, std::size_t count, HttpServer& server,
                                const std::string& origin = {}) {
    boost::asio::io_context io;
    websocket::stream<boost::asio::ip::tcp::socket> socket(io);
    socket.next_layer().connect({boost::asio::ip::make_address("127.0.0.1"), std::uint16_t(port)});
    socket.set_option(websocket::stream_base::decorator([&](websocket::request_type& request) {
        if (!origin.empty()) request.set(boost::beast::http::field::origin, origin);
    }));
    std::vector<std::string> heard;
    boost::beast::error_code error;
    websocket::response_type answer;
    socket.handshake(answer, "localhost:" + std::to_string(port), "/v1/events", error);
    if (error) return {error == websocket::error::upgrade_declined ? "refused" : error.message()};
    socket.write(boost::asio::buffer(first));
    while (heard.size() < count) {
        boost::beast::flat_buffer buffer;
        socket.read(buffer, error);
        if (error) {
            heard.push_back("closed " + std::to_string(int(socket.reason().code)));
            break;
        }
        heard.push_back(boost::beast::buffers_to_string(buffer.data()));
        if (heard.size() == 1) server.broadcast(R"({"event":"job"})");
    }
    return heard;
}

TEST_F(HttpServerTest, EventSocketsHearEventsOnlyAfterTheirToken) {
    EventSocketRules events;
    events.admit = [](const ApiRequest& upgrade) -> std::optional<ApiResponse> {
        if (upgrade.headers.count("origin")) return errorResponse(403, "origin_not_allowed", "no");
        return std::nullopt;
    };
    events.tokenFits = [](const ApiRequest&, std::string_view token) { return token == "secret"; };
    ServerLimits limits;
    limits.timeout = std::chrono::seconds(1);
    serve(limits, events);
    server->broadcast("before anyone listens");
    struct Case {
        const char* first;
        std::string origin;
        std::vector<std::string> heard;
    } cases[] = {
        {R"({"token": "secret"})", "", {R"({"event":"ready"})", R"({"event":"job"})"}},
        {R"({"token": "wrong"})", "", {"closed 1008"}},
        {"secret", "", {"closed 1008"}},
        {R"({"token": "secret"})", "https://evil.example", {"refused"}},
    };
    for (const Case& c : cases) EXPECT_EQ(listen(port, c.first, 2, *server, c.origin), c.heard) << c.first;
    // A plain request to the events path is told to upgrade.
    const int fd = connectTo(port);
    const std::string request = "GET /v1/events HTTP/1.1\r\nHost: localhost\r\n\r\n";
    ::send(fd, request.data(), request.size(), 0);
    EXPECT_NE(readReplies(fd, 1).find("HTTP/1.1 426"), std::string::npos);
    ::close(fd);
}

}  // namespace
}  // namespace zarvo
