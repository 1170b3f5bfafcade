#include "help/HelpWindow.h"

#include "files/NativePath.h"
#include "help/HelpBook.h"
#include "help/HelpPicture.h"
#include "platform/FileSystem.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QBuffer>
#include <QDebug>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
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

// The Markdown of a topic: GitHub's dialect (tables, strike-through, task
// lists, underline) without raw HTML, which a topic has no use for and which
// could pull in style sheets and pictures from anywhere, and without turning
// bare addresses into links, which the help does not follow and which cost
// the renderer several times what the rest does.
QTextDocument::MarkdownFeatures TopicMarkdownFeatures()
{
    // md4c's flags for bare URL, e-mail and www addresses.
    constexpr int kBareAddressLinks = 0x0004 | 0x0008 | 0x0400;
    QTextDocument::MarkdownFeatures features(QTextDocument::MarkdownDialectGitHub);
    features &= ~QTextDocument::MarkdownFeatures(kBareAddressLinks);
    return features | QTextDocument::MarkdownNoHTML;
}

// Pictures live at "picture:PATH", PATH relative to the help file's folder,
// so that the browser hands their links over as they were written rather
// than resolved against the topic's address. A link to anything else (an
// absolute path, another scheme) keeps its target with a mark that refuses it.
constexpr const char* kPictureScheme = "picture";
constexpr const char* kNotBeside = "not-beside";

QString PictureName(const QString& target)
{
    const QUrl link(target);
    const bool beside = link.scheme().isEmpty() && link.host().isEmpty() && !link.hasQuery()
        && !link.path().startsWith(QLatin1Char('/'));
    QUrl picture;
    picture.setScheme(QString::fromLatin1(kPictureScheme));
    picture.setPath(beside ? link.path() : target);
    if (!beside)
        picture.setQuery(QString::fromLatin1(kNotBeside));
    return picture.toString(QUrl::FullyEncoded);
}

// A topic as HTML, for the browser to show. The Markdown is read into a
// document of its own: read straight into the browser's document, every piece
// the reader adds is laid out again at once (16 KB of links took five seconds
// that way and a tenth of it this way), while the browser takes the HTML in
// one piece.
QString TopicHtml(const QString& markdown, const QFont& font)
{
    QTextDocument document;
    document.setDefaultFont(font);
    document.setMarkdown(markdown, TopicMarkdownFeatures());
    // The pictures are found first and renamed after: a change of format
    // may join fragments that a walk is going through.
    QList<QPair<int, QTextImageFormat>> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            // An image is one character, the object replacement character.
            for (int i = 0; image.isValid() && i < fragment.length(); ++i)
                pictures.append({ fragment.position() + i, image });
        }
    }
    for (auto& [position, image] : pictures) {
        image.setName(PictureName(image.name()));
        QTextCursor cursor(&document);
        cursor.setPosition(position);
        cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(image);
    }
    return document.toHtml();
}

} // namespace

// The pictures of the topic on show, read from beside the help file within
// the limits of one topic (HelpPicture.h).
class TopicPictures {
public:
    explicit TopicPictures(QString helpFolder)
        : m_helpFolder(std::move(helpFolder))
    {
    }

    // A new topic starts with the whole of the limits.
    void newTopic()
    {
        m_tried = 0;
        m_pixels = 0;
    }

    // The picture at a "picture:" address, or an empty one when it is not
    // shown.
    QVariant load(const QUrl& url)
    {
        const QString reference = url.path();
        if (url.scheme() != QLatin1String(kPictureScheme) || url.hasQuery())
            return refuse(reference, QStringLiteral("not in the help's folder"));
        // Said once a topic: a topic of thousands of pictures would say it
        // thousands of times.
        if (m_tried == kMaxHelpPicturesPerTopic) {
            ++m_tried;
            return refuse(reference,
                QStringLiteral("more than %1 pictures in one topic, so neither this one nor any "
                               "after it")
                    .arg(kMaxHelpPicturesPerTopic));
        }
        if (m_tried > kMaxHelpPicturesPerTopic)
            return Nothing();
        ++m_tried;
        const Result<std::vector<std::uint8_t>> bytes = ReadHelpPicture(m_helpFolder, reference);
        if (!bytes)
            return refuse(reference, QString::fromStdString(bytes.message()));
        return decode(reference, *bytes);
    }

private:
    QVariant decode(const QString& reference, const std::vector<std::uint8_t>& bytes)
    {
        QBuffer buffer;
        buffer.setData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        static const QByteArrayList formats = { "png", "jpeg", "gif", "bmp" };
        if (!formats.contains(reader.format()))
            return refuse(reference, QStringLiteral("not a PNG, JPEG, GIF or BMP picture"));
        // The size from the picture's header, so that a huge one is refused
        // before it is decoded.
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > kMaxHelpPictureSide
            || size.height() > kMaxHelpPictureSide)
            return refuse(
                reference, QStringLiteral("larger than %1 x %1 pixels").arg(kMaxHelpPictureSide));
        const std::int64_t pixels = std::int64_t { size.width() } * size.height();
        if (m_pixels + pixels > kMaxHelpPicturePixelsPerTopic)
            return refuse(reference, QStringLiteral("more pictures than one topic shows"));
        const QImage image = reader.read();
        if (image.isNull())
            return refuse(reference, reader.errorString());
        m_pixels += pixels;
        return image;
    }

    // What stands for a picture that is not shown: an empty one of a single
    // transparent pixel. No picture at all would not do: the toolkit then
    // opens the link's target as a file itself, the blocking way and
    // without a limit, and a fifo or /dev/zero there would hang the window.
    static QImage Nothing()
    {
        QImage nothing(1, 1, QImage::Format_ARGB32);
        nothing.fill(Qt::transparent);
        return nothing;
    }

    QVariant refuse(const QString& reference, const QString& why) const
    {
        qWarning().noquote() << files::DisplayPath(m_helpFolder + QLatin1Char('/') + reference)
                + QStringLiteral(": ") + why + QStringLiteral("; the picture is not shown");
        return Nothing();
    }

    QString m_helpFolder;
    int m_tried = 0;
    std::int64_t m_pixels = 0;
};

// The topic pane. Topics live at "topic:N" and the window's own pages at
// "note:N", so that both go through the browser's history and Back returns
// from a message to the topic before it.
class HelpBrowser : public QTextBrowser {
public:
    explicit HelpBrowser(const QString& helpFolder)
        : m_pictures(helpFolder)
    {
    }

    const HelpBook* book = nullptr;

    void showNote(const QString& html)
    {
        m_note = html;
        setSource(QUrl(QStringLiteral("note:%1").arg(++m_notes)), QTextDocument::HtmlResource);
    }

    // Never nothing: for a resource it is not given, the toolkit opens the
    // address as a file itself, the blocking way and without a limit.
    QVariant loadResource(int type, const QUrl& url) override
    {
        if (type == QTextDocument::ImageResource)
            return m_pictures.load(url);
        if (url.scheme() == QLatin1String("topic")) {
            m_pictures.newTopic();
            return book ? TopicHtml(book->topicMarkdown(url.path().toInt()), font()) : QString();
        }
        if (url.scheme() == QLatin1String("note"))
            return m_note;
        // Style sheets and whatever else a page might name are no part of
        // the help.
        return QByteArray();
    }

protected:
    void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override
    {
        // A link the help file holds is a topic, shown from the HTML made of
        // its Markdown; the reader has made sure that each one leads to a
        // topic of the file. Any other address is not part of the help and
        // is not followed.
        if (url.scheme() == QLatin1String("topic"))
            QTextBrowser::doSetSource(url, QTextDocument::HtmlResource);
        else if (url.scheme() == QLatin1String("note"))
            QTextBrowser::doSetSource(
                url, type == QTextDocument::UnknownResource ? QTextDocument::HtmlResource : type);
    }

private:
    TopicPictures m_pictures;
    QString m_note;
    int m_notes = 0;
};

namespace {

constexpr QSize kOwnSize(800, 560);

// The window is a plain widget made a window; screen readers are told of a
// window, named by its title, rather than of a pane.
QAccessibleInterface* AccessibleHelpWindow(const QString&, QObject* object)
{
    auto* window = qobject_cast<HelpWindow*>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

} // namespace

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_helpFile(helpFile)
{
    static const bool accessible = [] {
        QAccessible::installFactory(&AccessibleHelpWindow);
        return true;
    }();
    (void)accessible;
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Help"));
    // Where it first appears is left to the window manager, as for any new
    // window of the desktop; its size is fitted to the screen when it opens.
    resize(kOwnSize);

    // Escape and Ctrl+W close it, as they close help windows elsewhere.
    auto* closeWindow = new QAction(this);
    closeWindow->setShortcuts({ QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W) });
    closeWindow->setShortcutContext(Qt::WindowShortcut);
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);

    m_tabs = new QTabWidget;
    m_tabs->addTab(buildContentsTab(), QStringLiteral("&Contents"));
    m_tabs->addTab(buildIndexTab(), QStringLiteral("&Index"));
    m_tabs->addTab(buildFindTab(), QStringLiteral("&Find"));

    m_browser = new HelpBrowser(platform::FolderOf(helpFile));
    m_browser->setAccessibleName(QStringLiteral("Topic"));
    // Links in a topic read as its Markdown shows them: coloured, not
    // underlined (the HTML reader underlines them by default).
    m_browser->document()->setDefaultStyleSheet(QStringLiteral("a { text-decoration: none; }"));
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

QSize HelpWindow::FirstSize(const QSize& wanted, const QSize& available)
{
    if (available.isEmpty())
        return wanted;
    return wanted.boundedTo(available * 9 / 10);
}

void HelpWindow::showEvent(QShowEvent* event)
{
    // Sized once, before it is first shown, for the screen it opens on;
    // after that the size is the user's.
    if (!m_sized) {
        m_sized = true;
        if (const QScreen* where = screen())
            resize(FirstSize(size(), where->availableGeometry().size()));
    }
    QWidget::showEvent(event);
}

QTextBrowser* HelpWindow::browser() const
{
    return m_browser;
}

QWidget* HelpWindow::buildContentsTab()
{
    m_contents = new QListWidget;
    m_contents->setObjectName(QStringLiteral("Contents"));
    m_contents->setAccessibleName(QStringLiteral("Contents"));
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
    m_index->setAccessibleName(QStringLiteral("Index"));
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
    m_found->setAccessibleName(QStringLiteral("Topics found"));
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
