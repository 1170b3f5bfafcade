#pragma once
// The program's help window: on the left the contents, an index of keywords
// with type-to-find and a full-text find; on the right the topic, rendered
// from its Markdown. Links in a topic lead to other topics, and Back and
// Forward retrace them. The window reads its help file at the first request
// and, until that succeeds, again at each one; a file that is missing or
// damaged, and a topic the file does not hold, are reported on its own page.

#include "help/HelpRequest.h"

#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QUrl;

namespace glyphor::help {

class HelpBook;
class HelpBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(const QString& helpFile, QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Finder: the contents, with the topic on show or else the first one;
    // Context: that topic. Either way the window comes to the front.
    void showHelp(const HelpRequest& request);

    QString helpFile() const { return m_helpFile; }
    // The context number of the topic on show; 0 while a page of the window's
    // own (a message) is shown, or nothing yet.
    int currentTopic() const;

    // The window's size when it first opens: the size it has (its own is
    // 800 x 560) within nine tenths of the room that the screen it opens on
    // leaves for windows, so that it fits a small or strongly scaled screen.
    static QSize FirstSize(const QSize& wanted, const QSize& available);

    // The parts a user works with, for tests.
    QTabWidget* navigation() const { return m_tabs; }
    QListWidget* contentsList() const { return m_contents; }
    QLineEdit* indexEdit() const { return m_indexEdit; }
    QListWidget* indexList() const { return m_index; }
    QLineEdit* findEdit() const { return m_findEdit; }
    QListWidget* findList() const { return m_found; }
    QTextBrowser* browser() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildContentsTab();
    QWidget* buildIndexTab();
    QWidget* buildFindTab();
    bool load();
    void fillLists();
    void showTopic(int context);
    void showNote(const QString& heading, const QString& text);
    void sourceChanged(const QUrl& url);
    void indexTyped(const QString& text);
    void openIndexEntry();
    void findTyped(const QString& text);
    void openFound(QListWidgetItem* item);
    void highlight(const QStringList& words);
    void bringForward();

    QString m_helpFile;
    std::unique_ptr<HelpBook> m_book;
    QString m_loadFailure;

    QTabWidget* m_tabs = nullptr;
    QListWidget* m_contents = nullptr;
    QLineEdit* m_indexEdit = nullptr;
    QListWidget* m_index = nullptr;
    QLineEdit* m_findEdit = nullptr;
    QListWidget* m_found = nullptr;
    QLabel* m_foundCount = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_forward = nullptr;
    HelpBrowser* m_browser = nullptr;
    bool m_sized = false;
};

} // namespace glyphor::help
