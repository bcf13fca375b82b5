#include "platform/http/http_client.h"
#include "platform/http/http_transfer_set.h"

#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/http/transport_security.h"

namespace zavel::platform {

// Registers the multi handle of a running transfer with its abort, so that Request() on another
// thread can wake the transfer out of curl_multi_poll at once.
class TransferWatch {
  public:
    TransferWatch(const HttpAbort* abort, CURLM* multi) : abort_(abort) {
        if (abort_ != nullptr) {
            std::lock_guard lock(abort_->mutex_);
            abort_->activeMulti_ = multi;
        }
    }
    ~TransferWatch() {
        if (abort_ != nullptr) {
            std::lock_guard lock(abort_->mutex_);
            abort_->activeMulti_ = nullptr;
        }
    }
    TransferWatch(const TransferWatch&) = delete;
    TransferWatch& operator=(const TransferWatch&) = delete;

  private:
    const HttpAbort* abort_;
};

void HttpAbort::Request() {
    // The flag goes first: a transfer that registers after this point sees it before it polls,
    // one that registered before is woken here.
    requested_.store(true, std::memory_order_release);
    std::lock_guard lock(mutex_);
    if (activeMulti_ != nullptr) {
        curl_multi_wakeup(static_cast<CURLM*>(activeMulti_));
    }
}

namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutSeconds = 30;
std::atomic<long> lowSpeedWindowSeconds{kLowSpeedWindowSeconds};
// Upper bound of one wait; an abort or socket activity ends it much sooner.
constexpr int kPollMilliseconds = 1000;

// What one call of HttpGet knows while libcurl runs it.
struct Transfer {
    const HttpGetRequest& request;
    bool awaitingResponse = false;  // a request went out and no header of its answer came yet
    bool responseBegan = false;     // the final response began
    bool locationSeen = false;      // the header block being read names a redirect target
    bool sinkFailed = false;
    bool aborted = false;
    std::uint64_t delivered = 0;  // decoded body bytes taken by onBody

    void Report(int code) const {
        if (request.onStatus) {
            request.onStatus(code);
        }
    }
    bool AbortRequested() const { return request.abort != nullptr && request.abort->Requested(); }
};

// The handles of one thread. Connections live in the multi handle's cache and outlast a call,
// so they are reused by the next call of the same thread. libcurl keeps the callback data of a
// connection for its lifetime, and a cached connection can be closed outside any call (at the
// latest when the thread ends), so the callbacks get this object, which knows whether a call is
// running, and never a call's own data.
// One easy handle and the transfer it runs: what the callbacks are given.
struct TransferSlot {
    CURL* easy = nullptr;
    Transfer* active = nullptr;  // the running transfer of this handle, if any
};

struct ThreadHandles : TransferSlot {
    CURLM* multi = nullptr;

    ThreadHandles();
    ~ThreadHandles() {
        active = nullptr;
        if (multi != nullptr) {
            curl_multi_cleanup(multi);  // closes the cached connections
        }
        if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
    }
    ThreadHandles(const ThreadHandles&) = delete;
    ThreadHandles& operator=(const ThreadHandles&) = delete;
};

void InitialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

ThreadHandles::ThreadHandles() {
    InitialiseLibraryOnce();
    easy = curl_easy_init();
    multi = curl_multi_init();
}

Transfer* ActiveOf(void* handles) {
    return static_cast<TransferSlot*>(handles)->active;
}

int OnResolverStart(void*, void*, void* handles) {
    if (Transfer* transfer = ActiveOf(handles)) {
        transfer->Report(kStatusResolving);
    }
    return 0;
}

curl_socket_t OnOpenSocket(void* handles, curlsocktype purpose, curl_sockaddr* address) {
    curl_socket_t socketFd =
        socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    Transfer* transfer = ActiveOf(handles);
    if (socketFd != CURL_SOCKET_BAD && purpose == CURLSOCKTYPE_IPCXN && transfer != nullptr) {
        transfer->Report(kStatusResolved);
        transfer->Report(kStatusConnecting);
    }
    return socketFd;
}

int OnCloseSocket(void* handles, curl_socket_t socketFd) {
    Transfer* transfer = ActiveOf(handles);
    if (transfer != nullptr) {
        transfer->Report(kStatusClosing);
    }
    int result = close(socketFd);
    if (transfer != nullptr) {
        transfer->Report(kStatusClosed);
    }
    return result;
}

int OnPrerequest(void* handles, char*, char*, int, int) {
    if (Transfer* transfer = ActiveOf(handles)) {
        transfer->Report(kStatusConnected);
        transfer->Report(kStatusSending);
        transfer->awaitingResponse = true;
    }
    return CURL_PREREQFUNC_OK;
}

// True for a "Location:" header with a value, which makes libcurl follow a 3xx answer.
bool IsLocationHeader(std::string_view line) {
    constexpr std::string_view kName = "location:";
    if (line.size() <= kName.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kName.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != kName[i]) {
            return false;
        }
    }
    return line.find_first_not_of(" \t\r\n", kName.size()) != std::string_view::npos;
}

size_t OnHeader(char* data, size_t size, size_t count, void* handles) {
    Transfer* transfer = ActiveOf(handles);
    if (transfer == nullptr) {
        return size * count;
    }
    if (transfer->awaitingResponse) {
        transfer->awaitingResponse = false;
        transfer->responseBegan = true;
        transfer->locationSeen = false;
        transfer->Report(kStatusSent);
        transfer->Report(kStatusReceiving);
    }
    std::string_view line(data, size * count);
    if (IsLocationHeader(line)) {
        transfer->locationSeen = true;
    } else if (line == "\r\n" || line == "\n") {
        // The end of a header block. A redirect that libcurl goes on to follow is not the final
        // response: a failure from here on is one of a request still to be answered.
        long httpCode = 0;
        curl_easy_getinfo(static_cast<TransferSlot*>(handles)->easy, CURLINFO_RESPONSE_CODE,
                          &httpCode);
        if (httpCode >= 300 && httpCode < 400 && transfer->locationSeen) {
            transfer->responseBegan = false;
        }
        transfer->locationSeen = false;
    }
    return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* handles) {
    Transfer* transfer = ActiveOf(handles);
    if (transfer == nullptr) {
        return 0;
    }
    if (transfer->AbortRequested()) {
        transfer->aborted = true;
        return 0;
    }
    const size_t bytes = size * count;
    // A decoded body comes in the decoder's blocks, which may be larger than the receive
    // buffer: the blocks handed on stay within it all the same.
    const size_t limit = transfer->request.bufferSize > 0 ? transfer->request.bufferSize : bytes;
    for (size_t done = 0; done < bytes;) {
        const size_t block = std::min(limit, bytes - done);
        if (transfer->request.onBody && !transfer->request.onBody(data + done, block)) {
            transfer->sinkFailed = true;
            return 0;
        }
        done += block;
        transfer->delivered += block;
    }
    return bytes;
}

int OnProgress(void* handles, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    Transfer* transfer = ActiveOf(handles);
    if (transfer != nullptr && transfer->AbortRequested()) {
        transfer->aborted = true;
        return 1;
    }
    return 0;
}

// Options are set afresh for every call, so nothing of an earlier call carries over except
// the connections and the name cache.
void Configure(TransferSlot& handles, const HttpGetRequest& request, char* errorText) {
    CURL* easy = handles.easy;
    curl_easy_reset(easy);
    // A server known to send its plain addresses on to HTTPS is asked over HTTPS at once.
    curl_easy_setopt(easy, CURLOPT_URL, SecureUrlFor(request.url).c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "zavel");
    ApplyTransportSecurity(easy);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    // libcurl fails a transfer whose body arrives below a rate for the whole window; the rate
    // is the window's bytes spread over it.
    const long window = lowSpeedWindowSeconds.load();
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, std::max(1L, kLowSpeedBytes / window));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, window);
    // The program's threads must not see libcurl's signal handlers; name lookups run on
    // libcurl's resolver thread instead of being ended by an alarm.
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // An abort during a slow name lookup leaves the resolver thread to finish on its own
    // instead of waiting for it.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    if (request.bufferSize > 0) {
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, static_cast<long>(request.bufferSize));
    }
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);

    void* data = static_cast<TransferSlot*>(&handles);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_FUNCTION, OnResolverStart);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_DATA, data);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, OnOpenSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, data);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, OnCloseSocket);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, data);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnPrerequest);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, data);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, data);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, data);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, data);
}

HttpOutcome Failure(HttpResult result, const char* error) {
    HttpOutcome outcome;
    outcome.result = result;
    outcome.error = error;
    outcome.failure = result == HttpResult::kAborted ? HttpFailure::kAborted : HttpFailure::kOther;
    return outcome;
}

// Drives the transfer until it is done or aborted; returns libcurl's result.
CURLcode Run(CURLM* multi, Transfer& transfer) {
    for (;;) {
        int running = 0;
        CURLMcode multiCode = curl_multi_perform(multi, &running);
        if (multiCode != CURLM_OK) {
            return CURLE_FAILED_INIT;
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                return message->data.result;
            }
        }
        if (transfer.AbortRequested()) {
            transfer.aborted = true;
            return CURLE_ABORTED_BY_CALLBACK;
        }
        multiCode = curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
        if (multiCode != CURLM_OK) {
            return CURLE_FAILED_INIT;
        }
    }
}

// What the handle knows once its transfer ended. A plain address of `requestedUrl` redirected
// to its HTTPS twin teaches the process to ask that server over HTTPS from now on.
void ReadTransferInfo(CURL* easy, CURLcode code, const std::string& requestedUrl,
                      HttpOutcome& outcome) {
    outcome.transportCode = static_cast<int>(code);
    char* text = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &text) == CURLE_OK && text != nullptr) {
        outcome.finalUrl = text;
        // Only a server's own redirect counts; libcurl's HSTS cache keeps its policies itself.
        long redirects = 0;
        if (curl_easy_getinfo(easy, CURLINFO_REDIRECT_COUNT, &redirects) == CURLE_OK &&
            redirects > 0) {
            NoteSecureMove(requestedUrl, outcome.finalUrl);
        }
    }
    text = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &text) == CURLE_OK && text != nullptr) {
        outcome.contentType = text;
    }
    curl_off_t bytes = 0;
    if (curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &bytes) == CURLE_OK && bytes > 0) {
        outcome.bodyBytes = static_cast<std::uint64_t>(bytes);
    }
    curl_off_t micros = 0;
    if (curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME_T, &micros) == CURLE_OK && micros > 0) {
        outcome.milliseconds = micros / 1000;
    }
}

HttpResult ResultOf(CURLcode code, const Transfer& transfer) {
    if (code == CURLE_OK) {
        return HttpResult::kOk;
    }
    if (transfer.sinkFailed) {
        return HttpResult::kSinkFailed;
    }
    if (transfer.aborted || transfer.AbortRequested()) {
        return HttpResult::kAborted;
    }
    return transfer.responseBegan ? HttpResult::kBodyFailed : HttpResult::kSendFailed;
}

// Unsets the thread's running call however the call ends.
class ActiveCall {
  public:
    ActiveCall(ThreadHandles& handles, Transfer& transfer) : handles_(handles) {
        handles_.active = &transfer;
    }
    ~ActiveCall() { handles_.active = nullptr; }
    ActiveCall(const ActiveCall&) = delete;
    ActiveCall& operator=(const ActiveCall&) = delete;

  private:
    ThreadHandles& handles_;
};

}  // namespace

HttpFailure FailureOf(int transportCode, HttpResult result, long osErrno) {
    const auto code = static_cast<CURLcode>(transportCode);
    if (result == HttpResult::kOk) {
        return HttpFailure::kNone;
    }
    if (result == HttpResult::kAborted || result == HttpResult::kSinkFailed) {
        return HttpFailure::kAborted;
    }
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return HttpFailure::kNameNotFound;
        case CURLE_COULDNT_CONNECT:
            return osErrno == ECONNREFUSED ? HttpFailure::kRefused : HttpFailure::kNoConnection;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            return HttpFailure::kCertificate;
        case CURLE_OPERATION_TIMEDOUT:
            return HttpFailure::kTimedOut;
        case CURLE_PARTIAL_FILE:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_BAD_CONTENT_ENCODING:
            return HttpFailure::kCutShort;
        case CURLE_TOO_MANY_REDIRECTS:
            return HttpFailure::kTooManyRedirects;
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return HttpFailure::kBadAddress;
        default:
            return result == HttpResult::kBodyFailed ? HttpFailure::kCutShort : HttpFailure::kOther;
    }
}

namespace {

// The outcome of a transfer that libcurl ended with `code`, read from its handle: the same for a
// call of HttpGet and for a transfer of a set.
HttpOutcome EndedOutcome(CURL* easy, CURLcode code, const Transfer& transfer,
                         const char* errorText) {
    HttpOutcome outcome;
    if (transfer.responseBegan) {
        transfer.Report(kStatusReceived);
    }
    outcome.result = ResultOf(code, transfer);
    if (transfer.responseBegan) {
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &outcome.httpStatus);
    }
    if (code != CURLE_OK) {
        outcome.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
    }
    ReadTransferInfo(easy, code, transfer.request.url, outcome);
    // libcurl counts the bytes as they came, compressed or not; the page's size is what was
    // handed on.
    outcome.bodyBytes = transfer.delivered;
    long osErrno = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
    outcome.failure = FailureOf(static_cast<int>(code), outcome.result, osErrno);
    return outcome;
}

}  // namespace

long SetLowSpeedWindowSeconds(long seconds) {
    return lowSpeedWindowSeconds.exchange(std::max(1L, seconds));
}

HttpOutcome HttpGet(const HttpGetRequest& request) {
    thread_local ThreadHandles handles;
    if (handles.easy == nullptr || handles.multi == nullptr) {
        return Failure(HttpResult::kSendFailed, "cannot initialise libcurl");
    }
    if (handles.active != nullptr) {
        // Called from inside a callback of this thread's running call: the handles are busy.
        return Failure(HttpResult::kSendFailed, "a transfer is already running on this thread");
    }
    if (request.abort != nullptr && request.abort->Requested()) {
        return Failure(HttpResult::kAborted, "aborted");
    }

    Transfer transfer{request};
    char errorText[CURL_ERROR_SIZE] = {};
    Configure(handles, request, errorText);

    HttpOutcome outcome;
    {
        ActiveCall call(handles, transfer);
        TransferWatch watch(request.abort, handles.multi);
        if (curl_multi_add_handle(handles.multi, handles.easy) == CURLM_OK) {
            const CURLcode code = Run(handles.multi, transfer);
            outcome = EndedOutcome(handles.easy, code, transfer, errorText);
            // An unfinished transfer closes its connection here, still inside the call.
            curl_multi_remove_handle(handles.multi, handles.easy);
        } else {
            outcome = Failure(HttpResult::kSendFailed, "cannot start the transfer");
        }
    }
    // The error buffer lives on this call's stack.
    curl_easy_setopt(handles.easy, CURLOPT_ERRORBUFFER, nullptr);
    return outcome;
}

// One transfer of a set: the request it was given, what it knows while libcurl runs it, and
// its outcome once it ended.
struct HttpTransferSet::Slot : TransferSlot {
    HttpTransferSet::Id id = kNoTransfer;
    HttpGetRequest request;
    std::unique_ptr<Transfer> transfer;
    bool added = false;  // in the multi handle
    std::optional<HttpOutcome> outcome;
    char errorText[CURL_ERROR_SIZE] = {};
};

struct HttpTransferSet::Handles {
    CURLM* multi = nullptr;
};

HttpTransferSet::HttpTransferSet(int slots) : handles_(std::make_unique<Handles>()) {
    InitialiseLibraryOnce();
    handles_->multi = curl_multi_init();
    if (handles_->multi != nullptr) {
        curl_multi_setopt(handles_->multi, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
    }
    for (int i = 0; i < std::max(1, slots); ++i) {
        auto slot = std::make_unique<Slot>();
        slot->easy = curl_easy_init();
        slots_.push_back(std::move(slot));
    }
}

HttpTransferSet::~HttpTransferSet() {
    // The cached connections keep the slots as their callback data: the slots outlive the
    // multi handle, and no transfer is active while it closes them.
    for (auto& slot : slots_) {
        slot->active = nullptr;
        if (slot->added) {
            curl_multi_remove_handle(handles_->multi, slot->easy);
        }
    }
    if (handles_->multi != nullptr) {
        curl_multi_cleanup(handles_->multi);
    }
    for (auto& slot : slots_) {
        if (slot->easy != nullptr) {
            curl_easy_cleanup(slot->easy);
        }
    }
}

void HttpTransferSet::SetMaxPerServer(int connections) {
    if (handles_->multi != nullptr) {
        curl_multi_setopt(handles_->multi, CURLMOPT_MAX_HOST_CONNECTIONS,
                          static_cast<long>(std::max(1, connections)));
    }
}

HttpTransferSet::Id HttpTransferSet::Start(HttpGetRequest request) {
    if (handles_->multi == nullptr) {
        return kNoTransfer;
    }
    for (auto& slot : slots_) {
        if (slot->id != kNoTransfer || slot->easy == nullptr) {
            continue;
        }
        slot->request = std::move(request);
        slot->transfer = std::make_unique<Transfer>(Transfer{slot->request});
        slot->outcome.reset();
        slot->errorText[0] = '\0';
        Configure(*slot, slot->request, slot->errorText);
        slot->active = slot->transfer.get();
        if (curl_multi_add_handle(handles_->multi, slot->easy) != CURLM_OK) {
            slot->active = nullptr;
            return kNoTransfer;
        }
        slot->added = true;
        slot->id = nextId_++;
        return slot->id;
    }
    return kNoTransfer;
}

const HttpOutcome* HttpTransferSet::Outcome(Id id) const {
    for (const auto& slot : slots_) {
        if (slot->id == id && id != kNoTransfer) {
            return slot->outcome ? &*slot->outcome : nullptr;
        }
    }
    return nullptr;
}

void HttpTransferSet::Release(Id id) {
    for (auto& slot : slots_) {
        if (slot->id != id || id == kNoTransfer) {
            continue;
        }
        // Nothing of a dropped transfer is reported, also not the close of its connection.
        slot->active = nullptr;
        if (slot->added) {
            curl_multi_remove_handle(handles_->multi, slot->easy);
            slot->added = false;
        }
        curl_easy_setopt(slot->easy, CURLOPT_ERRORBUFFER, nullptr);
        slot->transfer.reset();
        slot->request = HttpGetRequest{};
        slot->outcome.reset();
        slot->id = kNoTransfer;
    }
}

int HttpTransferSet::SlotsInUse() const {
    return static_cast<int>(std::count_if(
        slots_.begin(), slots_.end(), [](const auto& slot) { return slot->id != kNoTransfer; }));
}

// The same steps as the end of HttpGet, for one transfer of the set.
void HttpTransferSet::Finish(Slot& slot, int resultCode) {
    HttpOutcome outcome =
        EndedOutcome(slot.easy, static_cast<CURLcode>(resultCode), *slot.transfer, slot.errorText);
    curl_multi_remove_handle(handles_->multi, slot.easy);
    slot.added = false;
    slot.active = nullptr;
    slot.outcome = std::move(outcome);
}

void HttpTransferSet::Run(const HttpAbort* abort) {
    CURLM* multi = handles_->multi;
    if (multi == nullptr) {
        return;
    }
    TransferWatch watch(abort, multi);
    for (int round = 0; round < 2; ++round) {
        int running = 0;
        curl_multi_perform(multi, &running);
        bool finished = false;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            for (auto& slot : slots_) {
                if (slot->added && slot->easy == message->easy_handle) {
                    Finish(*slot, static_cast<int>(message->data.result));
                    finished = true;
                    break;
                }
            }
        }
        if (finished || round == 1 || running == 0 || (abort != nullptr && abort->Requested())) {
            return;
        }
        curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
    }
}

}  // namespace zavel::platform
