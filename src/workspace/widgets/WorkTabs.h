#pragma once

#include <QObject>

class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace quittora {

class DataSources;
class FieldBinding;
class RecordsetGrid;

// The right half of the main window: the tab control `SSTab1` with
//   " Auswahl"  DBGrid1 (articles, Data2), the sort options Option3
//               "Art-Nr." and Option4 "Bezeichnung";
//   " Kunden"   DBGrid2 (customers, Data1), the customer fields Text17
//               (a1), Text18 (a2), Text19 (a3), Text20 (a8), Text21 (a4),
//               Text29 (a5), Text30 (a6), Text31 (a7), Text34 (a40), Text35
//               (a9), Text23 (n1), label ID, and the customer buttons;
//   " Artikel"  DBGrid3 (articles, Data2), the article fields Text24 (a2),
//               Text25 (a3), Text26 (a4), Combo4 (a19), Text27 (a5), Text28
//               (n1) and the article buttons;
// and the price-change frame `Frame2` ("Artikelpreis - Schnelländerung"),
// which stands on the window itself and is shown only with " Artikel".
// Customer and article fields are bound to Data1 and Data2.
class WorkTabs : public QObject {
    Q_OBJECT
public:
    enum Page { Auswahl = 0, Kunden = 1, Artikel = 2 };

    WorkTabs(QWidget* surface, DataSources& sources, QObject* parent = nullptr);
    ~WorkTabs() override;

    QTabWidget* tabs() const { return m_tabs; }          // SSTab1
    QGroupBox* priceChangeFrame() const { return m_frame2; } // Frame2
    RecordsetGrid* grid(int number) const;                // DBGrid1..3
    QComboBox* articleVatList() const { return m_combo4; }
    QRadioButton* sortByNumber() const { return m_option3; }
    QRadioButton* sortByName() const { return m_option4; }
    QLabel* currencyLabel() const { return m_currency; } // of Frame2
    FieldBinding& customerBinding() const { return *m_customer; }
    FieldBinding& articleBinding() const { return *m_article; }

private:
    QWidget* buildAuswahl();
    QWidget* buildKunden();
    QWidget* buildArtikel();
    void buildPriceChange(QWidget* surface);

    DataSources& m_sources;
    QTabWidget* m_tabs;
    QGroupBox* m_frame2 = nullptr;
    RecordsetGrid* m_grids[3] = {};
    QComboBox* m_combo4 = nullptr;
    QRadioButton* m_option3 = nullptr;
    QRadioButton* m_option4 = nullptr;
    QLabel* m_currency = nullptr;
    FieldBinding* m_customer;
    FieldBinding* m_article;
};

} // namespace quittora
