#include "QuorvelPlatform/bluetooth/bluez_dbus.hpp"

#include <QDBusMetaType>
#include <mutex>

namespace quorvel::bluetooth::bluez {

void registerDBusTypes() {
    static std::once_flag once;
    std::call_once(once, [] {
        qDBusRegisterMetaType<InterfaceMap>();
        qDBusRegisterMetaType<ManagedObjects>();
    });
}

QString errorNameForWriteResult(AttResult result) {
    switch (result) {
        case AttResult::success:
            return {};
        case AttResult::requestNotSupported:
            return errorNotSupported;
        case AttResult::unlikelyError:
            break;
    }
    return errorUnlikely;
}

}  // namespace quorvel::bluetooth::bluez
