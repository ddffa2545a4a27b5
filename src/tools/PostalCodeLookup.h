#pragma once

#include "tools/PostalCodes.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QObject>
#include <QVector>

namespace quittora::plz {

// The record source of the postal-code window: one country's table of the
// postal-code database, read only, in one of the three orders, with a current
// record.
//
// Every row carries its position in each order (written at import), so a
// change of order costs nothing and rows are read in blocks by position when
// they are shown. Searches run as index ranges (the typed prefix, then the
// program's LIKE for the exact rule), so a keystroke costs a few index
// look-ups, never a pass over the table.
//
// Without a usable database (missing, unreadable, another layout) the lookup
// is empty and problem() says in German why; every call is still safe.
class PostalCodeLookup final : public QObject {
    Q_OBJECT
public:
    enum class Status { Closed, Ok, Missing, Unreadable };

    explicit PostalCodeLookup(QObject* parent = nullptr);
    ~PostalCodeLookup() override;

    // Opens the database read only. The country is Deutschland, natural
    // order, positioned on the first record. False (and problem()) when the
    // file is missing or no readable postal-code database.
    bool open(const QString& path);
    Status status() const { return m_status; }
    QString problem() const { return m_problem; }
    QString path() const { return m_path; }

    // Switches to a country's table in its natural order, on its first record.
    void setCountry(Country country);
    Country country() const { return m_country; }
    // Re-reads the table in this order and goes to the first record.
    void setOrder(SortOrder order);
    SortOrder order() const { return m_order; }

    int recordCount() const { return m_count; }
    // -1 when the list is empty.
    int position() const { return m_pos; }
    bool hasCurrent() const { return m_pos >= 0; }
    // The current record; empty fields when there is none.
    PostalCode current() const;
    // The record at a position of the list (read in blocks, kept until the
    // list is re-read); empty fields outside the list.
    PostalCode at(int position) const;

    // Moves stay inside the list: next on the last and previous on the first
    // record keep the position (and return false), as does any move in an
    // empty list.
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    bool moveTo(int position);

    // The first record of the list, in its order, whose code (or town)
    // matches prefix + "*" with the program's LIKE (case-insensitive,
    // wildcards * ? # [..]). No match: the position stays and noMatch() is
    // true.
    bool findFirst(SearchPlan::Field field, const QString& prefix);
    bool noMatch() const { return m_noMatch; }

    // One change of the search text: sorts as the plan says, then finds.
    bool search(const QString& text);

Q_SIGNALS:
    // The current record changed (position or list).
    void currentChanged();
    // Around re-reading the list: views reset.
    void aboutToReload();
    void reloaded();
    // Reading the list failed after the database was opened (it vanished or
    // is damaged); the list is empty and problem() says so. Comes between
    // aboutToReload() and reloaded().
    void failed(const QString& problem);

private:
    void close();
    bool readCount();
    void fail();
    void setPosition(int position);
    bool loadBlock(int block) const;
    // The column holding the position in the present order and what it
    // holds above the position (rowid counts from 1).
    QString positionColumn() const;
    int positionOffset() const;
    QString orderClause() const;

    static constexpr int kBlockSize = 200;

    QString m_connection;
    QString m_path;
    Status m_status = Status::Closed;
    QString m_problem;
    Country m_country = Country::Deutschland;
    SortOrder m_order = SortOrder::Natural;
    int m_count = 0;
    int m_pos = -1;
    bool m_noMatch = false;
    mutable QHash<int, QVector<PostalCode>> m_blocks;
};

// The list grid's model: the columns "Postleitzahl", "Ort", "Zusatz" and
// "Land" (Bundesland) of the lookup's list, read only, rows read as the view
// asks for them.
class PostalCodeModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { PostleitzahlColumn, OrtColumn, ZusatzColumn, LandColumn, ColumnCount };

    explicit PostalCodeModel(PostalCodeLookup& lookup, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    PostalCodeLookup& m_lookup;
    int m_rows = 0;
};

} // namespace quittora::plz
