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

class DruckerTest : public ::testing::Test {
protected:
    DruckerTest()
    {
        printers.installed = {QStringLiteral("Laser Büro"), QStringLiteral("Tinte Lager")};
        printers.defaultPrinter = QStringLiteral("Laser Büro");
        printers.offsets.insert(QStringLiteral("Laser Büro"), {4.2333f, 4.0f});
        printers.offsets.insert(QStringLiteral("Tinte Lager"), {3.4f, 1.5f});
        state.xwert = 4.2333f; // detected at start-up
        state.ywert = 4.0f;
        company.setValue(QStringLiteral("frei1"), QStringLiteral("2"));
    }

    QLineEdit* box(const char* name) { return dialog->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QPushButton* button(const char* name) { return dialog->findChild<QPushButton*>(QString::fromLatin1(name)); }
    QComboBox* list() { return dialog->findChild<QComboBox*>(QStringLiteral("cboPrinters")); }
    std::unique_ptr<Drucker> open()
    {
        auto d = std::make_unique<Drucker>(t.ctx, printers, company);
        d->show();
        return d;
    }
    void type(const char* boxName, const QString& text)
    {
        QLineEdit* b = box(boxName);
        b->selectAll();
        QTest::keyClicks(b, text);
    }

    TestContext t;
    FakePrompts& prompts = t.prompts;
    FakeSettingsStore& settings = t.settings;
    ProgramState& state = t.state;
    FakePrinters printers;
    CompanySettings company;
    std::unique_ptr<Drucker> dialog;
};

} // namespace

TEST_F(DruckerTest, OpensWithThePrintersTheStoredValuesAndTheCopies)
{
    settings.setValue(QStringLiteral("xwert"), QStringLiteral("4,5"));
    settings.setValue(QStringLiteral("Druckerauswahl"), QStringLiteral("Tinte*"));
    dialog = open();
    EXPECT_EQ(dialog->objectName(), QStringLiteral("Drucker"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral(" Drucker einstellen"));
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->itemText(1), QStringLiteral("Tinte Lager"));
    EXPECT_EQ(list()->currentIndex(), 0); // the printer in use
    EXPECT_EQ(list()->currentText(), QStringLiteral("Tinte*")); // the stored choice
    EXPECT_EQ(box("txtLinks")->text(), QStringLiteral("4,50"));
    EXPECT_EQ(box("txtOben")->text(), QStringLiteral("4,00")); // not stored: the detected value
    EXPECT_EQ(box("txtKopien")->text(), QStringLiteral("2"));
    EXPECT_FLOAT_EQ(state.xwert, 4.5f);
    EXPECT_EQ(state.Druckerauswahl, QStringLiteral("Tinte*"));
    for (const char* name : {"cmdTestdruck", "cmdSpeichern", "cmdStandard", "cmdSchliessen"})
        EXPECT_NE(button(name), nullptr) << name;
    EXPECT_EQ(button("cmdSpeichern")->text(), QStringLiteral("Werte &speichern"));
    EXPECT_EQ(button("cmdSchliessen")->text(), QStringLiteral("&Schließen"));

    // Closing unchanged asks nothing.
    dialog->close();
    EXPECT_EQ(prompts.count(), 0);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DruckerTest, ClosingWithChangedMarginsAsksAndSavesUnlessNo)
{
    dialog = open();
    type("txtLinks", QStringLiteral("5.5")); // the '.' becomes the locale's ','
    EXPECT_EQ(box("txtLinks")->text(), QStringLiteral("5,5"));
    prompts.answerMessage(Prompts::No);
    dialog->close();
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.shown()[0].title, QStringLiteral("Achtung, Daten wurden geändert !"));
    EXPECT_EQ(prompts.shown()[0].text, QStringLiteral("Änderungen der Druckerränder speichern ?"));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(prompts.shown()[0].buttons, Prompts::Yes | Prompts::No);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(settings.contains(QStringLiteral("xwert")));
    EXPECT_FLOAT_EQ(state.xwert, 4.2333f);

    prompts.clear();
    dialog = open();
    type("txtOben", QStringLiteral("2,75"));
    prompts.answerMessage(Prompts::Yes);
    dialog->close();
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(settings.value(QStringLiteral("ywert")), QStringLiteral("2,75"));
    EXPECT_EQ(settings.value(QStringLiteral("xwert")), QStringLiteral("4,23"));
    EXPECT_EQ(settings.value(QStringLiteral("Druckerauswahl")), QStringLiteral("Laser Büro"));
    EXPECT_FLOAT_EQ(state.ywert, 2.75f);
}

TEST_F(DruckerTest, AMarginThatIsNoNumberIsRefusedAndTheDialogStaysOpen)
{
    settings.setValue(QStringLiteral("xwert"), QStringLiteral("4"));
    dialog = open();
    box("txtLinks")->clear();
    button("cmdSpeichern")->click();
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.shown()[0].title, QStringLiteral("Fehler"));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::Critical);
    EXPECT_EQ(prompts.shown()[0].text, QStringLiteral("Bitte geben Sie bei \"von links (in mm)\" eine Zahl ein (z.B. 4,5).\n"
                                                    "Die Druckereinstellungen wurden nicht gespeichert."));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(settings.value(QStringLiteral("xwert")), QStringLiteral("4"));
    EXPECT_FALSE(settings.contains(QStringLiteral("ywert")));

    // The same when the save question on closing is answered with Yes.
    type("txtLinks", QStringLiteral("-"));
    prompts.answerMessage(Prompts::Yes);
    dialog->close();
    EXPECT_EQ(prompts.count(), 3);
    EXPECT_EQ(prompts.shown()[2].title, QStringLiteral("Fehler"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(settings.value(QStringLiteral("xwert")), QStringLiteral("4"));

    // "Schließen" leaves without asking.
    button("cmdSchliessen")->click();
    EXPECT_EQ(prompts.count(), 3);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(DruckerTest, SaveButtonStoresTheBoxesAndTheCurrentPrinterAndCloses)
{
    dialog = open();
    type("txtLinks", QStringLiteral("4,5"));
    type("txtOben", QStringLiteral("-1"));
    button("cmdSpeichern")->click();
    EXPECT_EQ(prompts.count(), 0);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(settings.value(QStringLiteral("xwert")), QStringLiteral("4,5"));
    EXPECT_EQ(settings.value(QStringLiteral("ywert")), QStringLiteral("-1"));
    EXPECT_EQ(settings.value(QStringLiteral("Druckerauswahl")), QStringLiteral("Laser Büro"));
}

TEST_F(DruckerTest, ChoosingAPrinterResetsTheCopiesWhichAreWrittenBackOnClosing)
{
    dialog = open();
    QSignalSpy copies(dialog.get(), &Drucker::copiesChanged);
    list()->setCurrentIndex(1);
    Q_EMIT list()->activated(1);
    EXPECT_EQ(state.currentPrinter, QStringLiteral("Tinte Lager"));
    EXPECT_EQ(box("txtKopien")->text(), QStringLiteral("1"));
    EXPECT_EQ(box("txtLinks")->text(), QStringLiteral("4,23")); // refreshed, not re-detected
    button("cmdSchliessen")->click();
    EXPECT_EQ(company.copies(), QStringLiteral("1"));
    ASSERT_EQ(copies.count(), 1);
    EXPECT_EQ(copies.at(0).at(0).toString(), QStringLiteral("1"));
    EXPECT_EQ(prompts.count(), 0);
}

TEST_F(DruckerTest, StandardForgetsTheStoredValuesAndDetectsTheOffsetsAgain)
{
    settings.setValue(QStringLiteral("xwert"), QStringLiteral("9"));
    settings.setValue(QStringLiteral("ywert"), QStringLiteral("9"));
    settings.setValue(QStringLiteral("Druckerauswahl"), QStringLiteral("Tinte Lager"));
    dialog = open();

    prompts.answerMessage(Prompts::No);
    button("cmdStandard")->click();
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.shown()[0].title, QStringLiteral("Achtung !"));
    EXPECT_EQ(prompts.shown()[0].text,
              QStringLiteral("Die Vorauswahl des gespeicherten Druckers wird gelöscht und die Druckerränder werden "
                             "jetzt zurückgesetzt und wieder automatisch erkannt."));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(settings.value(QStringLiteral("xwert")), QStringLiteral("9"));

    prompts.answerMessage(Prompts::Yes);
    button("cmdStandard")->click();
    EXPECT_FALSE(settings.contains(QStringLiteral("xwert")));
    EXPECT_FALSE(settings.contains(QStringLiteral("Druckerauswahl")));
    EXPECT_EQ(list()->currentText(), QString());
    EXPECT_EQ(box("txtLinks")->text(), QStringLiteral("4,23"));
    EXPECT_EQ(box("txtOben")->text(), QStringLiteral("4,00"));
    EXPECT_EQ(state.Druckerauswahl, QStringLiteral("Tinte Lager")); // in memory until saved

    ASSERT_TRUE(button("cmdSpeichern")->isEnabled());
    button("cmdSpeichern")->click();
    EXPECT_EQ(settings.value(QStringLiteral("xwert")), QStringLiteral("4,23"));
    EXPECT_EQ(settings.value(QStringLiteral("ywert")), QStringLiteral("4"));
    EXPECT_EQ(settings.value(QStringLiteral("Druckerauswahl")), QStringLiteral("Laser Büro"));
}

TEST_F(DruckerTest, TestPrintGoesToTheCurrentPrinterWithoutMarginValues)
{
    state.xwert = 7;
    dialog = open();
    button("cmdTestdruck")->click();
    ASSERT_EQ(printers.jobs.size(), 1u);
    EXPECT_EQ(printers.jobs[0].printer, QStringLiteral("Laser Büro"));
    EXPECT_EQ(printers.jobs[0].margins, MarginValues{});
    ASSERT_EQ(printers.jobs[0].documents.size(), 1u);
    EXPECT_NE(printers.jobs[0].documents[0].page(0).findText(QStringLiteral("Rand für DinA 4 - Hoch-Format")), nullptr);
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.shown()[0].title, QStringLiteral("Quittora pro"));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::None);
    EXPECT_EQ(prompts.shown()[0].buttons, Prompts::Ok);
    EXPECT_TRUE(prompts.shown()[0].text.startsWith(QStringLiteral("Messen Sie die jeweiligen Ränder, und tragen")));

    printers.failPrinting = true;
    button("cmdTestdruck")->click();
    ASSERT_EQ(prompts.count(), 2);
    EXPECT_EQ(prompts.shown()[1].icon, Prompts::Icon::Critical);
    EXPECT_EQ(prompts.shown()[1].text, QStringLiteral("Der Drucker \"Laser Büro\" konnte nicht angesprochen werden."));
}

TEST_F(DruckerTest, KeyFiltersDropOtherKeysAndTheCopiesBoxSaysSo)
{
    dialog = open();
    box("txtLinks")->clear();
    QTest::keyClicks(box("txtLinks"), QStringLiteral("a1x,5 "));
    EXPECT_EQ(box("txtLinks")->text(), QStringLiteral("1,5"));
    QTest::keyClick(box("txtLinks"), Qt::Key_Return);
    EXPECT_EQ(prompts.count(), 0);
    EXPECT_TRUE(dialog->isVisible());

    box("txtKopien")->clear();
    QTest::keyClicks(box("txtKopien"), QStringLiteral("3x"));
    EXPECT_EQ(box("txtKopien")->text(), QStringLiteral("3"));
    ASSERT_EQ(prompts.count(), 1);
    EXPECT_EQ(prompts.shown()[0].title, QStringLiteral("Fehler"));
    EXPECT_EQ(prompts.shown()[0].text, QStringLiteral("Falsche Eingabe !      nur Zahlenwerte erlaubt"));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::Critical);
    // Enter passes in the copies box but presses no button.
    QTest::keyClick(box("txtKopien"), Qt::Key_Return);
    EXPECT_EQ(prompts.count(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(printers.jobs.empty());
}
