#include "desktop/accessibility_tree.hpp"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <stdexcept>

namespace quorvel::testing {
namespace {

const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString connectionName = QStringLiteral("quorvel-accessibility-tree");

QDBusMessage call(QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message);
}

QString accessibilityBusAddress() {
    QDBusConnection session = QDBusConnection::sessionBus();
    const QDBusMessage reply =
        call(session, QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
             QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        throw std::runtime_error("no accessibility bus: " + reply.errorMessage().toStdString());
    return reply.arguments().first().toString();
}

std::vector<AccessibilityTree::Node> nodesOf(const QDBusMessage& reply) {
    std::vector<AccessibilityTree::Node> nodes;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return nodes;
    const auto argument = reply.arguments().first().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        nodes.push_back({service, path.path()});
    }
    argument.endArray();
    return nodes;
}

}  // namespace

AccessibilityTree::AccessibilityTree()
    : bus_(QDBusConnection::connectToBus(accessibilityBusAddress(), connectionName)) {
    if (!bus_.isConnected())
        throw std::runtime_error("cannot connect to the accessibility bus");
}

AccessibilityTree::~AccessibilityTree() {
    QDBusConnection::disconnectFromBus(connectionName);
}

std::optional<AccessibilityTree::Node> AccessibilityTree::application(pid_t pid) {
    const auto applications = nodesOf(call(bus_, QStringLiteral("org.a11y.atspi.Registry"),
                                           QStringLiteral("/org/a11y/atspi/accessible/root"),
                                           accessibleInterface, QStringLiteral("GetChildren")));
    for (const Node& application : applications) {
        const QDBusMessage owner =
            call(bus_, QStringLiteral("org.freedesktop.DBus"),
                 QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
                 QStringLiteral("GetConnectionUnixProcessID"), {application.service});
        if (owner.type() == QDBusMessage::ReplyMessage && !owner.arguments().isEmpty() &&
            owner.arguments().first().toUInt() == static_cast<uint>(pid))
            return application;
    }
    return std::nullopt;
}

QString AccessibilityTree::name(const Node& node) {
    const QDBusMessage reply =
        call(bus_, node.service, node.path, QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {accessibleInterface, QStringLiteral("Name")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant().toString();
}

QString AccessibilityTree::role(const Node& node) {
    const QDBusMessage reply =
        call(bus_, node.service, node.path, accessibleInterface, QStringLiteral("GetRoleName"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().toString();
}

QRect AccessibilityTree::extents(const Node& node) {
    // Coordinate type 0: the screen.
    const QDBusMessage reply =
        call(bus_, node.service, node.path, QStringLiteral("org.a11y.atspi.Component"),
             QStringLiteral("GetExtents"), {QVariant::fromValue(0u)});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const auto argument = reply.arguments().first().value<QDBusArgument>();
    int x = 0, y = 0, width = 0, height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return {x, y, width, height};
}

std::vector<AccessibilityTree::Node> AccessibilityTree::children(const Node& node) {
    return nodesOf(
        call(bus_, node.service, node.path, accessibleInterface, QStringLiteral("GetChildren")));
}

std::vector<AccessibilityTree::Node> AccessibilityTree::findAll(
    const Node& root, const std::function<bool(const Node&)>& matches) {
    std::vector<Node> found;
    std::vector<Node> pending{root};
    while (!pending.empty()) {
        const Node node = pending.back();
        pending.pop_back();
        if (matches(node))
            found.push_back(node);
        auto below = children(node);
        // Depth first, in the children's order.
        pending.insert(pending.end(), below.rbegin(), below.rend());
    }
    return found;
}

std::optional<AccessibilityTree::Node> AccessibilityTree::find(
    const Node& root, const std::function<bool(const Node&)>& matches) {
    std::vector<Node> pending{root};
    while (!pending.empty()) {
        const Node node = pending.back();
        pending.pop_back();
        if (matches(node))
            return node;
        auto below = children(node);
        pending.insert(pending.end(), below.rbegin(), below.rend());
    }
    return std::nullopt;
}

std::optional<AccessibilityTree::Node> AccessibilityTree::find(const Node& root,
                                                               const QString& roleName,
                                                               const QString& objectName) {
    return find(
        root, [&](const Node& node) { return name(node) == objectName && role(node) == roleName; });
}

}  // namespace quorvel::testing
