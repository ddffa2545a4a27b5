#include "tools/widgets/InfoDialog.h"

#include "platform/Context.h"
#include "platform/Shell.h"
#include "tools/About.h"
#include "tools/ProgramPicture.h"
#include "tools/Version.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace quittora {

namespace {

// Twips of the old window layout; 15 twips make one pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;
constexpr int kNameLeft = 1320 / kTwipsPerPixel;
constexpr int kNameTop = 240 / kTwipsPerPixel;
constexpr int kShadowOffset = 15 / kTwipsPerPixel;
constexpr int kPictureSize = 64;
constexpr int kWidth = 440;

// A text that opens an address when clicked, like a link in a browser: a
// press and release of the left button on it, or Space/Enter when it has the
// keyboard focus.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString& text, std::function<void()> onActivate, QWidget* parent)
        : QLabel(parent)
        , m_onActivate(std::move(onActivate))
    {
        setText(text);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xcc));
        setPalette(p);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressed = event->button() == Qt::LeftButton;
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const bool activate = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        m_pressed = false;
        event->accept();
        if (activate)
            m_onActivate();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->accept();
            m_onActivate();
            return;
        }
        QLabel::keyPressEvent(event);
    }

private:
    std::function<void()> m_onActivate;
    bool m_pressed = false;
};

QLabel* makeNameLabel(const QString& objectName, const QColor& colour, QWidget* parent)
{
    auto* label = new QLabel(productName(), parent);
    label->setObjectName(objectName);
    label->setFont(QFont(QStringLiteral("Arial"), 22, QFont::Bold));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->adjustSize();
    return label;
}

} // namespace

InfoDialog::InfoDialog(AppContext& ctx, QWidget* parent)
    : QDialog(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("Info"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);

    // The header keeps the old window's own coordinates, so it sits at the
    // window's top-left corner without a margin.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(makeHeader());
    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(12, 4, 12, 12);
    layout->setSpacing(10);
    outer->addLayout(layout);

    const Publisher& maker = publisher();
    auto* address = new QLabel(publisherAddressLines().join(QLatin1Char('\n')), this);
    address->setObjectName(QStringLiteral("Label7"));
    address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(address);

    auto* web = new LinkLabel(maker.web, [this] { m_ctx.shell.open(publisherWebUrl()); }, this);
    web->setObjectName(QStringLiteral("Label8"));
    web->setToolTip(publisherWebUrl());
    auto* mail = new LinkLabel(maker.email, [this] { m_ctx.shell.open(publisherMailUrl()); }, this);
    mail->setObjectName(QStringLiteral("Label9"));
    mail->setToolTip(publisherMailUrl());
    auto* links = new QVBoxLayout;
    links->setSpacing(2);
    links->addWidget(web, 0, Qt::AlignLeft);
    links->addWidget(mail, 0, Qt::AlignLeft);
    layout->addLayout(links);

    auto* disclaimer = new QLabel(disclaimerText(), this);
    disclaimer->setObjectName(QStringLiteral("Label4"));
    disclaimer->setWordWrap(true);
    disclaimer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    disclaimer->setMargin(6);
    layout->addWidget(disclaimer);

    auto* credit = new QLabel(postalCodeCredit(), this);
    credit->setObjectName(QStringLiteral("Label10"));
    QFont small = credit->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    credit->setFont(small);
    layout->addWidget(credit);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    setFixedWidth(kWidth);
    // A wrapped text asks its layout for height only at the width it had
    // before the window was sized; give it the lines it needs at the width
    // it gets, so that none is cut off.
    const QMargins margins = layout->contentsMargins();
    disclaimer->setMinimumHeight(disclaimer->heightForWidth(kWidth - margins.left() - margins.right()));
    adjustSize();
    ok->setFocus();
}

QWidget* InfoDialog::makeHeader()
{
    auto* header = new QWidget(this);

    auto* picture = new QLabel(header);
    picture->setObjectName(QStringLiteral("Image1"));
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(programPicture(qRound(kPictureSize * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    picture->setPixmap(pixmap);
    picture->setGeometry(12, 12, kPictureSize, kPictureSize);

    // The name twice, the grey copy one pixel lower right, for the shadow.
    QLabel* shadow = makeNameLabel(QStringLiteral("Label2"), QColor(0x80, 0x80, 0x80), header);
    shadow->move(kNameLeft + kShadowOffset, kNameTop + kShadowOffset);
    QLabel* name = makeNameLabel(QStringLiteral("Label1"), QColor(0x1f, 0x3c, 0x88), header);
    name->move(kNameLeft, kNameTop);
    name->raise();

    auto* version = new QLabel(installedVersion(), header);
    version->setObjectName(QStringLiteral("Label5"));
    version->adjustSize();
    const int below = name->geometry().bottom() + 6;
    version->move(kNameLeft, below);
    auto* date = new QLabel(releaseDate(), header);
    date->setObjectName(QStringLiteral("Label6"));
    date->adjustSize();
    date->move(kNameLeft, version->geometry().bottom() + 2);

    header->setMinimumSize(qMax(name->geometry().right(), shadow->geometry().right()) + 8,
                           qMax(date->geometry().bottom(), picture->geometry().bottom()) + 4);
    return header;
}

void InfoDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        centreOnScreen();
    }
}

void InfoDialog::centreOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void showInfo(AppContext& ctx, QWidget* parent)
{
    InfoDialog dialog(ctx, parent);
    dialog.exec();
}

} // namespace quittora
