#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <map>
#include <vector>

namespace vorlane::reg {

/// One stored value. Text (type 1) lives in `text`, a 32-bit number (type 4) in
/// `number`; values of other types found in a file keep their bytes so that a
/// rewrite does not lose them.
struct Value {
    QString name;
    int type = 1;
    QString text;
    quint32 number = 0;
    QByteArray bytes;
};

/// One key: its path below the root as first spelt, and its values in the order written.
struct Key {
    QString path;
    std::vector<Value> values;

    const Value *findValue(const QString &name) const;
    /// Replaces the value's type and data; a value already present keeps its first spelling.
    void setValue(const Value &value);
    bool removeValue(const QString &name);
};

/// The keys of one root, read from and written to the `.reg` export format:
///
///     Windows Registry Editor Version 5.00
///
///     [HKEY_CURRENT_USER\Software\Vorlane\Timers]
///     "Elapsed"="1 : 5 : 30"
///     "Status"=dword:00000001
///
/// Key paths are below the root, components joined by `\`, without empty
/// components; the root itself is the empty path and always exists. Names
/// compare without regard to case.
class Hive {
public:
    explicit Hive(QString rootName = {});

    const QString &rootName() const { return m_root; }

    Key *findKey(const QString &path);
    const Key *findKey(const QString &path) const;
    /// Creates the key and its missing parents; an existing key keeps its spelling.
    Key &createKey(const QString &path);
    /// Removes the key with its sub-keys; false when it is missing or the root.
    bool removeKey(const QString &path);
    /// Gives the key at `path` the values and sub-keys of `top` in `saved`, in place of its own.
    void replaceBranch(const QString &path, const Hive &saved, const QString &top);

    /// The whole root in the file format.
    QByteArray serialise() const;
    /// The key at `path` with its sub-keys, under their full names, in the file format.
    QByteArray serialiseBranch(const QString &path) const;

    /// Reads a root's store file. Sections must lie under `rootName`. False, with
    /// `*error` set, when the bytes are not a whole file of this format.
    static bool parseStore(const QByteArray &bytes, const QString &rootName, Hive *hive, QString *error);
    /// Reads a saved key: `*hive` gets the keys under their full names (root
    /// included), `*top` the path of the first section, below which every other must lie.
    static bool parseBranch(const QByteArray &bytes, Hive *hive, QString *top, QString *error);

private:
    void appendSections(QByteArray *out, const QString &path) const;

    QString m_root;
    std::map<QString, Key> m_keys; // by case-folded path
};

/// Cleans a key path: `\` separated, empty components dropped. False when a
/// component holds a character the file format cannot carry in a section line.
bool normalisePath(const QString &path, QString *normal);
/// False for value names that the file format cannot carry on one line.
bool validValueName(const QString &name);
/// A value as a 32-bit number, the way a 32-bit store takes it: negative numbers
/// wrap (-1 is 0xffffffff); text must hold a number; an empty value is 0.
bool toDword(const QVariant &value, quint32 *number);

} // namespace vorlane::reg
