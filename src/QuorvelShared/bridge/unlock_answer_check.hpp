#pragma once

// The iPhone's answer to an unlock request, checked as every sender checks it: the answer's kind
// and request, the approval's fields and signature, and for a linked approval its signature and
// revision. The check says what it found; each sender turns that into its own words (the
// application's panel texts, the host's denial reasons), and the report of a failure names the
// stage the check stood at.
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "QuorvelShared/bridge/mac_link_configuration.hpp"
#include "QuorvelShared/messages/ble_local_prototype_wire_message.hpp"
#include "QuorvelShared/support/date.hpp"

namespace quorvel {

struct UnlockAnswerCheck {
    // In the order the checks run; the first that holds ends the check.
    enum class Verdict {
        cancelled,               // the iPhone discarded the request (whichever request it names)
        notAnApproval,           // an answer of another kind
        forAnotherRequest,       // an approval naming no request, or another one
        incomplete,              // an approval without its end, its length or its signature
        signatureInvalid,        // the approval's signature does not verify
        failed,                  // a signature input that cannot be read, or the revisions
                                 // file's error: `error`
        linkedFieldsPartial,     // a verified approval with only some of the three linked fields
        linkedSignatureInvalid,  // the linked approval's signature does not verify
        linkedRevisionStale,     // the linked revision is older than the one accepted
        approved,                // a verified approval; a linked one's revision is accepted now
    };
    // What the check was doing when it ended.
    enum class Stage { answer, approvalSignature, linkedSignature, linkedRevision };

    struct LinkedApproval {
        std::string targetId;
        std::int64_t revision = 0;
    };

    Verdict verdict = Verdict::failed;
    Stage stage = Stage::answer;
    // approved and linkedFieldsPartial: the end of the allow window the iPhone signed.
    Date approvedUntil;
    // approved, for a linked approval.
    std::optional<LinkedApproval> linked;
    // failed only.
    std::exception_ptr error;
};

// Checks `answer` to the request `requestId` against the link's iPhone. A verified linked
// approval's revision is accepted in "linked-unlock-revisions.json", so that no older approval of
// that target is taken afterwards. Never throws: an error is the verdict `failed`.
UnlockAnswerCheck checkUnlockAnswer(const BLELocalPrototypeWireMessage& answer,
                                    const std::string& requestId, const MacLinkConfiguration& link);

}  // namespace quorvel
