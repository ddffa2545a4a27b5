#include "tools/widgets/SettingsDialog.h"

#include "data/CompanySettings.h"
#include "data/Recordset.h"
#include "platform/widgets/FieldMarks.h"
#include "support/ModalHelper.h"
#include "support/QtPrinters.h"
#include "support/TempDatabase.h"
#include "support/TestContext.h"
#include "support/Typing.h"
#include "tools/SettingsRules.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace quittora;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

const QString kWrongInput = s("Falsche Eingabe !      nur Zahlenwerte erlaubt");
const QString kWrongInputVat1 = s("Falsche Eingabe!      nur Zahlenwerte erlaubt");
const QString kVatEmpty = s("Die Felder für MwSt müssen einen Wert enthalten");

// Every line edit of the dialog with the field it shows.
const QList<QPair<const char*, const char*>> kLineEdits = {
    {"Text3", "Titel"},    {"Text4", "frei4"},   {"Text5", "frei2"},   {"Text6", "frei3"},
    {"Text7", "Einst1"},   {"Text8", "Einst2"},  {"Text9", "Tel"},     {"Text11", "Fax"},
    {"Text12", "Einst15"}, {"Text14", "Einst23"}, {"Text15", "Einst6"}, {"Text16", "Einst24"},
    {"Text17", "frei5"},   {"Text18", "Einst26"}, {"Text19", "Bank"},   {"Text20", "Einst25"},
    {"Text21", "Einst28"}, {"Text22", "Einst27"}, {"Text23", "Einst3"}, {"Text24", "Einst4"},
    {"Text25", "Einst5"},  {"Text1", "frei1"},   {"Text2", "MWSt"},    {"Text13", "frei9"},
    {"Text10", "frei8"},   {"Text26", "Rechnungsnummer"}, {"Text27", "Memo1"}, {"Text28", "Memo2"},
    {"Text32", "Einst18"}, {"Text33", "Einst19"}, {"Text34", "Memo4"},  {"Text35", "Memo5"},
    {"Text37", "Memo7"},
};
const QList<QPair<const char*, const char*>> kTextBoxes = {
    {"Text29", "Memo3"}, {"Text36", "Memo6"}, {"Text38", "Memo8"}};

class SettingsDialogTest : public ::testing::Test {
protected:
    explicit SettingsDialogTest(QChar separator = QLatin1Char(',')) : tdb(separator), t(separator) {}

    void SetUp() override { ASSERT_TRUE(tdb.isValid()) << tdb.error().toStdString(); }

    void open()
    {
        dialog = std::make_unique<SettingsDialog>(t.ctx, tdb.db());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    // Closes the way the window's close button does; true when it closed.
    bool closeDialog()
    {
        dialog->close();
        return !dialog->isVisible();
    }

    template <class T>
    T* w(const char* name)
    {
        T* found = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* edit(const char* name) { return w<QLineEdit>(name); }
    QTabWidget* tabs() { return w<QTabWidget>("SSTab1"); }

    // A click on the box or circle of a check box or option button.
    static void tick(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2)); }

    // Replaces a line edit's text as the user would: select all, type.
    void retype(QLineEdit* e, const QString& text)
    {
        e->setFocus();
        e->selectAll();
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Backspace);
        else
            typeText(e, text);
    }

    QString stored(const char* field) const { return tdb.setting(QLatin1String(field)).toString(); }
    void setStored(const char* field, const QVariant& value)
    {
        tdb.exec(QStringLiteral("UPDATE Einstellungen SET \"%1\" = ?").arg(QLatin1String(field)), {value});
    }

    test::TempDatabase tdb;
    TestContext t;
    std::unique_ptr<SettingsDialog> dialog;
};

} // namespace

TEST_F(SettingsDialogTest, ShowsEveryFieldOfTheRecordOnItsPage)
{
    for (const auto& [control, field] : kLineEdits)
        setStored(field, QStringLiteral("W-%1").arg(QLatin1String(field)));
    for (const auto& [control, field] : kTextBoxes)
        setStored(field, QStringLiteral("Zeile 1 %1\nZeile 2").arg(QLatin1String(field)));
    setStored("Memo10", s("/bilder/nicht da.png"));
    setStored("Vordruck", 0);
    open();

    EXPECT_EQ(dialog->windowTitle(), s("Einstellungen"));
    EXPECT_EQ(dialog->objectName(), s("Einstellungen"));
    EXPECT_EQ(dialog->recordset().objectName(), s("Data1"));
    ASSERT_EQ(tabs()->count(), 3);
    EXPECT_EQ(tabs()->tabText(0), s(" Ihre Firmendaten"));
    EXPECT_EQ(tabs()->tabText(1), s("Rechnungsvorgaben"));
    EXPECT_EQ(tabs()->tabText(2), s("Angebot / Lieferschein"));
    EXPECT_EQ(tabs()->currentIndex(), 0);

    for (const auto& [control, field] : kLineEdits)
        EXPECT_EQ(edit(control)->text(), QStringLiteral("W-%1").arg(QLatin1String(field))) << control;
    for (const auto& [control, field] : kTextBoxes)
        EXPECT_EQ(w<QPlainTextEdit>(control)->toPlainText(), QStringLiteral("Zeile 1 %1\nZeile 2").arg(QLatin1String(field)));
    EXPECT_EQ(w<QLabel>("Label20")->text(), s("/bilder/nicht da.png"));
    EXPECT_FALSE(w<QCheckBox>("Check1")->isChecked());
    EXPECT_EQ(w<QCheckBox>("Check1")->text(), s("folgende Daten als Briefkopf mit ausdrucken"));
    EXPECT_EQ(w<QRadioButton>("Option1")->text(), s("Rechnungen - Netto-Preis  (zzgl. Mwst)"));
    EXPECT_EQ(w<QRadioButton>("Option2")->text(), s("Rechnungen - Brutto-Preis (incl. MwSt.)"));
    EXPECT_EQ(w<QCheckBox>("Check2")->text(), s("Empfangsbestätigung für Lieferschein vorsehen"));
    EXPECT_EQ(w<QPushButton>("Command1")->text(), s("Grafik einfügen"));
    EXPECT_EQ(w<QPushButton>("Command2")->text(), s("Grafik entfernen"));
    // A logo file that is gone leaves the preview empty, without a message.
    EXPECT_TRUE(w<QLabel>("Image1")->pixmap().isNull());
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(SettingsDialogTest, FourthFooterLineReadsInTheOrderItIsPrinted)
{
    open();
    QLineEdit* caption = edit("Text20"); // Einst25
    QLineEdit* first = edit("Text22");   // Einst27, printed right after the caption
    QLineEdit* second = edit("Text21");  // Einst28
    EXPECT_EQ(first->y(), second->y());
    EXPECT_LT(caption->x(), first->x());
    EXPECT_LT(first->x(), second->x());
    // The template's IBAN fits its box.
    EXPECT_GE(first->width(), first->fontMetrics().horizontalAdvance(first->text()));
}

TEST_F(SettingsDialogTest, EditsAreStoredOnlyAtClosingAndReachAFreshSettingsLoad)
{
    open();
    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);
    retype(edit("Text3"), s("Müller & Söhne GmbH"));
    retype(edit("Text10"), s("CHF"));
    retype(edit("Text2"), s("8,1"));
    retype(edit("Text33"), s("2"));
    retype(edit("Text19"), s("Sparkasse 'Nord'"));
    auto* below = w<QPlainTextEdit>("Text29");
    below->setFocus();
    below->selectAll();
    typeText(below, s("Zahlbar sofort."));
    tick(w<QCheckBox>("Check1"));

    EXPECT_EQ(stored("Titel"), s("Ihre Firma")) << "nothing is stored while the dialog is open";
    EXPECT_EQ(stored("frei8"), s("EUR"));

    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(dialog->stored());
    CompanySettings fresh;
    ASSERT_TRUE(fresh.load(tdb.db()));
    EXPECT_EQ(fresh.text(s("Titel")), s("Müller & Söhne GmbH"));
    EXPECT_EQ(fresh.currency(), s("CHF"));
    EXPECT_EQ(fresh.vatRate1(), s("8,1"));
    EXPECT_EQ(fresh.vatRate2(), s("7"));
    EXPECT_EQ(fresh.skontoPercent(), s("2"));
    EXPECT_EQ(fresh.text(s("Bank")), s("Sparkasse 'Nord'"));
    EXPECT_EQ(fresh.text(s("Memo3")), s("Zahlbar sofort."));
    EXPECT_FALSE(fresh.printLetterhead());
    EXPECT_EQ(t.prompts.count(), 0);
}

TEST_F(SettingsDialogTest, EmptyVatRateBlocksClosingSwitchesPageAndMarksTheField)
{
    open();
    retype(edit("Text13"), QString());
    retype(edit("Text3"), s("Neuer Titel"));
    tabs()->setCurrentIndex(2);
    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);

    EXPECT_FALSE(closeDialog());
    ASSERT_EQ(t.prompts.count(), 1);
    const auto shown = t.prompts.last();
    EXPECT_EQ(shown.title, s("Quittora"));
    EXPECT_EQ(shown.text, kVatEmpty);
    EXPECT_EQ(shown.icon, Prompts::Icon::Critical);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(tabs()->tabText(tabs()->currentIndex()), s("Rechnungsvorgaben"));
    EXPECT_EQ(fieldBackground(edit("Text13")), markYellow());
    EXPECT_EQ(fieldBackground(edit("Text2")), plainWhite());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(stored("Titel"), s("Ihre Firma"));
    EXPECT_EQ(stored("frei9"), s("7"));

    // Escape is a way of closing too.
    t.prompts.clear();
    QTest::keyClick(edit("Text2"), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(t.prompts.messageTexts(), QStringList{kVatEmpty});

    retype(edit("Text13"), s("0"));
    EXPECT_EQ(fieldBackground(edit("Text13")), plainWhite()) << "filled in, the mark goes";
    t.prompts.clear();
    EXPECT_TRUE(closeDialog());
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(stored("frei9"), s("0"));
    EXPECT_EQ(stored("Titel"), s("Neuer Titel"));
}

TEST_F(SettingsDialogTest, BothVatRatesEmptyAreBothMarked)
{
    setStored("frei9", s("   "));
    open();
    retype(edit("Text2"), QString());
    EXPECT_FALSE(closeDialog());
    EXPECT_EQ(fieldBackground(edit("Text2")), markYellow());
    EXPECT_EQ(fieldBackground(edit("Text13")), markYellow());
    EXPECT_EQ(t.prompts.messageTexts(), QStringList{kVatEmpty});
    EXPECT_EQ(stored("MWSt"), s("19"));
}

TEST_F(SettingsDialogTest, VatRateThatIsNoNumberBlocksClosing)
{
    open();
    retype(edit("Text2"), s("1-9"));
    EXPECT_FALSE(closeDialog());
    EXPECT_EQ(t.prompts.messageTexts(), QStringList{settingsrules::vatNotANumberMessage()});
    EXPECT_EQ(fieldBackground(edit("Text2")), markYellow());
    EXPECT_EQ(stored("MWSt"), s("19"));
}

TEST_F(SettingsDialogTest, EnterInAFieldDoesNotCloseTheDialog)
{
    open();
    QTest::keyClick(edit("Text10"), Qt::Key_Return);
    QTest::keyClick(edit("Text1"), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsDialogTest, StoreFailureIsToldAndTheUserDecides)
{
    open();
    retype(edit("Text10"), s("USD"));
    ASSERT_TRUE(tdb.exec(s("CREATE TRIGGER sperre BEFORE UPDATE ON Einstellungen "
                           "BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")));
    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);

    t.prompts.answerMessage(Prompts::No);
    EXPECT_FALSE(closeDialog()) << "No keeps the dialog and its edits";
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(t.prompts.last().title, s("Fehler"));
    EXPECT_TRUE(t.prompts.last().text.startsWith(s("Die Einstellungen konnten nicht gespeichert werden.")));
    EXPECT_EQ(edit("Text10")->text(), s("USD"));

    t.prompts.answerMessage(Prompts::Yes);
    EXPECT_TRUE(closeDialog());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(dialog->stored());
    EXPECT_FALSE(t.settings.contains(s("Rechnungsbasis"))) << "nothing of the dropped edits is written";
    dialog.reset();
    EXPECT_EQ(stored("frei8"), s("EUR"));
}

// --- Key filters, under both decimal separators -------------------------

class SettingsDialogKeysTest : public SettingsDialogTest, public ::testing::WithParamInterface<QChar> {
protected:
    SettingsDialogKeysTest() : SettingsDialogTest(GetParam()) {}
    QChar sep() const { return GetParam(); }
    QChar other() const { return sep() == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(','); }
};

TEST_P(SettingsDialogKeysTest, CopiesTakeDigitsMinusAndComma)
{
    open();
    QLineEdit* copies = edit("Text1");
    retype(copies, s("2"));
    typeText(copies, s("-,"));
    EXPECT_EQ(copies->text(), s("2-,"));
    EXPECT_EQ(t.prompts.count(), 0);
    typeText(copies, s("a."));
    EXPECT_EQ(copies->text(), s("2-,"));
    EXPECT_EQ(t.prompts.messageTexts(), (QStringList{kWrongInput, kWrongInput}));
    EXPECT_EQ(t.prompts.last().title, s("Fehler"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
}

TEST_P(SettingsDialogKeysTest, VatRatesRefuseLettersWithTheirOwnMessages)
{
    open();
    QLineEdit* vat1 = edit("Text2");
    QLineEdit* vat2 = edit("Text13");
    retype(vat1, s("7"));
    typeText(vat1, s("%"));
    retype(vat2, s("1"));
    typeText(vat2, s("x"));
    EXPECT_EQ(vat1->text(), s("7"));
    EXPECT_EQ(vat2->text(), s("1"));
    EXPECT_EQ(t.prompts.messageTexts(), (QStringList{kWrongInputVat1, kWrongInput}));
    for (const auto& shown : t.prompts.shown()) {
        EXPECT_EQ(shown.title, s("Fehler"));
        EXPECT_EQ(shown.icon, Prompts::Icon::Critical);
    }
}

TEST_P(SettingsDialogKeysTest, VatRatesTakeEitherDecimalMarkAsTheLocalesSeparator)
{
    open();
    QLineEdit* vat1 = edit("Text2");
    retype(vat1, QStringLiteral("7") + other() + QStringLiteral("5"));
    EXPECT_EQ(vat1->text(), QStringLiteral("7") + sep() + QStringLiteral("5"));
    EXPECT_EQ(t.prompts.count(), 0);
    ASSERT_TRUE(closeDialog()) << "7" << sep().toLatin1() << "5 is a number here";
    EXPECT_EQ(stored("MWSt"), QStringLiteral("7") + sep() + QStringLiteral("5"));
}

TEST_P(SettingsDialogKeysTest, NextInvoiceNumberTakesDigitsOnly)
{
    open();
    QLineEdit* number = edit("Text26");
    retype(number, s("2024"));
    typeText(number, s(",.-a"));
    EXPECT_EQ(number->text(), s("2024"));
    EXPECT_EQ(t.prompts.messageTexts(), (QStringList{kWrongInput, kWrongInput, kWrongInput, kWrongInput}));
    QTest::keyClick(number, Qt::Key_Backspace);
    EXPECT_EQ(number->text(), s("202"));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Rechnungsnummer"), s("202"));
}

INSTANTIATE_TEST_SUITE_P(Separators, SettingsDialogKeysTest, ::testing::Values(QLatin1Char(','), QLatin1Char('.')),
                         [](const auto& info) { return info.param == QLatin1Char(',') ? "Comma" : "Point"; });

// --- Internet, registry values, defaults, colours -----------------------

TEST_F(SettingsDialogTest, InternetGetsHttpInFrontWhenLeftWithoutIt)
{
    open();
    QLineEdit* internet = edit("Text8");
    retype(internet, s("www.beispiel.de"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(internet, &out);
    EXPECT_EQ(internet->text(), s("http://www.beispiel.de"));
    QCoreApplication::sendEvent(internet, &out);
    EXPECT_EQ(internet->text(), s("http://www.beispiel.de")) << "once only";

    retype(edit("Text7"), s("post@beispiel.de"));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Einst2"), s("http://www.beispiel.de"));
    EXPECT_EQ(stored("Einst1"), s("post@beispiel.de"));
}

TEST_F(SettingsDialogTest, ClosingStraightFromInternetStillPutsHttpInFront)
{
    open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    QLineEdit* internet = edit("Text8");
    retype(internet, s("beispiel.de"));
    ASSERT_TRUE(internet->hasFocus());
    QTest::keyClick(internet, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("Einst2"), s("http://beispiel.de"));
}

TEST_F(SettingsDialogTest, InternetWithSchemeOrEmptyStaysAsItIs)
{
    open();
    QLineEdit* internet = edit("Text8");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    retype(internet, s("https://www.beispiel.de"));
    QCoreApplication::sendEvent(internet, &out);
    EXPECT_EQ(internet->text(), s("https://www.beispiel.de"));
    retype(internet, QString());
    QCoreApplication::sendEvent(internet, &out);
    EXPECT_EQ(internet->text(), QString());
}

TEST_F(SettingsDialogTest, FreshInstallationIsNetBlackTitleAndReceiptOn)
{
    t.state.Rechnungsbasis = 1;
    open();
    EXPECT_TRUE(w<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(w<QRadioButton>("Option2")->isChecked());
    EXPECT_EQ(t.state.Rechnungsbasis, 0) << "read into the program state when the dialog loads";
    EXPECT_EQ(dialog->titleColour(), QColor(0, 0, 0));
    EXPECT_TRUE(w<QCheckBox>("Check2")->isChecked());

    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(t.settings.value(s("Schriftfarbe Titel")), s("0"));
    EXPECT_EQ(t.settings.value(s("Rechnungsbasis")), s("0"));
    EXPECT_EQ(t.settings.value(s("Empfangsbestätigung")), s("1"));
}

TEST_F(SettingsDialogTest, RegistryValuesAreShownAndWrittenBackAtClosing)
{
    t.settings.setValue(s("Schriftfarbe Titel"), s("255"));
    t.settings.setValue(s("Rechnungsbasis"), s("1"));
    t.settings.setValue(s("Empfangsbestätigung"), s("0"));
    open();
    EXPECT_TRUE(w<QRadioButton>("Option2")->isChecked());
    EXPECT_EQ(t.state.Rechnungsbasis, 1);
    EXPECT_EQ(dialog->titleColour(), QColor(255, 0, 0));
    EXPECT_EQ(w<QLabel>("Picture1")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_FALSE(w<QCheckBox>("Check2")->isChecked());

    tabs()->setCurrentIndex(1);
    tick(w<QRadioButton>("Option1"));
    tabs()->setCurrentIndex(2);
    tick(w<QCheckBox>("Check2"));
    EXPECT_EQ(t.settings.value(s("Rechnungsbasis")), s("1")) << "written at closing only";
    EXPECT_EQ(t.state.Rechnungsbasis, 1);

    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(t.settings.value(s("Rechnungsbasis")), s("0"));
    EXPECT_EQ(t.state.Rechnungsbasis, 0);
    EXPECT_EQ(t.settings.value(s("Empfangsbestätigung")), s("1"));
    EXPECT_EQ(t.settings.value(s("Schriftfarbe Titel")), s("255"));
}

TEST_F(SettingsDialogTest, DeliveryNoteTextsGetTheirDefaultsWhenEmpty)
{
    setStored("Memo7", QString());
    setStored("Memo8", QString());
    open();
    EXPECT_EQ(edit("Text37")->text(), s("Wir danken Ihnen für Ihre Bestellung"));
    EXPECT_EQ(w<QPlainTextEdit>("Text38")->toPlainText(), s("Ware erhalten / in Empfang genommen"));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo7"), s("Wir danken Ihnen für Ihre Bestellung"));
    EXPECT_EQ(stored("Memo8"), s("Ware erhalten / in Empfang genommen"));
}

TEST_F(SettingsDialogTest, OwnDeliveryNoteTextsStay)
{
    setStored("Memo7", s("Danke!"));
    open();
    EXPECT_EQ(edit("Text37")->text(), s("Danke!"));
}

TEST_F(SettingsDialogTest, TitleColourSwatchTakesTheChosenColourAndCancelKeepsIt)
{
    open();
    t.prompts.answerColour(QColor(0, 0, 255));
    QTest::mouseClick(w<QLabel>("Picture1"), Qt::LeftButton);
    ASSERT_EQ(t.prompts.shown(FakePrompts::Kind::Colour).size(), 1);
    EXPECT_EQ(t.prompts.last().initialColour, QColor(0, 0, 0));
    EXPECT_EQ(dialog->titleColour(), QColor(0, 0, 255));
    EXPECT_EQ(w<QLabel>("Picture1")->palette().color(QPalette::Window), QColor(0, 0, 255));

    // The caption opens the colour dialog too; cancelling keeps the colour.
    t.prompts.answerColour(std::nullopt);
    QTest::mouseClick(w<QLabel>("Label25"), Qt::LeftButton);
    ASSERT_EQ(t.prompts.shown(FakePrompts::Kind::Colour).size(), 2);
    EXPECT_EQ(t.prompts.last().initialColour, QColor(0, 0, 255));
    EXPECT_EQ(dialog->titleColour(), QColor(0, 0, 255));
    EXPECT_EQ(w<QLabel>("Label25")->text(), s("Schriftfarbe Titel"));
    EXPECT_TRUE(w<QLabel>("Picture1")->toolTip().startsWith(s("Wenn Sie hier weiß wählen")));

    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(t.settings.value(s("Schriftfarbe Titel")), s("16711680"));
}

TEST_F(SettingsDialogTest, TakesTheUsersBackgroundColour)
{
    t.state.backgroundColour = s("65535");
    open();
    EXPECT_EQ(dialog->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(tabs()->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(tabs()->widget(1)->palette().color(QPalette::Window), QColor(255, 255, 0));
}

// --- Logo -----------------------------------------------------------------

TEST_F(SettingsDialogTest, InsertedLogoIsPreviewedInTheSquareAndStoredAtClosing)
{
    const QString png = tdb.filePath(s("logo breit.png"));
    QImage picture(400, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(png));
    open();

    t.prompts.answerOpenFile(png);
    QTest::mouseClick(w<QPushButton>("Command1"), Qt::LeftButton);
    const auto asked = t.prompts.shown(FakePrompts::Kind::OpenFile);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].title, s("Grafik einfügen"));
    EXPECT_TRUE(asked[0].filter.contains(s("*.png")));
    EXPECT_EQ(t.prompts.count(), 1) << "no message for a readable picture";
    EXPECT_EQ(w<QLabel>("Label20")->text(), png);
    EXPECT_EQ(w<QLabel>("Image1")->pixmap().size(), QSize(133, 33));
    EXPECT_EQ(stored("Memo10"), QString());

    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), png);

    // Opened again, the preview comes from the stored path; a tall picture
    // fills the square's height.
    QImage tall(50, 200, QImage::Format_RGB32);
    tall.fill(Qt::red);
    ASSERT_TRUE(tall.save(png));
    open();
    EXPECT_EQ(w<QLabel>("Image1")->pixmap().size(), QSize(33, 133));
}

TEST_F(SettingsDialogTest, AFileThatIsNoPictureIsRefusedAndCancelChangesNothing)
{
    const QString fake = tdb.filePath(s("rechnung.jpg"));
    {
        QFile f(fake);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Das ist kein Bild.");
    }
    setStored("Memo10", s("/alt/logo.png"));
    open();

    t.prompts.answerOpenFile(fake);
    QTest::mouseClick(w<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(t.prompts.shown(FakePrompts::Kind::Message).size(), 1);
    EXPECT_EQ(t.prompts.last().title, s("Fehler"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_EQ(t.prompts.last().text, settingsrules::logoNotReadableMessage(fake));
    EXPECT_EQ(w<QLabel>("Label20")->text(), s("/alt/logo.png"));
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::OpenFile).at(0).defaultText, s("/alt"));

    t.prompts.clear();
    t.prompts.answerOpenFile(std::nullopt);
    QTest::mouseClick(w<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).size(), 0);
    EXPECT_EQ(w<QLabel>("Label20")->text(), s("/alt/logo.png"));

    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), s("/alt/logo.png"));
}

TEST_F(SettingsDialogTest, RemovedLogoEmptiesPathAndPreview)
{
    const QString png = tdb.filePath(s("logo.png"));
    QImage picture(20, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(png));
    setStored("Memo10", png);
    open();
    EXPECT_EQ(w<QLabel>("Image1")->pixmap().size(), QSize(133, 133));

    QTest::mouseClick(w<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(w<QLabel>("Label20")->text(), QString());
    EXPECT_TRUE(w<QLabel>("Image1")->pixmap().isNull());
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), QString());
}

// --- The menu's entry point ----------------------------------------------

TEST_F(SettingsDialogTest, OpenedFromTheMenuItReloadsTheProgramsSettings)
{
    CompanySettings company;
    ASSERT_TRUE(company.load(tdb.db()));
    ASSERT_EQ(company.currency(), s("EUR"));
    auto done = whenModalOpens([this](QWidget* w) {
        EXPECT_EQ(w->objectName(), s("Einstellungen"));
        auto* currency = w->findChild<QLineEdit*>(s("Text10"));
        ASSERT_NE(currency, nullptr);
        currency->selectAll();
        typeText(currency, s("€"));
        w->close();
    });
    EXPECT_TRUE(openSettingsDialog(t.ctx, tdb.db(), nullptr, &company));
    EXPECT_TRUE(*done);
    EXPECT_EQ(company.currency(), s("€"));
}
