#pragma once

#include "export/Overview.h"
#include "print/DocumentPrint.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace quittora {

class Database;
class Printers;
class Recordset;
class RecordsetGrid;
struct AppContext;

// The revenue overview `Rechnungen` ("Umsatz"): the documents of a month, a
// year or a day, open or paid, with their total; out as a text list
// ("Ausgabe in Editor") or printed ("&Drucken").
//
// Controls by objectName: cboMonat, cboJahr, cboDatum, optOffen, optBezahlt,
// DBGrid1 over Data1, lblNummer, lblName, lblDatum, lblBetrag, chkBezahlt
// ("  bez.:"), lblSumme, cmdHeute, cmdEditor, cmdDrucken, Timer1.
class RechnungenWindow : public QDialog {
    Q_OBJECT
public:
    // mainHasDocuments: whether there are documents at all (the main
    // window's list, or the table when that list is narrowed to nothing);
    // without any the month filter leaves the whole table shown.
    RechnungenWindow(AppContext& ctx, Database& db, Printers& printers, bool mainHasDocuments,
                     QWidget* parent = nullptr);
    ~RechnungenWindow() override;

    Recordset& documents() const { return *m_data1; }
    RecordsetGrid* grid() const { return m_grid; }

    void monthFilter();
    void dateFilter();
    void berechnen();
    void today();        // "Heute"
    void writeTextList(); // "Ausgabe in Editor"
    void printList();    // "&Drucken"
    // Shown by "&Drucken" when no printer is installed: it still offers
    // printing into a PDF file. Without one the print is refused as before.
    void setPrintDialog(PrintDialog dialog) { m_printDialog = std::move(dialog); }
    // Centres the window in a screen's free area (the primary screen's when
    // it opens).
    void placeOn(const QRect& available);

private:
    overview::PaidState paidState() const;
    void applySource(const RecordSource& source);
    void showCurrent();
    void paidClicked(bool checked);
    void fillDateList();
    QList<overview::Row> selection() const;

    AppContext& m_ctx;
    Database& m_db;
    Printers& m_printers;
    PrintDialog m_printDialog;
    bool m_mainHasDocuments;
    Recordset* m_data1 = nullptr;
    RecordSource m_source;
    RecordsetGrid* m_grid = nullptr;
    QComboBox* m_month = nullptr;
    QComboBox* m_year = nullptr;
    QComboBox* m_date = nullptr;
    QRadioButton* m_open = nullptr;
    QRadioButton* m_paid = nullptr;
    QLabel* m_number = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_dateLabel = nullptr;
    QLabel* m_amount = nullptr;
    QCheckBox* m_paidBox = nullptr;
    QLabel* m_total = nullptr;
    QTimer* m_timer1 = nullptr;
    QString m_planPath;
};

} // namespace quittora
