#include "workspace/widgets/ToolbarArea.h"

#include "data/Recordset.h"
#include "workspace/widgets/HoverCaption.h"
#include "workspace/widgets/ToolbarIcons.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

namespace quittora {

namespace {

constexpr int kButtonSize = 40;
constexpr int kTop = 4;

const char* const kButtonStyle =
    "QToolButton { border: 1px solid transparent; border-radius: 3px; background: transparent; }"
    "QToolButton[pressedBorder=\"true\"] { border: 1px solid #2d3c5a; background: rgba(255,255,255,90); }";

QToolButton* pictureButton(QWidget* surface, const char* name, ToolbarPicture picture, int left, bool enabled)
{
    auto* b = new QToolButton(surface);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(toolbarIcon(picture));
    b->setIconSize(QSize(30, 30));
    b->setGeometry(left, kTop, kButtonSize, kButtonSize);
    b->setStyleSheet(QString::fromLatin1(kButtonStyle));
    b->setFocusPolicy(Qt::NoFocus);
    b->setEnabled(enabled);
    return b;
}

QToolButton* navigationButton(QFrame* bar, const char* name, ToolbarPicture picture, const QString& tip)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(toolbarIcon(picture));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

ToolbarArea::ToolbarArea(QWidget* surface, const Recordset& documents, QObject* parent)
    : QObject(parent)
{
    // The work of these buttons comes with the documents, printing, e-mail,
    // overview and backup parts; until then they cannot be pressed.
    m_command4 = pictureButton(surface, "Command4", ToolbarPicture::NewDocument, 8, false);
    m_command5 = pictureButton(surface, "Command5", ToolbarPicture::DeleteDocument, 52, false);
    m_command8 = pictureButton(surface, "Command8", ToolbarPicture::Print, 104, false);
    m_command18 = pictureButton(surface, "Command18", ToolbarPicture::Email, 148, false);
    m_command11 = pictureButton(surface, "Command11", ToolbarPicture::DocumentList, 200, true);
    m_command21 = pictureButton(surface, "Command21", ToolbarPicture::Revenue, 244, false);
    m_command22 = pictureButton(surface, "Command22", ToolbarPicture::Backup, 288, false);

    // Data3's navigation bar, as a data control shows it.
    m_navigation = new QFrame(surface);
    m_navigation->setObjectName(QStringLiteral("Data3Navigation"));
    m_navigation->setFrameShape(QFrame::StyledPanel);
    m_navigation->setFrameShadow(QFrame::Sunken);
    m_navigation->setAutoFillBackground(true);
    m_navigation->setGeometry(344, 10, 250, 28);
    auto* row = new QHBoxLayout(m_navigation);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    auto* first = navigationButton(m_navigation, "Data3First", ToolbarPicture::First, QStringLiteral("erste Rechnung"));
    auto* previous = navigationButton(m_navigation, "Data3Previous", ToolbarPicture::Previous,
                                      QStringLiteral("vorige Rechnung"));
    auto* caption = new QLabel(QStringLiteral("Rechnung durchblättern"), m_navigation);
    caption->setObjectName(QStringLiteral("Data3Caption"));
    caption->setAlignment(Qt::AlignCenter);
    auto* next = navigationButton(m_navigation, "Data3Next", ToolbarPicture::Next, QStringLiteral("nächste Rechnung"));
    auto* last = navigationButton(m_navigation, "Data3Last", ToolbarPicture::Last, QStringLiteral("letzte Rechnung"));
    row->addWidget(first);
    row->addWidget(previous);
    row->addWidget(caption, 1);
    row->addWidget(next);
    row->addWidget(last);
    connect(first, &QToolButton::clicked, this, &ToolbarArea::firstRequested);
    connect(previous, &QToolButton::clicked, this, &ToolbarArea::previousRequested);
    connect(next, &QToolButton::clicked, this, &ToolbarArea::nextRequested);
    connect(last, &QToolButton::clicked, this, &ToolbarArea::lastRequested);

    // The printer picture prints, like Command8 (and only when it may).
    m_picture1 = new QLabel(surface);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setPixmap(toolbarPixmap(ToolbarPicture::Print, 32));
    m_picture1->setAlignment(Qt::AlignCenter);
    m_picture1->setGeometry(952, kTop, kButtonSize, kButtonSize);
    m_picture1->installEventFilter(this);

    auto* shape = new QFrame(surface);
    shape->setObjectName(QStringLiteral("HoverShape"));
    shape->setStyleSheet(QStringLiteral("#HoverShape { border: 1px solid #7a8aa8; border-radius: 4px;"
                                        " background: rgba(255, 255, 255, 110); }"
                                        "#HoverShape[overButton=\"true\"] { background: transparent; }"));
    auto* label = new QLabel(surface);
    label->setObjectName(QStringLiteral("Bezeichnung12"));
    label->setStyleSheet(QStringLiteral("#Bezeichnung12 { background: #ffffe1; color: black;"
                                        " border: 1px solid #767676; padding: 1px 2px; }"));
    m_hover = new HoverCaption(label, shape, surface, this);
    m_hover->add(m_command4, QStringLiteral(" neue Rechnung anlegen "));
    m_hover->add(m_command5, [&documents] {
        return QStringLiteral(" Die Rechnung Nr. ") + documents.text(QStringLiteral("a7")) + QStringLiteral(" löschen ");
    });
    m_hover->add(m_command8, QStringLiteral(" Rechnung drucken "));
    m_hover->add(m_command11, QStringLiteral(" Übersicht aller Angebote und Rechnungen "));
    m_hover->add(m_command18, QStringLiteral(" Rechnung als E-Mail erstellen "));
    m_hover->add(m_command21, QStringLiteral(" Umsatz anzeigen "));
    m_hover->add(m_command22, QStringLiteral(" Datensicherung "));
    m_hover->add(m_navigation, QStringLiteral(" Rechnung durchblättern "));
}

bool ToolbarArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_command8->click(); // does nothing while printing is not available
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
