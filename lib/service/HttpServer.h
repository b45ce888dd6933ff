#pragma once
// The print service's HTTP/1.1 server: listens on 127.0.0.1 and ::1 only,
// reads each request within fixed limits (the header block, the body, the
// time a client may take) and hands it to a handler off the network thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "service/ServiceApi.h"

namespace zarvo {

struct ServerLimits {
    std::size_t headerBytes = 16 * 1024;
    std::uint64_t bodyBytes = 64ull * 1024 * 1024;
    std::chrono::seconds timeout{30};  // for each request's header, its body, and each response
    int handlerThreads = 4;
    int maxConnections = 16;  // each may hold a body of bodyBytes
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
    HttpServer(int port, Handler handler, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Whether ::1 is listened on too.
    bool listensOnIpv6() const;

    // Serves until stop() (from any thread, or a signal handler's thread).
    void run();
    void stop();

    // What the connections share; defined beside them.
    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace zarvo
