// Certificates for the loopback servers that speak TLS, made in memory when first asked for:
// each is self-signed for 127.0.0.1 and localhost. The trusted one is what the platform layer's
// test seam trusts for the whole test run; the other one is trusted by nobody.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>

namespace zavel::test {

struct TestCertificate {
    X509* certificate = nullptr;
    EVP_PKEY* key = nullptr;
    std::string pem;  // the certificate as PEM text
};

// Made once; from its first use on, every transfer of the process trusts it (and nothing
// else: the tests never reach a server outside the machine).
const TestCertificate& TrustedTestCertificate();
const TestCertificate& UntrustedTestCertificate();

}  // namespace zavel::test
