#include "app/PlatformChoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace glyphor;

namespace {

struct ChoiceCase {
    const char* name;
    PlatformSituation situation;
    const char* expected;
};

class PlatformToChooseTest : public ::testing::TestWithParam<ChoiceCase> { };

TEST_P(PlatformToChooseTest, FallsBackToX11OnlyWhereTheToolkitWouldComplain)
{
    EXPECT_EQ(PlatformToChoose(GetParam().situation), QByteArray(GetParam().expected));
}

// Fields: platformChosen, waylandSession, waylandPlugin, x11Display.
INSTANTIATE_TEST_SUITE_P(Situations, PlatformToChooseTest,
    ::testing::Values(ChoiceCase { "WaylandWithoutItsPlatformOverAnXServer",
                          { false, true, false, true }, "xcb" },
        ChoiceCase { "WaylandWithItsPlatform", { false, true, true, true }, "" },
        ChoiceCase { "WaylandWithoutItsPlatformNorAnXServer", { false, true, false, false }, "" },
        ChoiceCase { "AnX11Session", { false, false, false, true }, "" },
        ChoiceCase { "ThePlatformChosenByTheUser", { true, true, false, true }, "" }),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(HasWaylandPlatformTest, LooksForTheWaylandPluginsInThePlatformFolders)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString bare = root.filePath("bare");
    const QString wayland = root.filePath("wayland");
    ASSERT_TRUE(QDir().mkpath(bare) && QDir().mkpath(wayland));
    QFile(bare + "/libqxcb.so").open(QIODevice::WriteOnly);
    // A folder named like the plugin is no plugin.
    ASSERT_TRUE(QDir().mkpath(bare + "/libqwayland-generic.so.d"));
    EXPECT_FALSE(HasWaylandPlatform({ bare, root.filePath("missing") }));
    QFile(wayland + "/libqwayland-generic.so").open(QIODevice::WriteOnly);
    EXPECT_TRUE(HasWaylandPlatform({ bare, wayland }));
}

} // namespace
