// Prices typed as a German user writes them, and lists in German order.

#include "data/SqlFunctions.h"
#include "export/Overview.h"
#include "support/MainWindowFixture.h"

#include <QRadioButton>

using namespace quittora;
using namespace quittora::test;

namespace {

class EntryAndOrder : public MainWindowTest {
protected:
    void beforeOpen() override
    {
        // The template brings "Mustermann".
        for (const char* name : {"Zander", "Ölmann", "de Vries", "Muller"})
            db.addCustomer(u(name));
        db.addArticle(u("400"), u("Äpfel"), u("2,00"));
        db.addArticle(u("500"), u("Zement"), u("1,234,00")); // stored before prices were checked
    }
    // Types into a field and leaves it with Enter; the message said, if any.
    QString enter(const char* field, const char* text)
    {
        const int before = t.prompts.count();
        QLineEdit* e = edit(field);
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, u(text));
        QTest::keyClick(e, Qt::Key_Return);
        return t.prompts.count() > before ? t.prompts.last().text : QString();
    }
    // The field's values in the list's order, only those named in `of`.
    static QString order(Recordset& rs, const char* field, const QStringList& of)
    {
        QStringList seen;
        // Counted, not to the end: past the last record the window goes back to it.
        rs.moveFirst();
        for (int i = 0; i < rs.recordCount(); ++i, rs.moveNext()) {
            if (of.contains(rs.text(u(field))))
                seen << rs.text(u(field));
        }
        return seen.join(u(","));
    }
};

} // namespace

TEST_F(EntryAndOrder, APriceWithThousandsIsTakenAndOneThatIsNoNumberIsPutBack)
{
    const char* refused = "Der Preis „%1“ ist keine Zahl.\nBitte geben Sie den Preis als Zahl ein, z. B. 1234,50.";
    setTab(2);
    const struct {
        const char* field;
        const char* typed;
        const char* shown;
        bool told;
    } rows[] = {
        {"Text26", "1.234,00", "1234,00", false}, {"Text26", "1,2,3", "1234,00", true},
        {"Text26", "-12.345.678,9", "-12345678,90", false}, {"Text15", "2.500,5", "2500,50", false},
        {"Text15", "12,34,5", "2500,50", true}, {"Text15", "1,5", "1,50", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.field) + " " + r.typed);
        if (r.field == std::string("Text15"))
            setTab(0);
        const QString said = enter(r.field, r.typed);
        EXPECT_EQ(said, r.told ? u(refused).arg(u(r.typed)) : QString());
        EXPECT_EQ(edit(r.field)->text(), u(r.shown));
    }
    ASSERT_TRUE(articles().update());
    EXPECT_EQ(db.field(u("Artikel"), articles().currentId(), u("a4")).toString(), u("-12345678,90"));

    // A price an article brings along, as stored before prices were
    // checked: with thousands it is taken; one that is no number is named as
    // such instead of blaming the quantity, and adds no line.
    const qint64 doc = docs().currentId(), before = linesOf(doc);
    for (const auto& [price, isRefused] : {std::pair{"1,234,00", false}, {"1,2,3", true}}) {
        SCOPED_TRACE(price);
        const int said = t.prompts.count();
        edit("Text12")->setFocus();
        edit("Text15")->setText(u(price));
        edit("Text12")->setText(u("2"));
        find<QComboBox>("Combo5")->setEditText(u("19"));
        click("Command3");
        EXPECT_EQ(t.prompts.count() > said ? lastText() : QString(), isRefused ? u(refused).arg(u(price)) : QString());
    }
    EXPECT_EQ(linesOf(doc), before + 1);
    EXPECT_EQ(db.count(u("Verkauf"), u("a1 = ? AND a4 = '1234,00' AND a5 = '2468,00'"), {QString::number(doc)}), 1);
}

TEST_F(EntryAndOrder, NamesSortAsInAGermanDictionaryAndAStoredOneTakesItsPlace)
{
    EXPECT_EQ(germanSortKey(u("Straße STRASSE Émile Ångström")), u("strasse strasse emile angstrom"));

    const QStringList names = {u("Abele"), u("de Vries"), u("Müller"), u("Muller"), u("Mustermann"), u("Ölmann"),
                               u("Zander"), u("Bäcker")};
    EXPECT_EQ(order(customers(), "a2", names), u("Abele,de Vries,Muller,Müller,Mustermann,Ölmann,Zander"));
    setTab(1);
    click("Command7");
    type("Text18", u("Bäcker"));
    click("Command15");
    EXPECT_EQ(shown("Text18"), u("Bäcker")); // the new customer stays the current one
    EXPECT_EQ(order(customers(), "a2", names), u("Abele,Bäcker,de Vries,Muller,Müller,Mustermann,Ölmann,Zander"));

    const QStringList designations = {u("Anfahrt"), u("Äpfel"), u("Beratung"), u("Brot"), u("Zement"), u("Öl")};
    find<QRadioButton>("Option4")->click();
    EXPECT_EQ(order(articles(), "a3", designations), u("Anfahrt,Äpfel,Beratung,Brot,Zement"));
    setTab(2);
    click("Command14");
    type("Text25", u("Öl"));
    click("Command16");
    EXPECT_EQ(order(articles(), "a3", designations), u("Anfahrt,Äpfel,Beratung,Brot,Öl,Zement"));

    // The document list sorted by name, as the overview sorts it.
    db.addDocument(u("1004"), u("01.04.2024"), u("Rechnung"), false, {{u("a2"), u("Hans Mustermann")}});
    bool descending = true; // the click toggles it: ascending
    const auto source = documentlist::sortByColumn(2, descending);
    ASSERT_TRUE(source);
    docs().setRecordSource(source->sql, source->params);
    ASSERT_TRUE(docs().refresh());
    EXPECT_EQ(order(docs(), "a2", {u("Hans Müller"), u("Hans Mustermann"), u("Otto Weg")}),
              u("Hans Müller,Hans Mustermann,Otto Weg"));
}
