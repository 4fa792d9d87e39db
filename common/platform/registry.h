#pragma once

#include <QString>
#include <QVariant>

#include <memory>

namespace vorlane {

enum class RegRoot { CurrentUser, LocalMachine };

/// Registry value types as stored.
inline constexpr int REG_SZ = 1;
inline constexpr int REG_DWORD = 4;

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
    /// A failed query returns an invalid QVariant.
    QVariant regquerytyped(const RegKey &key, const QString &name, int *type = nullptr) const;
    /// Type 1 stores the value's text, type 4 a 32-bit number; other types store nothing.
    long regsettyped(const RegKey &key, const QString &name, int type, const QVariant &value);

    /// Saves the key with its values and sub-keys to `file`; an existing file is deleted first.
    bool SaveKeyToFile(RegRoot root, const QString &subKey, const QString &file);
    /// Replaces the key's contents with those saved in `file`. A missing key is not recreated.
    bool RestoreKeyFromFile(RegRoot root, const QString &subKey, const QString &file);

private:
    class Store;
    std::unique_ptr<Store> m_store;
};

} // namespace vorlane
