#include "data/CompanySettings.h"
#include "platform/widgets/FieldMarks.h"
#include "support/QtPrinters.h"
#include "support/TempDatabase.h"
#include "support/TestDatabaseFile.h"
#include "support/ToolsDialogs.h"
#include "tools/SettingsRules.h"
#include "tools/widgets/SettingsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>

#include <memory>

using namespace quittora;
using namespace quittora::test;
using namespace quittora::settingsrules;

namespace {

QString s(const char* text) { return QString::fromUtf8(text); }

const QString kWrongInput = s("Falsche Eingabe !      nur Zahlenwerte erlaubt");
const QString kVatEmpty = s("Die Felder für MwSt müssen einen Wert enthalten");

class SettingsDialogTest : public DialogTest {
protected:
    void SetUp() override { ASSERT_TRUE(tdb.isValid()) << tdb.error().toStdString(); }

    void open()
    {
        dialog = std::make_unique<SettingsDialog>(t.ctx, tdb.db());
        ASSERT_TRUE(showAndWait(*dialog));
    }
    // Closes the way the window's close button does; true when it closed.
    bool closeDialog() { return dialog->close() && !dialog->isVisible(); }
    template <class T = QLineEdit>
    T* w(const char* name) { return child<T>(*dialog, name); }
    QTabWidget* tabs() { return w<QTabWidget>("SSTab1"); }
    QString stored(const char* field) const { return tdb.setting(QLatin1String(field)).toString(); }
    void setStored(const char* field, const QVariant& value) { tdb.exec(QStringLiteral("UPDATE Einstellungen SET \"%1\" = ?").arg(QLatin1String(field)), {value}); }
    QString registry() const
    {
        QStringList values;
        for (const char* key : {"Schriftfarbe Titel", "Rechnungsbasis", "Empfangsbestätigung", "GiroCode"})
            values << t.settings.value(s(key));
        return values.join(u'|');
    }
    void click(const char* button) { QTest::mouseClick(w<QPushButton>(button), Qt::LeftButton); }

    TempDatabase tdb;
    std::unique_ptr<SettingsDialog> dialog;
};

} // namespace

TEST_F(SettingsDialogTest, ShowsEveryFieldOfTheRecordAndStoresEditsOnlyAtClosing)
{
    // control=field, one of each page and kind; the two VAT rates are set apart below.
    const QStringList bound = s("Text3=Titel Text14=Einst23 Text23=Einst3 Text1=frei1 Text10=frei8 Text26=Rechnungsnummer "
                                "Text32=Einst18 Text33=Einst19 Text29=Memo3 Text36=Memo6 Text38=Memo8")
                                  .split(u' ');
    const auto valueOf = [](const QString& field) {
        return s("W-") + field + (s("Memo3 Memo6 Memo8").contains(field) ? s("\nZeile 2") : QString());
    };
    for (const QString& pair : bound)
        setStored(pair.section(u'=', 1).toLatin1().constData(), valueOf(pair.section(u'=', 1)));
    setStored("MWSt", s("19"));
    setStored("frei9", s("7"));
    setStored("Vordruck", 0);
    setStored("Festschreiben", 0);
    open();
    for (const QString& pair : bound) {
        QWidget* control = w<QWidget>(pair.section(u'=', 0, 0).toLatin1().constData());
        auto* edit = qobject_cast<QLineEdit*>(control);
        const QString text = edit ? edit->text() : static_cast<QPlainTextEdit*>(control)->toPlainText();
        EXPECT_EQ(text, valueOf(pair.section(u'=', 1))) << pair.toStdString();
    }

    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);
    for (const auto& [control, text] : {std::pair{"Text3", "Müller & Söhne GmbH"}, std::pair{"Text10", "CHF"},
                                        std::pair{"Text2", "8,1"}, std::pair{"Text33", "2"}})
        retype(w(control), s(text));
    auto* below = w<QPlainTextEdit>("Text29");
    below->setFocus();
    below->selectAll();
    typeText(below, s("Zahlbar sofort."));
    for (const char* box : {"Check1", "chkFestschreiben"}) {
        EXPECT_FALSE(w<QCheckBox>(box)->isChecked()) << box;
        tick(w<QCheckBox>(box));
    }
    EXPECT_EQ(stored("frei8"), s("W-frei8")) << "nothing is stored while the dialog is open";
    ASSERT_TRUE(closeDialog());
    EXPECT_TRUE(changed.count() == 1 && dialog->stored() && t.prompts.count() == 0);
    CompanySettings fresh;
    ASSERT_TRUE(fresh.load(tdb.db()));
    EXPECT_EQ(QStringList({fresh.text(s("Titel")), fresh.currency(), fresh.vatRate1(), fresh.vatRate2(),
                           fresh.skontoPercent(), fresh.text(s("Memo3"))})
                  .join(QLatin1Char('|')),
              s("Müller & Söhne GmbH|CHF|8,1|7|2|Zahlbar sofort."));
    EXPECT_TRUE(fresh.printLetterhead() && stored("Festschreiben") == s("-1"));
}

TEST_F(SettingsDialogTest, AnEmptyOrWrongVatRateBlocksClosingShowsItsPageAndMarksTheField)
{
    open();
    retype(w("Text13"), QString());
    retype(w("Text3"), s("Neuer Titel"));
    tabs()->setCurrentIndex(2);
    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);
    EXPECT_FALSE(closeDialog());
    expectOnlyMessage(s("Quittora"), kVatEmpty);
    EXPECT_EQ(tabs()->currentIndex(), 1); // the page with the VAT rates
    EXPECT_EQ(fieldBackground(w("Text13")), markYellow());

    t.prompts.clear();
    retype(w("Text13"), s("0"));
    retype(w("Text2"), s("1-9"));
    EXPECT_EQ(fieldBackground(w("Text13")), plainWhite()) << "filled in, the mark goes";
    QTest::keyClick(w("Text2"), Qt::Key_Escape); // Escape is a way of closing too
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(t.prompts.messageTexts(), QStringList{settingsrules::vatNotANumberMessage()});
    EXPECT_EQ(fieldBackground(w("Text2")), markYellow());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(stored("Titel"), s("Ihre Firma"));

    t.prompts.clear();
    retype(w("Text2"), s("19"));
    EXPECT_TRUE(closeDialog());
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_EQ(stored("frei9") + stored("Titel"), s("0Neuer Titel"));
}

TEST_F(SettingsDialogTest, AStoreFailureIsToldAndTheUserDecides)
{
    open();
    retype(w("Text10"), s("USD"));
    ASSERT_TRUE(tdb.exec(s("CREATE TRIGGER sperre BEFORE UPDATE ON Einstellungen BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")));
    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);
    t.prompts.answerMessage(Prompts::No);
    EXPECT_FALSE(closeDialog()) << "No keeps the dialog and its edits";
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_TRUE(t.prompts.last().text.startsWith(s("Die Einstellungen konnten nicht gespeichert werden.")));
    EXPECT_EQ(w("Text10")->text(), s("USD"));
    t.prompts.answerMessage(Prompts::Yes);
    EXPECT_TRUE(closeDialog());
    EXPECT_EQ(changed.count() + dialog->stored(), 0);
    EXPECT_FALSE(t.settings.contains(s("Rechnungsbasis"))) << "nothing of the dropped edits is written";
    EXPECT_EQ(stored("frei8"), s("EUR"));
}

// Which field takes which key rule and message; the VAT rate's replaced
// mark under the point is the one decision typing under "," cannot show.
TEST_F(SettingsDialogTest, FieldsTakeOnlyTheirKeysWithTheirMessages)
{
    open();
    const QString vatWrong = s("Falsche Eingabe!      nur Zahlenwerte erlaubt");
    const std::tuple<const char*, const char*, const char*, QStringList> table[] = {
        {"Text1", "07-,a. 9", "07-,9", {kWrongInput, kWrongInput, kWrongInput}}, // copies
        {"Text2", "7%x.5", "7,5", {vatWrong, vatWrong}},
        {"Text26", "2024,.-a", "2024", {kWrongInput, kWrongInput, kWrongInput, kWrongInput}}, // next number
    };
    for (const auto& [control, typed, text, messages] : table) {
        t.prompts.clear();
        w(control)->clear();
        typeText(w(control), s(typed));
        EXPECT_EQ(w(control)->text(), s(text)) << control;
        EXPECT_EQ(t.prompts.messageTexts(), messages) << control;
    }
    EXPECT_EQ(vatRateKey(QLatin1Char(','), QLatin1Char('.')), (KeyDecision{KeyDecision::Action::Replace, QLatin1Char('.')}));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("MWSt") + stored("Rechnungsnummer"), s("7,52024"));
}

TEST_F(SettingsDialogTest, RegistryValuesAndDefaultTextsAreShownAndWrittenBackAtClosing)
{
    t.state.Rechnungsbasis = 1;
    setStored("Memo7", QString());
    setStored("Memo8", QString());
    setStored("Festschreiben", -1);
    open();
    EXPECT_TRUE(w<QRadioButton>("Option1")->isChecked() && w<QCheckBox>("Check2")->isChecked()
                && w<QCheckBox>("chkFestschreiben")->isChecked());
    EXPECT_EQ(t.state.Rechnungsbasis, 0) << "read into the program state when the dialog loads";
    tick(w<QCheckBox>("chkFestschreiben"));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo7") + s("|") + stored("Memo8") + s("|") + stored("Festschreiben") + s("|") + registry(),
              s("Wir danken Ihnen für Ihre Bestellung|Ware erhalten / in Empfang genommen|0|0|0|1|1"));
}

TEST_F(SettingsDialogTest, ALogoIsPreviewedInTheSquareStoredAtClosingRemovableAndANonPictureRefused)
{
    const QString png = tdb.filePath(s("logo breit.png")), fake = tdb.filePath(s("rechnung.jpg"));
    QImage image(400, 100, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(png) && testfiles::writeBytes(fake, "Das ist kein Bild."));
    setStored("Memo10", s("/alt/logo.png"));
    open();
    t.prompts.answerOpenFile(fake);
    click("Command1");
    EXPECT_EQ(t.prompts.last().text, settingsrules::logoNotReadableMessage(fake));
    t.prompts.clear();
    t.prompts.answerOpenFile(png);
    click("Command1");
    EXPECT_EQ(t.prompts.count(), 1) << "no message for a readable picture";
    EXPECT_TRUE(w<QLabel>("Image1")->pixmap().width() == 133 && stored("Memo10") == s("/alt/logo.png")) << "stored at closing";
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), png);

    // Opened again, removing empties the stored path.
    open();
    click("Command2");
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), QString());
}

TEST_F(SettingsDialogTest, OpenedFromTheMenuItReloadsTheProgramsSettings)
{
    CompanySettings company;
    ASSERT_TRUE(company.load(tdb.db()));
    auto done = whenModalOpens([](QWidget* w) {
        auto* currency = w->findChild<QLineEdit*>(s("Text10"));
        ASSERT_NE(currency, nullptr);
        retype(currency, s("€"));
        w->close();
    });
    EXPECT_TRUE(openSettingsDialog(t.ctx, tdb.db(), nullptr, &company));
    EXPECT_TRUE(*done);
    EXPECT_EQ(company.currency(), s("€"));
}

// Damaged stored values fall back to black titles, net prices and the receipt line.
TEST(RegistryValues, DamagedOnesGiveTheDefaults)
{
    TestContext t;
    for (const char* key : {"Schriftfarbe Titel", "Rechnungsbasis", "Empfangsbestätigung"})
        t.settings.setValue(s(key), s("7x"));
    EXPECT_EQ(readRegistryValues(t.settings), (RegistryValues{QColor(0, 0, 0), 0, true}));
}

TEST(ClosingCheck, BothRatesMustBeNumbersInTheLocalesWriting)
{
    using P = VatProblem;
    const std::tuple<const char*, const char*, char, P, P> table[] = {{"19", "7", ',', P::None, P::None},
        {"7,5", " 19 ", ',', P::None, P::None}, {"7.5", "19", '.', P::None, P::None}, {"19", "", ',', P::None, P::Empty},
        {"   ", "", ',', P::Empty, P::Empty}, {"-", "7", ',', P::NotANumber, P::None}, {"12.50", "7", ',', P::NotANumber, P::None},
        {"19", "7,5", '.', P::None, P::NotANumber}, {"1,2,3", "", ',', P::NotANumber, P::Empty}};
    for (const auto& [rate1, rate2, separator, problem1, problem2] : table) {
        const VatCheck c = checkVatRates(s(rate1), s(rate2), QLatin1Char(separator));
        const std::string label = std::string(rate1) + " / " + rate2 + " under " + separator;
        EXPECT_EQ(c.rate1, problem1) << label;
        EXPECT_EQ(c.rate2, problem2) << label;
        // An empty rate is named first when both kinds of fault are there.
        const bool empty = problem1 == P::Empty || problem2 == P::Empty;
        EXPECT_EQ(c.message(), c.ok() ? QString() : empty ? vatEmptyMessage() : vatNotANumberMessage()) << label;
    }
}
