#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quittora {

struct AppContext;
class CompanySettings;
class Printers;

// The printer dialog (" Drucker einstellen"): printer choice, the margin
// values and the number of invoice copies.
//
// Controls by objectName: cboPrinters (installed printers), txtLinks and
// txtOben (margins in mm), txtKopien (copies), cmdTestdruck, cmdSpeichern,
// cmdStandard, cmdSchliessen.
//
// Margins and the printer choice go to the settings store and the program
// state; the copies go into the company settings in memory (`frei1`) when the
// dialog closes, and copiesChanged() tells the owner of the database to store
// them.
class Drucker : public QDialog {
    Q_OBJECT
public:
    Drucker(AppContext& ctx, Printers& printers, CompanySettings& company, QWidget* parent = nullptr);

    void done(int result) override;

Q_SIGNALS:
    void copiesChanged(const QString& copies);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void printerChosen(int index);
    void testPrint();
    bool saveValues();
    void resetValues();
    void closeButton();
    void showMargins();

    AppContext& m_ctx;
    Printers& m_printers;
    CompanySettings& m_company;

    QComboBox* m_printerList = nullptr;
    QLineEdit* m_fromLeft = nullptr;
    QLineEdit* m_fromTop = nullptr;
    QLineEdit* m_copies = nullptr;
    QPushButton* m_testPrint = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_close = nullptr;

    bool m_leftChanged = false;
    bool m_topChanged = false;
    bool m_centred = false;
};

} // namespace quittora
