#include "help/HelpWindow.h"

#include "help/HelpBook.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace glyphor::help {

namespace {

constexpr int kContextRole = Qt::UserRole;

QUrl TopicUrl(int context)
{
    return QUrl(QStringLiteral("topic:%1").arg(context));
}

QListWidgetItem* TopicItem(const QString& text, int context)
{
    auto* item = new QListWidgetItem(text);
    item->setData(kContextRole, context);
    return item;
}

} // namespace

// The topic pane. Topics live at "topic:N" and the window's own pages at
// "note:N", so that both go through the browser's history and Back returns
// from a message to the topic before it.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    const HelpBook* book = nullptr;

    void showNote(const QString& html)
    {
        m_note = html;
        setSource(QUrl(QStringLiteral("note:%1").arg(++m_notes)), QTextDocument::HtmlResource);
    }

    QVariant loadResource(int type, const QUrl& url) override
    {
        if (url.scheme() == QLatin1String("topic"))
            return book ? book->topicMarkdown(url.path().toInt()) : QString();
        if (url.scheme() == QLatin1String("note"))
            return m_note;
        return QTextBrowser::loadResource(type, url);
    }

protected:
    void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override
    {
        // A link the help file holds is a topic in Markdown; the reader has
        // made sure that each one leads to a topic of the file. Any other
        // address is not part of the help and is not followed.
        if (url.scheme() == QLatin1String("topic"))
            QTextBrowser::doSetSource(url, QTextDocument::MarkdownResource);
        else if (url.scheme() == QLatin1String("note"))
            QTextBrowser::doSetSource(
                url, type == QTextDocument::UnknownResource ? QTextDocument::HtmlResource : type);
    }

private:
    QString m_note;
    int m_notes = 0;
};

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_helpFile(helpFile)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Help"));
    // Where it first appears is left to the window manager, as for any new
    // window of the desktop.
    resize(800, 560);

    m_tabs = new QTabWidget;
    m_tabs->addTab(buildContentsTab(), QStringLiteral("&Contents"));
    m_tabs->addTab(buildIndexTab(), QStringLiteral("&Index"));
    m_tabs->addTab(buildFindTab(), QStringLiteral("&Find"));

    m_browser = new HelpBrowser;
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::sourceChanged);

    auto* splitter = new QSplitter;
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ 290, 510 });

    auto* topics = new QPushButton(QStringLiteral("Help &Topics"));
    m_back = new QPushButton(QStringLiteral("&Back"));
    m_forward = new QPushButton(QStringLiteral("F&orward"));
    m_back->setShortcut(QKeySequence::Back);
    m_forward->setShortcut(QKeySequence::Forward);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(topics, &QPushButton::clicked, this, [this] { showHelp({ HelpCommand::Finder, 0 }); });
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(topics);
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
}

HelpWindow::~HelpWindow() = default;

QTextBrowser* HelpWindow::browser() const
{
    return m_browser;
}

QWidget* HelpWindow::buildContentsTab()
{
    m_contents = new QListWidget;
    m_contents->setObjectName(QStringLiteral("Contents"));
    const auto open
        = [this](QListWidgetItem* item) { showTopic(item->data(kContextRole).toInt()); };
    connect(m_contents, &QListWidget::itemClicked, this, open);
    connect(m_contents, &QListWidget::itemActivated, this, open);
    return m_contents;
}

QWidget* HelpWindow::buildIndexTab()
{
    auto* tab = new QWidget;
    auto* prompt
        = new QLabel(QStringLiteral("&Type the first letters of the word you are looking for:"));
    prompt->setWordWrap(true);
    m_indexEdit = new QLineEdit;
    prompt->setBuddy(m_indexEdit);
    m_index = new QListWidget;
    m_index->setObjectName(QStringLiteral("Index"));
    auto* display = new QPushButton(QStringLiteral("&Display"));
    connect(m_indexEdit, &QLineEdit::textEdited, this, &HelpWindow::indexTyped);
    connect(m_indexEdit, &QLineEdit::returnPressed, this, &HelpWindow::openIndexEntry);
    connect(m_index, &QListWidget::itemActivated, this, &HelpWindow::openIndexEntry);
    connect(display, &QPushButton::clicked, this, &HelpWindow::openIndexEntry);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(prompt);
    layout->addWidget(m_indexEdit);
    layout->addWidget(m_index, 1);
    layout->addWidget(display, 0, Qt::AlignRight);
    return tab;
}

QWidget* HelpWindow::buildFindTab()
{
    auto* tab = new QWidget;
    auto* prompt = new QLabel(QStringLiteral("Type the &words to find:"));
    m_findEdit = new QLineEdit;
    prompt->setBuddy(m_findEdit);
    m_found = new QListWidget;
    m_found->setObjectName(QStringLiteral("Found"));
    m_foundCount = new QLabel;
    connect(m_findEdit, &QLineEdit::textChanged, this, &HelpWindow::findTyped);
    connect(m_findEdit, &QLineEdit::returnPressed, this, [this] { openFound(m_found->item(0)); });
    connect(m_found, &QListWidget::itemClicked, this, &HelpWindow::openFound);
    connect(m_found, &QListWidget::itemActivated, this, &HelpWindow::openFound);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(prompt);
    layout->addWidget(m_findEdit);
    layout->addWidget(m_found, 1);
    layout->addWidget(m_foundCount);
    return tab;
}

void HelpWindow::showHelp(const HelpRequest& request)
{
    if (request.command == HelpCommand::Finder) {
        m_tabs->setCurrentWidget(m_contents);
        if (!load())
            showNote(QStringLiteral("Help is not available"), m_loadFailure);
        else if (currentTopic() == 0)
            showTopic(m_book->contents().front());
        m_contents->setFocus();
    } else {
        showTopic(request.context);
    }
    bringForward();
}

namespace {

int ContextOf(const QUrl& url)
{
    return url.scheme() == QLatin1String("topic") ? url.path().toInt() : 0;
}

} // namespace

int HelpWindow::currentTopic() const
{
    return ContextOf(m_browser->source());
}

bool HelpWindow::load()
{
    if (m_book)
        return true;
    Result<HelpBook> book = LoadHelpBook(m_helpFile);
    if (!book) {
        m_loadFailure = QStringLiteral("The help file could not be read.\n\n")
            + QString::fromStdString(book.message());
        return false;
    }
    m_book = std::make_unique<HelpBook>(std::move(*book));
    m_loadFailure.clear();
    m_browser->book = m_book.get();
    setWindowTitle(m_book->title());
    fillLists();
    return true;
}

void HelpWindow::fillLists()
{
    for (int context : m_book->contents())
        m_contents->addItem(TopicItem(m_book->topicTitle(context), context));
    for (const HelpIndexEntry& entry : m_book->index())
        m_index->addItem(TopicItem(entry.label, entry.context));
    if (m_index->count() > 0)
        m_index->setCurrentRow(0);
}

void HelpWindow::showTopic(int context)
{
    if (!load())
        showNote(QStringLiteral("Help is not available"), m_loadFailure);
    else if (context == 0)
        showNote(QStringLiteral("No help for this item"),
            QStringLiteral(
                "There is no help topic for this item.\n\nChoose a topic from the Contents."));
    else if (!m_book->hasTopic(context))
        showNote(QStringLiteral("No such topic"),
            QStringLiteral(
                "This help has no topic numbered %1.\n\nChoose a topic from the Contents.")
                .arg(context));
    else
        m_browser->setSource(TopicUrl(context), QTextDocument::MarkdownResource);
}

void HelpWindow::showNote(const QString& heading, const QString& text)
{
    QString html = QStringLiteral("<h1>") + heading.toHtmlEscaped() + QStringLiteral("</h1>");
    for (const QString& paragraph : text.split(QStringLiteral("\n\n")))
        html += QStringLiteral("<p>") + paragraph.toHtmlEscaped() + QStringLiteral("</p>");
    m_browser->showNote(html);
}

void HelpWindow::sourceChanged(const QUrl& url)
{
    // Told by the signal: the browser reports its new source only after it.
    m_browser->setExtraSelections({});
    const int context = ContextOf(url);
    for (int row = 0; row < m_contents->count(); ++row) {
        if (m_contents->item(row)->data(kContextRole).toInt() == context) {
            m_contents->setCurrentRow(row);
            return;
        }
    }
    m_contents->clearSelection();
}

void HelpWindow::indexTyped(const QString& text)
{
    if (!m_book)
        return;
    const int row = m_book->indexRowFor(text);
    m_index->setCurrentRow(row);
    if (QListWidgetItem* item = m_index->item(row))
        m_index->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void HelpWindow::openIndexEntry()
{
    if (QListWidgetItem* item = m_index->currentItem())
        showTopic(item->data(kContextRole).toInt());
}

void HelpWindow::findTyped(const QString& text)
{
    m_found->clear();
    if (!m_book)
        return;
    const std::vector<int> found = m_book->find(text);
    for (int context : found)
        m_found->addItem(TopicItem(m_book->topicTitle(context), context));
    m_foundCount->setText(HelpBook::findWords(text).isEmpty() ? QString()
            : found.size() == 1                               ? QStringLiteral("1 topic found")
                                : QStringLiteral("%1 topics found").arg(found.size()));
}

void HelpWindow::openFound(QListWidgetItem* item)
{
    if (!item)
        return;
    showTopic(item->data(kContextRole).toInt());
    highlight(HelpBook::findWords(m_findEdit->text()));
}

void HelpWindow::highlight(const QStringList& words)
{
    // Every place of every word is marked, and the first one is scrolled to.
    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat marked;
    marked.setBackground(QColor(255, 236, 120));
    QTextDocument* document = m_browser->document();
    for (const QString& word : words) {
        for (QTextCursor at = document->find(word); !at.isNull() && marks.size() < 500;
             at = document->find(word, at))
            marks.append({ at, marked });
    }
    m_browser->setExtraSelections(marks);
    if (!marks.isEmpty()) {
        QTextCursor first = marks.front().cursor;
        for (const QTextEdit::ExtraSelection& mark : marks)
            if (mark.cursor.position() < first.position())
                first = mark.cursor;
        first.clearSelection();
        m_browser->setTextCursor(first);
        m_browser->ensureCursorVisible();
    }
}

void HelpWindow::bringForward()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace glyphor::help
