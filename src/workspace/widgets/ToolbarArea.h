#pragma once

#include <QObject>

class QFrame;
class QLabel;
class QToolButton;
class QWidget;

namespace quittora {

class HoverCaption;
class Recordset;

// The row of picture buttons at the top of the main window, the navigation
// bar of the documents (`Data3`) and the shared hover caption `Bezeichnung12`
// with its highlight shape. Buttons whose work comes with later parts of the
// program are created disabled; each carries its design name.
class ToolbarArea : public QObject {
    Q_OBJECT
public:
    // Builds the controls on the surface at their design places. documents
    // supplies the number in the delete button's caption.
    ToolbarArea(QWidget* surface, const Recordset& documents, QObject* parent = nullptr);

    QToolButton* newDocument() const { return m_command4; }   // Command4
    QToolButton* deleteDocument() const { return m_command5; } // Command5
    QToolButton* print() const { return m_command8; }          // Command8
    QToolButton* documentList() const { return m_command11; }  // Command11
    QToolButton* email() const { return m_command18; }         // Command18
    QToolButton* revenue() const { return m_command21; }       // Command21
    QToolButton* backup() const { return m_command22; }        // Command22
    QLabel* picture() const { return m_picture1; }             // Picture1, presses Command8
    QFrame* navigationBar() const { return m_navigation; }     // Data3's bar
    HoverCaption* hoverCaption() const { return m_hover; }

Q_SIGNALS:
    void firstRequested();
    void previousRequested();
    void nextRequested();
    void lastRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* m_command4;
    QToolButton* m_command5;
    QToolButton* m_command8;
    QToolButton* m_command11;
    QToolButton* m_command18;
    QToolButton* m_command21;
    QToolButton* m_command22;
    QLabel* m_picture1;
    QFrame* m_navigation;
    HoverCaption* m_hover;
};

} // namespace quittora
