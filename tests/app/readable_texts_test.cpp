// Long but ordinary data stands in full in the overview, the settings and the
// customer page on a small and on a large screen; a cut text is a fault.
#include "export/widgets/RechnungenWindow.h"
#include "support/MainWindowFixture.h"
#include "support/ToolsDialogs.h"
#include "tools/widgets/SettingsDialog.h"
#include "workspace/widgets/WorkTabs.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTableView>

using namespace quittora;
using namespace quittora::test;

namespace {

const QString kName = u("Bäckerei Müller-Lüdenscheidt GmbH & Co. KG");
const QString kMail = u("buchhaltung@baeckerei-mueller-luedenscheidt.de");
const QRect kScreens[] = {QRect(0, 0, 1024, 768), QRect(0, 0, 1920, 1080)};

int advance(const QWidget* w, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, w->fontMetrics().horizontalAdvance(line));
    return widest;
}

// The pixels a control's text lacks in width (or, wrapped, in height).
int shortfall(QWidget* w)
{
    QStyle* s = w->style();
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->wordWrap())
            return l->text().isEmpty() ? 0 : l->heightForWidth(l->width()) - l->height();
        const int indent = l->indent() >= 0 ? l->indent() : l->frameWidth() > 0 ? l->fontMetrics().horizontalAdvance(u'x') / 2 : 0;
        const QString shown = l->buddy() ? QString(l->text()).remove(u'&') : l->text();
        return advance(l, shown) - (l->contentsRect().width() - 2 * l->margin() - indent);
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        // QLineEdit keeps 2 pixels beside its text inside the frame.
        const int frame = e->hasFrame() ? s->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
        const QString shown = e->text().isEmpty() ? e->placeholderText() : e->text();
        return advance(e, shown) - (e->width() - 2 * frame - 4 - e->textMargins().left() - e->textMargins().right());
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && !b->text().isEmpty()) {
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = QString(b->text()).remove(u'&');
        if (qobject_cast<QPushButton*>(b))
            return advance(b, option.text) + s->pixelMetric(QStyle::PM_ButtonMargin, &option, b)
                - s->subElementRect(QStyle::SE_PushButtonContents, &option, b).width();
        const auto part = qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents;
        return advance(b, option.text) - s->subElementRect(part, &option, b).width();
    }
    if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        return p->verticalScrollBar()->maximum(); // lines hidden below
    if (auto* g = qobject_cast<QGroupBox*>(w))
        // The title stands 8 pixels in from either side of the frame.
        return advance(g, g->title()) + 16 - g->width();
    return 0;
}

// Every visible control below root, and the header and the given columns of
// every grid, each named in the failure.
void expectReadable(QWidget* root, const QRect& screen, const QList<int>& gridColumns = {})
{
    const QString where = QStringLiteral("%1 at %2x%3 ").arg(root->objectName()).arg(screen.width()).arg(screen.height());
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue; // on another page
        const QString name = w->objectName().isEmpty() ? u("(caption in %1)").arg(w->parentWidget()->objectName()) : w->objectName();
        EXPECT_LE(shortfall(w), 0) << (where + name).toStdString();
    }
    for (QTableView* grid : root->findChildren<QTableView*>()) {
        const QHeaderView* head = grid->horizontalHeader();
        const int cellMargins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
        const int headMargins = 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, head);
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
            EXPECT_LE(head->fontMetrics().horizontalAdvance(title) + headMargins, head->sectionSize(c))
                << (where + grid->objectName() + u(" head ") + title).toStdString();
            for (int r = 0; gridColumns.contains(c) && r < grid->model()->rowCount(); ++r) {
                const QString text = grid->model()->index(r, c).data().toString();
                EXPECT_LE(grid->fontMetrics().horizontalAdvance(text) + cellMargins, grid->columnWidth(c))
                    << (where + grid->objectName() + u(" %1 %2").arg(title, text)).toStdString();
            }
        }
    }
    EXPECT_TRUE(screen.contains(root->window()->frameGeometry())) << where.toStdString() << "window beyond the screen";
}

class ReadableTexts : public MainWindowTest {};

} // namespace

TEST_F(ReadableTexts, OverviewShowsLongNumbersAmountsAndDates)
{
    const char* numbers[] = {"2024-0001", "2024-0002", "2024-00003", "2024-0004"};
    const qint64 ids[] = {sample.doc1, sample.doc2, sample.doc3, sample.doc4};
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(db.exec(u("UPDATE Rechnungen SET a7 = ?, a2 = ?, a6 = '123.456,78' WHERE ID = ?"), {u(numbers[i]), kName, ids[i]}));
    for (const QRect& screen : kScreens) {
        RechnungenWindow overview(t.ctx, db.db(), *printers, true, window.get());
        overview.placeOn(screen);
        ASSERT_TRUE(showAndWait(overview));
        expectReadable(&overview, screen, {0, 2, 3});
    }
}

TEST_F(ReadableTexts, SettingsFitTheScreenWithEveryPage)
{
    for (const QRect& screen : kScreens) {
        SettingsDialog settings(t.ctx, db.db(), window.get());
        for (const auto& [field, text] : {std::pair{"Text3", kName}, {"Text4", kName}, {"Text7", kMail}, {"Text27", kName}})
            child<QLineEdit>(settings, field)->setText(text);
        child<QPlainTextEdit>(settings, "Text29")->setPlainText(u("Zahlbar ohne Abzug.\nVielen Dank.\nEs gelten unsere AGB."));
        settings.fitInto(screen);
        ASSERT_TRUE(showAndWait(settings));
        auto* tabs = child<QTabWidget>(settings, "SSTab1");
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            expectReadable(&settings, screen);
        }
    }
}

TEST_F(ReadableTexts, CustomerPageShowsLongNamesAndAddresses)
{
    for (const QRect& screen : kScreens) {
        ASSERT_TRUE(window->prepare({screen.size(), screen}));
        setTab(WorkTabs::Kunden);
        edit("Text18")->setText(kName);
        edit("Text34")->setText(kMail);
        QTest::qWait(0);
        expectReadable(window->tabs()->currentWidget(), screen);
    }
}
