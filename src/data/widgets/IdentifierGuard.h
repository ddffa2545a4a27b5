#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;

namespace quittora {

class FieldBinding;

// A field of the e-invoice with a fixed form (IBAN, BIC, VAT identifier,
// country, delivery date) bound to a record: checked as it is left. A wrong value is told and the
// field gets back what it held before, so that no move or store keeps it;
// a sound one is stored in its normal form (upper case and no blanks, a
// date as dd.MM.yyyy).
class IdentifierGuard : public QObject {
    Q_OBJECT
public:
    using Problem = QString (*)(const QString&);
    using Normalise = QString (*)(const QString&);

    // The guard lives as a child of edit; tell shows a German reason.
    IdentifierGuard(QLineEdit* edit, FieldBinding& binding, Problem problem, Normalise normalise,
                    std::function<void(const QString&)> tell);

    // The check of leaving the field, for a caller that stores while the
    // field still has the focus. True when the value was sound.
    bool settle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
    FieldBinding& m_binding;
    Problem m_problem;
    Normalise m_normalise;
    std::function<void(const QString&)> m_tell;
    QString m_lastGood;
};

} // namespace quittora
