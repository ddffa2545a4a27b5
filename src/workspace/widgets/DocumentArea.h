#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

class QComboBox;
class QFrame;
class QPushButton;
class QWidget;

namespace quittora {

class DataSources;
class FieldBinding;
class RecordsetGrid;

// The left half of the main window, `SSPanel1`, laid out like the paper
// document: the letterhead preview, the recipient's address and the head
// data, the texts above the lines, the line entry with its buttons, the line
// grid `DBGrid5`, the text below the lines, the totals and the bank line.
//
// Head and totals are bound to Data3 (the current document), the hidden line
// labels to Data5 (the current line). Controls carry their design names:
//   head     Text7-Text11 (a1-a5), Text2 (a7, no typing), Text3 (a8, label),
//            Combo3 (a156), Check1 (opt1), Text4 (b1), Label30 (b10),
//            Label32 (ID)
//   totals   Text6 (a14), Label8 (a75), Label17 (a6), Label51 (a26),
//            Text37 (b2); hidden: mw1-mw3 (a19-a21), Label57 (a30),
//            Label59 (a31)
//   lines    Text12-Text16, Combo5, Command3, Command17, Command29 inside
//            LineEntryFrame; DBGrid5; hidden Label2, Label3, Label4,
//            Label38, Label50, Label5, Label39 (a2, a3, n1, a4, a5, a19, ID)
//   preview  Label13, Label15, Label19, Label21, Label16, Label22, Label26,
//            Label27, Label28, Label34, Label35, Label36, Label18
// Whether the current document is an issued invoice that the settings lock
// (`Festschreiben`): its head, kind and lines then stay as they are.
bool currentDocumentLocked(const DataSources& sources);

class DocumentArea : public QObject {
    Q_OBJECT
public:
    DocumentArea(QWidget* surface, DataSources& sources, QObject* parent = nullptr);
    ~DocumentArea() override;

    QFrame* panel() const { return m_panel; } // SSPanel1
    RecordsetGrid* lineGrid() const { return m_dbGrid5; }
    QComboBox* lineVatList() const { return m_combo5; }
    QPushButton* blankLineButton() const { return m_command17; }
    FieldBinding& headBinding() const { return *m_head; }
    FieldBinding& lineBinding() const { return *m_line; }

    // Pairs of label name and text (see letterheadPreviewTexts).
    void setLetterhead(const QList<QPair<QString, QString>>& texts);

private:
    void buildLetterhead();
    void buildHead();
    void buildLineEntry();
    void buildTotals();
public:
    // Read-only head while there is no document or it is locked; called
    // again when the settings change.
    void headAvailability();

private:

    DataSources& m_sources;
    QFrame* m_panel;
    FieldBinding* m_head;
    FieldBinding* m_line;
    RecordsetGrid* m_dbGrid5 = nullptr;
    QComboBox* m_combo5 = nullptr;
    QPushButton* m_command17 = nullptr;
    QList<QWidget*> m_headEditors;
    // What the lock after issue keeps from typing (all but the paid box).
    QList<QWidget*> m_lockedEditors;
};

} // namespace quittora
