#include "QuorvelShared/messages/ble_local_prototype_message_kind.hpp"

#include "QuorvelShared/support/json_reader.hpp"

namespace quorvel {

bool isIOSControlMessage(BLELocalPrototypeMessageKind kind) {
    switch (kind) {
        case BLELocalPrototypeMessageKind::targetSync:
        case BLELocalPrototypeMessageKind::linkedUnlock:
        case BLELocalPrototypeMessageKind::pairingApproval:
        case BLELocalPrototypeMessageKind::unpair:
            return true;
        default:
            return false;
    }
}

Json toJson(BLELocalPrototypeMessageKind kind) {
    return std::string(
        nameOf<BLELocalPrototypeMessageKind>(kind, bleLocalPrototypeMessageKindNames));
}

BLELocalPrototypeMessageKind bleLocalPrototypeMessageKindFromJson(const Json& value,
                                                                  const std::string& path) {
    return json::readEnum<BLELocalPrototypeMessageKind>(value, path,
                                                        bleLocalPrototypeMessageKindNames);
}

}  // namespace quorvel
