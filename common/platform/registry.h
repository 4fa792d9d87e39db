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
inline constexpr long kRegNotFound = 2;          // key or value missing
inline constexpr long kRegInvalidParameter = 87; // a type or name the store cannot hold
inline constexpr long kRegCorrupt = 1015;        // the root's file does not load; it is left alone
inline constexpr long kRegIoFailed = 1016;       // the root's file could not be written

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

    /// What a finished write promises after a power cut.
    enum class Durability {
        /// The new file's data reach the disk before it replaces the old one:
        /// after a power cut the file is whole, either this version or an earlier one.
        FlushBeforeRename,
        /// No flush: whole after a crash of the process, but a power cut may leave
        /// an empty or missing file on file systems that reorder the rename.
        NoFlush,
    };
    void setDurability(Durability durability);
    Durability durability() const;

    /// Opens `path` (not created); nullopt-like empty key when missing.
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

} // namespace vorlane
