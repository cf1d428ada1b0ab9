#pragma once

// The application object of a program whose event handlers must never end it by throwing. Every
// event the loop delivers (timers, socket notifiers, queued calls, D-Bus messages and replies,
// input) passes through notify(); an exception that a handler let escape stops there, is
// reported on standard error, and the loop goes on with the next event. Handlers that serve one
// request catch for themselves first and fail that request; this is the net under all of them.
#include <QEvent>
#include <QObject>
#include <exception>
#include <string>

#include "QuorvelShared/support/event_boundary.hpp"

namespace quorvel {

template <class Application>
class GuardedApplication final : public Application {
public:
    using Application::Application;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return Application::notify(receiver, event);
        } catch (...) {
            reportEscapedException(LogArea::process, where(receiver, event),
                                   std::current_exception());
            return false;
        }
    }

private:
    static std::string where(QObject* receiver, QEvent* event) {
        std::string text = "an event handler (";
        text += receiver ? receiver->metaObject()->className() : "no receiver";
        text += ", event ";
        text += std::to_string(event ? static_cast<int>(event->type()) : 0);
        text += ')';
        return text;
    }
};

}  // namespace quorvel
