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

#include <algorithm>
#include <utility>

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

// Text is drawn in whole pixels, so a font reads back as the largest whole-pixel size that is
// not above the size asked for.
void expectFontSize(const rt::TextControl& control, double target) {
    const double pixel = 72 / QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    EXPECT_LE(control.fontSize(), target) << control.objectName().toStdString();
    EXPECT_GT(control.fontSize(), target - pixel) << control.objectName().toStdString();
}

// Both windows as the program loads them, on a drive root and registry of the test's own.
class ScaledWindows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        qputenv("TOLVAR_ROOT", QFile::encodeName(root.path()));
        qputenv("TOLVAR_REGISTRY", QFile::encodeName(root.filePath(QStringLiteral("user.reg"))));
    }
    void TearDown() override {
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

TEST_F(ScaledWindows, UpdateWindowTakesTheProfilesScreenAndTheUsersDpiAndStaysReadable) {
    ASSERT_LE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 120)
        << "the user's 120 DPI must be the greater";
    // The last one takes the measured DPI, which the user's raises.
    const struct {
        const char *x, *y, *dpi, *logPixels;
        float ratioX, ratioY;
    } screens[] = {
        {"800", "600", "96", "", 1, 1},
        {"1024", "768", "96", "", 1.28F, 1.28F},
        {"1280", "1024", "96", "", 1.6F, 1.7066667F},
        {"1920", "1080", "144", "", 1.6F, 1.2F},
        {"1024", "768", "0", "00000078", 1.024F, 1.024F},
    };
    for (const auto& s : screens) {
        SCOPED_TRACE(testing::Message() << s.x << "x" << s.y << "@" << s.dpi << " " << s.logPixels);
        write("TOLVARCONFIG.INI", QByteArray("[ScrReso]\r\nOpt=1\r\nX=") + s.x + "\r\nY=" + s.y +
                                      "\r\nDPI=" + s.dpi + "\r\n");
        if (*s.logPixels != 0) {
            write("user.reg", QByteArray("Windows Registry Editor Version 5.00\r\n\r\n"
                                         "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                                         "\"LogPixels\"=dword:") +
                                  s.logPixels + "\r\n");
        }
        frmUpdate window;
        window.load();
        EXPECT_EQ(std::pair(modReso::ScaleX, modReso::ScaleY), std::pair(s.ratioX, s.ratioY));
        EXPECT_FLOAT_EQ(window.cmdUpdate->left(), 6840 * s.ratioX);
        EXPECT_FLOAT_EQ(window.txtDataDir[1].height(), 330 * s.ratioY);
        window.lblProg->setCaption(QStringLiteral("Updating Vantro ..."));
        for (const rt::Control* control : window.controls()) {
            expectReadable(*control);
        }
    }
}

TEST_F(ScaledWindows, MessageBoxLaysOutItsScaledControls) {
    modReso::ScaleX = 1.6F;
    modReso::ScaleY = 1.2F;
    modReso::ScaleAvg = 1.4000001F;
    const testsupport::ModalAnswer answer([](QWidget* modal) {
        const auto* box = qobject_cast<frmMsgBox*>(modal);
        ASSERT_NE(box, nullptr);
        const rt::CommandButton& ok = box->cmdAction[0];
        expectFontSize(*box->lblMsg, 13.7); // 9.75 x 1.4000001 = 13.65000...
        expectFontSize(ok, 12.6);
        EXPECT_FLOAT_EQ(box->imgI->left(), 120 * 1.6F);
        EXPECT_FLOAT_EQ(box->imgI->height(), 480 * 1.2F);
        EXPECT_FLOAT_EQ(ok.width(), 855 * 1.6F);
        EXPECT_FLOAT_EQ(ok.top(), std::max(box->lblMsg->top() + box->lblMsg->height(),
                                           box->imgI->top() + box->imgI->height()) +
                                      120 * 1.2F);
        EXPECT_LE(ok.top() + ok.height(), box->scaleHeight());
        EXPECT_LE(box->lblMsg->left() + box->lblMsg->width(), box->scaleWidth());
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

} // namespace
} // namespace tolvar
