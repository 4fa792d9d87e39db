#pragma once

#include <QString>
#include <QVariant>

#include <memory>

namespace vorlane {

enum class RegRoot { CurrentUser, LocalMachine };

/// Registry value types as stored.
inline constexpr int REG_SZ = 1;
inline constexpr int REG_DWORD = 4;

/// Result codes of the registry procedures (the system's codes of the same meaning).
inline constexpr long kRegOk = 0;
inline constexpr long kRegNotFound = 2; // key or value missing
inline constexpr long kRegInvalidParameter = 87; // a type or name the store cannot hold
inline constexpr long kRegCorrupt = 1015; // the root's file does not load; it is left alone
inline constexpr long kRegIoFailed = 1016; // the root's file could not be written

/// An open key, as handed to `regquerytyped` and `regsettyped`.
struct RegKey {
    RegRoot root = RegRoot::CurrentUser;
    QString path;
};

/// The registry: keys and typed values (REG_SZ text, REG_DWORD 32-bit number)
/// under two roots, each kept as one `.reg`-format text file in the store
/// folder. Key and value names are not case-sensitive. Every write replaces
/// the root's file atomically (temporary file, then rename), so a process
/// killed at any instant leaves the old or the new file, never a torn one.
///
/// Failure rules: a write into a missing key fails silently (keys are only
/// made by `regcreatekey`); a read of a missing key or value is empty.
class Registry {
public:
    /// `storeFolder` holds "HKEY_CURRENT_USER.reg" and "HKEY_LOCAL_MACHINE.reg".
    explicit Registry(const QString &storeFolder);
    /// The folder from $VORLANE_REGISTRY_DIR, else $XDG_CONFIG_HOME/vorlane (~/.config/vorlane).
    static QString defaultStoreFolder();
    ~Registry();

    QString storeFolder() const;
    /// The file that holds `root`.
    QString storeFile(RegRoot root) const;
    /// False when the root's file exists but cannot be read or does not parse.
    /// Such a file is never overwritten: reads see an empty root, writes fail.
    bool storeLoads(RegRoot root) const;

    /// What a finished write promises when the power fails. Against a crash or a
    /// kill of the process every write is safe whatever the choice: the file is
    /// replaced in one step, so it holds the old or the new contents.
    enum class Durability {
        /// No flush: the file system writes the data out in its own time. On ext4's
        /// default mount (data=ordered, auto_da_alloc) a file replaced by rename has
        /// its data forced out before the rename is committed, so the file is whole
        /// after a power cut; other file systems may leave it empty.
        NoFlush,
        /// Default. The new file's data are flushed before it replaces the old one:
        /// after a power cut the file is whole on any file system, holding this
        /// version or, when the journal had not yet committed the rename, an earlier
        /// one (the writes of the last few seconds, as with the lazy flush of the
        /// system's own registry). One disk flush per write.
        Whole,
        /// Also flushes the folder after the rename: a finished write survives a
        /// power cut. Two disk flushes per write.
        Durable,
    };
    void setDurability(Durability durability);
    Durability durability() const;

    /// Groups writes: from `beginBatch` to the matching `endBatch`, writes change
    /// what this Registry reads at once, but the root's file is replaced only once,
    /// at the end, with all of them (a kill before the end loses the whole group,
    /// never part of it). `SaveKeyToFile` inside a batch saves what the batch sees.
    /// Batches nest; the outermost end writes. See `RegistryBatch`.
    void beginBatch();
    void endBatch();

    /// Opens `path` (not created); false when it is missing.
    bool openKey(RegRoot root, const QString &path, RegKey *key) const;
    bool keyExists(RegRoot root, const QString &path) const;

    /// Reads a value: QString for REG_SZ, quint32 for REG_DWORD, invalid QVariant when missing.
    QVariant regqueryvalue(RegRoot root, const QString &path, const QString &name) const;
    /// Writes a value into an existing key; nothing happens when the key is missing.
    /// Returns 0 on success, the system's error code otherwise.
    long regsetvalue(RegRoot root, const QString &path, const QString &name, const QVariant &value, int type);
    long regdeletevalue(RegRoot root, const QString &path, const QString &name);
    /// Creates the key (and its parents) or opens it when present.
    long regcreatekey(RegRoot root, const QString &path);
    /// Deletes a key with its values and sub-keys.
    long regdeletekey(RegRoot root, const QString &path);

    /// Type 1: the text; type 4: the number; other types: nothing, `*type` = -1.
    /// A failed query (missing key or value) returns an invalid QVariant, `*type` = 0.
    QVariant regquerytyped(const RegKey &key, const QString &name, int *type = nullptr) const;
    /// Type 1 stores the value's text, type 4 a 32-bit number; other types store nothing
    /// and return kRegInvalidParameter, as does a number that is not one.
    long regsettyped(const RegKey &key, const QString &name, int type, const QVariant &value);

    /// Saves the key with its values and sub-keys to `file`; an existing file is replaced
    /// in one step. False, with the file untouched, when the key is missing.
    bool SaveKeyToFile(RegRoot root, const QString &subKey, const QString &file);
    /// Replaces the key's contents with those saved in `file`. A missing key is not
    /// recreated; a file that is missing, unreadable or cut short changes nothing.
    bool RestoreKeyFromFile(RegRoot root, const QString &subKey, const QString &file);

private:
    class Store;
    std::unique_ptr<Store> m_store;
};

/// A batch of registry writes for the lifetime of a scope.
class RegistryBatch {
public:
    explicit RegistryBatch(Registry &registry)
        : m_registry(registry)
    {
        m_registry.beginBatch();
    }
    ~RegistryBatch() { m_registry.endBatch(); }
    RegistryBatch(const RegistryBatch &) = delete;
    RegistryBatch &operator=(const RegistryBatch &) = delete;

private:
    Registry &m_registry;
};

} // namespace vorlane
