#pragma once

namespace vorlane {

class Listener;
class StationContext;

/// Connects the listener's requests to what the station does about them:
/// the message window, the lock screen's guest sign-in, and the shutdown
/// (the control panel or the lock screen closes first).
void connectListener(Listener &listener, StationContext &context);

} // namespace vorlane
