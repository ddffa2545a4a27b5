#pragma once

#include "data/JetLike.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>

class QLineEdit;

namespace quittora {

class Recordset;

// Search as you type over a recordset shown in a list:
//
// - on every change of the box's text (typed or set by the program) the
//   first record in the set's order whose field matches the text becomes
//   current: `field LIKE ?` with likePattern(text, mode), ORed over the
//   fields (Recordset::findFirst). Without a match the position stays.
//   An empty box goes back to the first record;
// - Down and Up move to the next / previous record, staying on the last /
//   first one;
// - Enter finds the next match after the current record when
//   setFindNextOnEnter(true) (off by default);
// - the box is yellow while it has the focus and white when left.
//
// The typed text becomes a pattern through likePattern: '*', '?', '#' and
// closed brackets work as in every search of the program, while quotes, '%',
// '_' and a lone '[' are plain characters. It only ever travels as a bound
// parameter, so nothing typed can break the query.
class SearchAsYouType : public QObject {
    Q_OBJECT
public:
    struct Field {
        QString name;                        // a field of the recordset's base table
        LikeMode mode = LikeMode::StartsWith; // StartsWith "text*", Contains "*text*"
    };

    // Installs on box (a child of it). The recordset must outlive the box.
    SearchAsYouType(QLineEdit* box, Recordset& recordset, const QList<Field>& fields);
    // All fields with one mode.
    SearchAsYouType(QLineEdit* box, Recordset& recordset, const QStringList& fields,
                    LikeMode mode = LikeMode::StartsWith);

    void setFindNextOnEnter(bool on) { m_findNextOnEnter = on; }
    bool findNextOnEnter() const { return m_findNextOnEnter; }

    // The criterion and its parameters for a text ("a2 LIKE ? OR a3 LIKE ?").
    QString criterion() const;
    QVariantList parameters(const QString& typed) const;

    // Searches for the box's present text; true when a record was found.
    bool search();
    // The next match after the current record; true when found.
    bool findNext();

    QLineEdit* box() const { return m_box; }

Q_SIGNALS:
    // After each search (typing, Enter): found is false when nothing matched.
    void searched(bool found);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void init();

    QLineEdit* m_box;
    Recordset& m_rs;
    QList<Field> m_fields;
    bool m_findNextOnEnter = false;
};

} // namespace quittora
