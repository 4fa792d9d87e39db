#pragma once

namespace vorlane {

/// Runs one statement of a handler that skips a failing statement and goes on
/// with the next: whatever the statement throws stays here, so no exception
/// ever leaves an event handler. Returns whether the statement ran through.
template <typename Step> bool attempt(Step &&step) noexcept
{
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace vorlane
