#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace quittora {

// One open Quittora database file: an SQLite connection with the program's
// SQL functions registered. The file is checked before anything is opened for
// writing: a missing, unreadable, read-only, locked, truncated or foreign file
// is refused with a German message and never written to.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Checks a file without writing to it. Empty result: it is a Quittora
    // database we can open for writing; otherwise the German message why not.
    static QString checkFile(const QString& path);

    // The message for a file that reported damage: what is wrong and what to
    // do. Every place that finds damage while reading says the same.
    static QString damagedMessage(const QString& path);

    // Whether the file is as long as its header says (page count times page
    // size, in whole pages); empty when it is, otherwise the German message.
    // A journal beside the file can make it shorter for a moment; with
    // allowJournal such a file passes, since opening rolls the journal back.
    static QString checkCompleteness(const QString& path, bool allowJournal);

    // True when the file is an SQLite database (ours or another): such a file
    // is never the target of an export, so a mistyped output name cannot
    // replace the user's data.
    static bool isDatabaseFile(const QString& path);

    // Opens (after checkFile) for reading and writing. On failure returns false,
    // sets *message (German) and leaves this object as it was: an already open
    // database stays open.
    bool open(const QString& path, QString* message);
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }
    QSqlDatabase connection() const;

    // Creates a new Quittora database from the installation template.
    // Refuses to overwrite an existing file. Creates missing parent folders.
    // The file appears only complete (written under a temporary name first).
    static bool createFromTemplate(const QString& path, QChar decimalSeparator, QString* message);

    struct Counts {
        qint64 rechnungen = 0;
        qint64 positionen = 0;
        qint64 kunden = 0;
        qint64 artikel = 0;
    };
    std::optional<Counts> counts() const;

private:
    QString m_connectionName;
    QString m_path;
};

} // namespace quittora
