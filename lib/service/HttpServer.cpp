#include "service/HttpServer.h"

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

namespace zarvo {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using tcp = net::ip::tcp;

namespace {
class EventSession;
}

struct HttpServer::State {
    State(Handler h, ServerLimits l, EventSocketRules e)
        : handler(std::move(h)), limits(l), events(std::move(e)), pool(std::size_t(std::max(1, l.handlerThreads))) {}

    // First, so that they outlive the sessions the io context still holds
    // when it goes.
    std::atomic<int> connections{0};
    std::atomic<int> eventSockets{0};
    std::mutex listenersMutex;
    std::set<std::shared_ptr<EventSession>> listeners;  // the sockets past their token
    Handler handler;
    ServerLimits limits;
    EventSocketRules events;
    net::io_context io{1};
    net::thread_pool pool;
    std::vector<std::unique_ptr<tcp::acceptor>> acceptors;
};

namespace {

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return lower;
}

// The request as the handler and the events rules see it.
ApiRequest apiRequest(const http::request<http::string_body>& request) {
    ApiRequest api;
    api.method = std::string(request.method_string());
    api.target = std::string(request.target());
    for (const auto& field : request) {
        const std::string name = lowerCase(std::string_view(field.name_string().data(), field.name_string().size()));
        auto [place, added] = api.headers.emplace(name, std::string(field.value()));
        // A repeated header is kept as one list, which no check takes.
        if (!added) place->second += ", " + std::string(field.value());
    }
    return api;
}

// An events socket: its first message must give the token, within the
// request timeout; after that it only hears events. What it sends later
// is read and dropped, so that a close is seen.
class EventSession : public std::enable_shared_from_this<EventSession> {
public:
    EventSession(beast::tcp_stream stream, ApiRequest upgrade, HttpServer::State* state)
        : socket_(std::move(stream)), upgrade_(std::move(upgrade)), state_(state),
          tokenTimer_(socket_.get_executor()) {
        ++state_->eventSockets;
    }
    ~EventSession() { --state_->eventSockets; }

    void start(http::request<http::string_body> request) {
        beast::get_lowest_layer(socket_).expires_never();
        socket_.set_option(websocket::stream_base::timeout{state_->limits.timeout, websocket::stream_base::none(), false});
        socket_.read_message_max(4096);
        socket_.set_option(websocket::stream_base::decorator(
            [](websocket::response_type& response) { response.set(http::field::server, "zarvo-service"); }));
        auto held = std::make_shared<http::request<http::string_body>>(std::move(request));
        socket_.async_accept(*held, [self = shared_from_this(), held](beast::error_code error) {
            if (error) return;
            self->awaitToken();
        });
    }

    // Queues message for the socket; from any thread.
    void send(std::shared_ptr<const std::string> message) {
        net::post(socket_.get_executor(), [self = shared_from_this(), message = std::move(message)] {
            if (self->closed_) return;
            if (self->outgoing_.size() >= self->state_->limits.eventBacklog) return self->close(websocket::close_code::try_again_later);
            self->outgoing_.push_back(message);
            if (self->outgoing_.size() == 1) self->writeNext();
        });
    }

private:
    void awaitToken() {
        tokenTimer_.expires_after(state_->limits.timeout);
        tokenTimer_.async_wait([self = shared_from_this()](beast::error_code error) {
            if (!error && !self->authorized_) self->close(websocket::close_code::policy_error);
        });
        read();
    }

    void read() {
        socket_.async_read(buffer_, [self = shared_from_this()](beast::error_code error, std::size_t) {
            if (error) return self->forget();
            if (!self->authorized_) self->checkToken();
            self->buffer_.consume(self->buffer_.size());
            if (!self->closed_) self->read();
        });
    }

    void checkToken() {
        tokenTimer_.cancel();
        const nlohmann::json message = nlohmann::json::parse(beast::buffers_to_string(buffer_.data()), nullptr, false);
        const auto token = message.is_object() ? message.find("token") : message.end();
        if (token == message.end() || !token->is_string() ||
            !state_->events.tokenFits(upgrade_, token->get<std::string>())) {
            return close(websocket::close_code::policy_error);
        }
        authorized_ = true;
        {
            std::lock_guard lock(state_->listenersMutex);
            state_->listeners.insert(shared_from_this());
        }
        send(std::make_shared<const std::string>(R"({"event":"ready"})"));
    }

    void writeNext() {
        socket_.text(true);
        socket_.async_write(net::buffer(*outgoing_.front()), [self = shared_from_this()](beast::error_code error, std::size_t) {
            if (error) return self->forget();
            self->outgoing_.pop_front();
            if (!self->outgoing_.empty() && !self->closed_) self->writeNext();
        });
    }

    void close(websocket::close_code code) {
        if (closed_) return;
        closed_ = true;
        forget();
        socket_.async_close(code, [self = shared_from_this()](beast::error_code) {});
    }

    // Hears no more events; the socket goes once its last handler has run.
    void forget() {
        closed_ = true;
        tokenTimer_.cancel();
        std::lock_guard lock(state_->listenersMutex);
        state_->listeners.erase(shared_from_this());
    }

    websocket::stream<beast::tcp_stream> socket_;
    ApiRequest upgrade_;
    HttpServer::State* state_;
    net::steady_timer tokenTimer_;
    beast::flat_buffer buffer_;
    std::deque<std::shared_ptr<const std::string>> outgoing_;
    bool authorized_ = false;
    bool closed_ = false;
};

// One connection: requests read one after another, each answered before
// the next is read.
class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, HttpServer::State* state)
        : stream_(std::move(socket)), state_(std::move(state)) {
        ++state_->connections;
    }
    ~Session() { --state_->connections; }

    void start() { readHeader(); }

private:
    void readHeader() {
        parser_.emplace();
        parser_->header_limit(std::uint32_t(state_->limits.headerBytes));
        parser_->body_limit(state_->limits.bodyBytes);
        stream_.expires_after(state_->limits.timeout);
        http::async_read_header(stream_, buffer_, *parser_,
                                [self = shared_from_this()](beast::error_code error, std::size_t) {
                                    self->onHeader(error);
                                });
    }

    void onHeader(beast::error_code error) {
        if (error == http::error::header_limit) {
            return refuse(errorResponse(413, "header_too_large", "請求標頭超過 16 KiB"));
        }
        if (error == http::error::body_limit) return refuseBody();
        if (error) {
            if (error == http::error::end_of_stream || error == beast::error::timeout || error == net::error::eof ||
                error == net::error::connection_reset) {
                return close();
            }
            return refuse(errorResponse(400, "bad_request", "無法讀取的 HTTP 請求"));
        }
        // The body is refused from its announced length alone, unread.
        const boost::optional<std::uint64_t> length = parser_->content_length();
        if (length && *length > state_->limits.bodyBytes) return refuseBody();
        const auto& request = parser_->get();
        if (lowerCase(std::string_view(request[http::field::expect].data(), request[http::field::expect].size())) == "100-continue") {
            auto reply = std::make_shared<http::response<http::empty_body>>(http::status::continue_, 11);
            stream_.expires_after(state_->limits.timeout);
            http::async_write(stream_, *reply, [self = shared_from_this(), reply](beast::error_code e, std::size_t) {
                if (e) return self->close();
                self->readBody();
            });
            return;
        }
        readBody();
    }

    void readBody() {
        stream_.expires_after(state_->limits.timeout);
        http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code error, std::size_t) {
            self->onBody(error);
        });
    }

    void onBody(beast::error_code error) {
        if (error == http::error::body_limit) return refuseBody();
        if (error) return close();
        http::request<http::string_body> request = parser_->release();
        ApiRequest api = apiRequest(request);
        if (isEventsPath(api.target)) return upgrade(std::move(request), std::move(api));
        api.body = std::move(request.body());
        keepAlive_ = request.keep_alive();
        stream_.expires_never();
        net::post(state_->pool, [self = shared_from_this(), api = std::move(api)]() mutable {
            ApiResponse response;
            try {
                response = self->state_->handler(api);
            } catch (const std::exception& failure) {
                response = errorResponse(500, "internal_error", std::string("內部錯誤: ") + failure.what());
            }
            net::post(self->stream_.get_executor(), [self, response = std::move(response)]() mutable {
                self->write(std::move(response));
            });
        });
    }

    bool isEventsPath(std::string_view target) const {
        return !state_->events.path.empty() && target.substr(0, target.find('?')) == state_->events.path;
    }

    void upgrade(http::request<http::string_body> request, ApiRequest api) {
        if (!websocket::is_upgrade(request)) {
            return refuse(errorResponse(426, "websocket_required", "這個路徑只接受 WebSocket 連線"));
        }
        if (state_->events.admit) {
            if (std::optional<ApiResponse> refused = state_->events.admit(api)) return refuse(std::move(*refused));
        }
        if (state_->eventSockets.load() >= state_->limits.maxEventSockets) {
            return refuse(errorResponse(503, "too_many_event_sockets",
                                        "事件連線已達 " + std::to_string(state_->limits.maxEventSockets) + " 條"));
        }
        std::make_shared<EventSession>(std::move(stream_), std::move(api), state_)->start(std::move(request));
    }

    void refuseBody() { refuse(errorResponse(413, "body_too_large", "請求內容超過 64 MiB")); }

    // Answers and closes: what is left of the request is never read.
    void refuse(ApiResponse response) {
        keepAlive_ = false;
        write(std::move(response));
    }

    void write(ApiResponse answer) {
        auto response = std::make_shared<http::response<http::string_body>>(http::status(answer.status), 11);
        response->set(http::field::server, "zarvo-service");
        response->set(http::field::content_type, answer.contentType);
        response->set(http::field::cache_control, "no-store");
        for (const auto& [name, value] : answer.headers) response->set(name, value);
        response->body() = std::move(answer.body);
        response->keep_alive(keepAlive_);
        response->prepare_payload();
        stream_.expires_after(state_->limits.timeout);
        http::async_write(stream_, *response, [self = shared_from_this(), response](beast::error_code error, std::size_t) {
            if (error || !self->keepAlive_) return self->close();
            self->readHeader();
        });
    }

    void close() {
        beast::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
        stream_.close();
    }

    beast::tcp_stream stream_;
    HttpServer::State* state_;  // the server's, which outlives every session
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    bool keepAlive_ = false;
};

void accept(tcp::acceptor& acceptor, HttpServer::State* state) {
    acceptor.async_accept(net::make_strand(state->io), [&acceptor, state](beast::error_code error, tcp::socket socket) {
        if (error == net::error::operation_aborted) return;
        if (!error) {
            if (state->connections.load() >= state->limits.maxConnections) {
                beast::error_code ignored;
                socket.close(ignored);
            } else {
                std::make_shared<Session>(std::move(socket), state)->start();
            }
        }
        accept(acceptor, state);
    });
}

// An acceptor on address:port; nullptr when address is not on this
// machine (only allowed when optional). Throws ListenError otherwise.
std::unique_ptr<tcp::acceptor> listenOn(net::io_context& io, const net::ip::address& address, int port, bool optional) {
    auto acceptor = std::make_unique<tcp::acceptor>(io);
    const tcp::endpoint endpoint(address, std::uint16_t(port));
    beast::error_code error;
    acceptor->open(endpoint.protocol(), error);
    if (!error && address.is_v6()) acceptor->set_option(net::ip::v6_only(true), error);
    if (!error) acceptor->set_option(net::socket_base::reuse_address(true), error);
    if (!error) acceptor->bind(endpoint, error);
    if (!error) acceptor->listen(net::socket_base::max_listen_connections, error);
    if (!error) return acceptor;
    if (error == net::error::address_in_use) {
        throw ListenError("通訊埠 " + std::to_string(port) + " 已被其他程式使用 (" + address.to_string() + ")");
    }
    if (optional) return nullptr;
    throw ListenError("無法在 " + address.to_string() + " 通訊埠 " + std::to_string(port) +
                      " 上等候連線: " + error.message());
}

}  // namespace

HttpServer::HttpServer(int port, Handler handler, ServerLimits limits, EventSocketRules events)
    : state_(std::make_unique<State>(std::move(handler), limits, std::move(events))) {
    state_->acceptors.push_back(listenOn(state_->io, net::ip::address_v4::loopback(), port, false));
    if (auto v6 = listenOn(state_->io, net::ip::address_v6::loopback(), port, true)) {
        state_->acceptors.push_back(std::move(v6));
    }
    for (auto& acceptor : state_->acceptors) accept(*acceptor, state_.get());
}

HttpServer::~HttpServer() {
    stop();
    state_->pool.join();
    // The sockets go while the io context they use is still there.
    std::lock_guard lock(state_->listenersMutex);
    state_->listeners.clear();
}

void HttpServer::broadcast(const std::string& message) {
    const auto shared = std::make_shared<const std::string>(message);
    std::lock_guard lock(state_->listenersMutex);
    for (const std::shared_ptr<EventSession>& listener : state_->listeners) listener->send(shared);
}

bool HttpServer::listensOnIpv6() const { return state_->acceptors.size() > 1; }

void HttpServer::run() { state_->io.run(); }

void HttpServer::stop() { state_->io.stop(); }

}  // namespace zarvo
