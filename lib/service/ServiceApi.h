#pragma once
// The print service's HTTP interface as plain rules: a request in, a
// response out, no sockets. Who may call (the token, the Host header, the
// web pages' origins and their own tokens, CORS), the routes, and every
// error as {"error": {"code", "message"}} with its status.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Spooler.h"
#include "service/FormCatalog.h"
#include "service/JobQueue.h"
#include "service/OriginAccess.h"

namespace zarvo {

struct ApiRequest {
    std::string method;  // "GET", "POST", ...
    std::string target;  // "/v1/jobs?x=1"
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
};

struct ApiResponse {
    int status = 200;
    std::string body;  // JSON, or the PDF's bytes
    std::string contentType = "application/json; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;  // added to the usual ones
};

// The deepest nesting of arrays and objects a request body may have.
inline constexpr int kMaxJsonDepth = 64;

// Whether text's arrays and objects nest no deeper than limit (strings are
// skipped); read byte by byte, so nothing is built however deep it goes.
bool jsonDepthWithin(std::string_view text, int limit);

// {"error": {"code": code, "message": message}} with status.
ApiResponse errorResponse(int status, std::string_view code, const std::string& message);

class ServiceApi {
public:
    // token: what programs without an origin must present; port: the port
    // the Host header must name. printers, forms, jobs and origins are not
    // owned.
    ServiceApi(std::string token, int port, Spooler& printers, const FormCatalog& forms, JobQueue& jobs,
               OriginAccess& origins);

    ApiResponse handle(const ApiRequest& request);

    // Whether the upgrade to the events socket may go on: nullopt, or the
    // answer that refuses it (a foreign Host, an origin not allowed).
    std::optional<ApiResponse> admitEvents(const ApiRequest& upgrade);
    // Whether token opens the events socket asked for by upgrade: the
    // origin's own token for a page, the service's for a program.
    bool eventsTokenFits(const ApiRequest& upgrade, std::string_view token) const;

    // {"event": "job", "job": {...}}, as the events socket sends it.
    static std::string jobEvent(const JobRecord& job);

private:
    std::optional<ApiResponse> refuseHost(const ApiRequest& request) const;
    ApiResponse fromPage(const ApiRequest& request, std::string_view path, const std::string& origin);
    ApiResponse pair(const std::string& origin);
    ApiResponse route(const ApiRequest& request, std::string_view path);
    ApiResponse printers();
    ApiResponse forms();
    ApiResponse submit(const ApiRequest& request);
    ApiResponse job(const std::string& id);
    ApiResponse pdf(const std::string& id);
    ApiResponse cancel(const std::string& id);

    std::string token_;
    int port_;
    Spooler& printers_;
    const FormCatalog& forms_;
    JobQueue& jobs_;
    OriginAccess& origins_;
};

}  // namespace zarvo
