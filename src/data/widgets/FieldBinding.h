#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTextEdit;
class QWidget;

namespace quittora {

class Recordset;

// Binds controls to fields of a Recordset, as bound controls of a data
// control behave:
//
// - Whenever the current record changes (move, find, refresh, addNew,
//   update, delete), every bound control shows its field of the new current
//   record; with no current record the controls show empty/unchecked.
// - What the user types or picks goes at once into the recordset's edit
//   buffer (Recordset::setValue), so the next move or update() stores it.
//   With no current record (empty set, bof/eof) an edit has nowhere to go and
//   is not kept.
// - Values the program puts into a control (setText() of a computed total)
//   are NOT written by default. Either bind such a control with
//   Writes::AllChanges (every change that is not the binding's own showing of
//   the record is written), or call write(control) after setting it. A QLabel
//   has no change notification: write(label) is the only way to store what
//   the program put into it.
//
// Check boxes are Yes/No fields: checked is stored as -1, unchecked as 0, and
// any non-zero value shows checked. Combo boxes store their current text; a
// non-editable combo whose list lacks the stored value shows no selection
// and leaves the value alone. Text edits show and store plain text; for them
// a user edit is a change that leaves the document modified (setPlainText()
// by the program resets that).
class FieldBinding : public QObject {
    Q_OBJECT
public:
    enum class Writes {
        UserEdits,  // what the user types or picks (the default)
        AllChanges, // also what the program sets
    };

    // parent defaults to nothing; the binding must not outlive recordset.
    explicit FieldBinding(Recordset& recordset, QObject* parent = nullptr);
    ~FieldBinding() override;

    void bind(QLineEdit* edit, const QString& field, Writes writes = Writes::UserEdits);
    void bind(QPlainTextEdit* edit, const QString& field, Writes writes = Writes::UserEdits);
    void bind(QTextEdit* edit, const QString& field, Writes writes = Writes::UserEdits);
    void bind(QComboBox* combo, const QString& field, Writes writes = Writes::UserEdits);
    void bind(QCheckBox* box, const QString& field, Writes writes = Writes::UserEdits);
    // Shown only; see write().
    void bind(QLabel* label, const QString& field);
    void unbind(QWidget* widget);

    // The field a control is bound to; empty when it is not bound.
    QString fieldOf(const QWidget* widget) const;
    Recordset& recordset() const { return m_rs; }

    // Shows the current record in every bound control. Runs by itself on
    // every change of the current record.
    void showCurrent();
    // Writes a control's present content into the edit buffer as if the user
    // had entered it. False when the control is not bound or there is no
    // current record.
    bool write(QWidget* widget);
    // write() for every bound control.
    bool writeAll();

Q_SIGNALS:
    // A control's content went into the edit buffer (user edit or write()).
    void edited(QWidget* widget, const QString& field);

private:
    enum class Kind { LineEdit, PlainTextEdit, TextEdit, ComboBox, CheckBox, Label };
    struct Binding {
        QWidget* widget;
        Kind kind;
        QString field;
    };

    void add(QWidget* widget, Kind kind, const QString& field);
    const Binding* find(const QObject* widget) const;
    void show(const Binding& b);
    QVariant content(const Binding& b) const;
    bool store(const Binding& b);
    void userChanged(QWidget* widget);

    Recordset& m_rs;
    std::vector<Binding> m_bindings;
    bool m_showing = false;
};

} // namespace quittora
