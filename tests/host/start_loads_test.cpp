// What the window loads as it starts: the host style's own reading of pictures and the icon read
// on demand look the same as Qt's, without loading image plug-ins or icon engines.
#include "host/ui/host_style.h"
#include "host/ui/icon_on_demand.h"
#include "host/ui/main_window.h"
#include "store_fixture.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

#include <fstream>
#include <iterator>
#include <memory>

namespace qm::host::testing {
namespace {

// Whether a library from a folder named `folder` is mapped into this process.
bool Loaded(const char* folder) {
    std::ifstream maps("/proc/self/maps");
    const std::string text{std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>()};
    return text.find(std::string("/") + folder + "/") != std::string::npos;
}

// Both pixel for pixel the same at each size.
void ExpectSamePictures(const QIcon& mine, const QIcon& theirs, const QList<QSize>& sizes) {
    for (const QSize& size : sizes)
        EXPECT_EQ(mine.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
                  theirs.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32))
            << size.width() << "x" << size.height();
}

TEST(HostStyle, ThePicturesItReadsAreThePlatformStyles) {
    std::unique_ptr<QStyle> platform(QStyleFactory::create(QStringLiteral("fusion")));
    HostStyle host;
    const QStyle::StandardPixmap pixmaps[] = {QStyle::SP_ToolBarHorizontalExtensionButton,
                                              QStyle::SP_LineEditClearButton, QStyle::SP_FileIcon};
    for (QStyle::StandardPixmap pixmap : pixmaps)
        for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            SCOPED_TRACE(::testing::Message() << "pixmap " << pixmap << ", direction " << direction);
            QStyleOption option;
            option.direction = direction;
            // Asked twice: the second answer comes from what the first one read.
            for (int ask = 0; ask < 2; ++ask) {
                const QIcon mine = host.standardIcon(pixmap, &option);
                const QIcon theirs = platform->standardIcon(pixmap, &option);
                ASSERT_EQ(mine.availableSizes(), theirs.availableSizes());
                ASSERT_FALSE(theirs.availableSizes().isEmpty());
                ExpectSamePictures(mine, theirs, theirs.availableSizes());
            }
        }
}

class HostStyleWindow : public StoreTest {};

TEST_F(HostStyleWindow, AWindowWithAMenuBarToolbarAndClearButtonLoadsNoImagePlugin) {
    ASSERT_FALSE(Loaded("imageformats")) << "loaded before the test";
    UseHostStyle();
    MainWindow window(*S);
    auto* edit = new QLineEdit(&window);
    edit->setClearButtonEnabled(true);
    window.show();
    window.grab();
    EXPECT_FALSE(Loaded("imageformats"));
}

TEST(IconOnDemand, IsReadWhenAPictureIsAskedForAndLooksTheSame) {
    const QString file = QStringLiteral(":/qmclient/qmhost.svg");
    ASSERT_FALSE(Loaded("iconengines")) << "loaded before the test";
    const QIcon icon = IconOnDemand(file);
    QWidget window;
    window.setWindowIcon(icon);
    window.show();
    window.grab();
    EXPECT_FALSE(icon.isNull());
    EXPECT_FALSE(Loaded("iconengines"));

    const QIcon read(file);
    EXPECT_EQ(icon.availableSizes(), read.availableSizes());
    EXPECT_EQ(icon.actualSize(QSize(40, 20)), read.actualSize(QSize(40, 20)));
    ExpectSamePictures(icon, read, {QSize(16, 16), QSize(32, 32), QSize(64, 64)});
    EXPECT_TRUE(Loaded("iconengines"));
    // A file that is not there reads as no icon once asked.
    const QIcon missing = IconOnDemand(QStringLiteral(":/qmclient/none.svg"));
    EXPECT_TRUE(missing.pixmap(16, 16).isNull());
    EXPECT_TRUE(missing.isNull());
}

} // namespace
} // namespace qm::host::testing
