#pragma once

#include "workspace/DocumentSearch.h"

#include <QObject>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace quittora {

class DocumentNavigator;
class Recordset;
class RecordsetGrid;

// The document list `Frame1` over the right half of the main window: the
// grid `DBGrid4` of all documents (Data3), the search box `Text33` with the
// options `SSOption1` "nach Nummer suchen" and `SSOption2` "nach Namen
// suchen", the close button `Command10` and the picture `Image1` (shows all
// documents again and closes the list).
//
// Keys in the search box: Enter finds the next match, Escape closes the list,
// Down / Up move to the next / previous document.
class DocumentListPanel : public QObject {
    Q_OBJECT
public:
    DocumentListPanel(QWidget* surface, Recordset& documents, DocumentNavigator& navigator,
                      QObject* parent = nullptr);

    QFrame* frame() const { return m_frame; }
    QLineEdit* searchBox() const { return m_text33; }
    RecordsetGrid* grid() const { return m_grid; }
    DocumentSearch& search() { return m_search; }

    bool isOpen() const;
    // Command11: opens the list (focus into the search box) or closes it.
    void toggle();
    void open();
    // Command10, Escape: closes the list.
    void close();

Q_SIGNALS:
    // The list was closed; the focus belongs to the article search box.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseMode(DocumentSearch::Mode mode);
    void markSearchBox(bool focused);

    DocumentSearch m_search;
    DocumentNavigator& m_navigator;
    QFrame* m_frame;
    QLineEdit* m_text33;
    QRadioButton* m_option1;
    QRadioButton* m_option2;
    RecordsetGrid* m_grid;
    QPushButton* m_command10;
    QLabel* m_image1;
};

} // namespace quittora
