// Placeholder until the registry store lands.
#include "platform/registry.h"

#include <QDir>

namespace vorlane {

class Registry::Store {
public:
    QString folder;
};

Registry::Registry(const QString &storeFolder) : m_store(std::make_unique<Store>()) { m_store->folder = storeFolder; }
QString Registry::defaultStoreFolder() { return QDir::homePath() + QStringLiteral("/.config/vorlane"); }
Registry::~Registry() = default;
QString Registry::storeFolder() const { return m_store->folder; }
bool Registry::openKey(RegRoot, const QString &, RegKey *) const { return false; }
bool Registry::keyExists(RegRoot, const QString &) const { return false; }
QVariant Registry::regqueryvalue(RegRoot, const QString &, const QString &) const { return {}; }
long Registry::regsetvalue(RegRoot, const QString &, const QString &, const QVariant &, int) { return 2; }
long Registry::regdeletevalue(RegRoot, const QString &, const QString &) { return 2; }
long Registry::regcreatekey(RegRoot, const QString &) { return 2; }
long Registry::regdeletekey(RegRoot, const QString &) { return 2; }
QVariant Registry::regquerytyped(const RegKey &, const QString &, int *) const { return {}; }
long Registry::regsettyped(const RegKey &, const QString &, int, const QVariant &) { return 2; }
bool Registry::SaveKeyToFile(RegRoot, const QString &, const QString &) { return false; }
bool Registry::RestoreKeyFromFile(RegRoot, const QString &, const QString &) { return false; }

} // namespace vorlane
