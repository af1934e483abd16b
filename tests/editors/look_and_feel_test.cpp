#include "editors/look_and_feel.h"

#include "editors/painters.h"
#include "editors/system_colors.h"
#include "editors/theme_service.h"
#include "runtime/application.h"

#include "support/recorded_messages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace census {
namespace {

// Records every change it is told of; may run an action from inside the walk.
struct Recorder : LookAndFeelListener {
    std::vector<LookAndFeelValues> changes;
    int destroying = 0;
    std::function<void()> during_change;
    void LookAndFeelChanged(LookAndFeel&, LookAndFeelValues values) override {
        changes.push_back(values);
        if (during_change) during_change();
    }
    void LookAndFeelDestroying(LookAndFeel&) override { ++destroying; }
};

// Leaves the shared default object as every other test expects it.
class LookAndFeelTest : public ::testing::Test {
protected:
    void TearDown() override { DefaultLookAndFeel()->SetAssignedValues(0); }
};

struct InheritanceCase {
    const char* name;
    std::function<void(LookAndFeel& parent, LookAndFeel& child)> act;
    LookAndFeelKind child_kind;
    std::vector<LookAndFeelValues> child_told;  // what a listener of the child hears
};

TEST_F(LookAndFeelTest, InheritanceAndNotificationFollowAssignedValues) {
    const InheritanceCase cases[] = {
        {"nothing set: ultra flat", [](LookAndFeel&, LookAndFeel&) {}, lfUltraFlat, {}},
        {"own kind equal to the inherited one tells nobody",
         [](LookAndFeel&, LookAndFeel& c) { c.SetKind(lfUltraFlat); }, lfUltraFlat, {}},
        {"own kind", [](LookAndFeel&, LookAndFeel& c) { c.SetKind(lfFlat); }, lfFlat, {lfvKind}},
        {"default's kind reaches an unassigned child",
         [](LookAndFeel&, LookAndFeel&) { DefaultLookAndFeel()->SetKind(lfStandard); }, lfStandard, {lfvKind}},
        {"default's kind does not disturb an assigned child",
         [](LookAndFeel&, LookAndFeel& c) {
             c.SetKind(lfFlat);
             DefaultLookAndFeel()->SetKind(lfStandard);
         },
         lfFlat, {lfvKind}},
        {"clearing assigned values falls back",
         [](LookAndFeel&, LookAndFeel& c) {
             c.SetKind(lfFlat);
             c.SetAssignedValues(0);
         },
         lfUltraFlat, {lfvKind, lfvKind}},
        {"master's kind", [](LookAndFeel& p, LookAndFeel& c) {
             c.SetMaster(&p);
             p.SetKind(lfStandard);
         },
         lfStandard, {lfvKind}},
        {"master set to one resolving alike tells nobody",
         [](LookAndFeel& p, LookAndFeel& c) { c.SetMaster(&p); }, lfUltraFlat, {}},
        {"assign copies own values and master",
         [](LookAndFeel& p, LookAndFeel& c) {
             LookAndFeel source;
             source.SetKind(lfFlat);
             source.SetNativeStyle(true);
             c.Assign(source);
         },
         lfFlat, {lfvKind | lfvNativeStyle}},
        {"destroyed master hands over to the default",
         [](LookAndFeel&, LookAndFeel& c) {
             auto master = std::make_unique<LookAndFeel>();
             c.SetMaster(master.get());
             master->SetKind(lfFlat);
             master.reset();
         },
         lfUltraFlat, {lfvKind, lfvKind}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        LookAndFeel parent, child;
        Recorder recorder;
        child.AddListener(&recorder);
        test.act(parent, child);
        EXPECT_EQ(test.child_kind, child.Kind());
        EXPECT_EQ(test.child_told, recorder.changes);
        child.RemoveListener(&recorder);
        DefaultLookAndFeel()->SetAssignedValues(0);
    }
}

TEST_F(LookAndFeelTest, OwnValuesAreNotOverriddenByMasterChanges) {
    LookAndFeel master, child;
    child.SetMaster(&master);
    child.SetNativeStyle(false);
    Recorder recorder;
    child.AddListener(&recorder);
    master.SetNativeStyle(true);
    master.SetKind(lfFlat);
    EXPECT_FALSE(child.NativeStyle());
    EXPECT_EQ(lfFlat, child.Kind());
    EXPECT_EQ(std::vector<LookAndFeelValues>{lfvKind}, recorder.changes);
    child.RemoveListener(&recorder);
}

struct WalkCase {
    const char* name;
    int actor;                 // listener that acts during its notification
    std::vector<int> removes;  // listeners it unregisters
    std::vector<int> told;     // expected notifications per listener
};

TEST_F(LookAndFeelTest, ListenersMayUnregisterDuringTheWalk) {
    const WalkCase cases[] = {
        {"itself", 0, {0}, {1, 1, 1}},
        {"a later one", 0, {2}, {1, 1, 0}},
        {"an earlier one", 1, {0}, {1, 1, 1}},
        {"itself and the next", 1, {1, 2}, {1, 1, 0}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        LookAndFeel lf;
        Recorder listeners[3];
        for (auto& l : listeners) lf.AddListener(&l);
        listeners[test.actor].during_change = [&] {
            for (int i : test.removes) lf.RemoveListener(&listeners[i]);
        };
        lf.SetKind(lfFlat);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(test.told[i], static_cast<int>(listeners[i].changes.size())) << i;
        for (auto& l : listeners) lf.RemoveListener(&l);
    }
}

TEST_F(LookAndFeelTest, OnChangedFiresAfterListenersAndDestructionIsAnnounced) {
    std::vector<std::string> order;
    Recorder recorder;
    recorder.during_change = [&] { order.push_back("listener"); };
    {
        LookAndFeel lf;
        lf.AddListener(&recorder);
        lf.AddListener(&recorder);  // a second registration is ignored
        lf.OnChanged = [&](LookAndFeel&, LookAndFeelValues) { order.push_back("event"); };
        lf.SetKind(lfStandard);
    }
    EXPECT_EQ((std::vector<std::string>{"listener", "event"}), order);
    EXPECT_EQ(1, recorder.destroying);
}

TEST_F(LookAndFeelTest, ControllersDriveTheDefaultAndResetItWhenTheLastGoes) {
    LookAndFeel control_lf;
    LookAndFeel other;
    Recorder not_a_controller;
    int before = LookAndFeelControllerCount();
    {
        LookAndFeelController first, second;
        other.AddListener(&first);  // only the default object takes controllers
        EXPECT_EQ(0u, other.ListenerCount());
        EXPECT_EQ(before + 2, LookAndFeelControllerCount());
        first.SetKind(lfFlat);
        EXPECT_EQ(lfFlat, control_lf.Kind());
        EXPECT_EQ(lfFlat, second.Kind());
    }
    EXPECT_EQ(before, LookAndFeelControllerCount());
    EXPECT_EQ(0u, DefaultLookAndFeel()->AssignedValues());
    EXPECT_EQ(lfUltraFlat, control_lf.Kind());
}

TEST_F(LookAndFeelTest, PainterFollowsKindAndNativeStyleOnlyWithAnActiveTheme) {
    LookAndFeel lf;
    EXPECT_EQ(&UltraFlatPainter(), &lf.Painter());
    lf.SetKind(lfFlat);
    EXPECT_EQ(&FlatPainter(), &lf.Painter());
    lf.SetKind(lfStandard);
    EXPECT_EQ(&StandardPainter(), &lf.Painter());
    lf.SetNativeStyle(true);
    EXPECT_EQ(NativeThemingAvailable() ? &WinXPPainter() : &StandardPainter(), &lf.Painter());
}

TEST_F(LookAndFeelTest, ColourChangeReachesPrimaryNotifiersFirstAndRepaintsLookAndFeelListeners) {
    std::vector<std::string> order;
    SystemPaletteChangedNotifier secondary(false), primary(true);
    secondary.OnColorsChanged = [&] { order.push_back("secondary"); };
    primary.OnColorsChanged = [&] { order.push_back("primary"); };
    // Each object tells its listeners once, also one that sets its own values
    // and one that follows another object rather than the default.
    LookAndFeel plain, own_values, follower;
    own_values.SetNativeStyle(false);
    own_values.SetKind(lfFlat);
    follower.SetMaster(&own_values);
    Recorder recorders[3];
    LookAndFeel* objects[3] = {&plain, &own_values, &follower};
    for (int i = 0; i < 3; ++i) objects[i]->AddListener(&recorders[i]);
    HWND listener = static_cast<HWND>(SystemPaletteListenerWindow());
    ASSERT_NE(nullptr, listener);
    ::SendMessageW(listener, WM_SYSCOLORCHANGE, 0, 0);
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ("primary", order.front());
    EXPECT_EQ("secondary", order.back());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::vector<LookAndFeelValues>{lfvNativeStyle | lfvSystemColors}, recorders[i].changes);
        objects[i]->RemoveListener(&recorders[i]);
    }
}

TEST(ThemeService, ThemeChangeClosesHandlesAndTellsNotificatorsInOrder) {
    if (!ThemeLibraryLoaded()) GTEST_SKIP() << "no theme library";
    EXPECT_NE(nullptr, ThemeFunction("OpenThemeData"));
    EXPECT_NE(nullptr, ThemeFunction("GetThemeSysColor"));
    EXPECT_EQ(nullptr, ThemeFunction("NoSuchFunction"));
    // With no active theme no class yields a handle; with one, every handle is cached.
    if (NativeThemingAvailable()) {
        EXPECT_EQ(ThemeHandle(ThemeClass::Button), ThemeHandle(ThemeClass::Button));
    } else {
        EXPECT_EQ(nullptr, ThemeHandle(ThemeClass::Edit));
        EXPECT_FALSE(NativeThemingAvailable({ThemeClass::Edit}));
    }
    testing::RecordedMessages recorded;
    std::vector<int> order;
    ThemeChangedNotificator first([&] { order.push_back(1); });
    ThemeChangedNotificator second([&] {
        order.push_back(2);
        throw std::runtime_error("a failing subscriber");
    });
    ThemeChangedNotificator third([&] { order.push_back(3); });
    EXPECT_EQ(0, ::SendMessageW(ThemeChangeReceiverWindow(), WM_THEMECHANGED, 0, 0));
    EXPECT_EQ((std::vector<int>{1, 2, 3}), order);
    EXPECT_EQ(1u, recorded.errors.size());
}

}  // namespace
}  // namespace census
