#pragma once

// The state of the bridge daemon's Bluetooth link, named by one word: the daemon writes the word
// in the Bluetooth status file, the application reads it there, and the browser host forwards it
// to the extension in its "bluetooth.state" message.
#include <string>
#include <string_view>

namespace quorvel {

enum class BluetoothLinkState {
    starting,      // the adapter's state is not known yet, or the link is set up again
    unsupported,   // the adapter cannot be a Bluetooth LE peripheral
    unauthorized,  // the system does not let the daemon use Bluetooth
    off,
    error,        // the adapter's state, the service or the advertisement failed
    advertising,  // waiting for the phone
    waiting,      // an unlock request waits for the phone to connect
    checking,     // an unlock request's arrival at the phone is being checked
    connected,
    stopped,  // the application stopped the daemon, or saw it end
    unknown,  // a word that names none of these, from another writer
};

// A state with its word. Readers keep any word, exactly as read: the browser host forwards it
// unchanged, and the application shows it when the daemon gave no detail.
class BluetoothLinkStatus {
public:
    // No word: `unknown`, as an empty word reads.
    BluetoothLinkStatus() : state_(BluetoothLinkState::unknown) {}
    // Each state but `unknown` stands for its own word.
    BluetoothLinkStatus(BluetoothLinkState state) : state_(state) {}  // NOLINT: implicit on purpose
    // The state the word names, case included; any other word is kept as `unknown`.
    static BluetoothLinkStatus fromWord(std::string_view word);

    BluetoothLinkState state() const { return state_; }
    std::string word() const;

    friend bool operator==(const BluetoothLinkStatus&, const BluetoothLinkStatus&) = default;

private:
    BluetoothLinkStatus(BluetoothLinkState state, std::string_view unknownWord)
        : state_(state), unknownWord_(unknownWord) {}

    BluetoothLinkState state_;
    std::string unknownWord_;  // only for `unknown`
};

}  // namespace quorvel
