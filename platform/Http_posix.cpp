#include "platform/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// A reply larger than this is not a reply of the centre; refuse it rather than exhaust memory.
constexpr size_t kMaxReplyBytes = 64u * 1024u * 1024u;

void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool ValidHost(const std::string& host) {
    if (host.empty()) {
        return false;
    }
    // Letters, digits, dots, hyphens, underscores and one optional ":port"; nothing that could change the
    // address's meaning (no "/", "@", "?", "#", blanks).
    size_t colon = host.find(':');
    std::string name = host.substr(0, colon);
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](unsigned char c) {
            return std::isalnum(c) || c == '.' || c == '-' || c == '_';
        })) {
        return false;
    }
    if (colon == std::string::npos) {
        return true;
    }
    std::string port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return false;
    }
    long value = std::stol(port);
    return value > 0 && value <= 65535;
}

std::string HeaderName(const std::string& line) {
    std::string name = line.substr(0, line.find(':'));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

} // namespace

struct HttpExchange::Impl {
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
    std::vector<std::string> headerNames;
    std::string reply;
    bool anyByte = false;
    bool tooLarge = false;
    long status = 0;

    ~Impl() {
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
        curl_slist_free_all(headers);
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* impl = static_cast<Impl*>(self);
        size_t bytes = size * count;
        impl->anyByte = true;
        if (impl->reply.size() + bytes > kMaxReplyBytes) {
            impl->tooLarge = true;
            return 0; // makes the library stop with a write error
        }
        impl->reply.append(data, bytes);
        return bytes;
    }

    static size_t OnHeader(char*, size_t size, size_t count, void* self) {
        static_cast<Impl*>(self)->anyByte = true;
        return size * count;
    }
};

HttpExchange::HttpExchange(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

HttpExchange::~HttpExchange() = default;

std::unique_ptr<HttpExchange> HttpExchange::Open(const std::string& host, const std::string& path,
                                                 const std::string& agent, Limits limits) {
    if (!ValidHost(host) || path.empty() || path[0] != '/') {
        return nullptr;
    }
    GlobalInitOnce();
    auto impl = std::make_unique<Impl>();
    impl->curl = curl_easy_init();
    if (impl->curl == nullptr) {
        return nullptr;
    }
    CURL* c = impl->curl;
    const std::string url = "http://" + host + path;
    bool ok = curl_easy_setopt(c, CURLOPT_URL, url.c_str()) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, limits.totalMs) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Impl::OnBody) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_WRITEDATA, impl.get()) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Impl::OnHeader) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_HEADERDATA, impl.get()) == CURLE_OK;
    if (!ok) {
        return nullptr;
    }
    // No accepted types of our own: drop the library's default "Accept" line.
    impl->headers = curl_slist_append(impl->headers, "Accept:");
    impl->headerNames.push_back("accept");
    return std::unique_ptr<HttpExchange>(new HttpExchange(std::move(impl)));
}

bool HttpExchange::AddHeader(const std::string& line) {
    std::string name = HeaderName(line);
    if (name.empty() || line.find(':') == std::string::npos) {
        return false;
    }
    if (std::find(m_impl->headerNames.begin(), m_impl->headerNames.end(), name) != m_impl->headerNames.end()) {
        return true;
    }
    curl_slist* grown = curl_slist_append(m_impl->headers, line.c_str());
    if (grown == nullptr) {
        return false;
    }
    m_impl->headers = grown;
    m_impl->headerNames.push_back(name);
    return true;
}

HttpExchange::Outcome HttpExchange::Post(const std::string& body) {
    CURL* c = m_impl->curl;
    m_impl->reply.clear();
    m_impl->anyByte = false;
    m_impl->tooLarge = false;
    if (curl_easy_setopt(c, CURLOPT_HTTPHEADER, m_impl->headers) != CURLE_OK ||
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) != CURLE_OK ||
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data()) != CURLE_OK) {
        return Outcome::NoReply;
    }
    CURLcode rc = curl_easy_perform(c);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &m_impl->status);
    if (rc == CURLE_OK && !m_impl->tooLarge) {
        return Outcome::Answered;
    }
    return m_impl->anyByte ? Outcome::BrokenReply : Outcome::NoReply;
}

const std::string& HttpExchange::ReplyBody() const {
    return m_impl->reply;
}

long HttpExchange::Status() const {
    return m_impl->status;
}

} // namespace platform
