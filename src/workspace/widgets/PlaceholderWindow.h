#pragma once

#include "platform/Context.h"

#include <QMainWindow>

class QLabel;

namespace quittora {

class Database;

// The window `Rechnung` until the full workspace takes its place: it names the
// open database and its counts and lets the user open another database.
class PlaceholderWindow : public QMainWindow {
    Q_OBJECT
public:
    PlaceholderWindow(AppContext& ctx, Database& db, QWidget* parent = nullptr);

    void refresh();

Q_SIGNALS:
    // "öffnen": the application lets the user choose another database.
    void openDatabaseRequested();

private:
    AppContext& m_ctx;
    Database& m_db;
    QLabel* m_status = nullptr;
};

} // namespace quittora
