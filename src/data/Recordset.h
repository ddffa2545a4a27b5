#pragma once

#include <QHash>
#include "data/SearchCriterion.h"

#include <QObject>
#include <QSet>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace quittora {

class Database;

// A record source with a current position, in the manner of a data control:
// the program's windows and logic read and write records through it.
//
// The record source is a SELECT over the base table (or a view of it) that
// decides which records are in the set and in which order; it must return the
// column ID. Only the IDs are held in memory, records are read when they
// become current, so a source of 50,000 documents costs little. Writes always
// go to the base table, by ID.
//
// Positions follow the data control: 0..recordCount()-1 are records; bof() is
// true before the first, eof() after the last (both in an empty set). Moving
// away from a record first stores its pending edits; when storing fails the
// move does not happen and writeFailed() carries the German message.
//
// Every write is one transaction (a savepoint, so it also nests inside a
// caller's transaction). Yes/No fields take bool, numbers or "Wahr"/"-1" and
// are stored as -1/0. Edits still pending when the recordset is destroyed are
// stored then; it must not outlive its Database.
class Recordset : public QObject {
    Q_OBJECT
public:
    Recordset(Database& db, const QString& baseTable, QObject* parent = nullptr);
    ~Recordset() override;

    QString baseTable() const { return m_baseTable; }
    // Either a table or view name ("SortKunden") or a full SELECT statement
    // ("SELECT * FROM Rechnungen WHERE b1 = ? ORDER BY a7"). User text goes
    // into params, never into the statement. Takes effect at refresh().
    void setRecordSource(const QString& source, const QVariantList& params = {});
    QString recordSource() const { return m_source; }

    // Re-reads the set; the position goes to the first record (or bof/eof
    // when empty). Pending edits are stored first. False on error.
    bool refresh();

    int recordCount() const { return static_cast<int>(m_ids.size()); }
    int position() const { return m_pos; }
    bool bof() const;
    bool eof() const;
    bool hasCurrent() const { return m_pos >= 0 && m_pos < recordCount() && !m_adding; }
    qint64 currentId() const;
    // ID at a position of the set (no move); -1 outside.
    qint64 idAt(int position) const;

    bool moveFirst();
    bool moveLast();
    bool moveNext();      // past the last record: eof() becomes true
    bool movePrevious();  // before the first record: bof() becomes true
    bool moveTo(int position);
    // Makes the record with this ID current; false (position unchanged) when
    // it is not in the set.
    bool moveToId(qint64 id);

    // Finds by a criterion over the base table's fields, e.g.
    // findFirst("a7 LIKE ?", {"12*"}). findFirst searches from the first
    // record, findNext from the record after the current one, findPrevious
    // backwards from the one before it. No match: the position stays and
    // noMatch() is true.
    bool findFirst(const QString& criterion, const QVariantList& params = {});
    bool findNext(const QString& criterion, const QVariantList& params = {});
    bool findPrevious(const QString& criterion, const QVariantList& params = {});
    bool noMatch() const { return m_noMatch; }

    // Field access of the current record (or of the record being added).
    QStringList fieldNames() const;
    QVariant value(const QString& field) const;
    QString text(const QString& field) const { return value(field).toString(); }
    // Changes the edit buffer; stored by update() or by the next move.
    void setValue(const QString& field, const QVariant& value);
    bool isDirty() const { return m_adding || !m_pending.isEmpty(); }

    // Starts a new record in the edit buffer. update() inserts it; the new
    // record is then current (appended at the end of the set).
    void addNew();
    bool isAdding() const { return m_adding; }
    // Stores the edit buffer in one transaction. True when nothing was pending.
    bool update();
    // Drops the edit buffer.
    void cancelUpdate();
    // Deletes the current record; the record after it becomes current (or the
    // new last one, or bof/eof when the set is empty). While a new record is
    // being added, drops that one instead (it was never stored).
    bool deleteCurrent();

    // Re-reads the current record from the database (after a write elsewhere).
    void reloadCurrent();

    QString lastError() const { return m_lastError; }
    Database& database() const { return m_db; }

Q_SIGNALS:
    // Before the position leaves a record (the data control's validate event).
    void aboutToLeave();
    // The position or the current record's values changed.
    void currentChanged();
    // The set was re-read (refresh, insert, delete): views must reset.
    void reloaded();
    // A write or read failed; message is German and says what was not done.
    void writeFailed(const QString& message);

private:
    enum class FindFrom { First, Next, Previous };
    bool find(FindFrom from, const QString& criterion, const QVariantList& params);
    // Announces leaving the record and stores its pending edits; false when
    // storing failed (the position must then stay).
    bool prepareLeave();
    void setPosition(int newPos);
    bool storePending();
    bool insertPending();
    bool updatePending();
    void loadCurrent();
    void loadFieldNames();
    QString canonicalField(const QString& field) const;
    QString idQuery() const;
    bool matchingIds(const QString& criterion, const QVariantList& params, QSet<qint64>* out);
    bool findInIdOrder(FindFrom from, const QString& criterion, const QVariantList& params, int* found);
    FieldKind fieldKind(const QString& field) const;
    void fail(const QString& message);

    Database& m_db;
    QString m_baseTable;
    QString m_source;
    QVariantList m_params;
    QVector<qint64> m_ids;
    bool m_idsAscending = true; // the set is in ID order (a table's natural order)
    int m_pos = -1;
    bool m_noMatch = false;
    bool m_adding = false;
    QSqlRecord m_record;               // current record as read
    QHash<QString, QVariant> m_pending; // edits not yet stored
    QStringList m_fieldNames;
    QString m_lastError;
};

} // namespace quittora
