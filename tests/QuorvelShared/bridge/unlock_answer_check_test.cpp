// The check both senders of an unlock request make of the iPhone's answer: which verdict each
// answer gets, in which order the checks run, the stage a report names, and what a verdict leaves
// in the revisions file.
#include "QuorvelShared/bridge/unlock_answer_check.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <system_error>

#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_signing.hpp"
#include "QuorvelShared/support/base64.hpp"
#include "QuorvelShared/support/typed_error.hpp"
#include "QuorvelShared/unlockstate/linked_unlock_revision_state_store.hpp"
#include "testkit/temp_xdg.hpp"

namespace quorvel {
namespace {

using Verdict = UnlockAnswerCheck::Verdict;
using Stage = UnlockAnswerCheck::Stage;
using Message = BLELocalPrototypeWireMessage;

const std::string requestId = "req_1";
const Date until{760000000};

// A phone that signs with its own key.
struct Phone {
    P256SigningPrivateKey key = P256SigningPrivateKey::generate();

    Message approval(const std::string& id = requestId) const {
        Message message;
        message.kind = BLELocalPrototypeMessageKind::unlockApproval;
        message.requestId = id;
        message.approvedDurationSeconds = 900;
        message.approvedUntil = until;
        message.approvalSignature =
            UnlockContextCrypto::signApproval({id, 900, until, "ios-1"}, key);
        return message;
    }

    Message linked(const std::string& targetId, std::int64_t revision) const {
        Message message = approval();
        message.linkedTargetId = targetId;
        message.linkedRevision = revision;
        message.linkedSignature = UnlockContextCrypto::signLinkedUnlock(
            {"mac-1", targetId, until, "ios-1", revision}, key);
        return message;
    }
};

MacLinkConfiguration linkTo(const Phone& phone) {
    MacLinkConfiguration link;
    link.macDeviceId = "mac-1";
    link.iosDeviceId = "ios-1";
    link.iosSigningPublicKeyBase64 = base64Encode(phone.key.publicKey().rawRepresentation());
    link.iosEncryptionPublicKeyBase64 = link.iosSigningPublicKeyBase64;
    return link;
}

TEST(UnlockAnswerCheck, EachAnswerGetsItsVerdictAtItsStage) {
    const Phone paired;
    const Phone stranger;
    struct Case {
        const char* name;
        std::function<Message()> answer;
        Verdict verdict;
        Stage stage;
        // The accepted revision of "linked-1" afterwards (5 before every case).
        std::int64_t revision = 5;
    };
    const auto changed = [](Message message, const std::function<void(Message&)>& change) {
        change(message);
        return message;
    };
    const Case cases[] = {
        {"a plain approval", [&] { return paired.approval(); }, Verdict::approved,
         Stage::approvalSignature},
        {"a linked approval of a newer revision", [&] { return paired.linked("linked-1", 6); },
         Verdict::approved, Stage::linkedRevision, 6},
        {"a linked approval of the accepted revision", [&] { return paired.linked("linked-1", 5); },
         Verdict::approved, Stage::linkedRevision},
        {"a cancellation of another request",
         [&] {
             return changed(paired.approval("req_other"), [](Message& m) {
                 m.kind = BLELocalPrototypeMessageKind::unlockCancellation;
             });
         },
         Verdict::cancelled, Stage::answer},
        {"a receipt",
         [&] {
             return changed(paired.approval(), [](Message& m) {
                 m.kind = BLELocalPrototypeMessageKind::unlockReceipt;
             });
         },
         Verdict::notAnApproval, Stage::answer},
        {"an approval of another request", [&] { return paired.approval("req_other"); },
         Verdict::forAnotherRequest, Stage::answer},
        {"an approval naming no request",
         [&] { return changed(paired.approval(), [](Message& m) { m.requestId.reset(); }); },
         Verdict::forAnotherRequest, Stage::answer},
        {"an approval of another request without its signature",
         [&] {
             return changed(paired.approval("req_other"),
                            [](Message& m) { m.approvalSignature.reset(); });
         },
         Verdict::forAnotherRequest, Stage::answer},
        {"no end",
         [&] { return changed(paired.approval(), [](Message& m) { m.approvedUntil.reset(); }); },
         Verdict::incomplete, Stage::answer},
        {"no length",
         [&] {
             return changed(paired.approval(),
                            [](Message& m) { m.approvedDurationSeconds.reset(); });
         },
         Verdict::incomplete, Stage::answer},
        {"no signature",
         [&] {
             return changed(paired.approval(), [](Message& m) { m.approvalSignature.reset(); });
         },
         Verdict::incomplete, Stage::answer},
        {"signed by another phone", [&] { return stranger.approval(); }, Verdict::signatureInvalid,
         Stage::approvalSignature},
        {"a length other than the signed one",
         [&] {
             return changed(paired.approval(), [](Message& m) { m.approvedDurationSeconds = 60; });
         },
         Verdict::signatureInvalid, Stage::approvalSignature},
        {"a signature that is not base64",
         [&] {
             return changed(paired.approval(), [](Message& m) { m.approvalSignature = "***"; });
         },
         Verdict::failed, Stage::approvalSignature},
        {"a revision without its linked target",
         [&] {
             return changed(paired.linked("linked-1", 6),
                            [](Message& m) { m.linkedTargetId.reset(); });
         },
         Verdict::linkedFieldsPartial, Stage::approvalSignature},
        {"a linked target without its signature",
         [&] {
             return changed(paired.linked("linked-1", 6),
                            [](Message& m) { m.linkedSignature.reset(); });
         },
         Verdict::linkedFieldsPartial, Stage::approvalSignature},
        {"partial linked fields on an approval signed by another phone",
         [&] { return changed(stranger.approval(), [](Message& m) { m.linkedRevision = 6; }); },
         Verdict::signatureInvalid, Stage::approvalSignature},
        {"a linked approval signed by another phone",
         [&] {
             Message message = stranger.linked("linked-1", 6);
             const Message own = paired.approval();
             message.approvalSignature = own.approvalSignature;
             return message;
         },
         Verdict::linkedSignatureInvalid, Stage::linkedSignature},
        {"a linked signature that is not base64",
         [&] {
             return changed(paired.linked("linked-1", 6),
                            [](Message& m) { m.linkedSignature = "***"; });
         },
         Verdict::failed, Stage::linkedSignature},
        {"an older linked revision", [&] { return paired.linked("linked-1", 3); },
         Verdict::linkedRevisionStale, Stage::linkedRevision},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testkit::TempXdgHome home;
        const auto revisions = LinkedUnlockRevisionStateStore::filePath();
        ASSERT_TRUE(LinkedUnlockRevisionStateStore::accept("linked-1", 5, revisions));
        const Message answer = c.answer();

        const UnlockAnswerCheck check = checkUnlockAnswer(answer, requestId, linkTo(paired));
        EXPECT_EQ(check.verdict, c.verdict);
        EXPECT_EQ(check.stage, c.stage);
        ASSERT_EQ(check.error != nullptr, c.verdict == Verdict::failed);
        if (check.error) {
            EXPECT_THROW(std::rethrow_exception(check.error), Error<UnlockContextCryptoError>);
        }
        const bool verified =
            c.verdict == Verdict::approved || c.verdict == Verdict::linkedFieldsPartial;
        EXPECT_EQ(check.approvedUntil, verified ? until : Date{});
        const bool linked = c.verdict == Verdict::approved && answer.linkedTargetId;
        ASSERT_EQ(check.linked.has_value(), linked);
        if (linked) {
            EXPECT_EQ(check.linked->targetId, *answer.linkedTargetId);
            EXPECT_EQ(check.linked->revision, *answer.linkedRevision);
        }
        EXPECT_EQ(LinkedUnlockRevisionStateStore::load(revisions).at("linked-1"), c.revision);
    }
}

TEST(UnlockAnswerCheck, ARevisionsFileThatCannotBeReadFailsTheLinkedApprovalWithItsError) {
    const Phone paired;
    testkit::TempXdgHome home;
    std::filesystem::create_directories(LinkedUnlockRevisionStateStore::filePath());
    const UnlockAnswerCheck check =
        checkUnlockAnswer(paired.linked("linked-1", 6), requestId, linkTo(paired));
    EXPECT_EQ(check.verdict, Verdict::failed);
    EXPECT_EQ(check.stage, Stage::linkedRevision);
    EXPECT_FALSE(check.linked);
    ASSERT_TRUE(check.error);
    EXPECT_THROW(std::rethrow_exception(check.error), std::system_error);
}

}  // namespace
}  // namespace quorvel
