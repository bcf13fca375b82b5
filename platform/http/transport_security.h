// What every transfer of the process shares about secure transport: the certificates it
// trusts, the servers that asked for HTTPS only (Strict-Transport-Security, kept in memory for
// the run), and the servers seen sending their plain addresses on to the same address over
// HTTPS. Safe from any thread.
#pragma once

#include <curl/curl.h>

#include <string>

namespace zavel::platform {

// Sets the transport options of one transfer on a freshly reset handle: certificates verified
// against the system's store, the process's HSTS cache, HTTP/2 where the server offers it over
// TLS, and every body encoding libcurl can decode asked for and decoded.
void ApplyTransportSecurity(CURL* easy);

// The address to request for `url`: the same address over HTTPS when its server was seen
// sending plain requests on to HTTPS (see NoteSecureMove), `url` itself otherwise.
std::string SecureUrlFor(const std::string& url);

// Learns from a finished transfer: when `requested` is a plain address and `reached` is the
// same host name, path and query over HTTPS, later plain requests to that server go to the
// secure server directly for the rest of the run.
void NoteSecureMove(const std::string& requested, const std::string& reached);

}  // namespace zavel::platform
