#include "display/modReso.h"
#include "runtime/Controls.h"
#include "runtime/RuntimeTestSupport.h"

#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tolvar {
namespace {

using modReso::Ratios;
using modReso::ScreenReading;
using rt::test::Twips;
using rt::test::twipsOf;

TEST(InitScrReso, RatiosFollowTheReadingTheUsersDpiAndTheProfileRuleByRule) {
    const ScreenReading svga{800, 600, 96};
    const ScreenReading xga{1024, 768, 96};
    // The screen as measured, the registry's DPI, then Opt, X, Y and DPI of section "ScrReso"
    // ("0" when not given); the average is checked where given.
    const struct {
        ScreenReading screen;
        const char *logPixels, *opt, *x, *y, *dpi;
        float ratioX, ratioY, ratioAvg = 0;
    } cases[] = {
        // Worked values, measured or configured: the floats nearest to the exact quotients.
        {xga, "", "0", "", "", "", 1.28F, 1.28F, 1.28F},
        // (1.6F + 1.2F) / 2 lies exactly halfway between 1.4F and the next float up, and a
        // half goes to the even one.
        {svga, "", "1", "1920", "1080", "144", 1.6F, 1.2F, 1.4000001F},
        // The mode is the leading number rounded half to even; only 0 and 1 adapt.
        {xga, "", "1abc", "640", "480", "", 0.8F, 0.8F},
        {xga, "", "40000", "640", "480", "", 1.28F, 1.28F},
        {xga, "", "1.5", "640", "480", "", 1, 1, 1},
        {xga, "", "-1", "640", "480", "", 1, 1, 1},
        // A target below 1 or beyond 32 bits leaves the measured value.
        {xga, "", "1", "1280", "0", "0", 1.6F, 1.28F},
        {xga, "", "1", "99999999999", "768", "192", 0.64F, 0.64F},
        {{800, 600, 120}, "", "1", "1280", "960", "", 1.28F, 1.28F},
        // The user's DPI counts from 96 to 192, and only above the measured one (the update
        // window's scaling shows it raising one).
        {{800, 600, 144}, "120", "0", "", "", "", 0.6666667F, 0.6666667F},
        {{800, 600, 72}, "96", "0", "", "", "", 1, 1},
        {{800, 600, 0}, "95", "0", "", "", "", 1, 1},
        {svga, "192", "0", "", "", "", 0.5F, 0.5F},
        {svga, "193", "0", "", "", "", 1, 1},
        {svga, "1e10", "0", "", "", "", 1, 1},
        // A pixel size the screen did not give comes from its size in twips, failing that
        // from the design screen.
        {{0, 0, 96, 15360, 11520, 15, 15}, "", "0", "", "", "", 1.28F, 1.28F},
        {{1024, 0, 96, 0, 11520, 15, 0}, "", "0", "", "", "", 1.28F, 1},
    };
    for (const auto& c : cases) {
        const std::map<std::string, std::string> keys{
            {"Opt", c.opt}, {"X", c.x}, {"Y", c.y}, {"DPI", c.dpi}};
        const Ratios r = modReso::ratiosFor(c.screen, c.logPixels, [&](const char* key) {
            return *keys.at(key).c_str() != 0 ? keys.at(key) : std::string("0");
        });
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        EXPECT_EQ(std::pair(r.scaleX, r.scaleY), std::pair(c.ratioX, c.ratioY));
        if (c.ratioAvg != 0) {
            EXPECT_EQ(r.scaleAvg, c.ratioAvg);
        }
    }
}

class ResizeControlsTest : public ::testing::Test {
protected:
    static void resize(rt::Form& window, const Ratios& r) {
        modReso::ScaleX = r.scaleX;
        modReso::ScaleY = r.scaleY;
        modReso::ScaleAvg = r.scaleAvg;
        modReso::ResizeControls(window);
    }
    void TearDown() override { modReso::ScaleX = modReso::ScaleY = modReso::ScaleAvg = 0; }

    rt::test::BlankForm form;
};

// A control of a kind the program's own windows lack, known only by its class name, with the
// properties such controls carry: a line's end points, a tabbed dialog's tab metrics (it refuses
// a tab width limit beyond its width), and a font whose face offers only some sizes (it takes the
// smallest offered size that holds the request, or the largest; every size when none are listed,
// and Arial every size). An unsized one's height is no number, so no Move that needs it can be
// worked out.
class Foreign : public rt::Control {
    Q_OBJECT
    Q_PROPERTY(float X1 MEMBER x1)
    Q_PROPERTY(float X2 MEMBER x2)
    Q_PROPERTY(float Y1 MEMBER y1)
    Q_PROPERTY(float Y2 MEMBER y2)
    Q_PROPERTY(int TabHeight MEMBER tabHeight)
    Q_PROPERTY(float TabMaxWidth READ maxWidth WRITE setMaxWidth)
    Q_PROPERTY(double FontSize READ fontSize WRITE setFontSize)
    Q_PROPERTY(QString FontName MEMBER face)
    Q_PROPERTY(QVariant Height READ heightValue)
    Q_PROPERTY(float ColWidthMax MEMBER colWidthMax)
    Q_PROPERTY(float RowHeightMax MEMBER rowHeightMax)
    Q_PROPERTY(float ColWidthMin MEMBER colWidthMin)
    Q_PROPERTY(float RowHeightMin MEMBER rowHeightMin)

public:
    Foreign(rt::Form* form, const char* className)
        : rt::Control(form, QString::fromLatin1(className), -1, new QWidget(form)) {}
    QString className() const override { return name(); }
    QObject* container() const override { return inside ? inside : rt::Control::container(); }

    QVariant heightValue() const { return unsized ? QVariant(QStringLiteral("auto")) : height(); }
    float maxWidth() const { return tabMaxWidth; }
    void setMaxWidth(float twips) {
        if (twips > width()) {
            rt::raise(rt::desc::InvalidPropertyValue);
        }
        tabMaxWidth = twips;
    }
    void setWidth(float twips) override {
        if (twips < tabMaxWidth) {
            rt::raise(rt::desc::InvalidPropertyValue);
        }
        rt::Control::setWidth(twips);
    }
    double fontSize() const { return size; }
    void setFontSize(double points) {
        requests.push_back(points);
        const auto holds = std::lower_bound(offered.begin(), offered.end(), points);
        const bool any = offered.empty() || face == QLatin1String("Arial");
        size = any ? points : holds != offered.end() ? *holds : offered.back();
    }

    QObject* inside = nullptr;
    float x1 = 100, x2 = 2100, y1 = 300, y2 = 500, tabMaxWidth = 0;
    float colWidthMax = 4000, rowHeightMax = 600, colWidthMin = 400, rowHeightMin = 200;
    int tabHeight = 375;
    QString face = QStringLiteral("Book Antiqua");
    std::vector<double> offered, requests;
    double size = 8.25;
    bool unsized = false;
};

TEST_F(ResizeControlsTest, RatiosAllOfExactlyOneOrOneNotAboveZeroChangeNothing) {
    auto* check = new Foreign(&form, "CheckBox");
    for (const Ratios& r : {Ratios{1, 1, 1}, Ratios{0, 1.28F, 1.28F}, Ratios{1.28F, 1.28F, 0}}) {
        resize(form, r);
        EXPECT_EQ(twipsOf(form), (Twips{0, 0, 7200, 5400}));
        EXPECT_TRUE(check->requests.empty());
    }
    resize(form, {1, 1.5F, 1.25F});
    EXPECT_EQ(twipsOf(form), (Twips{0, 0, 7200, 8100})) << "one ratio of 1 is not all of them";
}

TEST_F(ResizeControlsTest, EachKindFollowsItsOwnRule) {
    form.move(300, 200, 7200, 5400);
    const auto add = [&](const char* className, Twips at) {
        auto* control = new Foreign(&form, className);
        control->move(at[0], at[1], at[2], at[3]);
        return control;
    };
    Foreign* check = add("CheckBox", {240, 480, 1095, 285});
    Foreign* option = add("OptionButton", {});
    Foreign* grid = add("VSFlexGrid", {});
    Foreign* combo = add("ComboBox", {1000, 1000, 2000, 315});
    Foreign* line = add("Line", {});
    Foreign* image = add("Image", {0, 120, 480, 480});
    Foreign* timer = add("Timer", {-40, 10, 20, 20});
    Foreign* strayed = add("TextBox", {-500, 100, 200, 100});
    Foreign* tabs = add("SSTab", {100, 100, 4000, 3000});
    Foreign* onHiddenTab = add("TextBox", {-74000, 400, 1000, 300});
    onHiddenTab->inside = tabs;
    Foreign* unsized = add("Frame", {-10, 10, 10, 10});
    unsized->unsized = true;
    Foreign* stepsDown = add("ListBox", {});
    stepsDown->offered = {8, 10, 12};
    Foreign* toArial = add("ListBox", {});
    toArial->offered = {12, 14};

    resize(form, {1.25F, 1.5F, 1.28F});

    // 8.25 x 1.28 = 10.6, and x 0.98 beside a box. A face that offers 10 is asked 10.6, 10.5, ...
    // 10.0; one that offers nothing below 12 every tenth down to 0.1, then 10.6 and 10, then
    // Arial 10.6.
    EXPECT_EQ((std::vector{check->fontSize(), option->fontSize(), combo->fontSize(),
                           stepsDown->fontSize(), toArial->fontSize()}),
              (std::vector{10.388, 10.388, 10.6, 10.0, 10.6}));
    EXPECT_EQ(combo->requests, std::vector{10.6});
    EXPECT_EQ(stepsDown->requests, (std::vector{10.6, 10.5, 10.4, 10.3, 10.2, 10.1, 10.0}));
    ASSERT_EQ(toArial->requests.size(), 109U);
    EXPECT_EQ(std::vector(toArial->requests.end() - 3, toArial->requests.end()),
              (std::vector{10.6, 10.0, 10.6}));
    EXPECT_EQ(toArial->face.toStdString(), "Arial");
    EXPECT_TRUE(line->requests.empty() && image->requests.empty()) << "they keep their font";

    EXPECT_EQ(twipsOf(*check), (Twips{300, 720, 1368.75F, 427.5F}));
    EXPECT_EQ(twipsOf(*combo), (Twips{1250, 1500, 2500, 315})) << "its height is kept";
    EXPECT_EQ((Twips{line->x1, line->x2, line->y1, line->y2}), (Twips{125, 2625, 450, 750}));
    EXPECT_EQ((Twips{grid->colWidthMax, grid->rowHeightMax, grid->colWidthMin, grid->rowHeightMin}),
              (Twips{5000, 900, 500, 300}));
    EXPECT_EQ(twipsOf(*image), (Twips{0, 180, 600, 720})) << "at the edge, not out of view";
    EXPECT_EQ(twipsOf(*timer), (Twips{-40, 10, 20, 20}));
    EXPECT_EQ(twipsOf(*strayed), (Twips{150, 150, 250, 150})) << "placed at 120 first";
    EXPECT_EQ(twipsOf(*onHiddenTab), (Twips{1250, 600, 1250, 450})) << "75000 further";
    EXPECT_EQ(twipsOf(*unsized), (Twips{120, 10, 10, 10})) << "brought back, never moved";
    EXPECT_EQ(twipsOf(form), (Twips{375, 300, 9000, 8100}));
}

// The limit shrinks before the dialog does and grows after it.
TEST_F(ResizeControlsTest, ATabbedDialogsTabWidthLimitNeverPassesItsWidth) {
    for (const float ratioX : {0.8F, 1.25F}) {
        rt::test::BlankForm window;
        auto* tabs = new Foreign(&window, "SSTab");
        tabs->move(100, 100, 4000, 3000);
        tabs->tabMaxWidth = 4000;
        resize(window, {ratioX, 1.5F, 1.28F});
        EXPECT_EQ(twipsOf(*tabs), (Twips{100 * ratioX, 150, 4000 * ratioX, 4500})) << ratioX;
        EXPECT_EQ(std::pair(tabs->tabHeight, tabs->tabMaxWidth), std::pair(562, 4000 * ratioX))
            << "375 x 1.5 = 562.5, a half to even";
    }
}

TEST_F(ResizeControlsTest, ASelfSizingLabelKeepsItsTextsSizeAndTheEdgeItIsAlignedTo) {
    // `anchor` is the fraction of the width whose place scales: the left edge, the right edge
    // or the centre. A label whose width its text decides grows with its font instead.
    const std::tuple<bool, int, bool, float> cases[] = {
        {false, 1, true, 0},    {true, 0, false, 0}, {true, 1, false, 1},
        {true, 2, false, 0.5F}, {true, 1, true, 0},  {true, 0, true, 0},
    };
    for (const auto& [autoSize, alignment, wordWrap, anchor] : cases) {
        SCOPED_TRACE(testing::Message() << autoSize << alignment << wordWrap);
        rt::test::BlankForm window;
        auto* label = new rt::Label(&window, QStringLiteral("lblProg"));
        label->setCaption(QStringLiteral("Updating Lumeo ..."));
        label->move(1000, 500, 1500, 300);
        label->setWordWrap(wordWrap);
        label->setAlignment(alignment);
        label->setAutoSize(autoSize);
        const Twips before = twipsOf(*label);
        resize(window, {1.25F, 1.5F, 1.28F});

        const Twips after = twipsOf(*label);
        EXPECT_FLOAT_EQ(after[0] + anchor * after[2], (before[0] + anchor * before[2]) * 1.25F);
        EXPECT_FLOAT_EQ(after[1], 750);
        EXPECT_TRUE(autoSize && !wordWrap ? after[2] > before[2] : after[2] == 1875) << after[2];
        // Scaled, or as high as its lines at its new width.
        const QLabel& shown = *qobject_cast<QLabel*>(label->widget());
        const QRect lines = shown.fontMetrics().boundingRect(QRect(0, 0, shown.width(), 10000),
                                                             Qt::TextWordWrap, shown.text());
        EXPECT_EQ(autoSize ? shown.height() : after[3], autoSize ? lines.height() : 450);
    }
}

} // namespace
} // namespace tolvar

#include "modReso_test.moc"
