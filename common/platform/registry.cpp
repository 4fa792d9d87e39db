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
#include <vector>

namespace vorlane {

namespace {

QString rootName(RegRoot root)
{
    return root == RegRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE")
                                         : QStringLiteral("HKEY_CURRENT_USER");
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
    using Change = std::function<long(reg::Hive &)>;

    QString folder;
    Durability durability = Durability::Whole;
    std::recursive_mutex mutex;
    int batchDepth = 0;
    std::vector<Change> pending[2]; // changes of the running batch, by root
    bool pendingNeedsFolder = false;

    static int slot(RegRoot root) { return root == RegRoot::LocalMachine ? 1 : 0; }
    QString fileFor(RegRoot root) const
    {
        return QDir(folder).filePath(rootName(root) + QStringLiteral(".reg"));
    }
    QString lockFileFor(RegRoot root) const
    {
        return QDir(folder).filePath(QStringLiteral(".") + rootName(root) + QStringLiteral(".reg.lock"));
    }
    FileFlush flush() const
    {
        switch (durability) {
        case Durability::NoFlush:
            return FileFlush::None;
        case Durability::Whole:
            return FileFlush::Data;
        case Durability::Durable:
            return FileFlush::DataAndFolder;
        }
        return FileFlush::Data;
    }

    /// Reads a root's file. A missing or empty file is an empty hive (an empty
    /// file holds nothing a rewrite could lose); a file that does not parse is
    /// reported, so that writers leave it alone instead of replacing it.
    bool readFile(RegRoot root, reg::Hive *hive, QByteArray *original) const
    {
        QByteArray bytes;
        const QString file = fileFor(root);
        switch (loadFile(file, &bytes)) {
        case LoadState::Missing:
            *hive = reg::Hive(rootName(root));
            original->clear();
            return true;
        case LoadState::Unreadable:
            qWarning("Registry: cannot read %s", qPrintable(file));
            return false;
        case LoadState::Loaded:
            break;
        }
        if (bytes.isEmpty()) {
            *hive = reg::Hive(rootName(root));
            original->clear();
            return true;
        }
        QString error;
        if (!reg::Hive::parseStore(bytes, rootName(root), hive, &error)) {
            qWarning(
                "Registry: %s does not load (%s); it is left as it is", qPrintable(file), qPrintable(error));
            return false;
        }
        *original = std::move(bytes);
        return true;
    }

    /// The root as this Registry sees it: its file, plus the changes of a running batch.
    bool read(RegRoot root, reg::Hive *hive)
    {
        std::lock_guard<std::recursive_mutex> guard(mutex);
        QByteArray original;
        if (!readFile(root, hive, &original))
            return false;
        for (const Change &change : pending[slot(root)])
            change(*hive);
        return true;
    }

    /// Runs one change on a root. Outside a batch: under the root's lock, read
    /// the file, change, and replace the file when something changed. Inside a
    /// batch: the change is checked against the current view and kept for the end.
    long modify(RegRoot root, bool needsFolder, Change change)
    {
        std::lock_guard<std::recursive_mutex> guard(mutex);
        if (batchDepth > 0) {
            reg::Hive view(rootName(root));
            if (!read(root, &view))
                return kRegCorrupt;
            const long rc = change(view);
            if (rc == kRegOk) {
                pending[slot(root)].push_back(std::move(change));
                pendingNeedsFolder = pendingNeedsFolder || needsFolder;
            }
            return rc;
        }
        std::vector<Change> changes;
        changes.push_back(std::move(change));
        return commit(root, needsFolder, changes);
    }

    long commit(RegRoot root, bool needsFolder, const std::vector<Change> &changes)
    {
        if (needsFolder && !QDir().mkpath(folder))
            return kRegIoFailed;
        if (!QFileInfo(folder).isDir()) {
            // Nothing was ever stored here: a change that needs a key fails on its
            // own, and only key creation makes the folder.
            reg::Hive empty(rootName(root));
            long rc = kRegOk;
            for (const Change &change : changes)
                rc = change(empty);
            return rc == kRegOk ? kRegIoFailed : rc;
        }
        FileLock lock(lockFileFor(root));
        if (!lock.held())
            return kRegIoFailed;
        reg::Hive hive(rootName(root));
        QByteArray original;
        if (!readFile(root, &hive, &original))
            return kRegCorrupt;
        long rc = kRegOk;
        for (const Change &change : changes)
            rc = change(hive);
        if (changes.size() == 1 && rc != kRegOk)
            return rc;
        const QByteArray bytes = hive.serialise();
        if (bytes == original)
            return rc;
        if (!writeFileAtomically(fileFor(root), bytes, flush()))
            return kRegIoFailed;
        return rc;
    }

    void endBatch()
    {
        std::lock_guard<std::recursive_mutex> guard(mutex);
        if (batchDepth == 0 || --batchDepth > 0)
            return;
        for (RegRoot root : { RegRoot::CurrentUser, RegRoot::LocalMachine }) {
            std::vector<Change> changes;
            changes.swap(pending[slot(root)]);
            if (changes.empty())
                continue;
            const long rc = commit(root, pendingNeedsFolder, changes);
            if (rc == kRegIoFailed || rc == kRegCorrupt)
                qWarning("Registry: the batch for %s was not written (%ld)", qPrintable(rootName(root)), rc);
        }
        pendingNeedsFolder = false;
    }
};

Registry::Registry(const QString &storeFolder)
    : m_store(std::make_unique<Store>())
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

Registry::~Registry()
{
    while (m_store->batchDepth > 0)
        m_store->endBatch();
}

void Registry::beginBatch()
{
    std::lock_guard<std::recursive_mutex> guard(m_store->mutex);
    ++m_store->batchDepth;
}

void Registry::endBatch()
{
    m_store->endBatch();
}

QString Registry::storeFolder() const
{
    return m_store->folder;
}

QString Registry::storeFile(RegRoot root) const
{
    return m_store->fileFor(root);
}

void Registry::setDurability(Durability durability)
{
    m_store->durability = durability;
}

Registry::Durability Registry::durability() const
{
    return m_store->durability;
}

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

bool Registry::keyExists(RegRoot root, const QString &path) const
{
    return openKey(root, path, nullptr);
}

QVariant Registry::regqueryvalue(RegRoot root, const QString &path, const QString &name) const
{
    RegKey key;
    key.root = root;
    if (!reg::normalisePath(path, &key.path))
        return {};
    return regquerytyped(key, name); // a missing key reads as a missing value
}

long Registry::regsetvalue(
    RegRoot root, const QString &path, const QString &name, const QVariant &value, int type)
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
    return m_store->modify(root, false, [normal, name](reg::Hive &hive) -> long {
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
    return m_store->modify(root, true, [normal](reg::Hive &hive) -> long {
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
    return m_store->modify(root, false,
        [normal](reg::Hive &hive) -> long { return hive.removeKey(normal) ? kRegOk : kRegNotFound; });
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
    return m_store->modify(key.root, false, [path = key.path, stored](reg::Hive &hive) -> long {
        reg::Key *found = hive.findKey(path);
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
    return writeFileAtomically(file, hive.serialiseBranch(normal), m_store->flush());
}

bool Registry::RestoreKeyFromFile(RegRoot root, const QString &subKey, const QString &file)
{
    QString normal;
    if (!reg::normalisePath(subKey, &normal))
        return false;
    QByteArray bytes;
    if (loadFile(file, &bytes) != LoadState::Loaded)
        return false;
    reg::Hive saved(QString {});
    QString savedTop;
    QString error;
    if (!reg::Hive::parseBranch(bytes, &saved, &savedTop, &error))
        return false;
    return m_store->modify(root, false, [normal, saved, savedTop](reg::Hive &hive) -> long {
        if (!hive.findKey(normal))
            return kRegNotFound; // the key must exist to be restored into
        hive.replaceBranch(normal, saved, savedTop);
        return kRegOk;
    }) == kRegOk;
}

} // namespace vorlane
