#include "platform/registry.h"

#include "platform/atomic_file.h"
#include "platform/reg_hive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <mutex>

namespace vorlane {

namespace {

QString rootName(RegRoot root)
{
    return root == RegRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE") : QStringLiteral("HKEY_CURRENT_USER");
}

/// Holds an exclusive lock on a root's lock file while a read-modify-write runs,
/// so that two processes writing the same root never lose each other's changes.
class FileLock {
public:
    explicit FileLock(const QString &file)
    {
        m_fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        int rc;
        do {
            rc = ::flock(m_fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

enum class LoadState { Loaded, Missing, Unreadable };

LoadState loadFile(const QString &file, QByteArray *bytes)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return f.exists() ? LoadState::Unreadable : LoadState::Missing;
    *bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return LoadState::Unreadable;
    return LoadState::Loaded;
}

} // namespace

class Registry::Store {
public:
    QString folder;
    Durability durability = Durability::FlushBeforeRename;
    std::mutex mutex;

    QString fileFor(RegRoot root) const { return QDir(folder).filePath(rootName(root) + QStringLiteral(".reg")); }

    /// Reads a root's hive. A missing file is an empty hive; a file that does not
    /// parse is reported so that writers leave it alone instead of replacing it.
    bool read(RegRoot root, reg::Hive *hive, QByteArray *original = nullptr) const
    {
        QByteArray bytes;
        const QString file = fileFor(root);
        switch (loadFile(file, &bytes)) {
        case LoadState::Missing:
            *hive = reg::Hive(rootName(root));
            if (original)
                original->clear();
            return true;
        case LoadState::Unreadable:
            qWarning("Registry: cannot read %s", qPrintable(file));
            return false;
        case LoadState::Loaded:
            break;
        }
        QString error;
        if (!reg::Hive::parseStore(bytes, rootName(root), hive, &error)) {
            qWarning("Registry: %s does not load (%s); it is left as it is", qPrintable(file), qPrintable(error));
            return false;
        }
        if (original)
            *original = std::move(bytes);
        return true;
    }

    /// Runs one change on a root's hive under the root's lock and writes the
    /// result back atomically when something changed.
    long modify(RegRoot root, bool createFolder, const std::function<long(reg::Hive &)> &change)
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (createFolder && !QDir().mkpath(folder))
            return kRegIoFailed;
        if (!QFileInfo(folder).isDir()) {
            // Nothing was ever stored: the hive is empty, and a change that needs a
            // key fails on its own; one that does not needs the folder.
            reg::Hive empty(rootName(root));
            const long rc = change(empty);
            return rc == kRegOk ? kRegIoFailed : rc;
        }
        FileLock lock(QDir(folder).filePath(QStringLiteral(".") + rootName(root) + QStringLiteral(".reg.lock")));
        if (!lock.held())
            return kRegIoFailed;
        reg::Hive hive(rootName(root));
        QByteArray original;
        if (!read(root, &hive, &original))
            return kRegCorrupt;
        const long rc = change(hive);
        if (rc != kRegOk)
            return rc;
        const QByteArray bytes = hive.serialise();
        if (bytes == original)
            return kRegOk;
        return writeFileAtomically(fileFor(root), bytes, durability == Durability::FlushBeforeRename) ? kRegOk
                                                                                                    : kRegIoFailed;
    }
};

Registry::Registry(const QString &storeFolder) : m_store(std::make_unique<Store>())
{
    m_store->folder = storeFolder;
}

QString Registry::defaultStoreFolder()
{
    const QString explicitFolder = qEnvironmentVariable("VORLANE_REGISTRY_DIR");
    if (!explicitFolder.isEmpty())
        return explicitFolder;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/vorlane");
}

Registry::~Registry() = default;

QString Registry::storeFolder() const { return m_store->folder; }

QString Registry::storeFile(RegRoot root) const { return m_store->fileFor(root); }

void Registry::setDurability(Durability durability) { m_store->durability = durability; }

Registry::Durability Registry::durability() const { return m_store->durability; }

bool Registry::storeLoads(RegRoot root) const
{
    reg::Hive hive(rootName(root));
    return m_store->read(root, &hive);
}

bool Registry::openKey(RegRoot root, const QString &path, RegKey *key) const
{
    QString normal;
    if (!reg::normalisePath(path, &normal))
        return false;
    reg::Hive hive(rootName(root));
    if (!m_store->read(root, &hive) || !hive.findKey(normal))
        return false;
    if (key) {
        key->root = root;
        key->path = normal;
    }
    return true;
}

bool Registry::keyExists(RegRoot root, const QString &path) const { return openKey(root, path, nullptr); }

QVariant Registry::regqueryvalue(RegRoot root, const QString &path, const QString &name) const
{
    RegKey key;
    if (!openKey(root, path, &key))
        return {};
    return regquerytyped(key, name);
}

long Registry::regsetvalue(RegRoot root, const QString &path, const QString &name, const QVariant &value, int type)
{
    RegKey key;
    key.root = root;
    if (!reg::normalisePath(path, &key.path))
        return kRegNotFound;
    return regsettyped(key, name, type, value);
}

long Registry::regdeletevalue(RegRoot root, const QString &path, const QString &name)
{
    QString normal;
    if (!reg::normalisePath(path, &normal))
        return kRegNotFound;
    return m_store->modify(root, false, [&](reg::Hive &hive) -> long {
        reg::Key *key = hive.findKey(normal);
        if (!key)
            return kRegNotFound;
        return key->removeValue(name) ? kRegOk : kRegNotFound;
    });
}

long Registry::regcreatekey(RegRoot root, const QString &path)
{
    QString normal;
    if (!reg::normalisePath(path, &normal))
        return kRegInvalidParameter;
    return m_store->modify(root, true, [&](reg::Hive &hive) -> long {
        hive.createKey(normal);
        return kRegOk;
    });
}

long Registry::regdeletekey(RegRoot root, const QString &path)
{
    QString normal;
    if (!reg::normalisePath(path, &normal))
        return kRegNotFound;
    if (normal.isEmpty())
        return kRegInvalidParameter; // a root cannot be deleted
    return m_store->modify(root, false, [&](reg::Hive &hive) -> long {
        return hive.removeKey(normal) ? kRegOk : kRegNotFound;
    });
}

QVariant Registry::regquerytyped(const RegKey &key, const QString &name, int *type) const
{
    if (type)
        *type = 0;
    reg::Hive hive(rootName(key.root));
    if (!m_store->read(key.root, &hive))
        return {};
    const reg::Key *found = hive.findKey(key.path);
    if (!found)
        return {};
    const reg::Value *value = found->findValue(name);
    if (!value)
        return {};
    switch (value->type) {
    case REG_SZ:
        if (type)
            *type = REG_SZ;
        return value->text;
    case REG_DWORD:
        if (type)
            *type = REG_DWORD;
        return QVariant::fromValue<quint32>(value->number);
    default:
        if (type)
            *type = -1;
        return {};
    }
}

long Registry::regsettyped(const RegKey &key, const QString &name, int type, const QVariant &value)
{
    if (!reg::validValueName(name))
        return kRegInvalidParameter;
    reg::Value stored;
    stored.name = name;
    stored.type = type;
    if (type == REG_SZ) {
        stored.text = value.toString();
    } else if (type == REG_DWORD) {
        if (!reg::toDword(value, &stored.number))
            return kRegInvalidParameter;
    } else {
        return kRegInvalidParameter; // other types store nothing
    }
    return m_store->modify(key.root, false, [&](reg::Hive &hive) -> long {
        reg::Key *found = hive.findKey(key.path);
        if (!found)
            return kRegNotFound;
        found->setValue(stored);
        return kRegOk;
    });
}

bool Registry::SaveKeyToFile(RegRoot root, const QString &subKey, const QString &file)
{
    QString normal;
    if (!reg::normalisePath(subKey, &normal) || file.isEmpty())
        return false;
    reg::Hive hive(rootName(root));
    if (!m_store->read(root, &hive) || !hive.findKey(normal))
        return false;
    // The old file is replaced in one step rather than deleted first, so a crash
    // during the save never leaves the station without a backup.
    return writeFileAtomically(file, hive.serialiseBranch(normal), m_store->durability == Durability::FlushBeforeRename);
}

bool Registry::RestoreKeyFromFile(RegRoot root, const QString &subKey, const QString &file)
{
    QString normal;
    if (!reg::normalisePath(subKey, &normal))
        return false;
    QByteArray bytes;
    if (loadFile(file, &bytes) != LoadState::Loaded)
        return false;
    reg::Hive saved(QString{});
    QString savedTop;
    QString error;
    if (!reg::Hive::parseBranch(bytes, &saved, &savedTop, &error))
        return false;
    return m_store->modify(root, false, [&](reg::Hive &hive) -> long {
               if (!hive.findKey(normal))
                   return kRegNotFound; // the key must exist to be restored into
               hive.replaceBranch(normal, saved, savedTop);
               return kRegOk;
           })
           == kRegOk;
}

} // namespace vorlane
