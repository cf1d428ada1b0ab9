#include "QuorvelShared/backend/linked_unlock_state_restorer.hpp"

#include <set>

#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"

namespace quorvel::backend {
namespace {

// False also when the signature or the key cannot be read: such a grant is skipped like a forged
// one, and the others still count.
bool isSignedByPairedIPhone(const LinkedUnlockState& grant,
                            const MacLinkConfiguration& configuration) {
    const LinkedUnlockSigningPayload payload{
        .macDeviceId = configuration.macDeviceId,
        .targetId = grant.targetId,
        .approvedUntil = grant.approvedUntil,
        .iosDeviceId = grant.iosDeviceId,
        .revision = grant.revision,
    };
    try {
        return UnlockContextCrypto::verifyLinkedUnlockSignature(
            grant.signature, payload, configuration.iosSigningPublicKeyBase64);
    } catch (const Error<UnlockContextCryptoError>&) {
    } catch (const CryptoError&) {
    } catch (const json::EncodeError&) {
    }
    return false;
}

}  // namespace

std::map<std::string, Date> LinkedUnlockStateRestorer::restore(
    const MacLinkConfiguration& configuration, const SyncedTargetList& targetList, Date now) const {
    const LinkedUnlockStateResponse response =
        fetcher->fetchLinkedUnlocks(configuration.macDeviceId);

    std::map<std::string, Date> grantsByLinkedTarget;
    for (const LinkedUnlockState& grant : response.unlocks) {
        if (grant.iosDeviceId != configuration.iosDeviceId ||
            !isSignedByPairedIPhone(grant, configuration) ||
            !LinkedUnlockRevisionStateStore::accept(grant.targetId, grant.revision,
                                                    revisionFilePath)) {
            continue;
        }
        // After the revision step on purpose: an ended grant still advances the revision.
        if (grant.approvedUntil <= now) {
            continue;
        }
        auto [entry, inserted] =
            grantsByLinkedTarget.try_emplace(grant.targetId, grant.approvedUntil);
        if (!inserted && entry->second < grant.approvedUntil) {
            entry->second = grant.approvedUntil;
        }
    }

    std::set<std::string> linkedWebTargets;
    std::map<std::string, Date> grantsByWebTarget;
    for (const SyncedWebTarget& target : targetList.webTargets) {
        if (!target.linkedTargetId) {
            continue;
        }
        linkedWebTargets.insert(target.id);
        if (const auto grant = grantsByLinkedTarget.find(*target.linkedTargetId);
            grant != grantsByLinkedTarget.end()) {
            grantsByWebTarget[target.id] = grant->second;
        }
    }

    AllowWindowStateStore::reconcileLinkedTargets(linkedWebTargets, grantsByWebTarget, now,
                                                  allowWindowFilePath);
    return grantsByWebTarget;
}

}  // namespace quorvel::backend
