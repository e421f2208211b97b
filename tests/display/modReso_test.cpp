#include "display/modReso.h"
#include "runtime/Controls.h"
#include "runtime/RuntimeTestSupport.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
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
        {svga, "", "0", "", "", "", 1, 1, 1},
        {xga, "", "0", "", "", "", 1.28F, 1.28F, 1.28F},
        {{1024, 768, 120}, "", "0", "", "", "", 1.024F, 1.024F, 1.024F},
        {svga, "", "1", "1280", "1024", "96", 1.6F, 1.7066667F, 1.6533334F},
        // (1.6F + 1.2F) / 2 lies exactly halfway between 1.4F and the next float up, and a
        // half goes to the even one.
        {svga, "", "1", "1920", "1080", "144", 1.6F, 1.2F, 1.4000001F},
        {{640, 480, 96}, "", "0", "", "", "", 0.8F, 0.8F, 0.8F},
        // The mode is the leading number rounded half to even; only 0 and 1 adapt.
        {xga, "", "1abc", "640", "480", "", 0.8F, 0.8F},
        {xga, "", "abc", "640", "480", "", 1.28F, 1.28F},
        {xga, "", "40000", "640", "480", "", 1.28F, 1.28F},
        {xga, "", "1.5", "640", "480", "", 1, 1, 1},
        {xga, "", "-1", "640", "480", "", 1, 1},
        // A target below 1 or beyond 32 bits leaves the measured value.
        {xga, "", "1", "1280", "0", "0", 1.6F, 1.28F},
        {xga, "", "1", "-5", "1200", "abc", 1.28F, 2.0F},
        {xga, "", "1", "99999999999", "768", "192", 0.64F, 0.64F},
        // The user's DPI counts from 96 to 192, and only above the measured one.
        {svga, "120", "0", "", "", "", 0.8F, 0.8F},
        {{800, 600, 144}, "120", "0", "", "", "", 0.6666667F, 0.6666667F},
        {{800, 600, 0}, "95", "0", "", "", "", 1, 1},
        {svga, "192", "0", "", "", "", 0.5F, 0.5F},
        {svga, "193", "0", "", "", "", 1, 1},
        {svga, "1e10", "0", "", "", "", 1, 1},
        // A pixel size the screen did not give comes from its size in twips, failing that
        // from the design screen.
        {{0, 0, 96, 15360, 11520, 15, 15}, "", "0", "", "", "", 1.28F, 1.28F},
        {{0, 768, 96, 0, 0, 15, 15}, "", "0", "", "", "", 1, 1.28F},
        {{1024, 0, 96, 0, 11520, 15, 0}, "", "0", "", "", "", 1.28F, 1},
        {{-1, -1, 0, 1e30F, 1e30F, 15, 15}, "", "0", "", "", "", 1, 1},
    };
    for (const auto& c : cases) {
        const std::map<std::string, std::string> keys{
            {"Opt", c.opt}, {"X", c.x}, {"Y", c.y}, {"DPI", c.dpi}};
        const Ratios r = modReso::ratiosFor(c.screen, c.logPixels, [&](const char* key) {
            return *keys.at(key).c_str() != 0 ? keys.at(key) : std::string("0");
        });
        SCOPED_TRACE(testing::Message()
                     << c.screen.width << "x" << c.screen.height << "@" << c.screen.dpi << " "
                     << c.logPixels << " " << c.opt << " " << c.x << "x" << c.y << "@" << c.dpi);
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
// properties such controls carry: a line's end points, a tabbed dialog's tab metrics, a grid's
// limits, and a font whose face offers only some sizes (it takes the smallest offered size that
// holds the request, or the largest; every size when none are listed). An unsized one's height
// is no number, so no Move that needs it can be worked out.
class Foreign : public rt::Control {
    Q_OBJECT
    Q_PROPERTY(float X1 MEMBER x1)
    Q_PROPERTY(float X2 MEMBER x2)
    Q_PROPERTY(float Y1 MEMBER y1)
    Q_PROPERTY(float Y2 MEMBER y2)
    Q_PROPERTY(int TabHeight MEMBER tabHeight)
    Q_PROPERTY(float TabMaxWidth READ tabMaxWidth WRITE setTabMaxWidth)
    Q_PROPERTY(float ColWidthMax MEMBER colWidthMax)
    Q_PROPERTY(float RowHeightMax MEMBER rowHeightMax)
    Q_PROPERTY(int ColWidthMin MEMBER colWidthMin)
    Q_PROPERTY(int RowHeightMin MEMBER rowHeightMin)
    Q_PROPERTY(double FontSize READ fontSize WRITE setFontSize)
    Q_PROPERTY(QString FontName MEMBER face)
    Q_PROPERTY(QVariant Height READ heightValue)

public:
    Foreign(rt::Form* form, QString className, QObject* inside = nullptr)
        : rt::Control(form, className, -1, new QWidget(form)), className_(std::move(className)),
          inside_(inside) {}
    QString className() const override { return className_; }
    QObject* container() const override { return inside_ ? inside_ : rt::Control::container(); }

    void setLeft(float twips) override {
        formWidthWhenMoved = form()->width();
        rt::Control::setLeft(twips);
    }
    QVariant heightValue() const { return unsized ? QVariant(QStringLiteral("auto")) : height(); }
    float tabMaxWidth() const { return tabMaxWidth_; }
    void setTabMaxWidth(float twips) {
        tabMaxWidth_ = twips;
        widthWhenTabsSet = width();
    }
    double fontSize() const { return size_; }
    void setFontSize(double points) {
        requests.push_back(points);
        const auto& offered = face == QLatin1String("Arial") ? arialSizes : faceSizes;
        const auto holds = std::lower_bound(offered.begin(), offered.end(), points);
        size_ = offered.empty() ? points : holds != offered.end() ? *holds : offered.back();
    }

    float x1 = 100, x2 = 2100, y1 = 300, y2 = 500, colWidthMax = 3000, rowHeightMax = 600;
    int tabHeight = 375, colWidthMin = 101, rowHeightMin = 99;
    QString face = QStringLiteral("Book Antiqua");
    std::vector<double> faceSizes, arialSizes, requests;
    float formWidthWhenMoved = -1, widthWhenTabsSet = -1;
    bool unsized = false;

private:
    QString className_;
    QObject* inside_;
    float tabMaxWidth_ = 1000;
    double size_ = 8.25;
};

TEST_F(ResizeControlsTest, RatiosOfExactlyOneOrNotAboveZeroChangeNothing) {
    auto* check = new Foreign(&form, QStringLiteral("CheckBox"));
    check->move(240, 480, 1095, 285);
    for (const Ratios& r : {Ratios{1, 1, 1}, Ratios{0, 1.28F, 1.28F}, Ratios{1.28F, -1, 1.28F},
                            Ratios{1.28F, 1.28F, 0}}) {
        resize(form, r);
        EXPECT_EQ(twipsOf(form), (Twips{0, 0, 7200, 5400}));
        EXPECT_EQ(twipsOf(*check), (Twips{240, 480, 1095, 285}));
        EXPECT_TRUE(check->requests.empty());
    }
}

TEST_F(ResizeControlsTest, EachKindFollowsItsOwnRuleAndTheWindowComesLast) {
    form.move(300, 200, 7200, 5400);
    const auto add = [&](const char* className, Twips at, QObject* inside = nullptr) {
        auto* control = new Foreign(&form, QString::fromLatin1(className), inside);
        control->move(at[0], at[1], at[2], at[3]);
        return control;
    };
    Foreign* check = add("CheckBox", {240, 480, 1095, 285});
    Foreign* option = add("OptionButton", {});
    Foreign* combo = add("ComboBox", {1000, 1000, 2000, 315});
    Foreign* line = add("Line", {});
    Foreign* image = add("Image", {120, 120, 480, 480});
    Foreign* timer = add("Timer", {-40, 10, 20, 20});
    Foreign* strayed = add("TextBox", {-500, 100, 200, 100});
    Foreign* tabs = add("SSTab", {100, 100, 4000, 3000});
    Foreign* onHiddenTab = add("TextBox", {-74000, 400, 1000, 300}, tabs);
    Foreign* grid = add("VSFlexGrid", {});
    Foreign* unsized = add("Frame", {-10, 10, 10, 10});
    unsized->unsized = true;

    resize(form, {1.25F, 1.5F, 1.28F});

    EXPECT_DOUBLE_EQ(check->fontSize(), 10.388) << "8.25 x 1.28 = 10.6, then x 0.98";
    EXPECT_DOUBLE_EQ(option->fontSize(), 10.388);
    EXPECT_EQ(combo->requests, std::vector{10.6}) << "a face that offers every size";
    EXPECT_TRUE(line->requests.empty() && image->requests.empty()) << "they keep their font";

    EXPECT_EQ(twipsOf(*check), (Twips{300, 720, 1368.75F, 427.5F}));
    EXPECT_EQ(twipsOf(*combo), (Twips{1250, 1500, 2500, 315})) << "its height is kept";
    EXPECT_EQ((Twips{line->x1, line->x2, line->y1, line->y2}), (Twips{125, 2625, 450, 750}));
    EXPECT_EQ(twipsOf(*image), (Twips{150, 180, 600, 720}));
    EXPECT_EQ(twipsOf(*timer), (Twips{-40, 10, 20, 20}));
    EXPECT_EQ(twipsOf(*strayed), (Twips{150, 150, 250, 150})) << "placed at 120 first";
    EXPECT_EQ(twipsOf(*onHiddenTab), (Twips{1250, 600, 1250, 450})) << "75000 further";
    EXPECT_EQ(twipsOf(*tabs), (Twips{125, 150, 5000, 4500}));
    EXPECT_EQ(tabs->tabHeight, 562) << "375 x 1.5 = 562.5, a half to even";
    EXPECT_FLOAT_EQ(tabs->tabMaxWidth(), 1250);
    EXPECT_EQ((std::vector{grid->colWidthMax, grid->rowHeightMax}), (std::vector{3750.0F, 900.0F}));
    EXPECT_EQ((std::vector{grid->colWidthMin, grid->rowHeightMin}), (std::vector{126, 148}));
    EXPECT_EQ(twipsOf(*unsized), (Twips{120, 10, 10, 10})) << "brought back, never moved";

    EXPECT_EQ(twipsOf(form), (Twips{375, 300, 9000, 8100}));
    EXPECT_EQ(strayed->formWidthWhenMoved, 7200) << "controls are scaled before the window";
}

TEST_F(ResizeControlsTest, TabbedDialogShrinksItsTabLimitFirstAndGrowsItLast) {
    for (const auto& [ratio, widthWhenTabsSet] : {std::pair{0.8F, 4000.0F}, {1.25F, 5000.0F}}) {
        rt::test::BlankForm window;
        auto* tabs = new Foreign(&window, QStringLiteral("SSTAB"));
        tabs->move(100, 100, 4000, 3000);
        resize(window, {ratio, 1, ratio});
        EXPECT_EQ(tabs->widthWhenTabsSet, widthWhenTabsSet) << ratio;
    }
}

TEST_F(ResizeControlsTest, ASelfSizingLabelKeepsItsTextsSizeAndTheEdgeItIsAlignedTo) {
    // `anchor` is the fraction of the width whose place scales: the left edge, the right edge
    // or the centre. A label whose width the text decides grows with its font.
    const struct {
        bool autoSize;
        int alignment;
        bool wordWrap;
        float anchor;
        bool widthScales;
    } cases[] = {
        {false, 1, true, 0, true},  {true, 0, false, 0, false},    {true, 0, true, 0, true},
        {true, 1, false, 1, false}, {true, 2, false, 0.5F, false}, {true, 1, true, 0, true},
        {true, 2, true, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.autoSize << c.alignment << c.wordWrap);
        rt::test::BlankForm window;
        auto* label = new rt::Label(&window, QStringLiteral("lblProg"));
        label->setCaption(QStringLiteral("Updating Lumeo ..."));
        label->move(1000, 500, 1500, 300);
        label->setWordWrap(c.wordWrap);
        label->setAlignment(c.alignment);
        label->setAutoSize(c.autoSize);
        const Twips before = twipsOf(*label);
        resize(window, {1.25F, 1.5F, 1.28F});

        const Twips after = twipsOf(*label);
        EXPECT_FLOAT_EQ(after[0] + c.anchor * after[2], (before[0] + c.anchor * before[2]) * 1.25F);
        EXPECT_FLOAT_EQ(after[1], 750);
        if (c.widthScales) {
            EXPECT_FLOAT_EQ(after[2], 1875);
        } else {
            EXPECT_GT(after[2], before[2]);
        }
        if (!c.autoSize) {
            EXPECT_FLOAT_EQ(after[3], 450);
        }
    }
}

TEST_F(ResizeControlsTest, FontTakesTheLargestOfferedSizeNotAboveTheTargetElseArial) {
    const struct {
        std::vector<double> faceSizes, arialSizes;
        const char* face;
        double size;
        std::size_t requests;
        double lastRequest;
    } cases[] = {
        // 10.6, 10.5, ... 10.0 are asked for, and 10 is offered.
        {{8, 10, 12}, {}, "Book Antiqua", 10, 7, 10.0},
        // Every request down to 0.1 is refused, then 10.6 and 10; Arial takes 10.6.
        {{12, 14}, {}, "Arial", 10.6, 106 + 3, 10.6},
        // Arial refuses too; the last try is Arial at the whole part.
        {{12, 14}, {12}, "Arial", 12, 106 + 4, 10.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.face << " " << c.size);
        rt::test::BlankForm window;
        auto* control = new Foreign(&window, QStringLiteral("ListBox"));
        control->faceSizes = c.faceSizes;
        control->arialSizes = c.arialSizes;
        resize(window, {1.28F, 1.28F, 1.28F});
        EXPECT_EQ(control->face, QLatin1String(c.face));
        EXPECT_DOUBLE_EQ(control->fontSize(), c.size);
        ASSERT_EQ(control->requests.size(), c.requests);
        EXPECT_DOUBLE_EQ(control->requests.front(), 10.6);
        EXPECT_DOUBLE_EQ(control->requests.back(), c.lastRequest);
    }
}

} // namespace
} // namespace tolvar

#include "modReso_test.moc"
