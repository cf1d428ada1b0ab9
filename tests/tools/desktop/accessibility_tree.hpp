#pragma once

// The accessibility tree of a running program, read over AT-SPI as a screen reader reads it:
// the session's accessibility bus (org.a11y.Bus starts it on first use), the registry's list
// of applications, and each object's role, name, extents on the screen and children. Qt
// programs publish their widgets there when QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 is in their
// environment. Every answer comes from the program itself at the time of the call.
#include <sys/types.h>

#include <QDBusConnection>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace quorvel::testing {

class AccessibilityTree {
public:
    struct Node {
        QString service;
        QString path;
        friend bool operator==(const Node&, const Node&) = default;
    };

    // Connects to the accessibility bus of the session bus this process uses; throws
    // std::runtime_error when there is none.
    AccessibilityTree();
    ~AccessibilityTree();
    AccessibilityTree(const AccessibilityTree&) = delete;
    AccessibilityTree& operator=(const AccessibilityTree&) = delete;

    // The application object of the process, once it has registered.
    std::optional<Node> application(pid_t pid);

    QString name(const Node& node);
    QString role(const Node& node);
    // In screen coordinates; empty for an object that is not on the screen.
    QRect extents(const Node& node);
    std::vector<Node> children(const Node& node);

    // Depth first from `root`: the first object for which `matches` holds, or every such one.
    std::optional<Node> find(const Node& root, const std::function<bool(const Node&)>& matches);
    std::vector<Node> findAll(const Node& root, const std::function<bool(const Node&)>& matches);
    // Shorthands: an object of the role (AT-SPI's role name, e.g. "push button", "label") and
    // exact name.
    std::optional<Node> find(const Node& root, const QString& role, const QString& name);

private:
    QDBusConnection bus_;
};

}  // namespace quorvel::testing
