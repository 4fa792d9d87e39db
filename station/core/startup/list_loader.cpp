#include "startup/list_loader.h"

#include "startup/station_context.h"
#include "startup/station_navigator.h"

#include <QMetaObject>

#include <exception>

namespace vorlane {

ListLoader::ListLoader(StationContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("listloader"));
}

ListLoader::~ListLoader() = default;

void ListLoader::load() { }

void ListLoader::unload()
{
    try {
        m_context.navigator().loadListener();
    } catch (const std::exception &) {
        // Nothing to tell anybody: the station simply stays without a listener.
    }
}

void ListLoader::renewListener(StationContext &context)
{
    auto *loader = new ListLoader(context);
    loader->load();
    try {
        context.navigator().unloadListener();
    } catch (const std::exception &) {
        // The loader below still loads a listener.
    }
    // Queued, never run inside the datagram handler: the old socket is gone
    // before the new one binds, and the handler never meets its successor.
    QMetaObject::invokeMethod(
        loader,
        [loader] {
            loader->unload();
            loader->deleteLater();
        },
        Qt::QueuedConnection);
}

} // namespace vorlane
