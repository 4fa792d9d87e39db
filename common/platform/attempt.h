#pragma once

#include "platform/log.h"

#include <exception>
#include <utility>

namespace vorlane {

/// Runs one statement of a handler that skips a failing statement and goes on
/// with the next: whatever the statement throws stays here, so no exception
/// ever leaves an event handler. What failed is logged with its area and place,
/// so that a step passed over is never passed over unseen. Returns whether the
/// statement ran through.
template <typename Step>
bool attempt(const QLoggingCategory &area, Step &&step, SourcePlace place = SourcePlace::here()) noexcept
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const std::exception &error) {
        logPassedOver(area, place, error.what());
    } catch (...) {
        logPassedOver(area, place, "an exception that is no std::exception");
    }
    return false;
}

/// As above, in the area of the calling file's folder.
template <typename Step> bool attempt(Step &&step, SourcePlace place = SourcePlace::here()) noexcept
{
    return attempt(areaOfFile(place.file), std::forward<Step>(step), place);
}

} // namespace vorlane
