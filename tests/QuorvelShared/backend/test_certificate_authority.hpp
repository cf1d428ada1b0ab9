#pragma once

// A certificate authority made at test time, and server certificates it issues, so that the
// loopback HTTPS tests run the client's real certificate checks against a CA it is told to trust.
// P-256 keys, SHA-256 signatures, valid from an hour ago for a day.
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace quorvel::backend::testing {

struct X509Deleter {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct KeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Certificate = std::unique_ptr<X509, X509Deleter>;
using PrivateKey = std::unique_ptr<EVP_PKEY, KeyDeleter>;

inline void check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("test certificate: ") + what);
    }
}

inline void addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    check(extension != nullptr, value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// A certificate for `key` named `commonName`; self-signed when no issuer is given.
inline Certificate makeCertificate(EVP_PKEY* key, const char* commonName, long serial,
                                   X509* issuer) {
    Certificate certificate(X509_new());
    check(certificate != nullptr, "X509_new");
    X509* cert = certificate.get();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 86400);
    X509_set_pubkey(cert, key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(cert), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer != nullptr ? issuer : cert;
    X509_set_issuer_name(cert, X509_get_subject_name(signer));
    addExtension(cert, signer, NID_subject_key_identifier, "hash");
    return certificate;
}

inline std::string pemOf(X509* certificate) {
    BIO* bio = BIO_new(BIO_s_mem());
    check(bio != nullptr && PEM_write_bio_X509(bio, certificate) == 1, "PEM");
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<std::size_t>(size));
    BIO_free(bio);
    return pem;
}

struct ServerIdentity {
    Certificate certificate;
    PrivateKey key;
};

class TestCertificateAuthority {
public:
    explicit TestCertificateAuthority(const char* name = "Pellorim Test CA")
        : key_(EVP_EC_gen("P-256")) {
        check(key_ != nullptr, "CA key");
        certificate_ = makeCertificate(key_.get(), name, 1, nullptr);
        addExtension(certificate_.get(), certificate_.get(), NID_basic_constraints,
                     "critical,CA:TRUE");
        addExtension(certificate_.get(), certificate_.get(), NID_key_usage,
                     "critical,keyCertSign,cRLSign");
        check(X509_sign(certificate_.get(), key_.get(), EVP_sha256()) > 0, "CA signature");
    }

    // What the client is told to trust.
    std::string certificatePem() const { return pemOf(certificate_.get()); }

    // A server certificate whose subject alternative names are `altNames`
    // ("IP:127.0.0.1", "DNS:localhost").
    ServerIdentity issueServer(const char* altNames) {
        PrivateKey key(EVP_EC_gen("P-256"));
        check(key != nullptr, "server key");
        Certificate certificate =
            makeCertificate(key.get(), "backend test server", ++serial_, certificate_.get());
        addExtension(certificate.get(), certificate_.get(), NID_subject_alt_name, altNames);
        addExtension(certificate.get(), certificate_.get(), NID_ext_key_usage, "serverAuth");
        addExtension(certificate.get(), certificate_.get(), NID_authority_key_identifier,
                     "keyid:always");
        check(X509_sign(certificate.get(), key_.get(), EVP_sha256()) > 0, "server signature");
        return {std::move(certificate), std::move(key)};
    }

private:
    PrivateKey key_;
    Certificate certificate_;
    long serial_ = 1;
};

}  // namespace quorvel::backend::testing
