#pragma once
// Slots that may raise. Qt does not let exceptions travel through its
// event dispatch, so every slot of the user interface is connected through
// Connect: what the slot raises goes to the application's error handler
// (the silent abort stays silent) and the event loop goes on. Event
// overrides run their bodies through mx::Guard the same way.

#include "engine/errors/errorhandler.h"

#include <QObject>

#include <type_traits>
#include <utility>

namespace mx::ui {

// Calls fn with args when it takes them, else with none.
template <class Fn, class... Args>
void CallWithOrWithout(Fn& fn, Args&&... args)
{
    if constexpr (std::is_invocable_v<Fn&, Args...>)
        fn(std::forward<Args>(args)...);
    else
        fn();
}

// Connects signal of sender to fn, run in context's thread and dropped
// with context. fn takes the signal's arguments or none.
template <class Sender, class Signal, class Fn>
QMetaObject::Connection Connect(const Sender* sender, Signal signal, const QObject* context, Fn fn,
    Qt::ConnectionType type = Qt::AutoConnection)
{
    return QObject::connect(sender, signal, context,
        [context, fn = std::move(fn)](auto&&... args) mutable {
            Guard(context, [&] { CallWithOrWithout(fn, std::forward<decltype(args)>(args)...); });
        },
        type);
}

} // namespace mx::ui
