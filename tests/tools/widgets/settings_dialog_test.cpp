#include "tools/widgets/SettingsDialog.h"

#include "data/CompanySettings.h"
#include "data/Recordset.h"
#include "platform/widgets/FieldMarks.h"
#include "support/DialogFixture.h"
#include "support/QtPrinters.h"
#include "support/TempDatabase.h"
#include "tools/SettingsRules.h"
#include "tools/widgets/BackgroundColourWidgets.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>

#include <memory>

using namespace quittora;
using namespace quittora::test;

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

const QString kWrongInput = s("Falsche Eingabe !      nur Zahlenwerte erlaubt");
const QString kVatEmpty = s("Die Felder für MwSt müssen einen Wert enthalten");

class SettingsDialogTest : public DialogTest {
protected:
    explicit SettingsDialogTest(QChar separator = QLatin1Char(',')) : DialogTest(separator), tdb(separator) {}
    void SetUp() override { ASSERT_TRUE(tdb.isValid()) << tdb.error().toStdString(); }

    void open()
    {
        dialog = std::make_unique<SettingsDialog>(t.ctx, tdb.db());
        ASSERT_TRUE(showAndWait(*dialog));
    }
    // Closes the way the window's close button does; true when it closed.
    bool closeDialog()
    {
        dialog->close();
        return !dialog->isVisible();
    }
    template <class T = QLineEdit>
    T* w(const char* name)
    {
        return child<T>(*dialog, name);
    }
    QTabWidget* tabs() { return w<QTabWidget>("SSTab1"); }
    QString stored(const char* field) const { return tdb.setting(QLatin1String(field)).toString(); }
    void setStored(const char* field, const QVariant& value)
    {
        tdb.exec(QStringLiteral("UPDATE Einstellungen SET \"%1\" = ?").arg(QLatin1String(field)), {value});
    }
    void expectMarked(std::initializer_list<const char*> yellow, std::initializer_list<const char*> white)
    {
        for (const char* name : yellow)
            EXPECT_EQ(fieldBackground(w(name)), markYellow()) << name;
        for (const char* name : white)
            EXPECT_EQ(fieldBackground(w(name)), plainWhite()) << name;
    }

    TempDatabase tdb;
    std::unique_ptr<SettingsDialog> dialog;
};

} // namespace

TEST_F(SettingsDialogTest, ShowsEveryFieldOfTheRecordOnItsPage)
{
    // Every line edit and text box of the dialog with the field it shows.
    const std::pair<const char*, const char*> lineEdits[] = {
        {"Text3", "Titel"},    {"Text4", "frei4"},    {"Text5", "frei2"},   {"Text6", "frei3"},   {"Text7", "Einst1"},
        {"Text8", "Einst2"},   {"Text9", "Tel"},      {"Text11", "Fax"},    {"Text12", "Einst15"}, {"Text14", "Einst23"},
        {"Text15", "Einst6"},  {"Text16", "Einst24"}, {"Text17", "frei5"},  {"Text18", "Einst26"}, {"Text19", "Bank"},
        {"Text20", "Einst25"}, {"Text21", "Einst28"}, {"Text22", "Einst27"}, {"Text23", "Einst3"}, {"Text24", "Einst4"},
        {"Text25", "Einst5"},  {"Text1", "frei1"},    {"Text2", "MWSt"},    {"Text13", "frei9"},  {"Text10", "frei8"},
        {"Text26", "Rechnungsnummer"}, {"Text27", "Memo1"}, {"Text28", "Memo2"}, {"Text32", "Einst18"},
        {"Text33", "Einst19"}, {"Text34", "Memo4"},   {"Text35", "Memo5"},  {"Text37", "Memo7"},
    };
    const std::pair<const char*, const char*> textBoxes[] = {{"Text29", "Memo3"}, {"Text36", "Memo6"}, {"Text38", "Memo8"}};
    for (const auto& [control, field] : lineEdits)
        setStored(field, QStringLiteral("W-%1").arg(QLatin1String(field)));
    for (const auto& [control, field] : textBoxes)
        setStored(field, QStringLiteral("Zeile 1 %1\nZeile 2").arg(QLatin1String(field)));
    setStored("Memo10", s("/bilder/nicht da.png"));
    setStored("Vordruck", 0);
    open();

    EXPECT_EQ(dialog->windowTitle(), s("Einstellungen"));
    QStringList captions;
    for (int i = 0; i < tabs()->count(); ++i)
        captions << tabs()->tabText(i);
    for (const char* control : {"Check1", "Option1", "Option2", "Check2", "Command1", "Command2"})
        captions << w<QAbstractButton>(control)->text();
    EXPECT_EQ(captions.join(QLatin1Char('|')),
              s(" Ihre Firmendaten|Rechnungsvorgaben|Angebot / Lieferschein|folgende Daten als Briefkopf mit ausdrucken|"
                "Rechnungen - Netto-Preis  (zzgl. Mwst)|Rechnungen - Brutto-Preis (incl. MwSt.)|"
                "Empfangsbestätigung für Lieferschein vorsehen|Grafik einfügen|Grafik entfernen"));
    EXPECT_EQ(tabs()->currentIndex(), 0);
    for (const auto& [control, field] : lineEdits)
        EXPECT_EQ(w(control)->text(), QStringLiteral("W-%1").arg(QLatin1String(field))) << control;
    for (const auto& [control, field] : textBoxes)
        EXPECT_EQ(w<QPlainTextEdit>(control)->toPlainText(), QStringLiteral("Zeile 1 %1\nZeile 2").arg(QLatin1String(field)));
    EXPECT_FALSE(w<QCheckBox>("Check1")->isChecked());
    // A logo file that is gone leaves the preview empty, without a message.
    EXPECT_EQ(labelText(*dialog, "Label20"), s("/bilder/nicht da.png"));
    EXPECT_TRUE(w<QLabel>("Image1")->pixmap().isNull());
    EXPECT_EQ(t.prompts.count(), 0);

    // The fourth footer line reads in the order it is printed.
    QLineEdit* caption = w("Text20");
    QLineEdit* first = w("Text22");
    QLineEdit* second = w("Text21");
    EXPECT_EQ(first->y(), second->y());
    EXPECT_LT(caption->x(), first->x());
    EXPECT_LT(first->x(), second->x());
}

TEST_F(SettingsDialogTest, EditsAreStoredOnlyAtClosingAndReachAFreshSettingsLoad)
{
    open();
    EXPECT_GE(w("Text22")->width(), w("Text22")->fontMetrics().horizontalAdvance(w("Text22")->text()))
        << "the template's IBAN fits its box";
    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);
    const std::pair<const char*, const char*> edits[] = {
        {"Text3", "Müller & Söhne GmbH"}, {"Text10", "CHF"}, {"Text2", "8,1"}, {"Text33", "2"}, {"Text19", "Sparkasse 'Nord'"}};
    for (const auto& [control, text] : edits)
        retype(w(control), s(text));
    auto* below = w<QPlainTextEdit>("Text29");
    below->setFocus();
    below->selectAll();
    typeText(below, s("Zahlbar sofort."));
    tick(w<QCheckBox>("Check1"));
    // Enter in a field does not close the dialog.
    QTest::keyClick(w("Text10"), Qt::Key_Return);
    QTest::keyClick(w("Text1"), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
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

TEST_F(SettingsDialogTest, AnEmptyOrWrongVatRateBlocksClosingShowsItsPageAndMarksTheField)
{
    open();
    retype(w("Text13"), QString());
    retype(w("Text3"), s("Neuer Titel"));
    tabs()->setCurrentIndex(2);
    QSignalSpy changed(dialog.get(), &SettingsDialog::settingsChanged);
    EXPECT_FALSE(closeDialog());
    expectOnlyMessage(s("Quittora"), kVatEmpty);
    EXPECT_EQ(tabs()->tabText(tabs()->currentIndex()), s("Rechnungsvorgaben"));
    expectMarked({"Text13"}, {"Text2"});

    // Escape is a way of closing too; both empty rates are both marked.
    t.prompts.clear();
    retype(w("Text2"), QString());
    QTest::keyClick(w("Text2"), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(t.prompts.messageTexts(), QStringList{kVatEmpty});
    expectMarked({"Text13", "Text2"}, {});

    t.prompts.clear();
    retype(w("Text13"), s("0"));
    retype(w("Text2"), s("1-9"));
    expectMarked({}, {"Text13"}); // filled in, the mark goes
    EXPECT_FALSE(closeDialog());
    EXPECT_EQ(t.prompts.messageTexts(), QStringList{settingsrules::vatNotANumberMessage()});
    expectMarked({"Text2"}, {"Text13"});
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(stored("Titel"), s("Ihre Firma"));
    EXPECT_EQ(stored("MWSt"), s("19"));

    t.prompts.clear();
    retype(w("Text2"), s("19"));
    EXPECT_TRUE(closeDialog());
    EXPECT_EQ(t.prompts.count(), 0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(stored("frei9"), s("0"));
    EXPECT_EQ(stored("Titel"), s("Neuer Titel"));
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
    EXPECT_EQ(t.prompts.last().title, s("Fehler"));
    EXPECT_TRUE(t.prompts.last().text.startsWith(s("Die Einstellungen konnten nicht gespeichert werden.")));
    EXPECT_EQ(w("Text10")->text(), s("USD"));

    t.prompts.answerMessage(Prompts::Yes);
    EXPECT_TRUE(closeDialog());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(dialog->stored());
    EXPECT_FALSE(t.settings.contains(s("Rechnungsbasis"))) << "nothing of the dropped edits is written";
    dialog.reset();
    EXPECT_EQ(stored("frei8"), s("EUR"));
}

namespace {

class SettingsDialogKeysTest : public SettingsDialogTest, public ::testing::WithParamInterface<QChar> {
protected:
    SettingsDialogKeysTest() : SettingsDialogTest(GetParam()) {}
};

} // namespace

TEST_P(SettingsDialogKeysTest, FieldsTakeOnlyTheirKeysWithTheirMessagesAndTheDecimalMarkAsTheLocaleWritesIt)
{
    const QChar sep = GetParam();
    const QChar other = sep == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    open();
    struct Row {
        const char* control;
        QString typed;
        QString text;
        QStringList messages;
    };
    const QString vat1Wrong = s("Falsche Eingabe!      nur Zahlenwerte erlaubt"); // without the blank
    const Row table[] = {
        {"Text1", s("2-,a."), s("2-,"), {kWrongInput, kWrongInput}}, // copies
        {"Text2", s("7%") + other + s("5"), s("7") + sep + s("5"), {vat1Wrong}},
        {"Text13", s("1x"), s("1"), {kWrongInput}},
        {"Text26", s("2024,.-a"), s("2024"), {kWrongInput, kWrongInput, kWrongInput, kWrongInput}}, // next number
    };
    for (const Row& row : table) {
        t.prompts.clear();
        w(row.control)->clear();
        typeText(w(row.control), row.typed);
        EXPECT_EQ(w(row.control)->text(), row.text) << row.control;
        EXPECT_EQ(t.prompts.messageTexts(), row.messages) << row.control;
        for (const auto& shown : t.prompts.shown()) {
            EXPECT_EQ(shown.title, s("Fehler"));
            EXPECT_EQ(shown.icon, Prompts::Icon::Critical);
        }
    }
    QTest::keyClick(w("Text26"), Qt::Key_Backspace);
    ASSERT_TRUE(closeDialog()) << "7" << sep.toLatin1() << "5 is a number here";
    EXPECT_EQ(stored("MWSt"), s("7") + sep + s("5"));
    EXPECT_EQ(stored("frei1"), s("2-,"));
    EXPECT_EQ(stored("Rechnungsnummer"), s("202"));
}

INSTANTIATE_TEST_SUITE_P(Separators, SettingsDialogKeysTest, ::testing::Values(QLatin1Char(','), QLatin1Char('.')),
                         [](const auto& info) { return info.param == QLatin1Char(',') ? "Comma" : "Point"; });

TEST_F(SettingsDialogTest, InternetGetsHttpInFrontWhenLeftAlsoByClosingStraightFromIt)
{
    open();
    QLineEdit* internet = w("Text8");
    retype(internet, s("www.beispiel.de"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(internet, &out);
    QCoreApplication::sendEvent(internet, &out);
    EXPECT_EQ(internet->text(), s("http://www.beispiel.de")) << "once only";
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Einst2"), s("http://www.beispiel.de"));

    open();
    ASSERT_TRUE(showAndWait(*dialog, true));
    retype(w("Text8"), s("beispiel.de"));
    ASSERT_TRUE(w("Text8")->hasFocus());
    QTest::keyClick(w("Text8"), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored("Einst2"), s("http://beispiel.de"));
}

TEST_F(SettingsDialogTest, RegistryValuesAndDefaultTextsAreShownAndWrittenBackAtClosing)
{
    t.state.Rechnungsbasis = 1;
    setStored("Memo7", QString());
    setStored("Memo8", QString());
    open();
    EXPECT_TRUE(w<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(w<QRadioButton>("Option2")->isChecked());
    EXPECT_EQ(t.state.Rechnungsbasis, 0) << "read into the program state when the dialog loads";
    EXPECT_EQ(dialog->titleColour(), QColor(0, 0, 0));
    EXPECT_TRUE(w<QCheckBox>("Check2")->isChecked());
    EXPECT_EQ(w("Text37")->text(), s("Wir danken Ihnen für Ihre Bestellung"));
    EXPECT_EQ(w<QPlainTextEdit>("Text38")->toPlainText(), s("Ware erhalten / in Empfang genommen"));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo7"), s("Wir danken Ihnen für Ihre Bestellung"));
    EXPECT_EQ(stored("Memo8"), s("Ware erhalten / in Empfang genommen"));
    const auto registry = [this] {
        return QStringList{t.settings.value(s("Schriftfarbe Titel")), t.settings.value(s("Rechnungsbasis")),
                           t.settings.value(s("Empfangsbestätigung"))}
            .join(QLatin1Char('|'));
    };
    EXPECT_EQ(registry(), s("0|0|1"));

    t.settings.setValue(s("Schriftfarbe Titel"), s("255"));
    t.settings.setValue(s("Rechnungsbasis"), s("1"));
    t.settings.setValue(s("Empfangsbestätigung"), s("0"));
    setStored("Memo7", s("Danke!"));
    open();
    EXPECT_EQ(w("Text37")->text(), s("Danke!")) << "own texts stay";
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
    EXPECT_EQ(t.state.Rechnungsbasis, 0);
    EXPECT_EQ(registry(), s("255|0|1"));
}

TEST_F(SettingsDialogTest, TheTitleColourSwatchAndItsCaptionOpenTheColourDialog)
{
    open();
    t.prompts.answerColour(QColor(0, 0, 255));
    QTest::mouseClick(w<QLabel>("Picture1"), Qt::LeftButton);
    t.prompts.answerColour(std::nullopt);
    QTest::mouseClick(w<QLabel>("Label25"), Qt::LeftButton);
    const auto asked = t.prompts.shown(FakePrompts::Kind::Colour);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].initialColour, QColor(0, 0, 0));
    EXPECT_EQ(asked[1].initialColour, QColor(0, 0, 255));
    EXPECT_EQ(dialog->titleColour(), QColor(0, 0, 255)) << "cancelling keeps the colour";
    EXPECT_EQ(w<QLabel>("Picture1")->palette().color(QPalette::Window), QColor(0, 0, 255));
    EXPECT_EQ(labelText(*dialog, "Label25"), s("Schriftfarbe Titel"));
    EXPECT_TRUE(w<QLabel>("Picture1")->toolTip().startsWith(s("Wenn Sie hier weiß wählen")));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(t.settings.value(s("Schriftfarbe Titel")), s("16711680"));
}

TEST_F(SettingsDialogTest, TakesTheUsersBackgroundColourWhileFieldsAndButtonsKeepTheirs)
{
    t.state.backgroundColour = s("65535");
    open();
    const QColor yellow(255, 255, 0);
    for (QWidget* widget : {static_cast<QWidget*>(dialog.get()), static_cast<QWidget*>(tabs()), tabs()->widget(1)})
        EXPECT_EQ(widget->palette().color(QPalette::Window), yellow) << qPrintable(widget->objectName());
    EXPECT_NE(w("Text3")->palette().color(QPalette::Base), yellow);
    EXPECT_NE(w<QPushButton>("Command1")->palette().color(QPalette::Button), yellow);

    // The helper behind it skips missing widgets and invalid colours.
    QWidget window;
    applyBackgroundColour(nullptr, QColor(1, 2, 3));
    applyBackgroundColour({nullptr, &window}, QColor());
    EXPECT_FALSE(window.autoFillBackground());
    applyBackgroundColour({nullptr, &window}, QColor(1, 2, 3));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(1, 2, 3));
    EXPECT_TRUE(window.autoFillBackground());
}

TEST_F(SettingsDialogTest, AnInsertedLogoIsPreviewedInTheSquareStoredAtClosingAndRemovable)
{
    const QString png = tdb.filePath(s("logo breit.png"));
    QImage picture(400, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(png));
    open();
    t.prompts.answerOpenFile(png);
    QTest::mouseClick(w<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(t.prompts.count(), 1) << "no message for a readable picture";
    EXPECT_EQ(t.prompts.last().kind, FakePrompts::Kind::OpenFile);
    EXPECT_EQ(t.prompts.last().title, s("Grafik einfügen"));
    EXPECT_TRUE(t.prompts.last().filter.contains(s("*.png")));
    EXPECT_EQ(labelText(*dialog, "Label20"), png);
    EXPECT_EQ(w<QLabel>("Image1")->pixmap().size(), QSize(133, 33));
    EXPECT_EQ(stored("Memo10"), QString());
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), png);

    // Opened again, the preview comes from the stored path; a tall picture
    // fills the square's height. Removing empties path and preview.
    QImage tall(50, 200, QImage::Format_RGB32);
    tall.fill(Qt::red);
    ASSERT_TRUE(tall.save(png));
    open();
    EXPECT_EQ(w<QLabel>("Image1")->pixmap().size(), QSize(33, 133));
    QTest::mouseClick(w<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(labelText(*dialog, "Label20"), QString());
    EXPECT_TRUE(w<QLabel>("Image1")->pixmap().isNull());
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), QString());
}

TEST_F(SettingsDialogTest, AFileThatIsNoPictureIsRefusedAndCancelChangesNothing)
{
    const QString fake = tdb.filePath(s("rechnung.jpg"));
    {
        QFile f(fake);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("Das ist kein Bild.") > 0);
    }
    setStored("Memo10", s("/alt/logo.png"));
    open();
    t.prompts.answerOpenFile(fake);
    QTest::mouseClick(w<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::OpenFile).at(0).defaultText, s("/alt"));
    ASSERT_EQ(t.prompts.shown(FakePrompts::Kind::Message).size(), 1);
    EXPECT_EQ(t.prompts.last().title, s("Fehler"));
    EXPECT_EQ(t.prompts.last().icon, Prompts::Icon::Critical);
    EXPECT_EQ(t.prompts.last().text, settingsrules::logoNotReadableMessage(fake));
    t.prompts.answerOpenFile(std::nullopt);
    QTest::mouseClick(w<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(t.prompts.shown(FakePrompts::Kind::Message).size(), 1);
    EXPECT_EQ(labelText(*dialog, "Label20"), s("/alt/logo.png"));
    ASSERT_TRUE(closeDialog());
    EXPECT_EQ(stored("Memo10"), s("/alt/logo.png"));
}

TEST_F(SettingsDialogTest, OpenedFromTheMenuItReloadsTheProgramsSettings)
{
    CompanySettings company;
    ASSERT_TRUE(company.load(tdb.db()));
    ASSERT_EQ(company.currency(), s("EUR"));
    auto done = whenModalOpens([](QWidget* w) {
        EXPECT_EQ(w->objectName(), s("Einstellungen"));
        auto* currency = w->findChild<QLineEdit*>(s("Text10"));
        ASSERT_NE(currency, nullptr);
        retype(currency, s("€"));
        w->close();
    });
    EXPECT_TRUE(openSettingsDialog(t.ctx, tdb.db(), nullptr, &company));
    EXPECT_TRUE(*done);
    EXPECT_EQ(company.currency(), s("€"));
}
