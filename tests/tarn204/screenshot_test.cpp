// Pictures of the form for a person to look at: browse with rows loaded, and insert.
#include "tests/tarn204/form_session.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>

#include "canvas/font.h"

namespace qm::testing {
namespace {

using Screenshots = FormSession;

TEST_F(Screenshots, BrowseAndInsertRenderOffscreen) {
    InstallFontSubstitutions();
    host.MainWindow()->resize(800, 600);
    host.ParentWidget()->setGeometry(0, 0, 800, 600); // the maximised form follows
    QWidget* form = WidgetOfHandle(id);
    ASSERT_EQ(form->size(), QSize(800, 600));
    const QString folder = QStringLiteral(QM_TEST_BIN_DIR "/screenshots");
    QDir().mkpath(folder);

    auto shoot = [&](const char* name) {
        QApplication::processEvents();
        const QImage image = form->grab().toImage();
        // The title bar in the host's title colour, the work area below it in the form colour.
        EXPECT_EQ(image.pixelColor(5, 5), QColor(0x3A, 0x6E, 0xA5)) << name;
        EXPECT_TRUE(image.save(folder + "/" + name)) << name;
    };
    shoot("form-browse.png");
    Run("new");
    FillNewRow(3, "04", "高收入", "10000", nullptr);
    shoot("form-insert.png");
    Run("cancel");
}

} // namespace
} // namespace qm::testing
