// Answers of the backend, as any server (or anything between it and us) may send them. The first
// byte picks the record's decoder, the rest is the body. Decoding either fails with a decode error
// or gives a record that is written and read back to an equal record; the error text of a failed
// status is built from any body without failing. Any other exception, crash or sanitizer report
// is a fault.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "QuorvelShared/backend/account_records.hpp"
#include "QuorvelShared/backend/backend_api_error.hpp"
#include "QuorvelShared/backend/pairing_session_records.hpp"
#include "QuorvelShared/backend/target_sync_records.hpp"
#include "QuorvelShared/backend/unlock_request_records.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

using namespace quorvel;
using namespace quorvel::backend;

namespace {

template <class Read>
void roundTrip(std::string_view text, Read read) {
    const auto record = read(json::parse(text), std::string());
    const std::string written = json::write(toJson(record), json::Style::compact);
    if (!(read(json::parse(written), std::string()) == record)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        switch (data[0] % 12) {
            case 0:
                roundTrip(text, appleAuthResponseFromJson);
                break;
            case 1:
                roundTrip(text, deviceRegistrationResponseFromJson);
                break;
            case 2:
                roundTrip(text, unlockRequestCreateResponseFromJson);
                break;
            case 3:
                roundTrip(text, unlockRequestFetchResponseFromJson);
                break;
            case 4:
                roundTrip(text, pendingUnlockRequestResponseFromJson);
                break;
            case 5:
                roundTrip(text, pairingSessionCreateResponseFromJson);
                break;
            case 6:
                roundTrip(text, pairingSessionStatusResponseFromJson);
                break;
            case 7:
                roundTrip(text, pairingApproveResponseFromJson);
                break;
            case 8:
                roundTrip(text, targetSyncPutResponseFromJson);
                break;
            case 9:
                roundTrip(text, targetSyncStateResponseFromJson);
                break;
            case 10:
                roundTrip(text, linkedUnlockStateResponseFromJson);
                break;
            case 11:
                if (backendHttpStatusText(500, std::string(text)).empty()) {
                    std::abort();
                }
                break;
        }
    } catch (const json::DecodeError&) {
    }
    return 0;
}
