#include "KXGR/widgets/KXGuard.h"

#include <QtGlobal>

#include <stdexcept>

namespace {

TKXErrorEvent &ApplicationErrorHandler()
{
    static TKXErrorEvent handler;
    return handler;
}

void Report(const std::exception &error, const TKXErrorEvent &onError) noexcept
{
    try {
        if (onError)
            onError(error);
        else if (ApplicationErrorHandler())
            ApplicationErrorHandler()(error);
        else
            qWarning("%s", error.what());
    } catch (...) {
        // An error handler that fails itself has nowhere left to report to.
    }
}

}  // namespace

void SetApplicationErrorHandler(TKXErrorEvent handler)
{
    ApplicationErrorHandler() = std::move(handler);
}

bool RunGuarded(const std::function<void()> &handler, const TKXErrorEvent &onError) noexcept
{
    try {
        handler();
        return true;
    } catch (const std::exception &e) {
        Report(e, onError);
    } catch (...) {
        Report(std::runtime_error("Unknown error"), onError);
    }
    return false;
}
