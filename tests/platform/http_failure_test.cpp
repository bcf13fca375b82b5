// The kinds of failure the crawl names in words, from libcurl's result codes.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/http/http_client.h"

namespace zavel::platform {
namespace {

TEST(HttpFailure, ResultCodesGiveTheKindsTheCrawlNames) {
    struct Case {
        CURLcode code;
        HttpResult result;
        long osErrno;
        HttpFailure kind;
    };
    const Case cases[] = {
        {CURLE_OK, HttpResult::kOk, 0, HttpFailure::kNone},
        {CURLE_COULDNT_RESOLVE_HOST, HttpResult::kSendFailed, 0, HttpFailure::kNameNotFound},
        {CURLE_COULDNT_CONNECT, HttpResult::kSendFailed, ECONNREFUSED, HttpFailure::kRefused},
        {CURLE_COULDNT_CONNECT, HttpResult::kSendFailed, EHOSTUNREACH, HttpFailure::kNoConnection},
        {CURLE_PEER_FAILED_VERIFICATION, HttpResult::kSendFailed, 0, HttpFailure::kCertificate},
        {CURLE_SSL_CACERT_BADFILE, HttpResult::kSendFailed, 0, HttpFailure::kCertificate},
        {CURLE_OPERATION_TIMEDOUT, HttpResult::kBodyFailed, 0, HttpFailure::kTimedOut},
        {CURLE_PARTIAL_FILE, HttpResult::kBodyFailed, 0, HttpFailure::kCutShort},
        {CURLE_GOT_NOTHING, HttpResult::kSendFailed, 0, HttpFailure::kCutShort},
        {CURLE_TOO_MANY_REDIRECTS, HttpResult::kSendFailed, 0, HttpFailure::kTooManyRedirects},
        {CURLE_URL_MALFORMAT, HttpResult::kSendFailed, 0, HttpFailure::kBadAddress},
        {CURLE_WRITE_ERROR, HttpResult::kSinkFailed, 0, HttpFailure::kAborted},
        {CURLE_ABORTED_BY_CALLBACK, HttpResult::kAborted, 0, HttpFailure::kAborted},
        {CURLE_SSL_CONNECT_ERROR, HttpResult::kSendFailed, 0, HttpFailure::kOther},
        {CURLE_SSL_CONNECT_ERROR, HttpResult::kBodyFailed, 0, HttpFailure::kCutShort},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FailureOf(c.code, c.result, c.osErrno), c.kind) << c.code;
    }
}

}  // namespace
}  // namespace zavel::platform
