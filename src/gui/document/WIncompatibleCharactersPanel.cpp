#include "document/WIncompatibleCharactersPanel.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "document/WDocumentData.h"
#include "canvas/WTextCanvas.h"

namespace {

// A pause in typing this long starts a check.
constexpr int kQuietMilliseconds = 250;

QString characters(size_t count)
{
    return count == 1 ? QCoreApplication::translate("WIncompatibleCharactersPanel", "1 character")
                      : QCoreApplication::translate("WIncompatibleCharactersPanel", "%1 characters").arg(count);
}

}  // namespace

WIncompatibleCharactersPanel::WIncompatibleCharactersPanel(WTextCanvas* textView, QToolButton* indicator,
                                                           EncodingSource encoding, QWidget* parent)
    : QDockWidget(tr("Incompatible Characters"), parent),
      mTextView(textView),
      mIndicator(indicator),
      mEncoding(std::move(encoding)),
      mSummary(new QLabel(this)),
      mList(new QTreeWidget(this)),
      mDelay(new QTimer(this))
{
    setObjectName(QStringLiteral("incompatibleCharacters"));
    setFeatures(QDockWidget::DockWidgetClosable);
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(6, 3, 6, 3);
    column->addWidget(mSummary);
    mList->setColumnCount(4);
    mList->setHeaderLabels({tr("Character"), tr("Line"), tr("Column"),
                            tr("When saved")});
    mList->setRootIsDecorated(false);
    mList->setUniformRowHeights(true);
    mList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Columns fit the rows in sight: measuring thousands of rows after each
    // new list would hold up the key being typed.
    mList->header()->setResizeContentsPrecision(0);
    mList->setFocusPolicy(Qt::ClickFocus);
    column->addWidget(mList);
    setWidget(content);
    QDockWidget::hide();

    mDelay->setSingleShot(true);
    mDelay->setInterval(kQuietMilliseconds);
    connect(mDelay, &QTimer::timeout, this, &WIncompatibleCharactersPanel::start);
    connect(&mWatcher, &QFutureWatcherBase::finished, this, &WIncompatibleCharactersPanel::finished);
    connect(mTextView, &WTextCanvas::textReplaced, this, [this] { mDelay->start(); });
    connect(mList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            selectRow(mList->indexOfTopLevelItem(item));
    });
    connect(mList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { selectRow(mList->indexOfTopLevelItem(item)); });
    if (mIndicator) {
        mIndicator->hide();
        connect(mIndicator, &QToolButton::clicked, this, [this] { setVisible(!isVisible()); });
    }
}

WIncompatibleCharactersPanel::~WIncompatibleCharactersPanel()
{
    // The worker has its own copy of the text; its answer is simply not wanted.
    mWatcher.disconnect(this);
}

void WIncompatibleCharactersPanel::refresh()
{
    mDelay->start();
}

void WIncompatibleCharactersPanel::setSavedForm(SavedForm form)
{
    mSavedForm = form;
    refresh();
}

namespace {
std::vector<WCharacterProblem> problemsOf(const std::u16string& text, WStringEncoding encoding,
                                          WIncompatibleCharactersPanel::SavedForm form)
{
    if (form)
        return WCharacterCheck::problems(form(text, encoding), encoding);
    return WCharacterCheck::problems(text, encoding);
}
}  // namespace

void WIncompatibleCharactersPanel::refreshNow()
{
    mDelay->stop();
    mWatcher.waitForFinished();
    present(problemsOf(mTextView->string(), mEncoding(), mSavedForm));
    mStale = false;
}

void WIncompatibleCharactersPanel::start()
{
    if (mWatcher.isRunning()) {
        mStale = true;
        return;
    }
    mStale = false;
    mWatcher.setFuture(QtConcurrent::run(
        [text = mTextView->string(), encoding = mEncoding(), form = mSavedForm] {
            return problemsOf(text, encoding, form);
        }));
}

void WIncompatibleCharactersPanel::finished()
{
    if (mStale) {
        start();  // the text changed meanwhile: this answer is out of date
        return;
    }
    present(mWatcher.result());
}

void WIncompatibleCharactersPanel::present(std::vector<WCharacterProblem> problems)
{
    mProblems = std::move(problems);
    size_t lost = 0;
    for (const WCharacterProblem& problem : mProblems)
        lost += problem.fate == WEncodingRepertoire::Fate::Lost;
    const size_t changed = mProblems.size() - lost;
    const QString encoding = QString::fromUtf8(WDocumentData::encodingTitle(mEncoding()).data());

    QStringList parts;
    if (lost)
        parts << tr("%1 cannot be saved in %2").arg(characters(lost), encoding);
    if (changed)
        parts << (changed == 1 ? tr("1 character is saved as another one")
                               : tr("%1 characters are saved as other ones").arg(changed));
    mSummary->setText(parts.isEmpty() ? tr("Every character can be saved in %1.").arg(encoding)
                                      : parts.join(QStringLiteral("; ")) + QLatin1Char('.'));
    if (mIndicator) {
        mIndicator->setVisible(!mProblems.empty());
        mIndicator->setText(QStringLiteral("⚠ %1").arg(mProblems.size()));
        mIndicator->setToolTip(mSummary->text() + tr(" Click to list them."));
    }

    QSignalBlocker quiet(mList);
    mList->clear();
    QList<QTreeWidgetItem*> rows;
    for (size_t i = 0; i < mProblems.size() && i < kListedRows; ++i) {
        const WCharacterProblem& problem = mProblems[i];
        rows << new QTreeWidgetItem(
            {QString::fromStdString(WCharacterCheck::characterName(problem.character)), QString::number(problem.line),
             QString::number(problem.column), QString::fromStdString(WCharacterCheck::outcome(problem))});
    }
    mList->addTopLevelItems(rows);
    if (mProblems.size() > kListedRows)
        mSummary->setText(mSummary->text() + tr(" The first %1 are listed.").arg(kListedRows));
}

void WIncompatibleCharactersPanel::selectRow(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= mProblems.size())
        return;
    const WRange range = mProblems[static_cast<size_t>(row)].range;
    if (range.location + range.length > mTextView->string().size())
        return;  // the text changed since; the next check lists it anew
    mTextView->setSelectedRange(range);
    mTextView->scrollRangeToVisible(range);
}
