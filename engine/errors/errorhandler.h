#pragma once
// The application's exception handler: where every exception that no
// window caught ends.
//
//   EAbort (the silent abort)          nothing is shown
//   EMxException and its descendants   a warning box with OK: an expected
//                                      condition the user can mend
//   anything else                      the error window: the user goes on
//                                      (Ignore) or ends the program (Abort:
//                                      exit code 1, after the shutdown list)
//
// While the error window is open the handler is out of service: an error
// raised meanwhile is shown in a plain error box instead, and so is any
// error before the handler is installed. Nothing here ever throws.
//
// Exceptions must not travel through Qt's event dispatch. Every event
// handler and slot of the user interface runs its body through Guard (or
// catches and calls HandleCurrentException); the application's notify
// catches what still gets through, as the last resort.

#include <QString>

#include <exception>
#include <utility>

class QObject;

namespace mx {

// sender: the object whose event raised it (its class is named in the
// details), or none.
void HandleException(const QObject* sender, const std::exception& e) noexcept;
void HandleException(const QString& senderClass, const std::exception& e) noexcept;
// Inside a catch block: handles the exception being caught, whatever its
// type.
void HandleCurrentException(const QObject* sender) noexcept;
// An exception kept from a catch block (handled after the block, so that no
// window opens while the exception is being caught).
void HandleException(const QObject* sender, std::exception_ptr e) noexcept;

// Runs fn; an exception it raises goes to the handler. True when fn ended
// normally.
template <class Fn>
bool Guard(const QObject* sender, Fn&& fn) noexcept
{
    try {
        std::forward<Fn>(fn)();
        return true;
    } catch (...) {
        HandleCurrentException(sender);
        return false;
    }
}

// The settings object installs the handler when an application exists.
void InstallExceptionHandler();
void RemoveExceptionHandler();
bool ExceptionHandlerInstalled();

// The details the error window shows: the message, or, with a sender,
// "Un objet de classe <sender> a déclenché l'erreur suivante (<class>):
// <message>" translated. A failure while formatting keeps the message.
QString ErrorDetails(const QString& senderClass, const std::exception& e) noexcept;

} // namespace mx
