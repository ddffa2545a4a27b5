#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace quittora {

class DataSources;
class Recordset;

// Keeps the main window's sources following the current document:
//
// - Leaving a document (Data3's aboutToLeave) starts the one-shot Timer5
//   (5 ms), so the move finishes before anything follows it. Its tick makes
//   the customer tab show the document's customer (Data1 findFirst on
//   "ID LIKE <customer number>") and loads the document's lines into Data5.
//   Once a customer search on Data1 has found nothing, the customer no longer
//   follows until Data1 is re-read (a customer search, a new selection).
// - Timer3 (10 ms) moves Data3 to its last document after loading.
// - Data2 never stays past its end or before its start.
//
// Paging moves Data3 like the buttons of a data control: first, previous
// (staying on the first), next (staying on the last), last.
class DocumentNavigator : public QObject {
    Q_OBJECT
public:
    static constexpr int kSyncDelayMs = 5;
    static constexpr int kLoadDelayMs = 10;

    DocumentNavigator(DataSources& sources, QObject* parent = nullptr);

    // Field of the document that holds its customer's ID.
    static QString customerField() { return QStringLiteral("b1"); }

    void first();
    void previous();
    void next();
    void last();

    // Starts Timer3: Data3 goes to its last document shortly.
    void startLoadTimer();
    // Starts Timer5 (also what the end of printing does).
    void scheduleSync();
    // Timer5's tick, at once.
    void syncNow();

    // Every document again, in the designed order, on the document that was
    // current (a reload: searches on Data3 search again).
    void showAllDocuments();

    QTimer* syncTimer() const { return m_timer5; }
    QTimer* loadTimer() const { return m_timer3; }

Q_SIGNALS:
    // After Timer5's tick: customer and lines follow the current document.
    void synced();
    // The number of customers in Data1, after each tick.
    void customerCountChanged(int count);

private:
    void followCustomer();
    void keepArticlesInRange();

    DataSources& m_sources;
    QTimer* m_timer3;
    QTimer* m_timer5;
};

} // namespace quittora
