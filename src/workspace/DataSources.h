#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace quittora {

class Database;
class Recordset;

// The five record sources of the main window, each a Recordset whose
// objectName is its design name, so code and tests find them under the
// window with findChild<Recordset*>("Data3"):
//   Data1 customers (by name in German order), Data2 articles, Data3 documents,
//   Data4 the settings record, Data5 the lines of the current document.
// The recordsets are children of the given owner.
class DataSources {
public:
    DataSources(Database& db, QObject* owner);
    DataSources(const DataSources&) = delete;
    DataSources& operator=(const DataSources&) = delete;

    Recordset& customers() const { return *m_data1; } // Data1
    Recordset& articles() const { return *m_data2; }  // Data2
    Recordset& documents() const { return *m_data3; } // Data3
    Recordset& settings() const { return *m_data4; }  // Data4
    Recordset& lines() const { return *m_data5; }     // Data5
    // By design name ("Data1" ... "Data5"); nullptr for another name.
    Recordset* byName(const QString& name) const;
    QList<Recordset*> all() const;

    // Record sources as designed.
    static QString customersSource();      // by SortKey(a2), SortKey(a3)
    static QString documentsSource();      // "Rechnungen"
    static QString settingsSource();       // "Einstellungen"
    static QString linesSource();          // "SELECT * FROM Verkauf WHERE a1 = ? ORDER BY ID"
    // Points Data5 at the lines of a document (its ID as text; lines refer to
    // their document by text). Does not re-read.
    void setLinesOf(qint64 documentId);

    // Sets the designed sources (articles as given) and re-reads Data1 to
    // Data5 in that order, after a database was opened. False when any
    // failed; the others are read all the same.
    bool bindAll(const QString& articleSource);

    // Stores what is still pending in any source (before closing). False
    // when a write failed; the recordset has reported it.
    bool storeAll();

private:
    Database& m_db;
    Recordset* m_data1;
    Recordset* m_data2;
    Recordset* m_data3;
    Recordset* m_data4;
    Recordset* m_data5;
};

} // namespace quittora
