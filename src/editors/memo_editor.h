// The text pane: a native multi-line edit inside a painted edit container,
// with painted scroll bars laid exactly over the native ones.
//
// The native edit keeps its scroll bars (so it keeps computing ranges and
// positions) but never paints them; the memo's own bars copy their state
// after every change and drive the native edit when the user scrolls.
// Updates of the bars are posted to the memo (kUpdateScrollBarsMessage) so
// they never run inside the window manager's own processing.
#pragma once

#include "editors/custom_edit.h"
#include "editors/scroll_bar.h"
#include "runtime/edit_lines.h"

#include <memory>
#include <span>

namespace census {

enum class MemoScrollBars { None, Horizontal, Vertical, Both };
enum class MemoAlignment { Left, Right, Center };
enum class MemoCharCase { Normal, Upper, Lower };

class MemoProperties : public EditProperties {
public:
    MemoAlignment Alignment() const { return alignment_; }
    MemoCharCase CharCase() const { return char_case_; }
    bool HideSelection() const { return hide_selection_; }
    int MaxLength() const { return max_length_; }
    bool OEMConvert() const { return oem_convert_; }
    MemoScrollBars ScrollBars() const { return scroll_bars_; }
    bool WantReturns() const { return want_returns_; }
    bool WantTabs() const { return want_tabs_; }
    bool WordWrap() const { return word_wrap_; }
    bool WantsTabs() const override { return want_tabs_; }

    void SetAlignment(MemoAlignment v) { Set(alignment_, v); }
    void SetCharCase(MemoCharCase v) { Set(char_case_, v); }
    void SetHideSelection(bool v) { Set(hide_selection_, v); }
    void SetMaxLength(int v) { Set(max_length_, v); }
    void SetOEMConvert(bool v) { Set(oem_convert_, v); }
    void SetScrollBars(MemoScrollBars v) { Set(scroll_bars_, v); }
    void SetWantReturns(bool v) { Set(want_returns_, v); }
    void SetWantTabs(bool v) { Set(want_tabs_, v); }
    void SetWordWrap(bool v) { Set(word_wrap_, v); }

private:
    MemoAlignment alignment_ = MemoAlignment::Left;
    MemoCharCase char_case_ = MemoCharCase::Normal;
    bool hide_selection_ = true;
    int max_length_ = 0;
    bool oem_convert_ = false;
    MemoScrollBars scroll_bars_ = MemoScrollBars::None;
    bool want_returns_ = true;
    bool want_tabs_ = false;
    bool word_wrap_ = true;
};

class MemoEditor;

// The native edit inside the memo.
class InnerMemo : public Control {
public:
    explicit InnerMemo(MemoEditor& memo);
    ~InnerMemo() override;

    LRESULT NativeScroll(UINT msg, WPARAM wp, LPARAM lp) { return DefaultHandler(msg, wp, lp); }

protected:
    void FillCreateParams(CreateParams& params) override;
    void WindowCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void KeyDown(WORD& key, unsigned shift) override;
    void KeyPress(wchar_t& ch) override;
    void KeyUp(WORD& key, unsigned shift) override;
    void ColorChanged() override;
    void DoEnter() override;
    void DoExit() override;

private:
    friend class MemoEditor;
    LRESULT ReplaceSelection(WPARAM wp, LPARAM lp);
    void Paste();
    bool EraseBelowLastLine(HDC dc);
    void PaintNonClient(WPARAM wp, LPARAM lp);

    MemoEditor& memo_;
    UniqueBrush background_;
    bool setting_text_ = false;
    bool swallow_select_all_char_ = false;
};

// The memo's lines, in the native edit. Lines the program appends stay when
// the user presses Escape: they join the value Escape puts back.
class MemoLines : public EditLines {
public:
    explicit MemoLines(MemoEditor& memo);
    void AddStrings(std::span<const std::wstring> lines) override;

private:
    MemoEditor& memo_;
};

class MemoEditor : public CustomEdit {
public:
    MemoEditor();
    ~MemoEditor() override;

    // Reads and writes the native edit directly; there is no second copy.
    Strings& Lines() { return *lines_; }
    MemoProperties& Properties() override { return properties_; }
    // The whole text, read from the native edit when asked for.
    std::wstring EditValue() override;

    InnerMemo& Inner() { return inner_; }
    ControlScrollBar& HorizontalBar() { return *hbar_; }
    ControlScrollBar& VerticalBar() { return *vbar_; }

    // Appends lines to the text without painting them: a long pane's paint
    // costs far more than a block of lines (the native edit finds its
    // visible lines by walking from the first), so a caller that appends
    // often paints when it chooses, with PaintNow. Until then the pane
    // keeps its picture.
    void AddLinesUnpainted(std::span<const std::wstring> lines);
    // Paints the text and the bars with everything the memo holds, now.
    void PaintNow();

    // Copies the native bars' state into the painted ones now.
    void UpdateScrollBars();
    // Asks for UpdateScrollBars at the next message pass (at most one pending).
    void PostUpdateScrollBars();
    // Painted bars are used where the platform reports its scroll bars.
    static bool CustomScrollBarsAvailable();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    IntRect InnerBounds() const override;
    void PaintContent(PainterCanvas& canvas) override;
    void RestoreValue(const std::wstring& value) override;
    void VisibleChanged() override;

private:
    friend class InnerMemo;
    friend class MemoLines;
    void PropertiesChanged();
    void BarScrolled(ScrollBar& bar, int code, int& position);
    void ScrollToLine(int line);
    void UpdateBar(ControlScrollBar& bar, bool horizontal);
    void InnerKeyDown(WORD& key, unsigned shift);
    void InnerTextChanged(bool from_user) { EditTextChanged(from_user); }

    MemoProperties properties_;
    InnerMemo inner_;
    std::unique_ptr<MemoLines> lines_;
    std::unique_ptr<ControlScrollBar> hbar_, vbar_;
    MemoScrollBars applied_scroll_bars_ = MemoScrollBars::None;
    bool applied_word_wrap_ = true;
    bool update_posted_ = false;
    bool updating_bars_ = false;
    bool adding_lines_ = false;
};

}  // namespace census
