#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace quittora {

struct AppContext;
class RechnungWindow;
class Recordset;

// The work of the " Kunden" tab of the main window: new, store and delete
// customers (the last one stays as template), copy an address to the
// clipboard and the exchange file, insert one from that file, the search
// across all fields and its end, the postal-code lookup behind the caption
// "Plz / Ort", the customer lists, and the menu "Datenkorrektur".
class CustomersController : public QObject {
    Q_OBJECT
public:
    using Lookup = std::function<std::optional<QString>(const QString& current, QWidget* parent)>;

    CustomersController(RechnungWindow& window, AppContext& ctx);

    // Seams for tests: where the exchange file lies, how the lookup opens.
    void setExchangeFilePath(const QString& path) { m_exchangePath = path; }
    QString exchangeFilePath() const { return m_exchangePath; }
    void setLookup(Lookup lookup) { m_lookup = std::move(lookup); }

    bool selectionActive() const { return m_selection; }

    void newCustomer();
    void store();
    void remove();
    void copyAddress();
    void insertAddress();
    void search();
    void endSelection();
    void lookupPostalCode();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T>
    T* find(const char* name) const;
    Recordset& rs() const;
    void updateCount();
    void showSelectionLabel();

    RechnungWindow& m_window;
    AppContext& m_ctx;
    QString m_exchangePath;
    Lookup m_lookup;
    QWidget* m_plzCaption = nullptr;
    bool m_selection = false;
    QString m_selectionText;
    QString m_selectionSource; // the record source the selection set
    QList<QObject*> m_enterOrder;
    QHash<QObject*, QObject*> m_enterAlias;
};

} // namespace quittora
