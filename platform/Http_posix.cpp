#include "platform/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {
namespace {

// A reply larger than this is not a reply of the centre; refuse it rather than exhaust memory.
constexpr size_t kMaxReplyBytes = 64u * 1024u * 1024u;

void GlobalInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool ValidName(const std::string& name) {
    // Letters, digits, dots, hyphens, underscores: nothing that could change the address's meaning (no "/",
    // "@", "?", "#", blanks).
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == '_';
    });
}

std::optional<int> ValidPort(const std::string& port) {
    if (port.empty() || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return std::nullopt;
    }
    const int value = std::stoi(port);
    return value > 0 && value <= 65535 ? std::optional<int>(value) : std::nullopt;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// The library's codes for a TLS peer that could not be verified, or with which no private channel came about.
bool IsTrustFailure(CURLcode rc) {
    return rc == CURLE_PEER_FAILED_VERIFICATION || rc == CURLE_SSL_CACERT_BADFILE || rc == CURLE_SSL_CONNECT_ERROR ||
           rc == CURLE_SSL_ISSUER_ERROR || rc == CURLE_SSL_CERTPROBLEM;
}

std::string HeaderName(const std::string& line) {
    std::string name = line.substr(0, line.find(':'));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

} // namespace

std::string ServerAddress::Origin() const {
    const int standard = tls ? 443 : 80;
    return (tls ? "https://" : "http://") + host + (port == standard ? "" : ":" + std::to_string(port));
}

std::optional<ServerAddress> ParseServerAddress(const std::string& text) {
    ServerAddress address;
    std::string rest = text;
    if (StartsWithNoCase(rest, "https://")) {
        address.tls = true;
        address.port = 443;
        rest.erase(0, 8);
    } else if (StartsWithNoCase(rest, "http://")) {
        rest.erase(0, 7);
    }
    if (!rest.empty() && rest.back() == '/' && rest.size() != text.size()) {
        rest.pop_back(); // "https://centre.example/" as a browser shows it
    }
    const size_t colon = rest.find(':');
    address.host = rest.substr(0, colon);
    if (!ValidName(address.host)) {
        return std::nullopt;
    }
    if (colon != std::string::npos) {
        const std::optional<int> port = ValidPort(rest.substr(colon + 1));
        if (!port) {
            return std::nullopt;
        }
        address.port = *port;
    }
    return address;
}

struct HttpSession::Handle {
    CURL* curl = nullptr;
    ~Handle() {
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
    }
};

HttpSession::HttpSession() : m_handle(std::make_unique<Handle>()) {}

HttpSession::~HttpSession() = default;

struct HttpExchange::Impl {
    CURL* curl = nullptr; // the session's
    curl_slist* headers = nullptr;
    std::vector<std::string> headerNames;
    std::string reply;
    bool anyByte = false;
    bool tooLarge = false;
    long status = 0;

    ~Impl() { curl_slist_free_all(headers); }

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

std::unique_ptr<HttpExchange> HttpExchange::Open(HttpSession& session, const std::string& server,
                                                 const std::string& path, const std::string& agent,
                                                 const Options& options) {
    const std::optional<ServerAddress> address = ParseServerAddress(server);
    if (!address || path.empty() || path[0] != '/') {
        return nullptr;
    }
    GlobalInitOnce();
    CURL*& c = session.m_handle->curl;
    if (c == nullptr) {
        c = curl_easy_init();
    } else {
        // Forgets every option of the last exchange; keeps the connections, the TLS sessions and the trust
        // anchors the library holds.
        curl_easy_reset(c);
    }
    if (c == nullptr) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->curl = c;
    const std::string url = address->Origin() + path;
    bool ok = curl_easy_setopt(c, CURLOPT_URL, url.c_str()) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, address->tls ? "https" : "http") == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, options.limits.connectMs) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, options.limits.totalMs) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Impl::OnBody) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_WRITEDATA, impl.get()) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &Impl::OnHeader) == CURLE_OK &&
              curl_easy_setopt(c, CURLOPT_HEADERDATA, impl.get()) == CURLE_OK;
    if (ok && address->tls) {
        // Verified or nothing: the certificate must chain to a trusted authority and name this host.
        ok = curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
             curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
             curl_easy_setopt(c, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2) == CURLE_OK;
        if (ok && !options.caFile.empty()) {
            // The named authorities alone, not the system's besides.
            ok = curl_easy_setopt(c, CURLOPT_CAINFO, options.caFile.c_str()) == CURLE_OK &&
                 curl_easy_setopt(c, CURLOPT_CAPATH, nullptr) == CURLE_OK;
        }
    }
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
    if (IsTrustFailure(rc)) {
        return Outcome::Untrusted;
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
