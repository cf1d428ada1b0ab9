#include "QuorvelShared/backend/curl/curl_http_transport.hpp"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <utility>

namespace quorvel::backend {
namespace {

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

HttpTransportErrorCode codeOf(CURLcode result) {
    switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
            return HttpTransportErrorCode::cannotConnect;
        case CURLE_OPERATION_TIMEDOUT:
            return HttpTransportErrorCode::timedOut;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
            return HttpTransportErrorCode::secureConnectionFailed;
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return HttpTransportErrorCode::unsupportedURL;
        default:
            return HttpTransportErrorCode::failed;
    }
}

// Every header the request names, and an empty "Expect" so that a larger body is sent at once
// instead of after a "100 Continue" round.
HeaderList headerList(const HttpRequest& request) {
    curl_slist* list = nullptr;
    const auto add = [&list](const std::string& line) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (grown == nullptr) {
            curl_slist_free_all(list);
            throw HttpTransportError(HttpTransportErrorCode::failed, "out of memory");
        }
        list = grown;
    };
    for (const auto& [name, value] : request.headers) {
        add(name + ": " + value);
    }
    add("expect:");
    return HeaderList(list);
}

}  // namespace

CurlHttpTransport::CurlHttpTransport(CurlHttpTransportOptions options)
    : options_(std::move(options)) {}

HttpResponse CurlHttpTransport::send(const HttpRequest& request) {
    initialiseOnce();
    EasyHandle handle(curl_easy_init());
    if (!handle) {
        throw HttpTransportError(HttpTransportErrorCode::failed, "cannot start a transfer");
    }
    CURL* curl = handle.get();
    const HeaderList headers = headerList(request);
    std::string body;
    char message[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutSeconds) * 1000L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    if (request.body) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body->size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body->data());
    }
    curl_blob trusted{};
    if (options_.trustedCertificatesPem) {
        trusted.data = options_.trustedCertificatesPem->data();
        trusted.len = options_.trustedCertificatesPem->size();
        trusted.flags = CURL_BLOB_NOCOPY;
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &trusted);
        // The named certificates alone: not also the system's certificate folder.
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }

    const CURLcode result = curl_easy_perform(curl);
    if (result != CURLE_OK) {
        throw HttpTransportError(codeOf(result),
                                 message[0] != '\0' ? message : curl_easy_strerror(result));
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return HttpResponse{.status = static_cast<int>(status), .body = std::move(body)};
}

}  // namespace quorvel::backend
