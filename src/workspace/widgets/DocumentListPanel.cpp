#include "workspace/widgets/DocumentListPanel.h"

#include "data/widgets/RecordsetGrid.h"
#include "platform/widgets/FieldMarks.h"
#include "workspace/DocumentNavigator.h"
#include "workspace/widgets/DesignGrid.h"
#include "workspace/widgets/Placement.h"
#include "workspace/widgets/ToolbarIcons.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRadioButton>

namespace quittora {

using namespace placement;

namespace {

constexpr QRect kFrame1(552, 72, 440, 568);

} // namespace

DocumentListPanel::DocumentListPanel(QWidget* surface, Recordset& documents, DocumentNavigator& navigator,
                                     QObject* parent)
    : QObject(parent)
    , m_search(documents)
    , m_navigator(navigator)
{
    m_frame = make<QFrame>(surface, "Frame1", kFrame1);
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);
    m_frame->setAutoFillBackground(true);

    QLabel* title = label(m_frame, nullptr, QStringLiteral("Übersicht aller Angebote und Rechnungen"),
                          QRect(8, 6, 380, 20));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    m_option1 = make<QRadioButton>(m_frame, "SSOption1", QRect(8, 32, 150, 20));
    m_option1->setText(QStringLiteral("nach Nummer suchen"));
    m_option1->setChecked(true);
    m_option2 = make<QRadioButton>(m_frame, "SSOption2", QRect(164, 32, 160, 20));
    m_option2->setText(QStringLiteral("nach Namen suchen"));
    connect(m_option1, &QRadioButton::clicked, this, [this] { chooseMode(DocumentSearch::Mode::Number); });
    connect(m_option2, &QRadioButton::clicked, this, [this] { chooseMode(DocumentSearch::Mode::Name); });

    m_text33 = edit(m_frame, "Text33", QRect(8, 56, 424, 24));
    m_text33->installEventFilter(this);
    connect(m_text33, &QLineEdit::textChanged, this, [this](const QString& text) { m_search.textChanged(text); });

    m_grid = makeDesignGrid(m_frame, documents, QStringLiteral("DBGrid4"), QRect(8, 86, 424, 440));

    m_image1 = make<QLabel>(m_frame, "Image1", QRect(8, 532, 32, 32));
    m_image1->setPixmap(toolbarPixmap(ToolbarPicture::DocumentList, 28));
    m_image1->setAlignment(Qt::AlignCenter);
    m_image1->setToolTip(QStringLiteral("alle Rechnungen anzeigen"));
    m_image1->setCursor(Qt::PointingHandCursor);
    m_image1->installEventFilter(this);

    m_command10 = button(m_frame, "Command10", QStringLiteral("Liste Ausblenden"), QRect(302, 534, 130, 28));
    connect(m_command10, &QPushButton::clicked, this, &DocumentListPanel::close);

    m_frame->hide();
}

bool DocumentListPanel::isOpen() const
{
    return m_frame->isVisibleTo(m_frame->parentWidget());
}

void DocumentListPanel::toggle()
{
    if (isOpen())
        close();
    else
        open();
}

void DocumentListPanel::open()
{
    m_frame->show();
    m_frame->raise();
    m_text33->setFocus(Qt::OtherFocusReason);
}

void DocumentListPanel::close()
{
    m_frame->hide();
    Q_EMIT closed();
}

void DocumentListPanel::chooseMode(DocumentSearch::Mode mode)
{
    m_search.setMode(mode);
    m_text33->clear();
    m_text33->setFocus(Qt::OtherFocusReason);
}

void DocumentListPanel::markSearchBox(bool focused)
{
    setFieldBackground(m_text33, focused ? markYellow() : plainWhite());
}

bool DocumentListPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_image1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_navigator.showAllDocuments();
        close();
        return true;
    }
    if (watched != m_text33)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::FocusIn:
        markSearchBox(true);
        break;
    case QEvent::FocusOut:
        markSearchBox(false);
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_search.findNext(m_text33->text());
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_Down:
            m_search.moveDown();
            return true;
        case Qt::Key_Up:
            m_search.moveUp();
            return true;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quittora
