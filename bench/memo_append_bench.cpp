// Appends n (10,000 unless given) and then 10 n census-like lines to the text pane, one
// line per call with the waiting messages processed after each, and prints
// the times and their ratio (time in proportion to the line count means a
// ratio near 10).
#include "editors/memo_editor.h"
#include "runtime/application.h"
#include "runtime/form.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace census;

static bool g_pass_messages = true;

static double AppendLines(int count) {
    Form form;
    form.SetBounds(50, 50, 420, 520);
    MemoEditor memo;
    memo.SetParent(&form);
    memo.SetBounds(8, 48, 369, 425);
    memo.Style().SetBorderStyle(cbsFlat);
    memo.Style().SetHotTrack(false);
    memo.Style().GetLookAndFeel().SetKind(lfFlat);
    memo.Style().SetFont({L"Tahoma", -11, clWindowText, kRussianCharset, 0});
    memo.Properties().SetScrollBars(std::getenv("MEMO_NO_BARS") ? MemoScrollBars::None : MemoScrollBars::Both);
    form.Show();
    Application::Instance().ProcessMessages();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        memo.Lines().Add(L"Sub\\folder " + std::to_wstring(i / 100) + L"\\file " + std::to_wstring(i) + L".doc");
        if (g_pass_messages || i % 1000 == 999) Application::Instance().ProcessMessages();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (memo.Lines().Count() != count) std::printf("line count mismatch: %d\n", memo.Lines().Count());
    memo.SetParent(nullptr);
    return seconds;
}

int main(int argc, char** argv) {
    int small_count = argc > 1 ? std::atoi(argv[1]) : 10000;
    // A second argument "batched" lets messages run once per 1000 lines only.
    g_pass_messages = argc <= 2;
    double small = AppendLines(small_count);
    std::printf("%d lines: %.2f s\n", small_count, small);
    std::fflush(stdout);
    double large = AppendLines(small_count * 10);
    std::printf("%d lines: %.2f s\nratio: %.1f\n", small_count * 10, large, large / small);
    return 0;
}
