#pragma once

#include "tools/PostalCodeLookup.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace quittora {

struct AppContext;

// The postal-code window "PLZ <-> Ort" (objectName "frmPLZ"): finds a German,
// Austrian or Swiss postal code and town while the user types and hands
// "code town" back for the customer's "Plz / Ort".
//
// Controls (objectName): search box Text1; country options Option1
// "Deutschland", Option2 "Österreich", Option3 "Schweiz"; sort buttons
// Command1 (by code) and Command2 (by town); Command3 "übernehmen", Command4
// "abbrechen"; grid DBGrid1; result frame Frame1 "Ergebnis" with the result
// line Label3, Bundesland Label4 and Zusatz Label5; LabelHinweis tells when
// the postal-code database is missing or unreadable.
//
// The chosen country is kept in the setting "Start-PLZ" (0, 1, 2) whenever the
// window closes.
class PostalCodeDialog final : public QDialog {
    Q_OBJECT
public:
    // databasePath: the postal-code database (plz::databasePath of the
    // program folder); currentText: the customer's "Plz / Ort", searched for
    // when the window opens.
    PostalCodeDialog(AppContext& ctx, const QString& databasePath, const QString& currentText,
                     QWidget* parent = nullptr);
    ~PostalCodeDialog() override;

    // "code town" once the user took a record over; nothing otherwise.
    std::optional<QString> takenOver() const { return m_takenOver; }

    plz::PostalCodeLookup& lookup() { return m_lookup; }
    // True once the start-up search ran (the result line follows the list).
    bool isReady() const { return m_ready; }

    void done(int result) override;

Q_SIGNALS:
    // The text for the customer's "Plz / Ort", emitted just before the window
    // closes after "übernehmen" or Enter.
    void takeOver(const QString& plzOrt);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void placeLeftOfCentre();
    void startUp();
    void chooseCountry(plz::Country country);
    void sortBy(plz::SortOrder order);
    void search(const QString& text);
    void showCurrent();
    void takeOverCurrent();
    void showProblem();

    AppContext& m_ctx;
    QString m_customerText;
    plz::PostalCodeLookup m_lookup;
    plz::PostalCodeModel* m_model = nullptr;
    bool m_ready = false;
    bool m_shown = false;
    bool m_syncingGrid = false;
    std::optional<QString> m_takenOver;

    QLineEdit* m_search = nullptr;
    QRadioButton* m_countries[3] = {};
    QPushButton* m_byCode = nullptr;
    QPushButton* m_byTown = nullptr;
    QPushButton* m_takeOver = nullptr;
    QPushButton* m_cancel = nullptr;
    QTableView* m_grid = nullptr;
    QLabel* m_result = nullptr;
    QLabel* m_bundesland = nullptr;
    QLabel* m_zusatz = nullptr;
    QLabel* m_hint = nullptr;
};

// Opens the window modally over parent on the postal-code database in
// programFolder, searching for currentText (the customer's "Plz / Ort").
// Returns the text for that field ("code town"), or nothing when the user
// cancelled.
std::optional<QString> openPostalCodeLookup(AppContext& ctx, const QString& programFolder,
                                            const QString& currentText, QWidget* parent = nullptr);

} // namespace quittora
