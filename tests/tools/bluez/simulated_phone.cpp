#include "bluez/simulated_phone.hpp"

#include <QPointer>

#include "QuorvelShared/support/uuid.hpp"

namespace quorvel::testing {

SimulatedPhone::SimulatedPhone(FakeBlueZ& bluez, QString device, int mtu)
    : bluez_(bluez), device_(std::move(device)), mtu_(mtu) {}

void SimulatedPhone::subscribe() {
    QPointer<SimulatedPhone> self = this;
    bluez_.subscribe(
        device_, mtu_,
        [self](const Bytes& frame) {
            if (self)
                self->onFrame(frame);
        },
        [self](NotifyLink* link, const QString& error) {
            if (!self)
                return;
            self->subscribed_ = link != nullptr;
            self->subscribeError_ = error;
        });
}

void SimulatedPhone::unsubscribe() {
    bluez_.unsubscribe(device_);
    subscribed_ = false;
}

void SimulatedPhone::onFrame(const Bytes& frame) {
    frames_.push_back(frame);
    try {
        if (auto message = assembler_.append(frame)) {
            messages_.push_back(std::move(*message));
        }
    } catch (const std::exception&) {
        ++frameErrors_;
    }
}

std::vector<BLELocalPrototypeWireMessage> SimulatedPhone::wireMessages() const {
    std::vector<BLELocalPrototypeWireMessage> decoded;
    for (const Bytes& message : messages_) {
        decoded.push_back(decodeBLELocalPrototypeWireMessage(textOf(message)));
    }
    return decoded;
}

void SimulatedPhone::writeFrame(const Bytes& frame) {
    queue_.push_back(frame);
    if (pendingWrites_ == 0)
        writeNext();
}

void SimulatedPhone::sendMessage(const BLELocalPrototypeWireMessage& message) {
    sendBytes(bytesOf(encodeBLELocalPrototypeWireMessage(message)));
}

void SimulatedPhone::sendBytes(const Bytes& encoded) {
    for (Bytes& frame : BLELocalPrototypeChunkCodec::frames(encoded, mtu_ - 3, Uuid::random())) {
        queue_.push_back(std::move(frame));
    }
    if (pendingWrites_ == 0)
        writeNext();
}

void SimulatedPhone::writeNext() {
    if (queue_.empty())
        return;
    Bytes frame = std::move(queue_.front());
    queue_.erase(queue_.begin());
    ++pendingWrites_;
    QPointer<SimulatedPhone> self = this;
    bluez_.write(device_, mtu_, frame, [self](const QString& name, const QString& text) {
        if (!self)
            return;
        --self->pendingWrites_;
        self->writeResults_.push_back(attCodeForWriteError(name, text));
        self->writeNext();
    });
}

}  // namespace quorvel::testing
