#pragma once

namespace vorlane {

class Listener;

/// The renewal of the remote-command listener after each batch of datagrams,
/// named after the auxiliary window "listloader" that used to load a new
/// listener. The listener is renewed in place: its socket stays bound, so no
/// command arrives at a closed port; only a socket that was lost is bound again.
class ListLoader {
public:
    /// Never throws.
    static void renewListener(Listener &listener);
};

} // namespace vorlane
