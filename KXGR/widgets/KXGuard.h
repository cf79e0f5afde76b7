#pragma once
// Errors raised inside the library's Qt event handlers (the diagram box's mouse and paint
// handlers, the actors they call, the host's events they fire) stop at that handler and go to
// an error handler: Qt frames are never unwound. The library has no error box of its own, so
// the host application installs one.

#include <exception>
#include <functional>

using TKXErrorEvent = std::function<void(const std::exception &error)>;

// The application-wide handler, used where no more specific one is set. Empty at start: the
// message then goes to Qt's warning output.
void SetApplicationErrorHandler(TKXErrorEvent handler);

// Runs handler. An exception leaving it goes to onError, or to the application-wide handler
// when onError is empty (anything not derived from std::exception as "Unknown error"), and
// ends there. True when handler ran to its end.
bool RunGuarded(const std::function<void()> &handler, const TKXErrorEvent &onError = {}) noexcept;
