#include "service/ServiceApi.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "report/ConversionError.h"
#include "report/ReportError.h"
#include "service/JobSpool.h"
#include "service/ServiceFiles.h"

namespace zarvo {
namespace {

using nlohmann::json;

// The largest PDF handed back: what the PDF spooler writes at most.
constexpr std::int64_t kMaxPdfBytes = std::int64_t(1) << 31;

ApiResponse jsonResponse(int status, const json& body) {
    ApiResponse response;
    response.status = status;
    response.body = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return response;
}

json jobJson(const JobRecord& job) {
    return {{"id", job.id},           {"form", job.form},         {"printer", job.printer},
            {"pdf", job.pdf},         {"copies", job.copies},     {"state", jobStateName(job.state)},
            {"sheets", job.sheets},   {"cups_jobs", job.cupsJobs}, {"message", job.message}};
}

json paperJson(const SheetPaper& sheet) {
    json paper = {{"code", sheet.code}};
    if (const std::optional<Paper> size = paperFor(sheet)) {
        paper["width_mm"] = size->widthMm();
        paper["height_mm"] = size->heightMm();
        paper["landscape"] = size->landscape;
    }
    if (sheet.custom && !sheet.custom->name.empty()) paper["name"] = sheet.custom->name;
    return paper;
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return text;
}

const std::string* header(const ApiRequest& request, const std::string& name) {
    const auto found = request.headers.find(name);
    return found == request.headers.end() ? nullptr : &found->second;
}

std::string bearerToken(const std::string* authorization) {
    return authorization && authorization->starts_with("Bearer ") ? authorization->substr(7) : std::string();
}

ApiResponse unauthorized() {
    ApiResponse response = errorResponse(401, "unauthorized", "缺少或錯誤的權杖 (Authorization: Bearer ...)");
    response.headers.emplace_back("WWW-Authenticate", "Bearer");
    return response;
}

// What lets the page of origin read the answer; only ever sent to an
// origin that may print.
void addCors(ApiResponse& response, const std::string& origin) {
    response.headers.emplace_back("Access-Control-Allow-Origin", origin);
    response.headers.emplace_back("Vary", "Origin");
    response.headers.emplace_back("Access-Control-Expose-Headers", "Location");
}

ApiResponse methodNotAllowed(const std::string& allowed) {
    ApiResponse response = errorResponse(405, "method_not_allowed", "此路徑不接受這個方法");
    response.headers.emplace_back("Allow", allowed);
    return response;
}

}  // namespace

bool jsonDepthWithin(std::string_view text, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return false;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return true;
}

ApiResponse errorResponse(int status, std::string_view code, const std::string& message) {
    return jsonResponse(status, {{"error", {{"code", code}, {"message", message}}}});
}

ServiceApi::ServiceApi(std::string token, int port, Spooler& printers, const FormCatalog& forms, JobQueue& jobs,
                       OriginAccess& origins)
    : token_(std::move(token)), port_(port), printers_(printers), forms_(forms), jobs_(jobs), origins_(origins) {}

std::optional<ApiResponse> ServiceApi::refuseHost(const ApiRequest& request) const {
    // A name that resolves to this machine only by a trick (DNS rebinding)
    // shows in the Host header.
    const std::string* host = header(request, "host");
    const std::string port = ":" + std::to_string(port_);
    const std::string hostName = host ? lowerCase(*host) : std::string();
    if (hostName == "localhost" + port || hostName == "127.0.0.1" + port || hostName == "[::1]" + port) {
        return std::nullopt;
    }
    return errorResponse(403, "host_not_allowed",
                         "Host 標頭必須是 localhost" + port + ", 127.0.0.1" + port + " 或 [::1]" + port);
}

ApiResponse ServiceApi::handle(const ApiRequest& request) {
    if (std::optional<ApiResponse> refused = refuseHost(request)) return *refused;
    const std::string_view target = request.target;
    const std::string_view path = target.substr(0, target.find('?'));
    if (const std::string* origin = header(request, "origin")) {
        const std::optional<std::string> canonical = canonicalOrigin(*origin);
        if (!canonical) return errorResponse(403, "origin_not_allowed", "不接受來源為「" + *origin + "」的網頁");
        return fromPage(request, path, *canonical);
    }
    if (path == "/v1/pair") return errorResponse(400, "pair_needs_origin", "只有網頁需要配對 (請求沒有 Origin)");
    const std::string* authorization = header(request, "authorization");
    if (!sameSecret(bearerToken(authorization), token_)) return unauthorized();
    return route(request, path);
}

ApiResponse ServiceApi::fromPage(const ApiRequest& request, std::string_view path, const std::string& origin) {
    if (path == "/v1/pair") return request.method == "POST" ? pair(origin) : methodNotAllowed("POST");
    if (!origins_.allowed(origin)) {
        origins_.noticeRefused(origin);
        return errorResponse(403, "origin_not_allowed", "網頁 " + origin + " 沒有被允許使用本機印表機");
    }
    ApiResponse response;
    if (request.method == "OPTIONS") {
        // A preflight carries no token; it only learns what may be sent.
        response.status = 204;
        response.headers = {{"Access-Control-Allow-Methods", "GET, POST, DELETE"},
                            {"Access-Control-Allow-Headers", "Authorization, Content-Type"},
                            {"Access-Control-Max-Age", "600"}};
        if (header(request, "access-control-request-private-network")) {
            response.headers.emplace_back("Access-Control-Allow-Private-Network", "true");
        }
    } else if (!origins_.tokenFits(origin, bearerToken(header(request, "authorization")))) {
        response = unauthorized();
    } else {
        response = route(request, path);
    }
    addCors(response, origin);
    return response;
}

ApiResponse ServiceApi::pair(const std::string& origin) {
    const std::optional<std::string> token = origins_.pair(origin);
    if (!token) return errorResponse(403, "origin_not_allowed", "使用者沒有允許 " + origin + " 使用本機印表機");
    ApiResponse response = jsonResponse(200, {{"token", *token}, {"origin", origin}});
    addCors(response, origin);
    return response;
}

std::optional<ApiResponse> ServiceApi::admitEvents(const ApiRequest& upgrade) {
    if (std::optional<ApiResponse> refused = refuseHost(upgrade)) return refused;
    const std::string* origin = header(upgrade, "origin");
    if (!origin) return std::nullopt;
    const std::optional<std::string> canonical = canonicalOrigin(*origin);
    if (canonical && origins_.allowed(*canonical)) return std::nullopt;
    if (canonical) origins_.noticeRefused(*canonical);
    return errorResponse(403, "origin_not_allowed", "網頁 " + *origin + " 沒有被允許使用本機印表機");
}

bool ServiceApi::eventsTokenFits(const ApiRequest& upgrade, std::string_view token) const {
    const std::string* origin = header(upgrade, "origin");
    if (!origin) return sameSecret(token, token_);
    const std::optional<std::string> canonical = canonicalOrigin(*origin);
    return canonical && origins_.tokenFits(*canonical, token);
}

std::string ServiceApi::jobEvent(const JobRecord& job) {
    return json{{"event", "job"}, {"job", jobJson(job)}}.dump(-1, ' ', false, json::error_handler_t::replace);
}

ApiResponse ServiceApi::route(const ApiRequest& request, std::string_view path) {
    const std::string& method = request.method;
    if (path == "/v1/printers") return method == "GET" ? printers() : methodNotAllowed("GET");
    if (path == "/v1/forms") return method == "GET" ? forms() : methodNotAllowed("GET");
    if (path == "/v1/jobs") return method == "POST" ? submit(request) : methodNotAllowed("POST");
    constexpr std::string_view jobs = "/v1/jobs/";
    if (path.starts_with(jobs)) {
        std::string_view rest = path.substr(jobs.size());
        bool wantsPdf = false;
        if (rest.ends_with("/pdf")) {
            rest.remove_suffix(4);
            wantsPdf = true;
        }
        const std::string id(rest);
        if (!jobIdShape(id)) return errorResponse(404, "job_not_found", "找不到這個工作");
        if (wantsPdf) return method == "GET" ? pdf(id) : methodNotAllowed("GET");
        if (method == "GET") return job(id);
        if (method == "DELETE") return cancel(id);
        return methodNotAllowed("GET, DELETE");
    }
    return errorResponse(404, "not_found", "沒有這個路徑");
}

ApiResponse ServiceApi::printers() {
    json list = json::array();
    for (const PrinterInfo& printer : printers_.printers()) {
        list.push_back({{"name", printer.name}, {"default", printer.isDefault}, {"media", printers_.mediaNames(printer.name)}});
    }
    return jsonResponse(200, {{"printers", list}});
}

ApiResponse ServiceApi::forms() {
    json list = json::array();
    for (const std::string& name : forms_.names()) {
        json form = {{"name", name}};
        try {
            const FormSummary summary = summarizeForm(name, *forms_.reportPath(name));
            form["paper"] = paperJson(summary.paper);
            form["blocks"] = summary.blocks;
            form["detail"] = summary.detailFields;
        } catch (const std::exception& error) {
            // A damaged form is listed, with why it cannot be used.
            form["problem"] = error.what();
        }
        list.push_back(std::move(form));
    }
    return jsonResponse(200, {{"forms", list}});
}

ApiResponse ServiceApi::submit(const ApiRequest& request) {
    if (!jsonDepthWithin(request.body, kMaxJsonDepth)) {
        return errorResponse(400, "too_deep", "JSON 的巢狀層數超過 " + std::to_string(kMaxJsonDepth) + " 層");
    }
    const json body = json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        return errorResponse(400, "bad_json", "請求內容必須是一個 JSON 物件 (UTF-8)");
    }
    JobRequest job;
    const auto form = body.find("form");
    if (form == body.end() || !form->is_string()) return errorResponse(400, "missing_form", "缺少表單名稱 (form)");
    job.form = form->get<std::string>();
    if (const auto printer = body.find("printer"); printer != body.end() && !printer->is_null()) {
        if (!printer->is_string()) return errorResponse(400, "bad_printer", "印表機名稱 (printer) 必須是字串");
        job.printer = printer->get<std::string>();
    }
    if (const auto copies = body.find("copies"); copies != body.end()) {
        if (!copies->is_number_integer() || copies->get<std::int64_t>() < 1 || copies->get<std::int64_t>() > 99) {
            return errorResponse(400, "bad_copies", "份數 (copies) 必須是 1 到 99 之間的整數");
        }
        job.copies = copies->get<int>();
    }
    if (const auto pdf = body.find("pdf"); pdf != body.end()) {
        if (!pdf->is_boolean()) return errorResponse(400, "bad_pdf", "pdf 必須是 true 或 false");
        job.pdf = pdf->get<bool>();
    }
    // Records, or orders carrying their items under the form's detail
    // source member, are both a JSON data file's array.
    auto records = body.find("records");
    if (records == body.end()) records = body.find("orders");
    const auto data = body.find("data");
    const auto params = body.find("params");
    const int given = int(body.contains("records")) + int(body.contains("orders")) + int(data != body.end()) +
                      int(params != body.end());
    if (given != 1) {
        return errorResponse(400, "missing_data",
                             "請給 records、orders (資料陣列)、data 與 format, 或 params (資料庫查詢的參數) 四者之一");
    }
    if (params != body.end()) {
        // The parameters of the form's database query, each a string or a number.
        if (!params->is_object()) return errorResponse(400, "bad_params", "params 必須是物件");
        job.params.emplace();
        for (const auto& [name, value] : params->items()) {
            if (value.is_string()) {
                (*job.params)[name] = value.get<std::string>();
            } else if (value.is_number()) {
                (*job.params)[name] = value.dump();
            } else {
                return errorResponse(400, "bad_params", "params 的「" + name + "」必須是字串或數字");
            }
        }
    } else if (records != body.end()) {
        const std::string name = records.key();
        if (!records->is_array()) return errorResponse(400, "bad_records", name + " 必須是物件的陣列");
        for (const json& record : *records) {
            if (!record.is_object()) return errorResponse(400, "bad_records", name + " 必須是物件的陣列");
        }
        job.data = records->dump(-1, ' ', false, json::error_handler_t::strict);
        job.dataExtension = "json";
    } else {
        const auto format = body.find("format");
        if (!data->is_string()) return errorResponse(400, "bad_data_text", "data 必須是資料檔內容的字串");
        if (format == body.end() || !format->is_string() ||
            (*format != "csv" && *format != "json")) {
            return errorResponse(400, "bad_format", "format 必須是 \"csv\" 或 \"json\"");
        }
        job.data = data->get<std::string>();
        job.dataExtension = format->get<std::string>();
    }
    const std::variant<JobRecord, JobRefusal> result = jobs_.submit(job);
    if (const JobRefusal* refused = std::get_if<JobRefusal>(&result)) {
        json error = {{"code", refused->code}, {"message", refused->message}};
        if (refused->record) error["record"] = *refused->record;
        if (refused->field) error["field"] = *refused->field;
        return jsonResponse(refused->status, {{"error", error}});
    }
    const JobRecord& accepted = std::get<JobRecord>(result);
    ApiResponse response = jsonResponse(202, {{"id", accepted.id}});
    response.headers.emplace_back("Location", "/v1/jobs/" + accepted.id);
    return response;
}

ApiResponse ServiceApi::job(const std::string& id) {
    const std::optional<JobRecord> found = jobs_.find(id);
    if (!found) return errorResponse(404, "job_not_found", "找不到這個工作");
    return jsonResponse(200, jobJson(*found));
}

ApiResponse ServiceApi::pdf(const std::string& id) {
    const std::optional<JobRecord> found = jobs_.find(id);
    if (!found) return errorResponse(404, "job_not_found", "找不到這個工作");
    if (!found->pdf) return errorResponse(404, "no_pdf", "這個工作是送到印表機, 沒有 PDF");
    if (found->state != JobState::Done) {
        return errorResponse(409, "pdf_not_ready", "PDF 還沒有做好 (工作狀態: " +
                                                       std::string(jobStateName(found->state)) + ")");
    }
    std::ifstream in(jobs_.pdfPath(id), std::ios::binary | std::ios::ate);
    if (!in) return errorResponse(410, "pdf_gone", "PDF 檔已不存在");
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxPdfBytes) return errorResponse(500, "pdf_unreadable", "無法讀取 PDF 檔");
    ApiResponse response;
    response.body.resize(std::size_t(size));
    in.seekg(0);
    in.read(response.body.data(), size);
    if (!in) return errorResponse(500, "pdf_unreadable", "無法讀取 PDF 檔");
    response.contentType = "application/pdf";
    return response;
}

ApiResponse ServiceApi::cancel(const std::string& id) {
    const std::optional<JobRecord> job = jobs_.cancel(id);
    if (!job) return errorResponse(404, "job_not_found", "找不到這個工作");
    if (job->state == JobState::Cancelled) return jsonResponse(200, jobJson(*job));
    if (jobEnded(job->state)) return errorResponse(409, "job_ended", "工作已經結束, 無法取消");
    return errorResponse(409, "already_sent", "工作已經送到印表機, 無法取消");
}

}  // namespace zarvo
