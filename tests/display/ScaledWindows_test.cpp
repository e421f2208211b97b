#include "display/modReso.h"
#include "message_box/ShowMsgBox.h"
#include "message_box/frmMsgBox.h"
#include "support/ModalAnswer.h"
#include "update_window/frmUpdate.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tolvar {
namespace {

// The whole text shows. A label's lines fit it; a button's or check box's caption has its ink
// inside the control, centred as the style draws it, beside the indicator or within the margins.
void expectReadable(const rt::Control& control) {
    const QWidget* widget = control.widget();
    const QFontMetrics metrics(widget->font());
    const std::string name = control.objectName().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        const QSize lines = metrics.size(0, label->text());
        EXPECT_LE(lines.width(), widget->width()) << name;
        EXPECT_LE(lines.height(), widget->height()) << name;
        return;
    }
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (button == nullptr || button->text().isEmpty()) {
        return;
    }
    const QString text = button->text().remove(QLatin1Char('&'));
    const QStyle* style = widget->style();
    const int room = qobject_cast<const QCheckBox*>(widget) != nullptr
                         ? style->pixelMetric(QStyle::PM_IndicatorWidth) +
                               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing)
                         : 2 * style->pixelMetric(QStyle::PM_ButtonMargin);
    const int baseline = (widget->height() - metrics.height()) / 2 + metrics.ascent();
    const QRect ink = metrics.tightBoundingRect(text);
    EXPECT_LE(room + metrics.horizontalAdvance(text), widget->width()) << name;
    EXPECT_GE(baseline + ink.top(), 0) << name;
    EXPECT_LE(baseline + ink.bottom(), widget->height()) << name;
}

// A drive root and registry of the test's own, for the windows as the program loads them.
class ScaledWindows : public testing::Test {
protected:
    ScaledWindows() {
        qputenv("TOLVAR_ROOT", QFile::encodeName(root.path()));
        qputenv("TOLVAR_REGISTRY", QFile::encodeName(root.filePath(QStringLiteral("user.reg"))));
    }
    ~ScaledWindows() override {
        qunsetenv("TOLVAR_ROOT");
        qunsetenv("TOLVAR_REGISTRY");
        modReso::ScaleX = modReso::ScaleY = modReso::ScaleAvg = 0;
    }
    void write(const char* name, const QByteArray& content) {
        QFile file(root.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QTemporaryDir root;
};

TEST_F(ScaledWindows, BothWindowsTakeTheProfilesScreenAndTheUsersDpiAndStayReadable) {
    ASSERT_LE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 120)
        << "the user's 120 DPI must be the greater";
    write("user.reg",
          "Windows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"LogPixels\"=dword:00000078\r\n");
    // Text is drawn in whole pixels, so a font reads back as the largest whole-pixel size that
    // is not above the size asked for: here the message's 9.75 points times ScaleAvg.
    const double pixel = 72 / QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    // The user's 120 DPI counts only where the profile gives none; then it raises the measured.
    const struct {
        const char *x, *y, *dpi;
        float ratioX, ratioY;
        double messageFont;
    } screens[] = {
        {"1280", "1024", "96", 1.6F, 1.7066667F, 16.1},
        {"1920", "1080", "144", 1.6F, 1.2F, 13.7},
        {"1024", "768", "0", 1.024F, 1.024F, 10},
    };
    for (const auto& s : screens) {
        SCOPED_TRACE(testing::Message() << s.x << "x" << s.y << "@" << s.dpi);
        write("TOLVARCONFIG.INI", QByteArray("[ScrReso]\r\nOpt=1\r\nX=") + s.x + "\r\nY=" + s.y +
                                      "\r\nDPI=" + s.dpi + "\r\n");
        frmUpdate window;
        window.load();
        EXPECT_EQ(std::pair(modReso::ScaleX, modReso::ScaleY), std::pair(s.ratioX, s.ratioY));
        EXPECT_FLOAT_EQ(window.cmdUpdate->left(), 6840 * s.ratioX);
        window.lblProg->setCaption(QStringLiteral("Updating Vantro ..."));
        for (const rt::Control* control : window.controls()) {
            expectReadable(*control);
        }

        const testsupport::ModalAnswer answer([&](QWidget* modal) {
            const auto* box = qobject_cast<frmMsgBox*>(modal);
            ASSERT_NE(box, nullptr);
            const rt::CommandButton& ok = box->cmdAction[0];
            EXPECT_LE(box->lblMsg->fontSize(), s.messageFont);
            EXPECT_GT(box->lblMsg->fontSize(), s.messageFont - pixel);
            EXPECT_FLOAT_EQ(ok.width(), 855 * s.ratioX);
            EXPECT_LE(ok.top() + ok.height(), box->scaleHeight());
            expectReadable(*box->lblMsg);
            expectReadable(ok);
            QTest::mouseClick(ok.widget(), Qt::LeftButton);
        });
        modMain::ShowMsgBox(nullptr,
                            QStringLiteral("[Lumeo] Update Successfully.\r\n"
                                           "[Vantro] Error Updating Norvik Utility."),
                            64);
        EXPECT_TRUE(answer.answered());
    }
}

// A screen too large for any pixel count: every step that would place a control off the
// 32-bit range is passed over, so the window keeps its design geometry and still shows.
TEST_F(ScaledWindows, ScreenBeyondThePixelRangeLeavesTheDesignPlaces) {
    write("TOLVARCONFIG.INI", "[ScrReso]\r\nOpt=1\r\nX=2147483647\r\nY=2147483647\r\nDPI=1\r\n");
    frmUpdate window;
    const std::pair designSize(window.width(), window.height());
    window.load();
    EXPECT_GT(modReso::ScaleX, 1e8F);
    EXPECT_EQ(std::pair(window.cmdUpdate->left(), window.cmdUpdate->width()),
              std::pair(6840.0F, 1215.0F));
    EXPECT_EQ(std::pair(window.width(), window.height()), designSize);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

} // namespace
} // namespace tolvar
