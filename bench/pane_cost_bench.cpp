// What one catch-up costs the text pane, the form's memo with its settings:
// appending a block of census-like lines to a pane that holds none, a third
// of and all of the given number of lines (300,000 unless given), painted as
// it goes (the edit invalidates, and the paint is forced) or unpainted with
// one paint afterwards; the paint with the last line at the bottom and at
// the top; and single-line appends, each costing the whole fixed part.
#include "editors/memo_editor.h"
#include "runtime/application.h"
#include "runtime/form.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace census;

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

std::vector<std::wstring> Lines(long first, long count) {
    std::vector<std::wstring> lines;
    lines.reserve(count);
    for (long i = first; i < first + count; ++i)
        lines.push_back(L"census-bench\\g" + std::to_wstring(i / 10000) + L"\\d" + std::to_wstring(i / 100 % 100) +
                        L"\\file" + std::to_wstring(i % 100) + L".dat");
    return lines;
}

}  // namespace

double Paint(MemoEditor& memo) {
    auto t0 = Clock::now();
    memo.PaintNow();
    return Ms(t0, Clock::now());
}

int main(int argc, char** argv) {
    const long size = argc > 1 ? std::atol(argv[1]) : 300000;
    Form form;
    form.SetBounds(50, 50, 420, 520);
    MemoEditor memo;
    memo.SetParent(&form);
    memo.SetBounds(8, 48, 369, 425);
    memo.Style().SetBorderStyle(cbsFlat);
    memo.Style().SetHotTrack(false);
    memo.Style().GetLookAndFeel().SetKind(lfFlat);
    memo.Style().SetFont({L"Tahoma", -11, clWindowText, kRussianCharset, 0});
    memo.Properties().SetScrollBars(MemoScrollBars::Both);
    form.Show();
    Application& app = Application::Instance();
    app.ProcessMessages();
    memo.Lines().Clear();
    HWND edit = memo.Inner().Handle();
    long in_pane = 0;
    for (long target : {0L, size / 3, size}) {
        auto f0 = Clock::now();
        const long before = in_pane;
        while (in_pane < target) {
            long n = std::min(20000L, target - in_pane);
            memo.AddLinesUnpainted(Lines(in_pane, n));
            in_pane += n;
        }
        if (in_pane > before)
            std::printf("filled %ld lines in blocks of 20,000, unpainted: %.2f us/line\n", in_pane - before,
                        1000 * Ms(f0, Clock::now()) / (in_pane - before));
        app.ProcessMessages();
        std::printf("pane %ld: paint with the last line at the bottom %.2f ms, %.2f ms\n", in_pane, Paint(memo),
                    Paint(memo));
        int first = static_cast<int>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
        ::SendMessageW(edit, EM_LINESCROLL, 0, -first);
        std::printf("pane %ld: paint scrolled to the top %.2f ms\n", in_pane, Paint(memo));
        ::SendMessageW(edit, EM_LINESCROLL, 0, first);
        for (long block : {64L, 1000L, 5000L, 20000L}) {
            for (bool painted : {true, false}) {
                auto lines = Lines(in_pane, block);
                auto t0 = Clock::now();
                if (painted)
                    memo.Lines().AddStrings(lines);
                else
                    memo.AddLinesUnpainted(lines);
                auto t1 = Clock::now();
                double paint = Paint(memo);
                in_pane += block;
                std::printf("pane %8ld block %5ld %-9s: append %8.2f ms (%7.2f us/line), paint %7.2f ms\n",
                            in_pane - block, block, painted ? "painted" : "unpainted", Ms(t0, t1),
                            1000 * Ms(t0, t1) / block, paint);
                std::fflush(stdout);
                app.ProcessMessages();
            }
        }
        auto s0 = Clock::now();
        for (int i = 0; i < 20; ++i) memo.AddLinesUnpainted(Lines(in_pane++, 1));
        std::printf("pane %ld: single-line appends, unpainted: %.2f ms each\n", in_pane, Ms(s0, Clock::now()) / 20);
        std::fflush(stdout);
    }
    memo.SetParent(nullptr);
    return 0;
}
