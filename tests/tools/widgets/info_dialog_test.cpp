#include "tools/widgets/InfoDialog.h"

#include "support/ToolsDialogs.h"

#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace quittora;
using namespace quittora::test;

namespace {

using InfoDialogTest = DialogTest;

} // namespace

TEST_F(InfoDialogTest, LinksOpenOnALeftClickOrSpaceAndTheDialogClosesWithItsButtonOrEscape)
{
    QPointer<QWidget> seen;
    QPoint centre;
    auto opened = whenModalOpens([&](QWidget* w) {
        seen = w;
        centre = w->frameGeometry().center();
        for (const auto& [link, button] : {std::pair{"Label8", Qt::RightButton}, {"Label9", Qt::LeftButton}, {"Label8", Qt::LeftButton}})
            QTest::mouseClick(child<QLabel>(*w, link), button);
        QTest::keyClick(child<QLabel>(*w, "Label9"), Qt::Key_Space);
        t.shell.setResult(false);
        QTest::mouseClick(child<QLabel>(*w, "Label9"), Qt::LeftButton);
        EXPECT_TRUE(w->isVisible()) << "a failing desktop changes nothing";
        QTest::mouseClick(child<QPushButton>(*w, "Command1"), Qt::LeftButton);
    });
    showInfo(t.ctx);
    ASSERT_TRUE(*opened);
    EXPECT_EQ(seen, nullptr) << "closed and gone";
    EXPECT_LE((centre - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength(), 2);
    const QString mail = QStringLiteral("mailto:support@veltrin.example");
    EXPECT_EQ(t.shell.opened(), (QStringList{mail, QStringLiteral("https://www.veltrin.example"), mail, mail}));
    EXPECT_EQ(t.prompts.count(), 0);

    opened = whenModalOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    showInfo(t.ctx);
    EXPECT_TRUE(*opened);
}

