#pragma once
// The print service's HTTP/1.1 server: listens on 127.0.0.1 and ::1 only,
// reads each request within fixed limits (the header block, the body, the
// time a client may take) and hands it to a handler off the network thread.
// One path is a WebSocket that carries events: a socket hears them once its
// first message has given a token that fits.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "service/ServiceApi.h"

namespace zarvo {

struct ServerLimits {
    std::size_t headerBytes = 16 * 1024;
    std::uint64_t bodyBytes = 64ull * 1024 * 1024;
    std::chrono::seconds timeout{30};  // for each request's header, its body, and each response
    int handlerThreads = 4;
    int maxConnections = 16;  // each may hold a body of bodyBytes
    int maxEventSockets = 32;
    std::size_t eventBacklog = 1024;  // events waiting for a slow socket before it is dropped
};

// The events socket's path and who may open it.
struct EventSocketRules {
    std::string path = "/v1/events";
    // nullopt when the upgrade may go on, else the answer refusing it.
    std::function<std::optional<ApiResponse>(const ApiRequest& upgrade)> admit;
    // Whether the token of the socket's first message fits its upgrade.
    std::function<bool(const ApiRequest& upgrade, std::string_view token)> tokenFits;
};

// The port cannot be listened on; what() says why, in Chinese.
class ListenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class HttpServer {
public:
    using Handler = std::function<ApiResponse(const ApiRequest&)>;

    // Binds port on 127.0.0.1, and on ::1 when this machine has it.
    // Throws ListenError when the port is in use or cannot be bound.
    HttpServer(int port, Handler handler, ServerLimits limits = {}, EventSocketRules events = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Whether ::1 is listened on too.
    bool listensOnIpv6() const;

    // Sends message (a JSON text) to every events socket that gave its
    // token; from any thread.
    void broadcast(const std::string& message);

    // Serves until stop() (from any thread, or a signal handler's thread).
    void run();
    void stop();

    // What the connections share; defined beside them.
    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace zarvo
