#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;

namespace quittora {

class FieldBinding;

// A field with a fixed form (IBAN, BIC, VAT identifier, country, delivery
// date, a price), bound to a record or not: checked as it is left. A wrong
// value is told and the field gets back what it held before, so that no move
// or store keeps it; a sound one is stored in its normal form (upper case and
// no blanks, a date as dd.MM.yyyy, a price with two decimals).
class IdentifierGuard : public QObject {
    Q_OBJECT
public:
    using Problem = std::function<QString(const QString&)>;     // empty when sound
    using Normalise = std::function<QString(const QString&)>;

    // The guard lives as a child of edit; tell shows a German reason.
    IdentifierGuard(QLineEdit* edit, FieldBinding& binding, Problem problem, Normalise normalise,
                    std::function<void(const QString&)> tell);
    // A field of no record: only the field's text is put back or normalised.
    IdentifierGuard(QLineEdit* edit, Problem problem, Normalise normalise, std::function<void(const QString&)> tell);

    // The check of leaving the field, for a caller that stores while the
    // field still has the focus. True when the value was sound.
    bool settle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
    FieldBinding* m_binding;
    Problem m_problem;
    Normalise m_normalise;
    std::function<void(const QString&)> m_tell;
    QString m_lastGood;
};

} // namespace quittora
