#include "platform/http/transport_security.h"

#include <array>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "platform/http/http_client.h"

namespace zavel::platform {
namespace {

// One lock per kind of data a share may hold, so that libcurl's callbacks can lock them
// independently.
std::array<std::mutex, CURL_LOCK_DATA_LAST> shareLocks;

void LockShare(CURL*, curl_lock_data data, curl_lock_access, void*) {
    shareLocks[static_cast<std::size_t>(data)].lock();
}

void UnlockShare(CURL*, curl_lock_data data, void*) {
    shareLocks[static_cast<std::size_t>(data)].unlock();
}

// The HSTS cache of the run, shared by every handle of every thread; it lives as long as the
// process, since a cached connection may outlast any one owner. First asked for while a
// transfer is configured, so libcurl is initialised by then.
CURLSH* HstsShare() {
    static CURLSH* share = [] {
        CURLSH* made = curl_share_init();
        if (made != nullptr) {
            curl_share_setopt(made, CURLSHOPT_LOCKFUNC, LockShare);
            curl_share_setopt(made, CURLSHOPT_UNLOCKFUNC, UnlockShare);
            curl_share_setopt(made, CURLSHOPT_SHARE, CURL_LOCK_DATA_HSTS);
        }
        return made;
    }();
    return share;
}

std::mutex trustMutex;
std::string trustedPem;  // guarded by trustMutex; empty: the system's store

std::mutex movesMutex;
// Plain server (host text as requested) -> the host text of its HTTPS twin. Guarded by
// movesMutex.
std::unordered_map<std::string, std::string> secureTwins;

struct UrlParts {
    std::string_view scheme;
    std::string_view authority;
    std::string_view rest;  // path and query, from the first "/", "?" or "#" on
};

std::optional<UrlParts> CutUrl(std::string_view url) {
    const std::size_t mark = url.find("://");
    if (mark == std::string_view::npos) {
        return std::nullopt;
    }
    UrlParts parts;
    parts.scheme = url.substr(0, mark);
    std::string_view after = url.substr(mark + 3);
    const std::size_t end = after.find_first_of("/?#");
    parts.authority = after.substr(0, end);
    parts.rest = end == std::string_view::npos ? std::string_view("/") : after.substr(end);
    return parts;
}

// The host name of an authority: without user information and port.
std::string_view HostName(std::string_view authority) {
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (!authority.empty() && authority.front() == '[') {
        return authority.substr(0, authority.find(']') + 1);
    }
    return authority.substr(0, authority.find(':'));
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        x = x >= 'A' && x <= 'Z' ? static_cast<char>(x - 'A' + 'a') : x;
        y = y >= 'A' && y <= 'Z' ? static_cast<char>(y - 'A' + 'a') : y;
        if (x != y) {
            return false;
        }
    }
    return true;
}

}  // namespace

void TrustCertificatesForTests(std::string pem) {
    std::lock_guard lock(trustMutex);
    trustedPem = std::move(pem);
}

void ApplyTransportSecurity(CURL* easy) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    {
        std::lock_guard lock(trustMutex);
        if (!trustedPem.empty()) {
            curl_blob blob{trustedPem.data(), trustedPem.size(), CURL_BLOB_COPY};
            curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
        }
    }
    if (CURLSH* share = HstsShare()) {
        curl_easy_setopt(easy, CURLOPT_SHARE, share);
    }
    curl_easy_setopt(easy, CURLOPT_HSTS_CTRL, static_cast<long>(CURLHSTS_ENABLE));
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
}

std::string SecureUrlFor(const std::string& url) {
    const std::optional<UrlParts> parts = CutUrl(url);
    if (!parts || !SameLetters(parts->scheme, "http")) {
        return url;
    }
    std::lock_guard lock(movesMutex);
    const auto twin = secureTwins.find(std::string(parts->authority));
    if (twin == secureTwins.end()) {
        return url;
    }
    std::string secure = "https://" + twin->second;
    secure += parts->rest;
    return secure;
}

void NoteSecureMove(const std::string& requested, const std::string& reached) {
    const std::optional<UrlParts> from = CutUrl(requested);
    const std::optional<UrlParts> to = CutUrl(reached);
    if (!from || !to || !SameLetters(from->scheme, "http") || !SameLetters(to->scheme, "https") ||
        !SameLetters(HostName(from->authority), HostName(to->authority)) ||
        from->rest != to->rest) {
        return;
    }
    std::lock_guard lock(movesMutex);
    secureTwins.insert_or_assign(std::string(from->authority), std::string(to->authority));
}

}  // namespace zavel::platform
