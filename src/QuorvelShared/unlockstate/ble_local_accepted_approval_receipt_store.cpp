#include "QuorvelShared/unlockstate/ble_local_accepted_approval_receipt_store.hpp"

#include <map>
#include <string>
#include <string_view>

#include "QuorvelShared/support/file_lock.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/json_reader.hpp"
#include "QuorvelShared/support/json_writer.hpp"
#include "QuorvelShared/support/xdg_paths.hpp"
#include "QuorvelShared/unlockstate/unlock_state_file.hpp"

namespace quorvel::BLELocalAcceptedApprovalReceiptStore {
namespace {

namespace fs = std::filesystem;
using ReceiptMap = std::map<std::string, BLELocalAcceptedApprovalReceipt>;

ReceiptMap decodeReceipts(std::string_view text) {
    return json::readMap(json::parse(text), "", bleLocalAcceptedApprovalReceiptFromJson);
}

ReceiptMap liveReceipts(const std::optional<std::string>& text, Date now) {
    ReceiptMap receipts = unlockstate::decodeOrEmpty<ReceiptMap>(text, decodeReceipts);
    std::erase_if(receipts, [now](const auto& entry) { return entry.second.approvedUntil <= now; });
    return receipts;
}

}  // namespace

fs::path filePath() {
    return paths::sharedStateFile("ble-accepted-approval-receipts.json");
}

std::optional<BLELocalAcceptedApprovalReceipt> matchingReceipt(
    const BLELocalPrototypeWireMessage& message, Date at, const fs::path& from) {
    const ReceiptMap receipts = liveReceipts(unlockstate::readForLoad(from), at);
    const auto stored = receipts.find(message.requestId.value_or(""));
    if (stored == receipts.end() || !stored->second.matches(message, at)) {
        return std::nullopt;
    }
    return stored->second;
}

void save(const BLELocalAcceptedApprovalReceipt& receipt, const fs::path& to, const Clock& clock) {
    files::withCoordinatedFile(to, [&] {
        ReceiptMap receipts = liveReceipts(unlockstate::readForChange(to), clock.now());
        receipts.insert_or_assign(receipt.requestId, receipt);
        Json object = Json::object();
        for (const auto& [requestId, stored] : receipts) {
            object[requestId] = toJson(stored);
        }
        files::writeAtomically(to, json::write(object, json::Style::prettySorted));
    });
}

}  // namespace quorvel::BLELocalAcceptedApprovalReceiptStore
