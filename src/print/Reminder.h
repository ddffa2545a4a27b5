#pragma once

#include <QString>

namespace quittora {

class Prompts;
struct ProgramState;

// Payment reminder and first dunning letter: the current invoice printed
// again with one added line (`Mahntext`), today's date and a reference to the
// invoice's own number and date.
enum class ReminderKind {
    PaymentReminder, // "Zahlungserinnerung drucken"
    Dunning,         // "Mahnung drucken"
};

// The menu caption, which is also the input box's title.
QString reminderTitle(ReminderKind kind);
// The text the input box proposes.
QString reminderProposal(ReminderKind kind);
// The input box's prompt: "Rechnung Nr." + number + " an " + name, three
// line breaks, "Folgender Text wird der Rechnung zugefügt:".
QString reminderPrompt(const QString& invoiceNumber, const QString& recipientName);

// Asks for the text of the reminder and keeps it as state.Mahntext. True
// when the invoice is to be printed now (through the print button's flow,
// without a further question); false, with Mahntext empty, when the user
// cancelled or cleared the text.
bool askReminderText(Prompts& prompts, ReminderKind kind, const QString& invoiceNumber,
                     const QString& recipientName, ProgramState& state);

} // namespace quittora
