#include "startup/list_loader.h"

#include "usage/listener.h"

namespace vorlane {

void ListLoader::renewListener(Listener &listener)
{
    ++listener.m_renewals;
    // load() binds only when the socket is gone (closed under us by an error).
    if (!listener.isBound())
        listener.load();
}

} // namespace vorlane
