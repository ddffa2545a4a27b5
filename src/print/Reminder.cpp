#include "print/Reminder.h"

#include "platform/Context.h"
#include "platform/Prompts.h"

namespace quittora {

QString reminderTitle(ReminderKind kind)
{
    return kind == ReminderKind::PaymentReminder ? QStringLiteral("Zahlungserinnerung drucken")
                                                 : QStringLiteral("Mahnung drucken");
}

QString reminderProposal(ReminderKind kind)
{
    return kind == ReminderKind::PaymentReminder
        ? QStringLiteral("Zahlungserinnerung ! - Wir bitten um Begleichung dieser Rechnung")
        : QStringLiteral("1. Mahnung - Wir bitten um umgehende Begleichung dieser Rechnung");
}

QString reminderPrompt(const QString& invoiceNumber, const QString& recipientName)
{
    return QStringLiteral("Rechnung Nr.") + invoiceNumber + QStringLiteral(" an ") + recipientName
        + QStringLiteral("\r\r\r") + QStringLiteral("Folgender Text wird der Rechnung zugefügt:");
}

bool askReminderText(Prompts& prompts, ReminderKind kind, const QString& invoiceNumber,
                     const QString& recipientName, ProgramState& state)
{
    const std::optional<QString> text =
        prompts.input(reminderTitle(kind), reminderPrompt(invoiceNumber, recipientName), reminderProposal(kind));
    state.Mahntext = text.value_or(QString());
    return !state.Mahntext.isEmpty();
}

} // namespace quittora
