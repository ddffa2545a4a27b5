// The customer and article tabs of the main window.

#include "support/MainWindowFixture.h"
#include "workspace/widgets/CustomersController.h"
#include "workspace/widgets/RechnungMenus.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <functional>

using namespace quittora;

namespace {

QString u(const char* s)
{
    return QString::fromUtf8(s);
}

class CustomersArticles : public test::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        window->findChild<CustomersController*>()->setExchangeFilePath(dir.filePath(u("Quittora pro/Faktu_50.tmp")));
    }
    qint64 rows(const char* table) const { return db.count(QString::fromLatin1(table)); }
    QString articlePrice(const char* number) const
    {
        QSqlQuery q(db.connection());
        q.prepare(u("SELECT a4 FROM Artikel WHERE a2 = ?"));
        q.addBindValue(u(number));
        return q.exec() && q.next() ? q.value(0).toString() : u("<none>");
    }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }

    QTemporaryDir dir;
};

// Customers and articles follow the same rules: a new record is stored before
// it can be deleted, a delete asks, and the last record stays as the template.
TEST_F(CustomersArticles, NewRecordsAreStoredFirstDeletesAskAndTheLastRecordStays)
{
    const struct {
        const char* what;
        int tab;
        const char *add, *save, *remove, *field1, *field2, *table, *countLabel, *countWord;
        const char *storeFirst, *questionTitle, *question, *last;
        std::function<void()> selectOne; // narrows the list to one record of several
        const char *selectionLabel, *selectionText, *selectionQuestion;
    } kinds[] = {
        {"customers", 1, "Command7", "Command15", "Command9", "Text18", "Text19", "Kunden", "Label25", "Kunden",
         "Den Kunden können Sie erst jetzt nach Speicherung löschen", "Kunden löschen",
         "den Kunden Nina Neumann wirklich löschen ?",
         "Diesen Kunden können Sie erst nach dem Zufügen eines neuen Kunden löschen. Eine Kunde muß als "
         "Mustersatz im Datenbestand erhalten bleiben.",
         [this] {
             t.prompts.answerInput(u("schmidt"));
             click("Command23");
         },
         "Label58", "0 Kunden selektiert nach \"schmidt\"", "den Kunden Eva Schmidt wirklich löschen ?"},
        {"articles", 2, "Command14", "Command16", "Command6", "Text25", "Text24", "Artikel", "Label24", "Artikel",
         "Den Artikel können Sie erst jetzt nach Speicherung löschen", "Artikel löschen",
         "den Artikel Neumann wirklich löschen ?",
         "Diesen Artikel können Sie erst nach dem Zufügen eines neuen Artikels löschen. Eine Artikel muß als "
         "Mustersatz im Datenbestand erhalten bleiben.",
         [this] {
             type("Text38", u("200"));
             type("Text39", u("200"));
             click("Command19");
         },
         "Label24", "0 Artikel", "den Artikel Beratung wirklich löschen ?"},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.what);
        const qint64 start = rows(k.table);
        auto count = [&](qint64 n) { return QString::number(n) + u(" ") + u(k.countWord); };
        setTab(k.tab);
        click(k.add);
        EXPECT_EQ(t.state.neuer_Datensatz, 1);
        type(k.field1, u("Gespeichert"));
        click(k.save);
        EXPECT_EQ(t.state.neuer_Datensatz, 0);
        EXPECT_EQ(rows(k.table), start + 1);
        EXPECT_EQ(label(k.countLabel), count(start + 1));

        click(k.add);
        type(k.field1, u("Neumann"));
        type(k.field2, u("Nina"));
        click(k.remove);
        EXPECT_EQ(lastTitle(), u("Fehler !"));
        EXPECT_EQ(lastText(), u(k.storeFirst));
        EXPECT_EQ(rows(k.table), start + 2);
        EXPECT_EQ(t.state.neuer_Datensatz, 0);
        t.prompts.answerMessage(Prompts::No);
        click(k.remove);
        EXPECT_EQ(lastTitle(), u(k.questionTitle));
        EXPECT_EQ(lastText(), u(k.question));
        EXPECT_EQ(rows(k.table), start + 2);
        t.prompts.answerMessage(Prompts::Yes);
        click(k.remove);
        EXPECT_EQ(rows(k.table), start + 1);
        EXPECT_EQ(label(k.countLabel), count(start + 1));

        // The only record of a selection can go: the table holds more.
        k.selectOne();
        ASSERT_EQ(window->sources().byName(k.tab == 1 ? u("Data1") : u("Data2"))->recordCount(), 1);
        t.prompts.answerMessage(Prompts::Yes);
        click(k.remove);
        EXPECT_EQ(lastText(), u(k.selectionQuestion));
        EXPECT_EQ(rows(k.table), start);
        EXPECT_EQ(label(k.selectionLabel), u(k.selectionText));

        ASSERT_TRUE(db.exec(u("DELETE FROM %1 WHERE ID <> (SELECT MIN(ID) FROM %1)").arg(u(k.table))));
        reread();
        click(k.remove);
        EXPECT_EQ(lastTitle(), u("Achtung !"));
        EXPECT_EQ(lastText(), u(k.last));
        EXPECT_EQ(rows(k.table), 1);
        // A new one beside it is stored, not refused.
        click(k.add);
        type(k.field1, u("Neu"));
        click(k.remove);
        EXPECT_EQ(lastText(), u(k.storeFirst));
        EXPECT_EQ(rows(k.table), 2);
    }
}

TEST_F(CustomersArticles, EnterWalksTheFieldsAndTheArticlePriceTakesNumbersOnly)
{
    activate();
    const struct {
        int tab;
        std::vector<const char*> order;
    } walks[] = {{1, {"Text17", "Text18", "Text19", "Text20", "Text21", "Text29", "Text30", "Text31"}},
                 {2, {"Text24", "Text25", "Text26", "Text28"}}};
    for (const auto& w : walks) {
        setTab(w.tab);
        find<QWidget>(w.order[0])->setFocus();
        for (size_t i = 1; i < w.order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_TRUE(find<QWidget>(w.order[i])->hasFocus()) << w.order[i];
        }
    }
    type("Text26", u("12.5x"));
    EXPECT_EQ(edit("Text26")->text(), u("12,5"));
    EXPECT_EQ(t.prompts.count(), 1);
}

TEST_F(CustomersArticles, CopyPutsTheAddressOnTheClipboardAndInsertReadsItBack)
{
    setTab(1);
    ASSERT_TRUE(customers().moveToId(sample.mueller));
    click("Command13");
    EXPECT_EQ(t.clipboard.text(), u("Hans Müller\r\nBäckerei\r\n\r\n\r\n"));
    EXPECT_EQ(lastText(), u("Adressdaten kopiert !"));
    // Filled fields are only overwritten after the question.
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    click("Command12");
    EXPECT_EQ(lastText(), u("Mindest ein Feld, das überschrieben werden soll enthält Daten, Adresse trotzdem einsetzen ?"));
    EXPECT_EQ(edit("Text18")->text(), u("Schmidt"));

    click("Command7");
    click("Command13");
    EXPECT_EQ(lastTitle(), u("Fehler !"));
    EXPECT_EQ(lastText(), u("Keine Daten zum kopieren vorhanden !"));
    EXPECT_EQ(t.clipboard.history().size(), 1);
    click("Command12");
    EXPECT_EQ(edit("Text18")->text(), u("Müller"));
    EXPECT_EQ(edit("Text19")->text(), u("Hans"));
    click("Command15");
    EXPECT_EQ(db.count(u("Kunden"), u("a2 = 'Müller'")), 2);
}

TEST_F(CustomersArticles, SpecialSearchSelectsAcrossAllFieldsUntilShowAllOrARebind)
{
    ASSERT_TRUE(db.exec(u("UPDATE Kunden SET a2 = 'O''Neill' WHERE a2 = 'Abele'")));
    reread();
    setTab(1);
    QLabel* selection = find<QLabel>("Label58");
    for (const char* text : {"bäck", "'nei"}) {
        t.prompts.answerInput(u(text));
        click("Command23");
        EXPECT_EQ(lastTitle(), u("Spezialsuche "));
        EXPECT_EQ(customers().recordCount(), 1) << text;
        EXPECT_EQ(customers().currentId(), text[0] == 'b' ? sample.mueller : sample.abele);
        EXPECT_FALSE(selection->isHidden());
        EXPECT_EQ(selection->text(), u("1 Kunden selektiert nach \"%1\"").arg(u(text)));
        EXPECT_FALSE(find<QWidget>("Command24")->isHidden());
        if (text[0] == 'b') {
            click("Command24");
        } else {
            window->rebind(); // back from the backup window or another database
        }
        EXPECT_EQ(customers().recordCount(), 4);
        EXPECT_TRUE(selection->isHidden());
        EXPECT_TRUE(find<QWidget>("Command24")->isHidden());
    }
    // Nothing found: said, and all customers again; cancelled: all of them.
    t.prompts.answerInput(u("o'zz"));
    click("Command23");
    EXPECT_EQ(lastTitle(), u("Selektion nach o'zz"));
    EXPECT_EQ(lastText(), u("keine Kunden in der Datenbank, die die Buchstabenfolge ''o'zz'' enthält !"));
    EXPECT_EQ(customers().recordCount(), 4);
    EXPECT_TRUE(selection->isHidden());
    click("Command23");
    EXPECT_EQ(customers().recordCount(), 4);
}

TEST_F(CustomersArticles, TheListButtonsExportTheCurrentSelection)
{
    setTab(1);
    click("Command27"); // all customers: the hint first, then the file opened
    ASSERT_EQ(t.prompts.count(), 1);
    EXPECT_EQ(lastTitle(), u("Hinweis !"));
    ASSERT_EQ(t.shell.opened().size(), 1);
    EXPECT_TRUE(t.shell.opened().at(0).endsWith(u("/Kundenliste.txt")));
    EXPECT_TRUE(test::TempDatabase::readFile(t.shell.opened().at(0)).startsWith("\r\nAbele\r\n"));

    t.prompts.answerInput(u("schmidt")); // a selection: no hint, only the selected customers
    click("Command23");
    const int before = t.prompts.count();
    click("Command28");
    ASSERT_EQ(t.prompts.count(), before + 2);
    EXPECT_EQ(t.prompts.shown().at(before).title, u("Info"));
    EXPECT_EQ(lastText(), u("Wählen Sie '' Datei - speichern unter ... '' und geben Sie einen Speicherort an. "
                            "Wählen Sie diese Datei als Steuerdatei Ihres Word-Serienbriefes."));
    ASSERT_EQ(t.shell.opened().size(), 2);
    EXPECT_EQ(test::TempDatabase::readFile(t.shell.opened().at(1)),
              u("Anrede;Name;Vorname;Zusatz;Straße;PLZ/Ort\r\n;Schmidt;Eva;;;\r\n").toUtf8());
}

TEST_F(CustomersArticles, GridClicksReturnToTheSearchBoxAndDoubleActionOrEnterTakeTheCustomerOver)
{
    click("Command4"); // a new document has no name yet, so nothing is asked
    settle();
    const qint64 doc = docs().currentId();
    setTab(1);
    activate();
    edit("Text18")->setFocus();
    auto* grid = find<QTableView>("DBGrid2");
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    const QPoint cell = grid->visualRect(grid->model()->index(customers().position(), 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_TRUE(edit("Text22")->hasFocus());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(stored(doc, "a2"), u("Eva Schmidt"));

    click("Command4");
    setTab(1);
    type("Text22", u("abe"));
    QTest::keyClick(edit("Text22"), Qt::Key_Return);
    EXPECT_EQ(stored(docs().currentId(), "a2"), u("Abele"));
    EXPECT_EQ(stored(docs().currentId(), "b1"), QString::number(sample.abele));
}

TEST_F(CustomersArticles, PostalCodeCaptionOpensTheLookupWithWhatTheFieldHolds)
{
    setTab(1);
    ASSERT_TRUE(customers().moveToId(sample.schmidt));
    QString asked;
    window->findChild<CustomersController*>()->setLookup([&](const QString& current, QWidget*) -> std::optional<QString> {
        asked = current;
        return u("80331 München");
    });
    QLabel* caption = nullptr;
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->text() == u("Plz / Ort") && l->parentWidget()->objectName() == u("TabKunden"))
            caption = l;
    ASSERT_NE(caption, nullptr);
    EXPECT_TRUE(caption->font().underline());
    type("Text29", u("80331"));
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_EQ(asked, u("80331"));
    EXPECT_EQ(edit("Text29")->cursorPosition(), 0);
    click("Command15");
    EXPECT_EQ(db.field(u("Kunden"), sample.schmidt, u("a5")).toString(), u("80331 München"));
}

TEST_F(CustomersArticles, DataCorrectionMenuFillsEmptyKeys)
{
    ASSERT_TRUE(db.exec(u("UPDATE Artikel SET a2 = NULL WHERE a3 = 'Beratung'")));
    window->menus().datenkorrektur->trigger();
    EXPECT_TRUE(t.prompts.messageTexts().contains(u("Daten wurden korrigiert ")));
    EXPECT_EQ(db.count(u("Artikel"), u("a3 = 'Beratung' AND a2 = ' '")), 1);
}

TEST_F(CustomersArticles, SearchBoxFollowsTheTabAndItsArrowsStopAtTheEnds)
{
    activate();
    setTab(0);
    find<QRadioButton>("Option4")->click();
    type("Text22", u("be"));
    EXPECT_EQ(articles().text(u("a3")), u("Beratung"));
    find<QRadioButton>("Option3")->click(); // by number
    type("Text22", u("3"));
    EXPECT_EQ(articles().text(u("a3")), u("Anfahrt"));
    setTab(2);
    type("Text22", u("1"));
    EXPECT_EQ(articles().text(u("a3")), u("Brot"));
    type("Text22", u("1'")); // a quote is only a character
    EXPECT_EQ(articles().text(u("a3")), u("Brot"));
    setTab(1);
    type("Text22", u("SCH"));
    EXPECT_EQ(customers().currentId(), sample.schmidt);

    QLineEdit* box = edit("Text22");
    for (int tab : {0, 1}) {
        setTab(tab);
        Recordset& rs = tab == 0 ? articles() : customers();
        const int last = rs.recordCount() - 1;
        box->setFocus();
        rs.moveLast();
        QTest::keyClick(box, Qt::Key_Down);
        EXPECT_EQ(rs.position(), last);
        QTest::keyClick(box, Qt::Key_Up);
        EXPECT_EQ(rs.position(), last - 1);
        rs.moveFirst();
        QTest::keyClick(box, Qt::Key_Up);
        EXPECT_EQ(rs.position(), 0);
    }
    setTab(0);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(edit("Text12")->hasFocus());
}

TEST_F(CustomersArticles, ANewArticleStartsWithTheNormalVatRate)
{
    ASSERT_TRUE(db.exec(u("UPDATE Einstellungen SET MWSt = '16'")));
    window->activate();
    setTab(2);
    click("Command14");
    EXPECT_EQ(find<QComboBox>("Combo4")->currentText(), u("16"));
    type("Text24", u("400"));
    click("Command16");
    EXPECT_EQ(db.count(u("Artikel"), u("a2 = '400' AND a19 = '16'")), 1);
}

TEST_F(CustomersArticles, RangeAndSpecialSelectionsTakeTheirTextsAsTextAndASortShowsAllAgain)
{
    ASSERT_TRUE(db.exec(u("UPDATE Artikel SET a3 = 'Rock''n''Roll' WHERE a2 = '300'")));
    reread();
    setTab(2);
    const struct {
        const char *from, *to, *special;
        int count;
        const char* first;
    } selections[] = {
        {"100", "250", nullptr, 2, "100"},
        {"1'", "3'", nullptr, 2, "100"}, // "1'" sorts before "100", "3'" before "300"
        {"", "", "k'n'r", 1, "300"},
        {"", "", "RAT", 1, "200"},
    };
    for (const auto& s : selections) {
        if (s.special)
            t.prompts.answerInput(u(s.special));
        edit("Text38")->setText(u(s.from));
        edit("Text39")->setText(u(s.to));
        click("Command19");
        EXPECT_EQ(articles().recordCount(), s.count) << s.from << s.special;
        EXPECT_EQ(articles().text(u("a2")), u(s.first)) << s.from << s.special;
    }
    t.prompts.answerInput(QString()); // an empty text is not read: the list stays
    click("Command19");
    EXPECT_EQ(articles().recordCount(), 1);
    setTab(0);
    find<QRadioButton>("Option4")->click();
    EXPECT_EQ(articles().recordCount(), 4);
    EXPECT_EQ(label("Label24"), u("4 Artikel"));
}

TEST_F(CustomersArticles, PriceChangeByPercentAndAmountOnTheListedArticlesOnly)
{
    ASSERT_TRUE(db.exec(u("UPDATE Artikel SET a4 = '0,50' WHERE a2 = '300'")));
    ASSERT_TRUE(db.exec(u("INSERT INTO Artikel (a2, a3, a4) VALUES ('400', 'ohne Preis', ''), ('500', 'gratis', '0,00')")));
    reread();
    setTab(2);
    int shown = 0;
    QObject counting;
    QObject::connect(&articles(), &Recordset::currentChanged, &counting, [&shown] { ++shown; });
    type("Text40", u("10"));
    type("Text41", u("5"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command20");
    EXPECT_EQ(lastText(), u("Preise aller sichtbaren Artikel jetzt ändern ?"));
    const struct {
        const char *number, *price;
    } prices[] = {{"100", "8,85"}, {"200", "93,00"}, {"300", "5,55"}, {"400", ""}, {"500", "0,00"}, {"Stk.", "16,00"}};
    for (const auto& p : prices)
        EXPECT_EQ(articlePrice(p.number), u(p.price)) << p.number;
    // The views follow the end result only, not each article.
    EXPECT_LE(shown, 2);
    EXPECT_EQ(articles().position(), 0);
    EXPECT_EQ(edit("Text26")->text(), articles().text(u("a4")));

    // Only "Brot" listed: nonsense, No and a change of the listed one.
    type("Text38", u("100"));
    type("Text39", u("100"));
    click("Command19");
    edit("Text41")->clear();
    edit("Text40")->setText(u("1.2.3"));
    click("Command20");
    EXPECT_EQ(lastTitle(), u("Fehler"));
    edit("Text40")->setText(u("50"));
    t.prompts.answerMessage(Prompts::No);
    click("Command20");
    EXPECT_EQ(articlePrice("100"), u("8,85"));
    edit("Text40")->setText(u("-10"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command20");
    EXPECT_EQ(articlePrice("100"), u("7,97"));
    EXPECT_EQ(articlePrice("200"), u("93,00"));
}

TEST_F(CustomersArticles, LineEntryFollowsANewPriceOfTheArticleItShowsButKeepsATypedOne)
{
    setTab(2);
    type("Text38", u("100"));
    type("Text39", u("100"));
    click("Command19");
    setTab(0);
    QLineEdit* price = edit("Text15");
    ASSERT_EQ(price->text(), u("3,50"));
    setTab(2);
    type("Text40", u("10"));
    t.prompts.answerMessage(Prompts::Yes);
    click("Command20");
    setTab(0);
    EXPECT_EQ(price->text(), u("3,85"));
    setTab(2);
    type("Text26", u("4,20"));
    click("Command16");
    ASSERT_EQ(articlePrice("100"), u("4,20"));
    setTab(0);
    EXPECT_EQ(price->text(), u("4,20"));
    type("Text15", u("5,00"));
    setTab(2);
    type("Text26", u("4,40"));
    click("Command16");
    setTab(0);
    EXPECT_EQ(price->text(), u("5,00"));
}

} // namespace
