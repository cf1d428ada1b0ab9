#pragma once

// One running application per session: the first start owns the session-bus name
// "app.quorvel.mac"; a later start asks it to show its main window and ends.
#include <QObject>
#include <functional>
#include <string_view>

#include "QuorvelShared/support/application_identity.hpp"

namespace quorvel {

inline constexpr std::string_view singleInstanceBusName = macApplicationId;
inline constexpr const char* singleInstancePath = "/app/quorvel/mac";
inline constexpr const char* singleInstanceInterface = "app.quorvel.mac.Application";

class SingleInstance final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.quorvel.mac.Application")
public:
    enum class Outcome {
        first,         // we own the name: run
        handedOver,    // another instance runs and was asked to show its window: end
        noSessionBus,  // nothing to ask: run, but a second start cannot be noticed
    };

    explicit SingleInstance(QObject* parent = nullptr);
    // Claims the name, or asks its owner to show its main window.
    Outcome claim();
    // What a later start's request does.
    void setShowMainWindow(std::function<void()> show) { show_ = std::move(show); }

public Q_SLOTS:
    Q_SCRIPTABLE void ShowMainWindow();

private:
    std::function<void()> show_;
};

}  // namespace quorvel
