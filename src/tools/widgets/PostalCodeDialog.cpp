#include "tools/widgets/PostalCodeDialog.h"

#include "platform/Context.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/FieldMarks.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace quittora {

using plz::Country;
using plz::SortOrder;

namespace {

const QString kStartSetting = QStringLiteral("Start-PLZ");

// The window opens this far left of the screen's centre (4000 twips), so the
// customer page it fills stays in sight.
constexpr int kLeftOfCentreTwips = 4000;

} // namespace

PostalCodeDialog::PostalCodeDialog(AppContext& ctx, const QString& databasePath, const QString& currentText,
                                   QWidget* parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_customerText(currentText)
{
    setObjectName(QStringLiteral("frmPLZ"));
    setWindowTitle(QStringLiteral("PLZ <-> Ort"));
    buildControls();

    connect(&m_lookup, &plz::PostalCodeLookup::currentChanged, this, &PostalCodeDialog::showCurrent);
    connect(&m_lookup, &plz::PostalCodeLookup::failed, this, &PostalCodeDialog::showProblem);
    m_lookup.open(databasePath);
    showProblem();

    // The last country chosen; any other value selects none and the German
    // table stays.
    if (const auto country = plz::countryFromSetting(m_ctx.settings.value(kStartSetting, QStringLiteral("0"))))
        m_countries[static_cast<int>(*country)]->setChecked(true);
    showCurrent();
}

PostalCodeDialog::~PostalCodeDialog() = default;

void PostalCodeDialog::buildControls()
{
    auto* searchCaption = new QLabel(QStringLiteral("suchen nach ..."), this);
    searchCaption->setObjectName(QStringLiteral("Label1"));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("Text1"));
    m_search->setMaxLength(255);
    searchCaption->setBuddy(m_search);
    auto* searchHint = new QLabel(QStringLiteral("Bitte geben Sie die PLZ oder den Ort ein"), this);
    searchHint->setObjectName(QStringLiteral("Label2"));

    auto* countryFrame = new QGroupBox(QStringLiteral("Land"), this);
    countryFrame->setObjectName(QStringLiteral("Frame2"));
    auto* countryGroup = new QButtonGroup(this);
    auto* countryLayout = new QVBoxLayout(countryFrame);
    for (Country c : plz::kCountries) {
        const int i = static_cast<int>(c);
        auto* option = new QRadioButton(plz::countryCaption(c), countryFrame);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        countryGroup->addButton(option, i);
        countryLayout->addWidget(option);
        m_countries[i] = option;
        connect(option, &QRadioButton::toggled, this, [this, c](bool checked) {
            if (checked)
                chooseCountry(c);
        });
    }

    m_byCode = new QPushButton(QStringLiteral("nach PLZ sortieren"), this);
    m_byCode->setObjectName(QStringLiteral("Command1"));
    m_byTown = new QPushButton(QStringLiteral("nach Ort sortieren"), this);
    m_byTown->setObjectName(QStringLiteral("Command2"));
    m_takeOver = new QPushButton(QStringLiteral("übernehmen"), this);
    m_takeOver->setObjectName(QStringLiteral("Command3"));
    m_cancel = new QPushButton(QStringLiteral("abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("Command4"));
    // Enter belongs to the search box (take over), not to a default button.
    for (QPushButton* b : {m_byCode, m_byTown, m_takeOver, m_cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(m_byCode, &QPushButton::clicked, this, [this] { sortBy(SortOrder::ByCode); });
    connect(m_byTown, &QPushButton::clicked, this, [this] { sortBy(SortOrder::ByTown); });
    connect(m_takeOver, &QPushButton::clicked, this, &PostalCodeDialog::takeOverCurrent);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_model = new plz::PostalCodeModel(m_lookup, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setFocusPolicy(Qt::NoFocus);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->setVisible(false);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(plz::PostalCodeModel::PostleitzahlColumn, 90);
    m_grid->setColumnWidth(plz::PostalCodeModel::OrtColumn, 220);
    m_grid->setColumnWidth(plz::PostalCodeModel::ZusatzColumn, 200);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncingGrid && current.isValid())
                    m_lookup.moveTo(current.row());
            });
    // A click picks the row; typing goes on in the search box.
    connect(m_grid, &QTableView::clicked, this, [this] { m_search->setFocus(Qt::MouseFocusReason); });

    auto* resultFrame = new QGroupBox(QStringLiteral("Ergebnis"), this);
    resultFrame->setObjectName(QStringLiteral("Frame1"));
    m_result = new QLabel(resultFrame);
    m_result->setObjectName(QStringLiteral("Label3"));
    QFont large = m_result->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.6);
    m_result->setFont(large);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_bundesland = new QLabel(resultFrame);
    m_bundesland->setObjectName(QStringLiteral("Label4"));
    m_zusatz = new QLabel(resultFrame);
    m_zusatz->setObjectName(QStringLiteral("Label5"));
    auto* resultLayout = new QVBoxLayout(resultFrame);
    resultLayout->addWidget(m_result);
    resultLayout->addWidget(m_bundesland);
    resultLayout->addWidget(m_zusatz);

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("LabelHinweis"));
    m_hint->setWordWrap(true);
    QPalette warning = m_hint->palette();
    warning.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    m_hint->setPalette(warning);
    m_hint->hide();

    auto* credit = new QLabel(QStringLiteral("Postleitzahlen: GeoNames (CC BY 4.0)"), this);
    credit->setObjectName(QStringLiteral("LabelQuelle"));
    QFont small = credit->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    credit->setFont(small);

    auto* searchColumn = new QVBoxLayout;
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchCaption);
    searchRow->addWidget(m_search, 1);
    searchColumn->addLayout(searchRow);
    searchColumn->addWidget(searchHint);
    searchColumn->addStretch();
    auto* sortColumn = new QVBoxLayout;
    sortColumn->addWidget(m_byCode);
    sortColumn->addWidget(m_byTown);
    sortColumn->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(searchColumn, 1);
    top->addWidget(countryFrame);
    top->addLayout(sortColumn);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(credit, 1, Qt::AlignBottom);
    bottom->addWidget(m_takeOver);
    bottom->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_hint);
    layout->addWidget(m_grid, 1);
    layout->addWidget(resultFrame);
    layout->addLayout(bottom);

    connect(m_search, &QLineEdit::textChanged, this, &PostalCodeDialog::search);
    m_search->installEventFilter(this);
    setTabOrder(m_search, m_countries[0]);
    resize(760, 540);
}

void PostalCodeDialog::showProblem()
{
    const bool usable = m_lookup.status() == plz::PostalCodeLookup::Status::Ok;
    m_hint->setText(m_lookup.problem());
    m_hint->setVisible(!usable);
    m_byCode->setEnabled(usable);
    m_byTown->setEnabled(usable);
    m_takeOver->setEnabled(usable && m_lookup.hasCurrent());
}

void PostalCodeDialog::chooseCountry(Country country)
{
    // The list shows the country's table as it stands; the search is not
    // repeated, the typing goes on in the search box.
    m_lookup.setCountry(country);
    QTimer::singleShot(0, this, [this] { m_search->setFocus(Qt::OtherFocusReason); });
}

void PostalCodeDialog::sortBy(SortOrder order)
{
    m_lookup.setOrder(order);
}

void PostalCodeDialog::search(const QString& text)
{
    m_lookup.search(text);
    showCurrent();
}

void PostalCodeDialog::showCurrent()
{
    const int position = m_lookup.position();
    if (position >= 0) {
        m_syncingGrid = true;
        const QModelIndex row = m_model->index(position, 0);
        m_grid->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_grid->scrollTo(row);
        m_syncingGrid = false;
    }
    m_takeOver->setEnabled(m_lookup.status() == plz::PostalCodeLookup::Status::Ok && m_lookup.hasCurrent());
    if (!m_ready)
        return;
    const plz::PostalCode record = m_lookup.current();
    m_result->setText(m_lookup.hasCurrent() ? plz::takeOverText(record.postleitzahl, record.ort) : QString());
    m_bundesland->setText(record.bundesland);
    m_zusatz->setText(record.zusatz);
}

void PostalCodeDialog::takeOverCurrent()
{
    // Without a record there is nothing to take over; the customer's field
    // must not be overwritten with a lone blank.
    if (!m_lookup.hasCurrent())
        return;
    const plz::PostalCode record = m_lookup.current();
    m_takenOver = plz::takeOverText(record.postleitzahl, record.ort);
    {
        const QSignalBlocker quiet(m_search);
        m_search->clear();
    }
    Q_EMIT takeOver(*m_takenOver);
    accept();
}

void PostalCodeDialog::done(int result)
{
    for (Country c : plz::kCountries) {
        if (m_countries[static_cast<int>(c)]->isChecked())
            m_ctx.settings.setValue(kStartSetting, plz::settingValue(c));
    }
    QDialog::done(result);
}

void PostalCodeDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    placeLeftOfCentre();
    m_search->setText(m_customerText);
    m_search->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, this, &PostalCodeDialog::startUp);
}

void PostalCodeDialog::startUp()
{
    m_ready = true;
    m_lookup.moveFirst();
    search(m_search->text());
}

void PostalCodeDialog::placeLeftOfCentre()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    const int shift = kLeftOfCentreTwips * logicalDpiX() / 1440;
    int left = area.left() + (area.width() - frame.width()) / 2 - shift;
    int top = area.top() + (area.height() - frame.height()) / 2;
    // On a small screen the window still opens whole.
    left = qMax(area.left(), left);
    top = qMax(area.top(), top);
    move(left, top);
}

bool PostalCodeDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_search)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Down:
            m_lookup.moveNext();
            return true;
        case Qt::Key_Up:
            m_lookup.movePrevious();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            takeOverCurrent();
            return true;
        default:
            break;
        }
        break;
    }
    case QEvent::FocusIn:
        setFieldBackground(m_search, markYellow());
        // After the box's own focus handling, which may place the cursor.
        QTimer::singleShot(0, m_search, [box = m_search] {
            if (box->hasFocus())
                box->setSelection(0, qMin<qsizetype>(50, box->text().size()));
        });
        break;
    case QEvent::FocusOut:
        setFieldBackground(m_search, plainWhite());
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QString> openPostalCodeLookup(AppContext& ctx, const QString& programFolder, const QString& currentText,
                                            QWidget* parent)
{
    PostalCodeDialog dialog(ctx, plz::databasePath(programFolder), currentText, parent);
    dialog.exec();
    return dialog.takenOver();
}

} // namespace quittora
