// The program's one window: the folder tree, the text pane with the file
// list, the start, stop and save buttons, the path and count labels, the
// check box choosing full or relative lines, separators and links.
#pragma once

#include "app/census_pacer.h"
#include "app/census_walk.h"
#include "decor/balloon_hints.h"
#include "decor/gradient_separator.h"
#include "decor/url_label.h"
#include "editors/check_box.h"
#include "editors/memo_editor.h"
#include "editors/push_button.h"
#include "runtime/form.h"
#include "runtime/label.h"
#include "runtime/save_dialog.h"
#include "shell/tree/shell_tree.h"

#include <string>
#include <vector>

namespace census {

class TForm1 : public Form, protected CensusHost {
public:
    TForm1();
    ~TForm1() override;

    SaveDialog* SaveDialog1 = nullptr;
    Label* Label1 = nullptr;
    Label* Label2 = nullptr;
    BalloonHints* FxBalloonHints1 = nullptr;
    PushButton* Button1 = nullptr;
    PushButton* Button2 = nullptr;
    MemoEditor* Memo1 = nullptr;
    ShellTree* FxShellTree1 = nullptr;
    CheckBox* CheckBox1 = nullptr;
    Separator* FxSeparator1 = nullptr;
    Separator* FxSeparator2 = nullptr;
    Separator* FxSeparator3 = nullptr;
    UrlLabel* FxURLLabel1 = nullptr;
    UrlLabel* FxURLLabel2 = nullptr;
    UrlLabel* FxURLLabel3 = nullptr;
    PushButton* Button3 = nullptr;

    // Handlers, named after the control and the event.
    void FormActivate(Control& sender);
    void FxShellTree1Change(Control& sender, HTREEITEM node);
    void Button1Click(Control& sender);
    void Button2Click(Control& sender);
    void Button3Click(Control& sender);
    // Closing the window ends a running census as the stop button does, but
    // what it listed and had not shown yet is dropped with the window.
    void FormClose(Control& sender);

    const CensusState& Census() const { return census_; }

    // The pane's text when the window opens.
    static const std::wstring kInstructionText;

protected:
    // The census's view of the window.
    bool FullPaths() override;
    void FileListed(const std::wstring& line) override;
    void EntryDone() override;

private:
    void CreateControls();
    void SetTexts();
    void WireEvents();
    template <typename T>
    T* Place(int left, int top, int width, int height, int tab_order = -1);

    // The census's catch-ups (see CensusPacer): the lines waiting go into
    // the pane unpainted, the count is shown; ShowListed does both and paints.
    void AddListed();
    void ShowCount();
    void ShowListed();

    CensusState census_;
    CensusPacer pacer_;
    std::vector<std::wstring> pending_lines_;
    int censuses_running_ = 0;  // a census started inside another's catch-up counts twice
    bool closing_ = false;      // the window was closed during the census
};

}  // namespace census
