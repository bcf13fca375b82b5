#include "tests/support/test_certificate.h"

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <stdexcept>

#include "platform/http/http_client.h"

namespace zavel::test {
namespace {

void AddExtension(X509* certificate, int id, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, id, value);
    if (extension == nullptr) {
        throw std::runtime_error("cannot make a certificate extension");
    }
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A P-256 key (made in a moment, unlike RSA) and a certificate for 127.0.0.1 valid from a day
// ago for a year, signed with that key. localhost is named too: HSTS is never kept for an
// address given as a number.
TestCertificate MakeCertificate(const char* commonName) {
    TestCertificate made;
    made.key = EVP_EC_gen("P-256");
    made.certificate = X509_new();
    if (made.key == nullptr || made.certificate == nullptr) {
        throw std::runtime_error("cannot make a test certificate");
    }
    X509* certificate = made.certificate;
    X509_set_version(certificate, 2);
    static long serial = 1;
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial++);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -24L * 3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 365L * 24 * 3600);
    X509_set_pubkey(certificate, made.key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    AddExtension(certificate, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(certificate, NID_key_usage, "critical,digitalSignature,keyCertSign");
    AddExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    if (X509_sign(certificate, made.key, EVP_sha256()) == 0) {
        throw std::runtime_error("cannot sign a test certificate");
    }

    BIO* text = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(text, certificate);
    char* data = nullptr;
    const long size = BIO_get_mem_data(text, &data);
    made.pem.assign(data, static_cast<std::size_t>(size));
    BIO_free(text);
    return made;
}

}  // namespace

// Both live as long as the process: servers of any test may hold them.
const TestCertificate& TrustedTestCertificate() {
    static const TestCertificate trusted = [] {
        TestCertificate made = MakeCertificate("zavel test server");
        platform::TrustCertificatesForTests(made.pem);
        return made;
    }();
    return trusted;
}

const TestCertificate& UntrustedTestCertificate() {
    static const TestCertificate untrusted = MakeCertificate("zavel untrusted server");
    return untrusted;
}

}  // namespace zavel::test
