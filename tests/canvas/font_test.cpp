#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include "canvas/font.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

class InstalledFamilies : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }
    static QString AnyInstalled() {
        const QStringList all = QFontDatabase::families();
        return all.isEmpty() ? QString() : all.front();
    }
};

TEST_F(InstalledFamilies, MissingFamiliesResolveToTheirFirstInstalledSubstitute) {
    const QString installed = AnyInstalled();
    ASSERT_FALSE(installed.isEmpty());
    QFont::insertSubstitutions("QmMissingFace", {"QmAlsoMissing", installed.toUpper()});
    InstallFontSubstitutions();
    struct Case {
        QString asked;
        QString expected;
    } const cases[] = {
        {installed, installed},
        {installed.toLower(), installed}, // the database's spelling
        {"QmMissingFace", installed},     // the missing substitute is passed over
        {"QmNoSubstitute", "QmNoSubstitute"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InstalledFamily(c.asked), c.expected) << c.asked.toStdString();
}

TEST_F(InstalledFamilies, InstallingSubstitutionsAgainForgetsEarlierAnswers) {
    const QString installed = AnyInstalled();
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_EQ(InstalledFamily("QmLateFace"), "QmLateFace");
    QFont::insertSubstitution("QmLateFace", installed);
    InstallFontSubstitutions();
    EXPECT_EQ(InstalledFamily("QmLateFace"), installed);
}

// The resolved family draws exactly what the family the forms ask for drew through substitution.
TEST_F(InstalledFamilies, FormFontsDrawAsTheirSubstitutesDid) {
    InstallFontSubstitutions();
    auto draw = [](const QFont& font) {
        QImage image(160, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(2, 18, QString::fromUtf8("收入等级 Ab 0123"));
        return image;
    };
    for (const char* family : {"SimSun", "宋体", "Tahoma"}) {
        TFont asked;
        asked.SetName(family);
        asked.SetHeight(-12);
        QFont bySubstitution = ToQFont(asked);
        bySubstitution.setFamily(QString::fromUtf8(family));
        EXPECT_NE(InstalledFamily(QString::fromUtf8(family)), QString::fromUtf8(family)) << family;
        EXPECT_EQ(draw(ToQFont(asked)), draw(bySubstitution)) << family;
    }
}

} // namespace
} // namespace qm
