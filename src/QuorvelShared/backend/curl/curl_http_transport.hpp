#pragma once

// The backend transport over libcurl: HTTPS only, no redirects followed, one total time-out per
// exchange, a fresh connection per exchange (no state shared between threads). Certificates are
// checked against the system's trust store, or against the certificates the creator names.
#include <optional>
#include <string>

#include "QuorvelShared/backend/http_transport.hpp"

namespace quorvel::backend {

struct CurlHttpTransportOptions {
    // PEM certificates to trust instead of the system's store (a private backend's own CA).
    std::optional<std::string> trustedCertificatesPem;
};

class CurlHttpTransport final : public HttpTransport {
public:
    explicit CurlHttpTransport(CurlHttpTransportOptions options = {});

    HttpResponse send(const HttpRequest& request) override;

private:
    CurlHttpTransportOptions options_;
};

}  // namespace quorvel::backend
