#pragma once

#include <QObject>

class QFrame;
class QLabel;
class QLineEdit;
class QWidget;

namespace quittora {

class DataSources;
class FieldBinding;

// The panel along the bottom of the main window, `SSPanel3`: the counts
// `Label24` ("12 Artikel") and `Label25` ("3 Kunden"), the next invoice
// number `Text32` (the settings record, Data4) and the article search box
// `Text22` ("suchen nach ..."), which the articles part brings to life.
class StatusPanel : public QObject {
    Q_OBJECT
public:
    StatusPanel(QWidget* surface, DataSources& sources, QObject* parent = nullptr);
    ~StatusPanel() override;

    QFrame* panel() const { return m_panel; }
    QLineEdit* searchBox() const { return m_text22; }

    void setArticleCount(int count);
    void setCustomerCount(int count);

private:
    QFrame* m_panel;
    QLabel* m_label24;
    QLabel* m_label25;
    QLineEdit* m_text22;
    FieldBinding* m_settings;
};

} // namespace quittora
