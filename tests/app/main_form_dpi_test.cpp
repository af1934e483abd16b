// The main window on screens of 96, 144 and 192 pixels per inch. Each is
// opened by a second run of this program started while the user's density
// setting says so (the setting is read when a program starts), which
// measures the window it opens and leaves a picture of it in the build
// folder; the measures are compared here with those at 96.
#include "app/main_form.h"
#include "runtime/application.h"
#include "decor/decorated_label.h"
#include "runtime/dpi.h"
#include "support/census_driver.h"
#include "support/other_process.h"
#include "support/program_resources.h"
#include "support/real_input.h"
#include "support/screen_dpi.h"
#include "support/window_picture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace census {
namespace {

constexpr wchar_t kMeasureTest[] = L"MainFormDpi.DISABLED_MeasuresTheWindowItOpens";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Where a person finds the pictures: the build folder, above the programs'.
std::wstring PicturePath(const std::wstring& name) { return testing::BesideTestProgram(L"..\\" + name); }

// What the second run measured.
struct Fit {
    std::string name;
    int text_width = 0, text_height = 0, room_width = 0, room_height = 0;
};
// A link keeps itself as large as its text: its place scales, its size is the text's.
bool SizedByText(Control& control) {
    auto* label = dynamic_cast<DecoratedLabel*>(&control);
    return label && label->AutoSize();
}

struct Measures {
    SIZE client{};
    std::map<std::string, RECT> rects;  // in the window's client area
    std::map<std::string, bool> sized_by_text;
    int line_height = 0;                // of the pane's text
    std::vector<Fit> fits;
    bool box_toggled = false;
    bool picture_saved = false;
    SIZE hint{};  // the balloon of the save button's hint
};

// --- the second run ---------------------------------------------------------------------

struct HelperRequest {
    int dpi = 0;
    std::wstring file, ready_event;
};

HelperRequest ParseRequest(const std::wstring& argument) {
    HelperRequest request;
    std::wistringstream in(argument);
    std::wstring dpi;
    std::getline(in, dpi, L'|');
    std::getline(in, request.file, L'|');
    std::getline(in, request.ready_event, L'|');
    request.dpi = dpi.empty() ? 0 : std::stoi(dpi);
    return request;
}

RECT RectInClient(Control& control, HWND client_of) {
    RECT r{};
    ::GetWindowRect(control.Handle(), &r);
    ::MapWindowPoints(nullptr, client_of, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text's extent in the very font the control draws it with.
SIZE Extent(Control& control, const std::wstring& text) {
    WindowDc screen(nullptr);
    SelectGuard font(screen.get(), control.FontHandle());
    SIZE size{};
    ::GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

Fit FitOf(const std::string& name, Control& control, const std::wstring& text, int room_width, int room_height) {
    const SIZE extent = Extent(control, text);
    return {name, extent.cx, extent.cy, room_width, room_height};
}

int PaneLineHeight(MemoEditor& memo) {
    HWND edit = memo.Inner().Handle();
    const auto second = ::SendMessageW(edit, EM_LINEINDEX, 1, 0);
    const auto first = ::SendMessageW(edit, EM_POSFROMCHAR, 0, 0);
    const auto next = ::SendMessageW(edit, EM_POSFROMCHAR, second, 0);
    return static_cast<short>(HIWORD(next)) - static_cast<short>(HIWORD(first));
}

BalloonHintWindow* Balloon() { return dynamic_cast<BalloonHintWindow*>(Application::Instance().Hints().Window()); }

bool BalloonShown() {
    BalloonHintWindow* b = Balloon();
    return b && b->HandleAllocated() && ::IsWindowVisible(b->Handle());
}

// Run on purpose by the test below, in a program started at the density it names.
TEST(MainFormDpi, DISABLED_MeasuresTheWindowItOpens) {
    const HelperRequest request = ParseRequest(testing::HelperArgument());
    ASSERT_GT(request.dpi, 0);
    const int screen_dpi = ScreenDpi();
    // Read: the starting program may put its setting back.
    UniqueKernelHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, request.ready_event.c_str()));
    if (ready) ::SetEvent(ready.get());
    ASSERT_EQ(request.dpi, screen_dpi);

    auto form = std::make_unique<TForm1>();
    form->Show();
    ASSERT_TRUE(testing::PumpUntil([&] { return form->FxSeparator1->Width() == form->Width(); }));
    testing::PumpUntilPainted(form->Handle());
    const HWND window = form->Handle();

    std::ofstream out(std::filesystem::path(request.file), std::ios::binary);
    const RECT client = form->ClientRect();
    out << "client " << client.right << ' ' << client.bottom << '\n';
    const std::pair<const char*, Control*> controls[] = {
        {"Label1", form->Label1},           {"Label2", form->Label2},           {"FxSeparator1", form->FxSeparator1},
        {"FxSeparator2", form->FxSeparator2}, {"FxSeparator3", form->FxSeparator3}, {"FxURLLabel1", form->FxURLLabel1},
        {"FxURLLabel2", form->FxURLLabel2}, {"FxURLLabel3", form->FxURLLabel3}, {"Button1", form->Button1},
        {"Button2", form->Button2},         {"Memo1", form->Memo1},             {"FxShellTree1", form->FxShellTree1},
        {"CheckBox1", form->CheckBox1},     {"Button3", form->Button3},
    };
    for (const auto& [name, control] : controls) {
        const RECT r = RectInClient(*control, window);
        out << "rect " << name << ' ' << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom << ' '
            << SizedByText(*control) << '\n';
    }
    out << "line " << PaneLineHeight(*form->Memo1) << '\n';

    std::vector<Fit> fits;
    // Inside a button's frame, the default button's two lines thick.
    for (const auto& [name, button] : {std::pair{"Button1", form->Button1}, {"Button2", form->Button2},
                                       {"Button3", form->Button3}})
        fits.push_back(FitOf(name, *button, button->Caption(), button->Width() - 4, button->Height() - 4));
    fits.push_back(FitOf("Label2", *form->Label2, form->Label2->Caption(), form->Label2->Width(), form->Label2->Height()));
    const IntRect caption = form->CheckBox1->Layout().caption;
    fits.push_back(FitOf("CheckBox1", *form->CheckBox1, form->CheckBox1->ShownCaption(), caption.Width(),
                         caption.Height()));
    // Inside the links' one-pixel border.
    for (const auto& [name, link] : {std::pair{"FxURLLabel1", form->FxURLLabel1}, {"FxURLLabel2", form->FxURLLabel2},
                                     {"FxURLLabel3", form->FxURLLabel3}})
        fits.push_back(FitOf(name, *link, link->Caption(), link->Width() - 2, link->Height() - 2));
    for (const Fit& f : fits)
        out << "fit " << f.name << ' ' << f.text_width << ' ' << f.text_height << ' ' << f.room_width << ' '
            << f.room_height << '\n';

    // A click on the square, where the user sees it at this density, ticks the box.
    const IntRect square = form->CheckBox1->Layout().square;
    testing::ClickAt(form->CheckBox1->ClientToScreen({(square.left + square.right) / 2, (square.top + square.bottom) / 2}));
    const bool toggled = testing::PumpUntil([&] { return form->CheckBox1->Checked(); });
    out << "toggled " << toggled << '\n';
    // A hint long enough to wrap, in its balloon.
    testing::MoveMouseTo({0, 0});
    testing::PumpUntil([] { return !BalloonShown(); }, 1000);
    testing::MoveMouseTo(form->Button2->ClientToScreen({4, 4}));
    if (testing::PumpUntil(BalloonShown)) {
        testing::PumpUntilPainted(Balloon()->Handle());
        RECT r{};
        ::GetWindowRect(Balloon()->Handle(), &r);
        out << "hint " << r.right - r.left << ' ' << r.bottom - r.top << '\n';
        testing::SaveWindowPicture(Balloon()->Handle(),
                                   PicturePath(L"census-hint-" + std::to_wstring(request.dpi) + L"dpi.png"));
    }
    testing::MoveMouseTo({0, 0});
    testing::PumpUntil([] { return !BalloonShown(); }, 1000);
    testing::PumpUntilPainted(window);

    const std::wstring picture = PicturePath(L"census-window-" + std::to_wstring(request.dpi) + L"dpi.png");
    ::DeleteFileW(picture.c_str());
    out << "picture " << testing::SaveWindowPicture(window, picture) << '\n';
}

// --- the comparison ---------------------------------------------------------------------------

Measures ReadMeasures(const std::wstring& file) {
    Measures m;
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "client") words >> m.client.cx >> m.client.cy;
        if (kind == "line") words >> m.line_height;
        if (kind == "toggled") words >> m.box_toggled;
        if (kind == "hint") words >> m.hint.cx >> m.hint.cy;
        if (kind == "picture") words >> m.picture_saved;
        if (kind == "rect") {
            std::string name;
            RECT r{};
            bool sized_by_text = false;
            words >> name >> r.left >> r.top >> r.right >> r.bottom >> sized_by_text;
            m.rects[name] = r;
            m.sized_by_text[name] = sized_by_text;
        }
        if (kind == "fit") {
            Fit f;
            words >> f.name >> f.text_width >> f.text_height >> f.room_width >> f.room_height;
            m.fits.push_back(f);
        }
    }
    return m;
}

// Opens the window in a program started at `dpi` and reads what it measured.
Measures MeasureAt(int dpi) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring tag = std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(dpi);
    const std::wstring file = std::wstring(folder) + L"census-dpi-" + tag + L".txt";
    const std::wstring event_name = L"census-dpi-read-" + tag;
    ::DeleteFileW(file.c_str());
    UniqueKernelHandle read(::CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));

    testing::ScreenDpiSetting setting(dpi);
    EXPECT_TRUE(setting.Applied());
    UniqueKernelHandle helper =
        testing::StartHelperTest(kMeasureTest, std::to_wstring(dpi) + L"|" + file + L"|" + event_name);
    EXPECT_TRUE(helper);
    if (!helper) return {};
    const HANDLE either[] = {read.get(), helper.get()};
    ::WaitForMultipleObjects(2, either, FALSE, 60000);
    setting.Restore();

    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(helper.get(), 120000));
    DWORD code = 1;
    ::GetExitCodeProcess(helper.get(), &code);
    EXPECT_EQ(0u, code) << "the run at " << dpi << " dpi failed";
    Measures m = ReadMeasures(file);
    ::DeleteFileW(file.c_str());
    return m;
}

RECT Clipped(RECT r, SIZE client) {
    return {std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, client.cx),
            std::min<LONG>(r.bottom, client.cy)};
}

RECT ScaledRect(RECT r, int dpi) {
    return {ScaleDpi(r.left, dpi), ScaleDpi(r.top, dpi), ScaleDpi(r.right, dpi), ScaleDpi(r.bottom, dpi)};
}

bool Inside(RECT r, SIZE client) { return r.left >= 0 && r.top >= 0 && r.right <= client.cx && r.bottom <= client.cy; }

bool Overlap(const RECT& a, const RECT& b) {
    RECT both{};
    return ::IntersectRect(&both, &a, &b) != FALSE;
}

void ExpectNear(const RECT& expected, const RECT& actual, int within, const std::string& name) {
    EXPECT_NEAR(expected.left, actual.left, within) << name;
    EXPECT_NEAR(expected.top, actual.top, within) << name;
    EXPECT_NEAR(expected.right, actual.right, within) << name;
    EXPECT_NEAR(expected.bottom, actual.bottom, within) << name;
}

void ExpectTextsFit(const Measures& m) {
    ASSERT_EQ(8u, m.fits.size());
    for (const Fit& f : m.fits) {
        EXPECT_LE(f.text_width, f.room_width) << f.name;
        EXPECT_LE(f.text_height, f.room_height) << f.name;
    }
}

TEST(MainFormDpi, TheWindowScalesToTheScreensDensity) {
    const Measures design = MeasureAt(kDesignDpi);
    ASSERT_EQ(542, design.client.cx);
    ASSERT_EQ(551, design.client.cy);
    ASSERT_EQ(14u, design.rects.size());
    ExpectTextsFit(design);
    EXPECT_TRUE(design.box_toggled);
    EXPECT_TRUE(design.picture_saved);
    EXPECT_GT(design.hint.cx, 0);

    for (int dpi : {144, 192}) {
        SCOPED_TRACE(dpi);
        const Measures m = MeasureAt(dpi);
        EXPECT_NEAR(ScaleDpi(design.client.cx, dpi), m.client.cx, 2);
        EXPECT_NEAR(ScaleDpi(design.client.cy, dpi), m.client.cy, 2);
        ASSERT_EQ(design.rects.size(), m.rects.size());
        for (const auto& [name, at_96] : design.rects) {
            const RECT shown = m.rects.at(name);
            // What shows of it: the separators run past the client area's right edge by design.
            const RECT expected = ScaledRect(Clipped(at_96, design.client), dpi), seen = Clipped(shown, m.client);
            if (m.sized_by_text.at(name)) {
                EXPECT_NEAR(expected.left, seen.left, 2) << name;
                EXPECT_NEAR(expected.top, seen.top, 2) << name;
            } else {
                ExpectNear(expected, seen, 2, name);
            }
            if (Inside(at_96, design.client)) EXPECT_TRUE(Inside(shown, m.client)) << name;
            for (const auto& [other, other_at_96] : design.rects) {
                if (other <= name || Overlap(at_96, other_at_96)) continue;
                EXPECT_FALSE(Overlap(shown, m.rects.at(other))) << name << " over " << other;
            }
        }
        EXPECT_NEAR(ScaleDpi(design.line_height, dpi), m.line_height, 2);
        ExpectTextsFit(m);
        // The texts grow with the window (a bitmap font would stay at its largest size).
        for (size_t i = 0; i < m.fits.size() && i < design.fits.size(); ++i)
            EXPECT_NEAR(ScaleDpi(design.fits[i].text_height, dpi), m.fits[i].text_height, ScaleDpi(2, dpi))
                << m.fits[i].name;
        EXPECT_TRUE(m.box_toggled);
        EXPECT_TRUE(m.picture_saved);
        // The balloon (its text wrapped at the scaled width, its tail and margins) grows with the window.
        EXPECT_NEAR(ScaleDpi(design.hint.cx, dpi), m.hint.cx, ScaleDpi(design.hint.cx, dpi) / 20);
        EXPECT_NEAR(ScaleDpi(design.hint.cy, dpi), m.hint.cy, ScaleDpi(design.hint.cy, dpi) / 20);
    }
}

// The program as built, with its own manifest, opened on a screen of 144.
TEST(MainFormDpi, TheBuiltProgramOpensScaledOnADenserScreen) {
    testing::ScreenDpiSetting setting(144);
    ASSERT_TRUE(setting.Applied());
    testing::CensusDriver program;
    const bool started = program.Start();
    setting.Restore();
    ASSERT_TRUE(started);
    RECT client{};
    ::GetClientRect(program.MainWindow(), &client);
    EXPECT_NEAR(ScaleDpi(542, 144), client.right, 2);
    EXPECT_NEAR(ScaleDpi(551, 144), client.bottom, 2);
    HWND start = program.FindChildByText(L"П Л И !");
    ASSERT_TRUE(start);
    RECT button{};
    ::GetWindowRect(start, &button);
    ::MapWindowPoints(nullptr, program.MainWindow(), reinterpret_cast<POINT*>(&button), 2);
    ExpectNear(ScaledRect({8, 8, 113, 33}, 144), button, 1, "Button1");
    // Painted: the program waits for the user with nothing left to do.
    ::WaitForInputIdle(program.Process(), 5000);
    EXPECT_TRUE(testing::SaveWindowPicture(program.MainWindow(), PicturePath(L"census-program-144dpi.png")));
    EXPECT_TRUE(program.Close());
}

// A move to a monitor of another density, as WM_DPICHANGED reports it.
struct FormState {
    std::vector<RECT> bounds;
    std::vector<bool> sized_by_text;
    std::vector<int> font_heights;
    RECT window{};
    int indent = 0, hint_width = 0, hint_font = 0;
};

bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

bool Same(const FormState& a, const FormState& b) {
    return std::equal(a.bounds.begin(), a.bounds.end(), b.bounds.begin(), b.bounds.end(),
                      [](const RECT& x, const RECT& y) { return Same(x, y); }) &&
           a.font_heights == b.font_heights && Same(a.window, b.window) && a.indent == b.indent &&
           a.hint_width == b.hint_width && a.hint_font == b.hint_font;
}

FormState StateOf(TForm1& form) {
    FormState s;
    for (Control* c : form.Controls()) {
        s.bounds.push_back(c->BoundsRect());
        s.sized_by_text.push_back(SizedByText(*c));
        s.font_heights.push_back(c->Font().height);
    }
    ::GetWindowRect(form.Handle(), &s.window);
    s.indent = form.FxShellTree1->Indent();
    s.hint_width = form.FxBalloonHints1->CaptionWidth();
    s.hint_font = form.FxBalloonHints1->Font().height;
    return s;
}

void MoveToDpi(TForm1& form, int dpi, RECT suggested) {
    ::SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    testing::PumpUntilPainted(form.Handle());
}

TEST(MainFormDpi, AMoveToAMonitorOfAnotherDensityScalesTheWindowAndAMoveBackRestoresIt) {
    auto form = std::make_unique<TForm1>();
    form->Show();
    ASSERT_TRUE(testing::PumpUntil([&] { return form->FxSeparator1->Width() == form->Width(); }));
    const FormState before = StateOf(*form);

    const RECT w = before.window;
    const RECT suggested{w.left + 10, w.top + 5, w.left + 10 + ScaleDpi(w.right - w.left, 144),
                         w.top + 5 + ScaleDpi(w.bottom - w.top, 144)};
    MoveToDpi(*form, 144, suggested);
    EXPECT_EQ(144, form->Dpi());
    const FormState moved = StateOf(*form);
    EXPECT_TRUE(Same(suggested, moved.window)) << "the suggested place and size are taken";
    // Every control by its edges, so that neighbours stay neighbours.
    for (size_t i = 0; i < before.bounds.size(); ++i) {
        RECT expected = ScaledRect(before.bounds[i], 144);
        if (before.sized_by_text[i]) {
            expected.right = expected.left + (moved.bounds[i].right - moved.bounds[i].left);
            expected.bottom = expected.top + (moved.bounds[i].bottom - moved.bounds[i].top);
        }
        EXPECT_TRUE(Same(expected, moved.bounds[i]))
            << i << ": " << moved.bounds[i].left << "," << moved.bounds[i].top << "," << moved.bounds[i].right << ","
            << moved.bounds[i].bottom << " for " << expected.left << "," << expected.top << "," << expected.right
            << "," << expected.bottom;
    }
    EXPECT_EQ(ScaleDpi(-13, 144), form->Button1->Font().height);
    EXPECT_EQ(ScaleDpi(-11, 144), form->Font().height);
    EXPECT_EQ(ScaleDpi(19, 144), moved.indent);
    EXPECT_EQ(ScaleDpi(200, 144), moved.hint_width);
    EXPECT_EQ(ScaleDpi(-13, 144), moved.hint_font);
    EXPECT_EQ(ScaleDpi(-13, 144), form->Label2->Font().height);

    MoveToDpi(*form, kDesignDpi, before.window);
    EXPECT_EQ(kDesignDpi, form->Dpi());
    EXPECT_TRUE(Same(before, StateOf(*form))) << "back where it was, as it was";
}

}  // namespace
}  // namespace census
