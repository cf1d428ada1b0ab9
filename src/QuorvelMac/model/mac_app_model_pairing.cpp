// Pairing from this computer: a local session shown as a QR code, and an offer for the daemon.
#include <QUrl>
#include <QUrlQuery>
#include <cstdio>

#include "QuorvelMac/model/mac_app_model.hpp"
#include "QuorvelShared/bridge/ble_local_bridge_store.hpp"
#include "QuorvelShared/bridge/ble_local_pairing_session_store.hpp"
#include "QuorvelShared/support/notifications.hpp"
#include "QuorvelShared/support/random.hpp"
#include "QuorvelShared/support/text.hpp"
#include "QuorvelShared/support/uuid.hpp"

namespace quorvel {

namespace {

constexpr double pairingSessionSeconds = 600;
constexpr std::int64_t pairingOfferTimeoutSeconds = 5;

std::string normalizedDeviceId(const std::string& text) {
    std::string trimmed = trimWhitespaceAndNewlines(text);
    return trimmed.empty() ? "dev_" + newUuidText() : trimmed;
}

std::string sixDigitCode() {
    char code[8];
    std::snprintf(code, sizeof code, "%06u",
                  static_cast<unsigned>(systemRandomSource().uniform(1000000)));
    return code;
}

}  // namespace

std::string MacAppModel::localPairingQRCodeURL(const std::string& sessionId,
                                               const std::string& code) {
    QUrl url;
    url.setScheme("quorvel");
    url.setHost("pair");
    QUrlQuery query;
    query.addQueryItem("session", QString::fromStdString(sessionId));
    query.addQueryItem("code", QString::fromStdString(code));
    url.setQuery(query);
    if (!url.isValid())
        return "quorvel://pair";
    return url.toString(QUrl::FullyEncoded).toStdString();
}

void MacAppModel::startPairing() {
    PairingState next = pairing_;
    next.error.reset();
    setPairing(next);
    startLocalBluetoothPairing();
}

void MacAppModel::refreshPairingStatus() {
    PairingState next = pairing_;
    next.error.reset();
    setPairing(next);
    loadMacLinkConfiguration();
}

void MacAppModel::startLocalBluetoothPairing() {
    try {
        const std::string macDeviceId = normalizedDeviceId(
            macLinkConfiguration_ ? macLinkConfiguration_->macDeviceId : std::string());
        if (!deps_.deviceKeyStore)
            throw std::runtime_error("no device key store");
        const DevicePublicKeyBundle publicKeys =
            deps_.deviceKeyStore->loadOrCreateDeviceKeys(macDeviceId).publicKeys();
        const std::string sessionId = "pair_" + newUuidText();
        const std::string code = sixDigitCode();
        const Date expiresAt = now().addingSeconds(pairingSessionSeconds);
        BLELocalPairingSessionStore::save({sessionId, code, expiresAt, macDeviceId, publicKeys});

        PairingState next = pairing_;
        next.sessionId = sessionId;
        next.code = code;
        next.qrURL = localPairingQRCodeURL(sessionId, code);
        next.expiresAt = expiresAt;
        next.status = PairingState::Status::pending;
        setPairing(next);

        BLELocalPrototypeWireMessage offer;
        offer.version = 1;
        offer.kind = BLELocalPrototypeMessageKind::pairingOffer;
        offer.requestId = "event_" + newUuidText();
        offer.expiresAt = expiresAt;
        offer.pairingSessionId = sessionId;
        offer.macDeviceId = macDeviceId;
        offer.macDisplayName = deps_.hostDisplayName.empty() ? "Mac" : deps_.hostDisplayName;
        offer.macEncryptionPublicKeyBase64 = publicKeys.encryptionPublicKeyBase64;
        offer.macSigningPublicKeyBase64 = publicKeys.signingPublicKeyBase64;
        BLELocalBridgeStore::saveRequest({*offer.requestId, offer, pairingOfferTimeoutSeconds});
        postNotification(BLELocalBridgeStore::requestNotification);

        next = pairing_;
        next.error.reset();
        setPairing(next);
    } catch (const std::exception& error) {
        PairingState next = pairing_;
        next.error = std::string("Bluetoothペアリングを開始できませんでした: ") + error.what();
        setPairing(next);
    }
}

}  // namespace quorvel
