#include "display/modReso.h"
#include "runtime/Controls.h"
#include "runtime/RuntimeTestSupport.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tolvar {
namespace {

using modReso::Ratios;
using modReso::ScreenReading;
using Keys = std::map<std::string, std::string>;

// The ratios for a reading and section "ScrReso"; `asked` collects the keys read.
Ratios ratiosFor(const ScreenReading& screen, const Keys& keys = {},
                 const std::string& logPixels = "", std::vector<std::string>* asked = nullptr) {
    return modReso::ratiosFor(screen, logPixels, [&](const char* key) {
        if (asked != nullptr) {
            asked->emplace_back(key);
        }
        return keys.contains(key) ? keys.at(key) : std::string("0");
    });
}

TEST(InitScrReso, WorkedValuesHoldAsExactFloatsMeasuredOrConfigured) {
    const struct {
        std::int32_t width, height, dpi;
        float x, y, avg;
    } cases[] = {
        {800, 600, 96, 1.0F, 1.0F, 1.0F},
        {1024, 768, 96, 1.28F, 1.28F, 1.28F},
        {1024, 768, 120, 1.024F, 1.024F, 1.024F},
        {1280, 1024, 96, 1.6F, 1.7066667F, 1.6533334F},
        // (1.6F + 1.2F) / 2 lies exactly halfway between 1.4F and the next float up, and a
        // half goes to the even one.
        {1920, 1080, 144, 1.6F, 1.2F, 1.4000001F},
        {640, 480, 96, 0.8F, 0.8F, 0.8F},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "@" << c.dpi);
        const Keys target{{"Opt", "1"},
                          {"X", std::to_string(c.width)},
                          {"Y", std::to_string(c.height)},
                          {"DPI", std::to_string(c.dpi)}};
        for (const Ratios& r :
             {ratiosFor({c.width, c.height, c.dpi}), ratiosFor({1600, 1200, 96}, target)}) {
            EXPECT_EQ(r.scaleX, c.x);
            EXPECT_EQ(r.scaleY, c.y);
            EXPECT_EQ(r.scaleAvg, c.avg);
        }
    }
}

TEST(InitScrReso, ModeIsTheLeadingNumberRoundedHalfToEvenAndOnlyModeOneReadsTheTarget) {
    // The measured 1024 x 768 gives 1.28, the configured 640 x 480 gives 0.8.
    const std::vector<std::string> measured{"Opt"};
    const std::vector<std::string> configured{"Opt", "X", "Y", "DPI"};
    const struct {
        const char* opt;
        float ratio;
        const std::vector<std::string>& asked;
    } cases[] = {
        {"0", 1.28F, measured},    {"1", 0.8F, configured},  {"1abc", 0.8F, configured},
        {" 1 ", 0.8F, configured}, {"abc", 1.28F, measured}, {"40000", 1.28F, measured},
        {"1.5", 1.0F, measured},   {"0.4", 1.28F, measured}, {"2", 1.0F, measured},
        {"-1", 1.0F, measured},
    };
    for (const auto& c : cases) {
        std::vector<std::string> asked;
        const Ratios r =
            ratiosFor({1024, 768, 96}, {{"Opt", c.opt}, {"X", "640"}, {"Y", "480"}}, "", &asked);
        EXPECT_EQ(r.scaleX, c.ratio) << c.opt;
        EXPECT_EQ(r.scaleAvg, c.ratio) << c.opt;
        EXPECT_EQ(asked, c.asked) << c.opt;
    }
}

TEST(InitScrReso, ATargetBelowOneOrTooLargeLeavesTheMeasuredValue) {
    const struct {
        const char *x, *y, *dpi;
        float ratioX, ratioY;
    } cases[] = {
        {"1280", "0", "0", 1.6F, 1.28F},
        {"-5", "1200", "abc", 1.28F, 2.0F},
        {"99999999999", "768", "192", 0.64F, 0.64F},
        {"1280", "1024", "1e12", 1.6F, 1.7066667F},
    };
    for (const auto& c : cases) {
        const Ratios r =
            ratiosFor({1024, 768, 96}, {{"Opt", "1"}, {"X", c.x}, {"Y", c.y}, {"DPI", c.dpi}});
        EXPECT_EQ(r.scaleX, c.ratioX) << c.x;
        EXPECT_EQ(r.scaleY, c.ratioY) << c.y;
    }
}

TEST(InitScrReso, UserDpiCountsFrom96To192AndOnlyWhenGreaterThanTheMeasuredOne) {
    const struct {
        std::int32_t measured;
        const char* logPixels;
        double dpi;
    } cases[] = {
        {96, "120", 120}, {96, "200", 96},   {96, "90", 96},   {144, "120", 144},
        {0, "120", 120},  {0, "", 96},       {0, "95", 96},    {96, "192", 192},
        {96, "193", 96},  {120, "120", 120}, {96, "1e10", 96}, {-3, "", 96},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ratiosFor({800, 600, c.measured}, {}, c.logPixels).scaleX,
                  static_cast<float>(96 / c.dpi))
            << c.measured << " " << c.logPixels;
    }
}

TEST(InitScrReso, MissingPixelSizeAsksTheScreenInTwipsThenTakesTheDesignScreen) {
    const struct {
        ScreenReading screen;
        float x, y;
    } cases[] = {
        {{0, 0, 96, 15360, 11520, 15, 15}, 1.28F, 1.28F},
        {{0, 768, 96, 0, 0, 15, 15}, 1.0F, 1.28F},
        {{1024, 0, 96, 0, 11520, 15, 0}, 1.28F, 1.0F},
        {{-1, -1, 0, 1e30F, 1e30F, 15, 15}, 1.0F, 1.0F},
    };
    for (const auto& c : cases) {
        const Ratios r = ratiosFor(c.screen);
        EXPECT_EQ(r.scaleX, c.x);
        EXPECT_EQ(r.scaleY, c.y);
    }
}

class ResizeControlsTest : public ::testing::Test {
protected:
    void setRatios(float x, float y, float avg) {
        modReso::ScaleX = x;
        modReso::ScaleY = y;
        modReso::ScaleAvg = avg;
    }
    void TearDown() override { setRatios(0, 0, 0); }

    rt::test::BlankForm form;
};

// A control of a kind the program's own windows lack, known only by its class name, with the
// properties such controls carry: a line's end points, a tabbed dialog's tab metrics, a grid's
// limits, and a font whose face offers only some sizes (it takes the smallest offered size that
// holds the request, or the largest; every size when none are listed).
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

    float x1 = 100, x2 = 2100, y1 = 300, y2 = 500;
    int tabHeight = 375;
    float colWidthMax = 3000, rowHeightMax = 600;
    int colWidthMin = 101, rowHeightMin = 99;
    QString face = QStringLiteral("Book Antiqua");
    std::vector<double> faceSizes, arialSizes, requests;
    float formWidthWhenMoved = -1;
    float widthWhenTabsSet = -1;

private:
    QString className_;
    QObject* inside_;
    float tabMaxWidth_ = 1000;
    double size_ = 8.25;
};

// Its height is no number, so no Move that needs it can be worked out.
class Unsized : public Foreign {
    Q_OBJECT
    Q_PROPERTY(QString Height READ heightText)

public:
    using Foreign::Foreign;
    QString heightText() const { return QStringLiteral("auto"); }
};

struct Geometry {
    float left, top, width, height;
    friend bool operator==(const Geometry&, const Geometry&) = default;
};
template <class Placed> Geometry geometryOf(const Placed& c) {
    return {c.left(), c.top(), c.width(), c.height()};
}

TEST_F(ResizeControlsTest, RatiosOfExactlyOneOrNotAboveZeroChangeNothing) {
    auto* caption = new rt::Label(&form, QStringLiteral("lblDataDir"));
    caption->setCaption(QStringLiteral("Installation Directory"));
    caption->move(240, 120, 1905, 270);
    auto* check = new rt::CheckBox(&form, QStringLiteral("chkPrd"));
    check->move(240, 480, 1095, 285);
    const Geometry window = geometryOf(form);
    const Geometry label = geometryOf(*caption);
    const double labelFont = caption->fontSize();
    const double checkFont = check->fontSize();

    for (const Ratios& r : {Ratios{1, 1, 1}, Ratios{0, 1.28F, 1.28F}, Ratios{1.28F, -1, 1.28F},
                            Ratios{1.28F, 1.28F, 0}}) {
        setRatios(r.scaleX, r.scaleY, r.scaleAvg);
        modReso::ResizeControls(form);
        EXPECT_EQ(geometryOf(form), window);
        EXPECT_EQ(geometryOf(*caption), label);
        EXPECT_EQ(caption->fontSize(), labelFont);
        EXPECT_EQ(check->fontSize(), checkFont);
    }
}

TEST_F(ResizeControlsTest, EachKindFollowsItsOwnRuleAndTheWindowComesLast) {
    setRatios(1.25F, 1.5F, 1.28F);
    form.move(300, 200, 7200, 5400);
    auto* check = new Foreign(&form, QStringLiteral("CheckBox"));
    check->move(240, 480, 1095, 285);
    auto* option = new Foreign(&form, QStringLiteral("OptionButton"));
    auto* combo = new Foreign(&form, QStringLiteral("ComboBox"));
    combo->move(1000, 1000, 2000, 315);
    auto* line = new Foreign(&form, QStringLiteral("Line"));
    auto* image = new rt::Image(&form, QStringLiteral("imgC"));
    image->move(120, 120, 480, 480);
    auto* timer = new Foreign(&form, QStringLiteral("Timer"));
    timer->move(-40, 10, 20, 20);
    auto* strayed = new Foreign(&form, QStringLiteral("TextBox"));
    strayed->move(-500, 100, 200, 100);
    auto* tabs = new Foreign(&form, QStringLiteral("SSTab"));
    tabs->move(100, 100, 4000, 3000);
    auto* onHiddenTab = new Foreign(&form, QStringLiteral("TextBox"), tabs);
    onHiddenTab->move(-74000, 400, 1000, 300);
    auto* grid = new Foreign(&form, QStringLiteral("VSFlexGrid"));
    auto* unsized = new Unsized(&form, QStringLiteral("Frame"));
    unsized->move(-10, 10, 10, 10);

    modReso::ResizeControls(form);

    EXPECT_DOUBLE_EQ(check->fontSize(), 10.388) << "8.25 x 1.28 = 10.6, then x 0.98";
    EXPECT_DOUBLE_EQ(option->fontSize(), 10.388);
    EXPECT_DOUBLE_EQ(combo->fontSize(), 10.6);
    EXPECT_EQ(line->face, QLatin1String("Book Antiqua"));
    EXPECT_TRUE(line->requests.empty()) << "a line keeps its font";
    EXPECT_TRUE(timer->requests.empty());

    EXPECT_EQ(geometryOf(*check), (Geometry{300, 720, 1368.75F, 427.5F}));
    EXPECT_EQ(geometryOf(*combo), (Geometry{1250, 1500, 2500, 315})) << "its height is kept";
    EXPECT_EQ((std::vector{line->x1, line->x2, line->y1, line->y2}),
              (std::vector{125.0F, 2625.0F, 450.0F, 750.0F}));
    EXPECT_EQ(geometryOf(*line), (Geometry{0, 0, 0, 0}));
    EXPECT_EQ(geometryOf(*image), (Geometry{150, 180, 600, 720}));
    EXPECT_EQ(geometryOf(*timer), (Geometry{-40, 10, 20, 20}));
    EXPECT_EQ(geometryOf(*strayed), (Geometry{150, 150, 250, 150})) << "placed at 120 first";
    EXPECT_EQ(geometryOf(*onHiddenTab), (Geometry{1250, 600, 1250, 450})) << "75000 further";
    EXPECT_EQ(geometryOf(*tabs), (Geometry{125, 150, 5000, 4500}));
    EXPECT_EQ(tabs->tabHeight, 562) << "375 x 1.5 = 562.5, a half to even";
    EXPECT_FLOAT_EQ(tabs->tabMaxWidth(), 1250);
    EXPECT_EQ((std::vector{grid->colWidthMax, grid->rowHeightMax}), (std::vector{3750.0F, 900.0F}));
    EXPECT_EQ((std::vector{grid->colWidthMin, grid->rowHeightMin}), (std::vector{126, 148}));
    EXPECT_EQ(geometryOf(*unsized), (Geometry{120, 10, 10, 10})) << "brought back, never moved";

    EXPECT_EQ(geometryOf(form), (Geometry{375, 300, 9000, 8100}));
    EXPECT_EQ(strayed->formWidthWhenMoved, 7200) << "controls are scaled before the window";
}

TEST_F(ResizeControlsTest, TabbedDialogShrinksItsTabLimitFirstAndGrowsItLast) {
    for (const auto& [ratio, widthWhenTabsSet] : {std::pair{0.8F, 4000.0F}, {1.25F, 5000.0F}}) {
        rt::test::BlankForm window;
        auto* tabs = new Foreign(&window, QStringLiteral("SSTAB"));
        tabs->move(100, 100, 4000, 3000);
        setRatios(ratio, 1, ratio);
        modReso::ResizeControls(window);
        EXPECT_EQ(tabs->widthWhenTabsSet, widthWhenTabsSet) << ratio;
    }
}

TEST_F(ResizeControlsTest, LabelGeometryDependsOnAutoSizeAlignmentAndWordWrap) {
    constexpr float SX = 1.25F;
    enum Expect { AllFour, PlaceOnly, PlaceAndWidth, RightEdge, Centre };
    const struct {
        bool autoSize;
        int alignment;
        bool wordWrap;
        Expect expect;
    } cases[] = {
        {false, 1, true, AllFour},      {true, 0, false, PlaceOnly}, {true, 0, true, PlaceAndWidth},
        {true, 1, false, RightEdge},    {true, 2, false, Centre},    {true, 1, true, PlaceAndWidth},
        {true, 2, true, PlaceAndWidth},
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
        const Geometry before = geometryOf(*label);
        setRatios(SX, 1.5F, 1.28F);
        modReso::ResizeControls(window);

        const Geometry after = geometryOf(*label);
        EXPECT_FLOAT_EQ(after.top, 750);
        switch (c.expect) {
        case AllFour:
            EXPECT_EQ(after, (Geometry{1250, 750, 1875, 450}));
            break;
        case PlaceOnly:
            EXPECT_FLOAT_EQ(after.left, 1250);
            EXPECT_GT(after.width, before.width) << "sized by its text in the larger font";
            break;
        case PlaceAndWidth:
            EXPECT_FLOAT_EQ(after.left, 1250);
            EXPECT_FLOAT_EQ(after.width, 1875);
            break;
        case RightEdge:
            EXPECT_FLOAT_EQ(after.left + after.width, (before.left + before.width) * SX);
            break;
        case Centre:
            EXPECT_FLOAT_EQ(after.left + after.width / 2, (before.left + before.width / 2) * SX);
            break;
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
        {{}, {}, "Book Antiqua", 10.6, 1, 10.6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.face << " " << c.size);
        rt::test::BlankForm window;
        auto* control = new Foreign(&window, QStringLiteral("ListBox"));
        control->faceSizes = c.faceSizes;
        control->arialSizes = c.arialSizes;
        setRatios(1.28F, 1.28F, 1.28F);
        modReso::ResizeControls(window);
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
