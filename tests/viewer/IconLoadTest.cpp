// The viewer's load without a window, in the cases the window's own tests
// cannot reach so directly: a refresh and a stop in either order, a second
// load arriving inside a pump, files that cannot be read, a window that goes
// away during a pump (run by the sanitizer build), and a folder whose name
// is not UTF-8.
#include "viewer/IconLoad.h"
#include "NumberedIcons.h"
#include "files/NativePath.h"
#include "kit/Files.h"
#include "kit/IconImages.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace glyphor;
using glyphor::test::IconNames;
using glyphor::test::IconNumber;
using glyphor::test::WriteNumberedIcons;

namespace {

// A window as the load sees it. What a user does during a pump is played by
// onPump, which gets the number of the pump (0 for the first) and returns
// false when the window has gone.
struct FakeWindow : IconLoadHost {
    IconLoad load { *this };
    QString folder;
    QStringList captions;
    std::vector<int> pictures; // the numbers the appended images show
    std::vector<int> pumps; // pictures loaded at each pump
    int activations = 0;
    QStringList errors;
    QString caption = QStringLiteral("&Stop");
    std::function<bool(int)> onPump;

    int itemCount() const override { return int(captions.size()); }
    QString itemPath(int item) const override { return platform::JoinPath(folder, captions[item]); }
    void appendImage(const IconImage& icon) override { pictures.push_back(IconNumber(icon)); }
    void setStopCaption(bool loading) override { caption = loading ? "&Stop" : "&Close"; }
    bool activate() override
    {
        ++activations;
        return pump();
    }
    bool pump() override
    {
        const int number = int(pumps.size());
        pumps.push_back(int(pictures.size()));
        // A copy: the call may destroy this window and the function with it.
        const std::function<bool(int)> action = onPump;
        return action ? action(number) : true;
    }
    void showError(const QString& message) override { errors << message; }

    // A refresh: the window clears and fills itself with other files, and
    // tells the running load.
    void refreshWith(const QStringList& names)
    {
        pictures.clear();
        captions = names;
        load.restart();
    }
};

class IconLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_window.folder = m_dir.path();
    }

    // count numbered icon files, first numbered first, as the window's items.
    void makeItems(int count, int first = 0)
    {
        m_window.captions = IconNames(count, first);
        WriteNumberedIcons(m_window.folder, m_window.captions, first);
    }

    std::vector<int> numbers(int count, int first = 0)
    {
        std::vector<int> out;
        for (int i = 0; i < count; ++i)
            out.push_back(first + i);
        return out;
    }

    QTemporaryDir m_dir;
    FakeWindow m_window;
};

// What a user does in the pump after 30 icons, and the pictures at the end:
// they always show the items that the window holds then.
TEST_F(IconLoadTest, ARefreshDuringTheLoadStartsAgainAtTheFirstNewItem)
{
    struct Row {
        const char* name;
        std::function<void(FakeWindow&, const QStringList&)> during;
        int pictures; // of the 40 new items
    };
    const Row rows[] = {
        { "refresh", [](FakeWindow& w, const QStringList& n) { w.refreshWith(n); }, 40 },
        { "stop, then refresh",
            [](FakeWindow& w, const QStringList& n) {
                w.load.stop();
                w.refreshWith(n);
            },
            40 },
        { "refresh, then stop",
            [](FakeWindow& w, const QStringList& n) {
                w.refreshWith(n);
                w.load.stop();
            },
            1 },
    };
    makeItems(65);
    const QStringList fresh = IconNames(40, 100);
    WriteNumberedIcons(m_window.folder, fresh, 100);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeWindow window;
        window.folder = m_window.folder;
        window.captions = m_window.captions;
        window.onPump = [&](int pump) {
            if (pump == 1)
                row.during(window, fresh);
            return true;
        };
        window.load.load();
        EXPECT_EQ(window.pictures, numbers(row.pictures, 100));
        EXPECT_EQ(window.caption, "&Close");
        EXPECT_EQ(window.load.state(), LoadState::LoadEnded);
        EXPECT_FALSE(window.load.running());
        // The fresh start begins, as every load does, with the activation steps.
        EXPECT_EQ(window.activations, 2);
    }
}

TEST_F(IconLoadTest, ALoadAskedForInsideAPumpOnlyRunsTheActivationSteps)
{
    makeItems(65);
    m_window.onPump = [&](int pump) {
        if (pump == 1)
            m_window.load.load();
        return true;
    };
    m_window.load.load();
    EXPECT_EQ(m_window.pictures, numbers(65));
    EXPECT_EQ(m_window.activations, 2);
}

TEST_F(IconLoadTest, AFileThatCannotBeReadEndsTheLoadAsAStopDoes)
{
    struct Row {
        const char* name;
        QString caption; // of item 5
        kit::Bytes bytes; // written under that caption; nothing when empty
        QString message;
    };
    const QString folder = m_window.folder;
    const Row rows[] = {
        { "missing file", "Icon0099.ico", {}, "Cannot open file " + folder + "/Icon0099.ico" },
        { "cursor file", "arrow.ico", kit::MakeIconFile({ { 1, kit::MakeDib({}) } }, 2),
            "Icon image is not valid" },
        { "directory past the end", "short.ico", { 0, 0, 1, 0, 3, 0 },
            "Icon image is not valid: the image directory runs past the end of the file" },
        { "caption edited to another extension", "notes.txt", {},
            "Unknown picture file extension (.txt)" },
    };
    WriteNumberedIcons(folder, IconNames(10));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeWindow window;
        window.folder = folder;
        window.captions = IconNames(10);
        window.captions[5] = row.caption;
        if (!row.bytes.empty())
            kit::WriteBytes(files::ToNativePath(folder + "/" + row.caption), row.bytes);

        window.load.load();
        EXPECT_EQ(window.errors, QStringList { row.message });
        // The pictures so far stay; the window no longer claims a load.
        EXPECT_EQ(window.pictures, numbers(5));
        EXPECT_EQ(window.caption, "&Close");
        EXPECT_EQ(window.load.state(), LoadState::LoadEnded);
        EXPECT_FALSE(window.load.running());
    }
}

// The window is destroyed during a pump, the load with it: the load must
// return without touching either (the sanitizer build sees any use).
TEST_F(IconLoadTest, AWindowDestroyedDuringAPumpIsNotTouchedAgain)
{
    makeItems(65);
    for (const int at : { 0, 1 }) {
        auto* window = new FakeWindow;
        window->folder = m_window.folder;
        window->captions = m_window.captions;
        int pictures = -1;
        window->onPump = [&, window](int pump) {
            if (pump != at)
                return true;
            pictures = int(window->pictures.size());
            delete window;
            return false;
        };
        window->load.load();
        EXPECT_EQ(pictures, at * 30);
    }
}

TEST_F(IconLoadTest, ReadsAFolderWhoseNameIsNotUtf8)
{
    const std::string bytes = files::ToNativePath(m_window.folder) + "/icons-\xff\xfe";
    ASSERT_EQ(::mkdir(bytes.c_str(), 0777), 0);
    m_window.folder = files::FromNativePath(bytes);
    makeItems(3);
    m_window.captions << "Icon0099.ico";
    m_window.load.load();
    EXPECT_EQ(m_window.pictures, numbers(3));
    // The missing file is named as the user sees names, its bytes marked.
    EXPECT_EQ(m_window.errors,
        QStringList { "Cannot open file " + m_dir.path() + "/icons-\\xFF\\xFE/Icon0099.ico" });
    // A name QTemporaryDir cannot remove.
    for (int i = 0; i < 3; ++i)
        ::unlink(files::ToNativePath(m_window.itemPath(i)).c_str());
    ::rmdir(bytes.c_str());
}

} // namespace
