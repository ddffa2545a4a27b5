#include "print/widgets/Drucker.h"

#include "data/CompanySettings.h"
#include "print/FakePrinters.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace quittora;
using quittora::testing::FakePrinters;

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

class DruckerTest : public ::testing::Test {
protected:
    DruckerTest()
    {
        printers.installed = {u("Laser Büro"), u("Tinte Lager")};
        printers.defaultPrinter = u("Laser Büro");
        printers.offsets.insert(u("Laser Büro"), {4.2333f, 4.0f});
        printers.offsets.insert(u("Tinte Lager"), {3.4f, 1.5f});
        t.state.xwert = 4.2333f; // detected at start-up
        t.state.ywert = 4.0f;
        company.setValue(u("frei1"), u("2"));
    }
    QLineEdit* box(const char* name) { return dialog->findChild<QLineEdit*>(u(name)); }
    QPushButton* button(const char* name) { return dialog->findChild<QPushButton*>(u(name)); }
    QComboBox* list() { return dialog->findChild<QComboBox*>(u("cboPrinters")); }
    void open()
    {
        dialog = std::make_unique<Drucker>(t.ctx, printers, company);
        dialog->show();
    }
    void type(const char* boxName, const char* text)
    {
        box(boxName)->selectAll();
        QTest::keyClicks(box(boxName), u(text));
    }
    // The boxes as shown: left, top, copies.
    QString boxes() { return box("txtLinks")->text() + u("|") + box("txtOben")->text() + u("|") + box("txtKopien")->text(); }
    QString stored() const
    {
        return t.settings.value(u("xwert")) + u("|") + t.settings.value(u("ywert")) + u("|") + t.settings.value(u("Druckerauswahl"));
    }
    // The i-th prompt as "title: text".
    QString prompt(int i) const { return i < t.prompts.count() ? t.prompts.shown()[i].title + u(": ") + t.prompts.shown()[i].text : u("-"); }

    TestContext t;
    FakePrinters printers;
    CompanySettings company;
    std::unique_ptr<Drucker> dialog;
};

} // namespace

TEST_F(DruckerTest, OpensWithThePrintersTheStoredValuesAndTheCopiesAndSavesThem)
{
    t.settings.setValue(u("xwert"), u("4,5"));
    t.settings.setValue(u("Druckerauswahl"), u("Tinte*"));
    open();
    EXPECT_EQ(dialog->windowTitle(), u(" Drucker einstellen"));
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->itemText(1), u("Tinte Lager"));
    EXPECT_EQ(list()->currentIndex(), 0); // the printer in use
    EXPECT_EQ(list()->currentText(), u("Tinte*")); // the stored choice
    EXPECT_EQ(boxes(), u("4,50|4,00|2")); // the top not stored: the detected value
    EXPECT_FLOAT_EQ(t.state.xwert, 4.5f);
    EXPECT_EQ(t.state.Druckerauswahl, u("Tinte*"));
    EXPECT_EQ(button("cmdSpeichern")->text(), u("Werte &speichern"));
    EXPECT_EQ(button("cmdSchliessen")->text(), u("&Schließen"));
    dialog->close(); // unchanged: asks nothing
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_FALSE(dialog->isVisible());

    open();
    type("txtLinks", "4,5");
    type("txtOben", "-1");
    button("cmdSpeichern")->click();
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored(), u("4,5|-1|Laser Büro"));
}

TEST_F(DruckerTest, ClosingWithChangedMarginsAsksAndSavesUnlessNoAndBadMarginsAreRefused)
{
    open();
    type("txtLinks", "5.5"); // the '.' becomes the locale's ','
    EXPECT_EQ(box("txtLinks")->text(), u("5,5"));
    t.prompts.answerMessage(Prompts::No);
    dialog->close();
    EXPECT_EQ(prompt(0), u("Achtung, Daten wurden geändert !: Änderungen der Druckerränder speichern ?"));
    EXPECT_EQ(t.prompts.shown()[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(t.prompts.shown()[0].buttons, Prompts::Yes | Prompts::No);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored(), u("||"));
    EXPECT_FLOAT_EQ(t.state.xwert, 4.2333f);

    open();
    type("txtOben", "2,75");
    t.prompts.answerMessage(Prompts::Yes);
    dialog->close();
    EXPECT_EQ(t.prompts.count(), 2);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored(), u("4,23|2,75|Laser Büro"));
    EXPECT_FLOAT_EQ(t.state.ywert, 2.75f);

    t.prompts.clear();
    open();
    box("txtLinks")->clear();
    button("cmdSpeichern")->click();
    EXPECT_EQ(prompt(0), u("Fehler: Bitte geben Sie bei \"von links (in mm)\" eine Zahl ein (z.B. 4,5).\n"
                           "Die Druckereinstellungen wurden nicht gespeichert."));
    EXPECT_EQ(t.prompts.shown()[0].icon, Prompts::Icon::Critical);
    EXPECT_TRUE(dialog->isVisible());
    // The same when the save question on closing is answered with Yes.
    type("txtLinks", "-");
    t.prompts.answerMessage(Prompts::Yes);
    dialog->close();
    EXPECT_TRUE(prompt(2).startsWith(u("Fehler: ")));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(stored(), u("4,23|2,75|Laser Büro"));
    button("cmdSchliessen")->click(); // leaves without asking
    EXPECT_EQ(t.prompts.count(), 3);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DruckerTest, ChoosingAPrinterResetsTheCopiesAndStandardDetectsTheOffsetsAgain)
{
    open();
    QSignalSpy copies(dialog.get(), &Drucker::copiesChanged);
    list()->setCurrentIndex(1);
    Q_EMIT list()->activated(1);
    EXPECT_EQ(t.state.currentPrinter, u("Tinte Lager"));
    EXPECT_EQ(boxes(), u("4,23|4,00|1")); // refreshed, not re-detected
    button("cmdSchliessen")->click(); // the copies go back to the settings
    EXPECT_EQ(company.copies(), u("1"));
    ASSERT_EQ(copies.count(), 1);
    EXPECT_EQ(copies.at(0).at(0).toString(), u("1"));
    EXPECT_EQ(t.prompts.count(), 0);

    t.state.currentPrinter.clear();
    t.settings.setValue(u("xwert"), u("9"));
    t.settings.setValue(u("ywert"), u("9"));
    t.settings.setValue(u("Druckerauswahl"), u("Tinte Lager"));
    open();
    t.prompts.answerMessage(Prompts::No);
    button("cmdStandard")->click();
    EXPECT_EQ(prompt(0), u("Achtung !: Die Vorauswahl des gespeicherten Druckers wird gelöscht und die Druckerränder "
                           "werden jetzt zurückgesetzt und wieder automatisch erkannt."));
    EXPECT_EQ(t.prompts.shown()[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(stored(), u("9|9|Tinte Lager"));
    t.prompts.answerMessage(Prompts::Yes);
    button("cmdStandard")->click();
    EXPECT_FALSE(t.settings.contains(u("xwert")) || t.settings.contains(u("Druckerauswahl")));
    EXPECT_EQ(list()->currentText(), QString());
    EXPECT_EQ(box("txtLinks")->text() + box("txtOben")->text(), u("4,234,00"));
    EXPECT_EQ(t.state.Druckerauswahl, u("Tinte Lager")); // in memory until saved
    button("cmdSpeichern")->click();
    EXPECT_EQ(stored(), u("4,23|4|Laser Büro"));
}

TEST_F(DruckerTest, TestPrintGoesToTheCurrentPrinterWithoutMarginValuesAndKeysAreFiltered)
{
    t.state.xwert = 7;
    open();
    button("cmdTestdruck")->click();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, u("Laser Büro"));
    EXPECT_EQ(printers.jobs[0].margins, MarginValues{});
    ASSERT_EQ(printers.jobs[0].documents.size(), 1u);
    EXPECT_NE(printers.jobs[0].documents[0].page(0).findText(u("Rand für DinA 4 - Hoch-Format")), nullptr);
    EXPECT_TRUE(prompt(0).startsWith(u("Quittora pro: Messen Sie die jeweiligen Ränder, und tragen")));
    EXPECT_EQ(t.prompts.shown()[0].icon, Prompts::Icon::None);
    EXPECT_EQ(t.prompts.shown()[0].buttons, Prompts::Ok);
    printers.failPrinting = true;
    button("cmdTestdruck")->click();
    EXPECT_EQ(t.prompts.shown().value(1).icon, Prompts::Icon::Critical);
    EXPECT_EQ(t.prompts.shown().value(1).text, u("Der Drucker \"Laser Büro\" konnte nicht angesprochen werden."));

    t.prompts.clear();
    box("txtLinks")->clear();
    QTest::keyClicks(box("txtLinks"), u("a1x,5 "));
    QTest::keyClick(box("txtLinks"), Qt::Key_Return);
    EXPECT_EQ(box("txtLinks")->text(), u("1,5"));
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_TRUE(dialog->isVisible());
    box("txtKopien")->clear();
    QTest::keyClicks(box("txtKopien"), u("3x"));
    EXPECT_EQ(box("txtKopien")->text(), u("3"));
    EXPECT_EQ(prompt(0), u("Fehler: Falsche Eingabe !      nur Zahlenwerte erlaubt"));
    EXPECT_EQ(t.prompts.shown()[0].icon, Prompts::Icon::Critical);
    // Enter passes in the copies box but presses no button.
    QTest::keyClick(box("txtKopien"), Qt::Key_Return);
    EXPECT_EQ(t.prompts.count(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(printers.jobs.size(), 1u);
}
