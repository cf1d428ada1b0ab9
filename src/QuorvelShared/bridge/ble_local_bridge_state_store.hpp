#pragma once

// The mailbox file through which the application and the native-messaging host hand Bluetooth
// requests to the bridge daemon and read its responses. Every operation, reads included, is one
// read-modify-write of the whole file under this process's mailbox mutex and an exclusive flock on
// ".ble-bridge-state.lock" beside the file, so the programs never lose each other's entries.
// Entries older than a day are dropped on the way. The store posts nothing: requesters post
// BLELocalBridgeStore::requestNotification, the daemon BLELocalBridgeStore::responseNotification.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "QuorvelShared/bridge/ble_local_bridge_request.hpp"
#include "QuorvelShared/support/date.hpp"
#include "QuorvelShared/support/json.hpp"

namespace quorvel {

class BLELocalBridgeStateStore {
public:
    struct RequestEntry {
        BLELocalBridgeRequest request;
        // When a request with this id was first saved; kept when it is saved again.
        Date createdAt;

        friend bool operator==(const RequestEntry&, const RequestEntry&) = default;
    };

    struct ResponseEntry {
        BLELocalBridgeResponse response;
        // When this response was last saved.
        Date updatedAt;

        friend bool operator==(const ResponseEntry&, const ResponseEntry&) = default;
    };

    // Request ids are unique within each list.
    struct State {
        std::vector<RequestEntry> requests;
        std::vector<ResponseEntry> responses;

        friend bool operator==(const State&, const State&) = default;
    };

    // Entries stay for this long after their time stamp, the boundary included.
    static constexpr double entryLifetimeSeconds = 86400;

    // Touches no file.
    explicit BLELocalBridgeStateStore(std::filesystem::path filePath);

    const std::filesystem::path& filePath() const { return filePath_; }
    // ".ble-bridge-state.lock" in the mailbox's folder, whatever the mailbox file is called.
    std::filesystem::path lockFilePath() const;

    // Adds the request, or replaces the stored request with its id (keeping its first time and
    // any response). A new id drops a response still stored under it.
    void saveRequest(const BLELocalBridgeRequest& request, Date now);

    // Every stored request, oldest first: "pending" means not yet answered by a completed
    // response. Always writes the trimmed mailbox back, creating it when there was none.
    std::vector<BLELocalBridgeRequest> loadPendingRequests(Date now);

    // Adds the response or replaces the one with its id; a completed response removes its request.
    void saveResponse(const BLELocalBridgeResponse& response, Date now);
    // saveResponse for each response in order, in one read-modify-write of the file: a daemon
    // answering a thousand requests at once must not read and write the mailbox a thousand times.
    void saveResponses(const std::vector<BLELocalBridgeResponse>& responses, Date now);
    // Stores a pick-up mark (not completed, no message, no error) for each id that has no
    // response yet, in one read-modify-write; existing responses stay as they are.
    void savePickUpMarks(const std::vector<std::string>& requestIds, Date now);

    // Reads only: no trim, no write, no mailbox file made.
    std::optional<BLELocalBridgeResponse> loadResponse(const std::string& requestId);

    // Drops the entries stamped more than a day before `now`; the rest keep their order.
    static State trim(State state, Date now);

private:
    State readState() const;
    void writeState(const State& state) const;

    std::filesystem::path filePath_;
};

// The mailbox file's form: pretty-printed, keys sorted, dates as ISO text in whole seconds.
Json toJson(const BLELocalBridgeStateStore::State& state);
BLELocalBridgeStateStore::State bleLocalBridgeStateFromJson(const Json& value,
                                                            const std::string& path);

}  // namespace quorvel
