#pragma once

namespace vorlane::test {

/// Picks a port offset whose four ports are free on loopback, sets
/// VORLANE_PORT_OFFSET for this process (and the programs it starts) and returns it.
/// Every test that binds the system's ports calls it first, so that tests run side by side.
int reservePortOffset();

} // namespace vorlane::test
