#pragma once

// The main window for window tests (gui_tests only: it needs quittora_gui).

#include "data/Recordset.h"
#include "print/FakePrinters.h"
#include "support/SampleDocuments.h"
#include "support/TestContext.h"
#include "support/Typing.h"
#include "workspace/DataSources.h"
#include "workspace/widgets/CustomersController.h"
#include "workspace/widgets/OutputController.h"
#include "workspace/widgets/RechnungWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace quittora::test {

inline QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// Waits until the window's deferred work (loading the last document, lines
// and customer following it, change mode of a picked line) has run out.
inline bool settleWindow(const QWidget& window)
{
    return QTest::qWaitFor(
        [&] {
            for (const char* name : {"Timer3", "Timer5", "Timer6"}) {
                auto* timer = window.findChild<QTimer*>(QString::fromLatin1(name));
                if (timer && timer->isActive())
                    return false;
            }
            return true;
        },
        3000);
}

template <typename T>
T* control(const QObject& parent, const char* name)
{
    T* c = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << "no control " << name;
    return c;
}

// The main window on a fresh database holding the sample documents, shown on
// a 1024 x 768 screen, bound and settled: the last document (1003) is current.
// Printing goes to a recording printer "Laser" (margins 4 / 3 mm); the print
// dialog is counted in dialogs and answers printDialogAnswer.
class MainWindowTest : public ::testing::Test {
protected:
    explicit MainWindowTest(QChar separator = QLatin1Char(','))
        : db(separator)
        , t(separator)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(db.isValid()) << db.error().toStdString();
        beforeOpen();
        window = std::make_unique<RechnungWindow>(t.ctx, db.db());
        if (recordingPrinter) {
            auto fake = std::make_unique<quittora::testing::FakePrinters>();
            fake->installed = {QStringLiteral("Laser")};
            fake->defaultPrinter = QStringLiteral("Laser");
            fake->offsets.insert(QStringLiteral("Laser"), MarginValues{4.0f, 3.0f});
            printers = fake.get();
            window->output().setPrinters(std::move(fake));
        }
        window->output().setPrintDialog([this](ProgramState&) {
            ++dialogs;
            return printDialogAnswer;
        });
        ASSERT_TRUE(window->prepare({QSize(1024, 768), QRect(0, 0, 1024, 768)}));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->rebind();
        window->findChild<CustomersController*>()->setExchangeFilePath(dir.filePath(u("Quittora pro/Faktu_50.tmp")));
        settle();
    }
    // Data a test needs before the window reads the database.
    virtual void beforeOpen() {}

    void settle() { ASSERT_TRUE(settleWindow(*window)) << "deferred work does not come to an end"; }
    // Binds the window anew after the test changed the tables behind it.
    void reread()
    {
        window->rebind();
        settle();
    }

    template <typename T>
    T* find(const char* name) const
    {
        return control<T>(*window, name);
    }
    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    void click(const char* name) { QTest::mouseClick(find<QWidget>(name), Qt::LeftButton); }
    // Replaces a field's text key by key, as the user would (umlauts too).
    void type(const char* name, const QString& text)
    {
        QLineEdit* e = edit(name);
        e->setFocus();
        e->selectAll();
        typeText(e, text);
    }
    void setTab(int page) { window->tabs()->setCurrentIndex(page); }
    QAction* action(const char* name) const { return find<QAction>(name); }
    void goTo(qint64 id)
    {
        ASSERT_TRUE(docs().moveToId(id));
        settle();
    }
    // Focus arriving as the user moves it (the reason decides what a field does).
    void userEnters(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason)
    {
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(w, &in);
    }
    // Fills the line entry of the " Auswahl" tab: unit "Stk" and the rest.
    void typeLine(const char* quantity, const char* designation, const char* price, const char* rate)
    {
        edit("Text13")->setText(u("Stk"));
        find<QPlainTextEdit>("Text14")->setPlainText(u(designation));
        find<QComboBox>("Combo5")->setEditText(u(rate));
        edit("Text15")->setText(u(price));
        edit("Text12")->setText(u(quantity));
    }

    Recordset& docs() const { return window->sources().documents(); }
    Recordset& customers() const { return window->sources().customers(); }
    Recordset& articles() const { return window->sources().articles(); }
    Recordset& lines() const { return window->sources().lines(); }

    // Fields of a document as stored in the file ("a7 a6"), joined by '|'.
    QString stored(qint64 id, const char* fields) const
    {
        QStringList values;
        for (const QString& f : QString::fromLatin1(fields).split(QLatin1Char(' ')))
            values << db.field(QStringLiteral("Rechnungen"), id, f).toString();
        return values.join(QLatin1Char('|'));
    }
    // What controls show ("Text8 Combo3 Check1"), joined by '|': the text of
    // an edit or label, a combo box's current text, "1" or "0" for a check box.
    QString shown(const char* names) const
    {
        QStringList texts;
        for (const QString& name : QString::fromLatin1(names).split(QLatin1Char(' '))) {
            QWidget* w = find<QWidget>(name.toLatin1().constData());
            if (auto* e = qobject_cast<QLineEdit*>(w))
                texts << e->text();
            else if (auto* l = qobject_cast<QLabel*>(w))
                texts << l->text();
            else if (auto* c = qobject_cast<QComboBox*>(w))
                texts << c->currentText();
            else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
                texts << p->toPlainText();
            else if (auto* b = qobject_cast<QCheckBox*>(w))
                texts << QString::number(b->isChecked());
            else
                texts << QStringLiteral("?");
        }
        return texts.join(QLatin1Char('|'));
    }
    qint64 linesOf(qint64 id) const
    {
        return db.count(QStringLiteral("Verkauf"), QStringLiteral("a1 = ?"), {QString::number(id)});
    }
    qint64 rows(const char* table) const { return db.count(QString::fromLatin1(table)); }
    QString nextNumber() const { return db.setting(u("Rechnungsnummer")).toString(); }
    QString lastText() const { return t.prompts.last().text; }
    QString lastTitle() const { return t.prompts.last().title; }
    // Title and text of the last message, "title|text".
    QString lastMessage() const { return lastTitle() + QLatin1Char('|') + lastText(); }

    TempDatabase db;
    SampleDocuments sample{db};
    TestContext t;
    quittora::testing::FakePrinters* printers = nullptr;
    int dialogs = 0;
    bool printDialogAnswer = true;
    bool recordingPrinter = true; // false: the system's printers, set before SetUp
    QTemporaryDir dir; // the customer exchange file
    std::unique_ptr<RechnungWindow> window;
};

} // namespace quittora::test
