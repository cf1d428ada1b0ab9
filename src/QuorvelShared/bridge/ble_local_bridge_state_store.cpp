#include "QuorvelShared/bridge/ble_local_bridge_state_store.hpp"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"

namespace quorvel {
namespace {

using State = BLELocalBridgeStateStore::State;
using RequestEntry = BLELocalBridgeStateStore::RequestEntry;
using ResponseEntry = BLELocalBridgeStateStore::ResponseEntry;

// One mailbox mutex per process, whatever file a store points at. Not re-entrant.
std::mutex& processLock() {
    static std::mutex mutex;
    return mutex;
}

Json toJson(const RequestEntry& entry) {
    Json value = Json::object();
    value["request"] = toJson(entry.request);
    value["createdAt"] = json::isoDateValue(entry.createdAt);
    return value;
}

RequestEntry requestEntryFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return RequestEntry{
        .request = reader.required("request", bleLocalBridgeRequestFromJson),
        .createdAt = reader.isoDate("createdAt"),
    };
}

Json toJson(const ResponseEntry& entry) {
    Json value = Json::object();
    value["response"] = toJson(entry.response);
    value["updatedAt"] = json::isoDateValue(entry.updatedAt);
    return value;
}

ResponseEntry responseEntryFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    return ResponseEntry{
        .response = reader.required("response", bleLocalBridgeResponseFromJson),
        .updatedAt = reader.isoDate("updatedAt"),
    };
}

template <class Entry, class Id>
void eraseWithId(std::vector<Entry>& entries, const std::string& requestId, Id idOf) {
    std::erase_if(entries, [&](const Entry& entry) { return idOf(entry) == requestId; });
}

const std::string& requestIdOf(const RequestEntry& entry) {
    return entry.request.requestId;
}
const std::string& responseIdOf(const ResponseEntry& entry) {
    return entry.response.requestId;
}

}  // namespace

Json toJson(const State& state) {
    // The entries' writers are local to this file, out of reach of argument-dependent lookup.
    Json requests = json::arrayOf(state.requests, [](const RequestEntry& e) { return toJson(e); });
    Json responses =
        json::arrayOf(state.responses, [](const ResponseEntry& e) { return toJson(e); });
    Json value = Json::object();
    value["requests"] = std::move(requests);
    value["responses"] = std::move(responses);
    return value;
}

State bleLocalBridgeStateFromJson(const Json& value, const std::string& path) {
    const json::ObjectReader reader(value, path);
    const auto readRequests = [](const Json& v, const std::string& p) {
        return json::readArray(v, p, requestEntryFromJson);
    };
    const auto readResponses = [](const Json& v, const std::string& p) {
        return json::readArray(v, p, responseEntryFromJson);
    };
    return State{
        .requests = reader.required("requests", readRequests),
        .responses = reader.required("responses", readResponses),
    };
}

BLELocalBridgeStateStore::BLELocalBridgeStateStore(std::filesystem::path filePath)
    : filePath_(std::move(filePath)) {}

std::filesystem::path BLELocalBridgeStateStore::lockFilePath() const {
    return filePath_.parent_path() / ".ble-bridge-state.lock";
}

State BLELocalBridgeStateStore::trim(State state, Date now) {
    const Date cutoff = now.addingSeconds(-entryLifetimeSeconds);
    std::erase_if(state.requests, [&](const RequestEntry& e) { return e.createdAt < cutoff; });
    std::erase_if(state.responses, [&](const ResponseEntry& e) { return e.updatedAt < cutoff; });
    return state;
}

State BLELocalBridgeStateStore::readState() const {
    const auto text = files::readIfPresent(filePath_);
    if (!text) {
        return State{};
    }
    return bleLocalBridgeStateFromJson(json::parse(*text), "");
}

void BLELocalBridgeStateStore::writeState(const State& state) const {
    files::writeAtomically(filePath_, json::write(toJson(state), json::Style::prettySorted));
}

void BLELocalBridgeStateStore::saveRequest(const BLELocalBridgeRequest& request, Date now) {
    files::withLockedFile(processLock(), lockFilePath(), [&] {
        State state = trim(readState(), now);
        const auto found = std::find_if(
            state.requests.begin(), state.requests.end(),
            [&](const RequestEntry& entry) { return requestIdOf(entry) == request.requestId; });
        if (found != state.requests.end()) {
            found->request = request;
        } else {
            state.requests.push_back(RequestEntry{request, now});
            // A response left over from an earlier request with this id must not answer this one.
            eraseWithId(state.responses, request.requestId, responseIdOf);
        }
        writeState(state);
    });
}

std::vector<BLELocalBridgeRequest> BLELocalBridgeStateStore::loadPendingRequests(Date now) {
    return files::withLockedFile(processLock(), lockFilePath(), [&] {
        State state = trim(readState(), now);
        writeState(state);
        std::stable_sort(
            state.requests.begin(), state.requests.end(),
            [](const RequestEntry& a, const RequestEntry& b) { return a.createdAt < b.createdAt; });
        std::vector<BLELocalBridgeRequest> requests;
        requests.reserve(state.requests.size());
        for (auto& entry : state.requests) {
            requests.push_back(std::move(entry.request));
        }
        return requests;
    });
}

void BLELocalBridgeStateStore::saveResponse(const BLELocalBridgeResponse& response, Date now) {
    saveResponses({response}, now);
}

void BLELocalBridgeStateStore::saveResponses(const std::vector<BLELocalBridgeResponse>& responses,
                                             Date now) {
    files::withLockedFile(processLock(), lockFilePath(), [&] {
        State state = trim(readState(), now);
        std::unordered_map<std::string, std::size_t> responseAt;
        for (std::size_t i = 0; i < state.responses.size(); ++i)
            responseAt.emplace(responseIdOf(state.responses[i]), i);
        std::unordered_set<std::string> completed;
        for (const auto& response : responses) {
            if (const auto found = responseAt.find(response.requestId); found != responseAt.end()) {
                state.responses[found->second] = ResponseEntry{response, now};
            } else {
                responseAt.emplace(response.requestId, state.responses.size());
                state.responses.push_back(ResponseEntry{response, now});
            }
            if (response.completed)
                completed.insert(response.requestId);
        }
        std::erase_if(state.requests, [&](const RequestEntry& entry) {
            return completed.contains(requestIdOf(entry));
        });
        writeState(state);
    });
}

void BLELocalBridgeStateStore::savePickUpMarks(const std::vector<std::string>& requestIds,
                                               Date now) {
    files::withLockedFile(processLock(), lockFilePath(), [&] {
        State state = trim(readState(), now);
        std::unordered_set<std::string> answered;
        for (const auto& entry : state.responses)
            answered.insert(responseIdOf(entry));
        bool changed = false;
        for (const auto& requestId : requestIds) {
            if (answered.insert(requestId).second) {
                state.responses.push_back(
                    ResponseEntry{{requestId, false, std::nullopt, std::nullopt}, now});
                changed = true;
            }
        }
        if (changed)
            writeState(state);
    });
}

std::optional<BLELocalBridgeResponse> BLELocalBridgeStateStore::loadResponse(
    const std::string& requestId) {
    return files::withLockedFile(processLock(), lockFilePath(),
                                 [&]() -> std::optional<BLELocalBridgeResponse> {
                                     const State state = readState();
                                     for (const auto& entry : state.responses) {
                                         if (responseIdOf(entry) == requestId) {
                                             return entry.response;
                                         }
                                     }
                                     return std::nullopt;
                                 });
}

}  // namespace quorvel
