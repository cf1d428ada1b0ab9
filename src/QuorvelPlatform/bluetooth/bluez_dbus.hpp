#pragma once

// Names and wire types of BlueZ's D-Bus interface, as our GATT application and the adapter
// watch use them. bluetoothd reads our objects only through ObjectManager.GetManagedObjects,
// whose reply is a{oa{sa{sv}}}: without the metatypes registered before an object is exported,
// QtDBus silently leaves the GetManagedObjects slot out and bluetoothd sees UnknownMethod.
#include <QDBusObjectPath>
#include <QMap>
#include <QString>
#include <QVariantMap>

#include "QuorvelPlatform/bluetooth/ble_peripheral.hpp"

namespace quorvel::bluetooth::bluez {

using InterfaceMap = QMap<QString, QVariantMap>;             // a{sa{sv}}
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;  // a{oa{sa{sv}}}

// Registers InterfaceMap and ManagedObjects with QtDBus; safe to call again.
void registerDBusTypes();

inline const QString serviceName = QStringLiteral("org.bluez");
inline const QString adapterInterface = QStringLiteral("org.bluez.Adapter1");
inline const QString gattManagerInterface = QStringLiteral("org.bluez.GattManager1");
inline const QString advertisingManagerInterface =
    QStringLiteral("org.bluez.LEAdvertisingManager1");
inline const QString gattServiceInterface = QStringLiteral("org.bluez.GattService1");
inline const QString gattCharacteristicInterface = QStringLiteral("org.bluez.GattCharacteristic1");
inline const QString advertisementInterface = QStringLiteral("org.bluez.LEAdvertisement1");
inline const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");
inline const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// bluetoothd turns the error name of a WriteValue reply into the ATT code the phone sees.
// QDBusError::NotSupported is org.freedesktop.DBus.Error.NotSupported, which bluetoothd maps
// to 0x0E, so the BlueZ names are spelled out here.
inline const QString errorNotSupported = QStringLiteral("org.bluez.Error.NotSupported");
inline const QString errorFailed = QStringLiteral("org.bluez.Error.Failed");
// A name bluetoothd does not know: it answers the phone with 0x0E (unlikely error).
inline const QString errorUnlikely = QStringLiteral("app.quorvel.Error.UnlikelyError");

// The error name that makes bluetoothd answer a write with `result`; empty for success.
QString errorNameForWriteResult(AttResult result);

}  // namespace quorvel::bluetooth::bluez
