#pragma once

#include <QObject>
#include <QStringList>
#include <QString>

#include <functional>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace quittora {

struct AppContext;
class DataSources;
class RechnungWindow;

// The line entry of the main window: an article picked in `DBGrid1` fills
// the entry fields, the line amount follows quantity and price, `Command3`
// adds a line (add mode) or writes the line picked in `DBGrid5` (change mode,
// entered through `Timer6`), `Command17` starts a blank or text line and
// `Command29` deletes the picked line. After every change the totals are
// recomputed through the given berechnen.
class LineEntryController : public QObject {
    Q_OBJECT
public:
    // refuseLocked: true, and said to the user, when the current document is
    // locked and its lines must stay as they are.
    LineEntryController(RechnungWindow& window, AppContext& ctx, std::function<bool()> berechnen,
                        std::function<bool()> refuseLocked, QObject* parent = nullptr);

    void addOrChangeLine(); // Command3
    void blankLine();       // Command17
    void deleteLine();      // Command29
    void enterChangeMode(); // Timer6's tick
    void addModeLook();
    bool inChangeMode() const;

    QTimer* changeTimer() const { return m_timer6; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T>
    T* child(const char* name) const;
    void fillFromArticle();
    void followArticleEdit();
    void quantityOrPriceChanged(bool priceTyped);
    void clearEntry();
    bool quantityKey(int key);

    RechnungWindow& m_window;
    AppContext& m_ctx;
    DataSources& m_sources;
    std::function<bool()> m_berechnen;
    std::function<bool()> m_refuseLocked;
    QTimer* m_timer6;
    // The line in change mode and its document: a change is written to that
    // line only, never to whatever line is current after paging on.
    qint64 m_changeLine = -1;
    qint64 m_changeDocument = -1;
    // The article the entry was filled from and the values it then had.
    qint64 m_filledArticle = -1;
    QStringList m_filledValues;

    QLineEdit* m_quantity;         // Text12
    QLineEdit* m_unit;             // Text13
    QPlainTextEdit* m_designation; // Text14
    QLineEdit* m_price;            // Text15
    QLineEdit* m_amount;           // Text16
    QComboBox* m_rate;             // Combo5
    QPushButton* m_take;           // Command3
    QPushButton* m_deleteLine;     // Command29
    QFrame* m_entryFrame;          // LineEntryFrame
    QLabel* m_date;                // Text3
    QLineEdit* m_search;           // Text22
};

} // namespace quittora
