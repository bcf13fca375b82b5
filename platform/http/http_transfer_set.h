// Many HTTP GETs in flight at once, driven by the one thread that owns the set. Every transfer
// has an easy handle of its own; they share one multi handle, so connections are kept alive
// and reused between the transfers of the set, several run over one HTTP/2 connection, and no
// server gets more connections than the set allows. Each transfer is set up exactly as HttpGet
// sets up its own, and its outcome is the one HttpGet would give.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/http/http_abort.h"
#include "platform/http/http_client.h"

namespace zavel::platform {

class HttpTransferSet {
  public:
    using Id = std::uint64_t;
    static constexpr Id kNoTransfer = 0;

    // `slots` is the most transfers the set holds at once, running or finished.
    explicit HttpTransferSet(int slots);
    ~HttpTransferSet();  // ends every transfer and closes the connections
    HttpTransferSet(const HttpTransferSet&) = delete;
    HttpTransferSet& operator=(const HttpTransferSet&) = delete;

    // The most connections to any one server from now on (at least 1).
    void SetMaxPerServer(int connections);

    // Starts a transfer. Its callbacks are called only inside Run, on the owning thread.
    // kNoTransfer when every slot is taken or the transfer could not be started.
    Id Start(HttpGetRequest request);
    // The outcome of a finished transfer, or nullptr while it runs (or for an unknown id).
    const HttpOutcome* Outcome(Id id) const;
    // Ends a transfer wherever it stands and frees its slot; its callbacks are never called
    // again. Unknown ids are ignored.
    void Release(Id id);
    int SlotsInUse() const;

    // Lets every transfer go on: gives libcurl what it can do now and, when no transfer finished
    // and `abort` is not requested, waits up to a second for socket activity first. An abort
    // ends the wait at once.
    void Run(const HttpAbort* abort);

  private:
    struct Slot;
    struct Handles;
    void Finish(Slot& slot, int code);

    std::unique_ptr<Handles> handles_;
    std::vector<std::unique_ptr<Slot>> slots_;
    Id nextId_ = 1;
};

}  // namespace zavel::platform
