// A link: underlined text in the highlight colour inside a thin frame, with
// a hand cursor. A click asks the shell to open the address; once opened the
// text turns to the visited colour.
#pragma once

#include "decor/decorated_label.h"

#include <functional>
#include <string>

namespace census {

// The two shell calls behind a click, replaceable so that tests never start
// a browser or a mail program.
struct LinkShell {
    // Opens the target with the verb "Open"; true when the shell succeeded.
    std::function<bool(const std::wstring& target)> open;
    // Starts a command line in a normal window.
    std::function<void(const std::wstring& command_line)> run;
};
LinkShell SystemLinkShell();

// The hand pointer of every link, loaded once for the program's life.
HCURSOR HandCursor();

class UrlLabel : public DecoratedLabel {
public:
    UrlLabel();

    // When blank, the caption is the target.
    const std::wstring& Url() const { return url_; }
    void SetUrl(const std::wstring& url) { url_ = url; }
    bool Visited() const { return visited_; }
    void SetVisited(bool value);
    TColor VisitedColor() const { return visited_color_; }
    void SetVisitedColor(TColor color);
    TColor UnvisitedColor() const { return unvisited_color_; }
    void SetUnvisitedColor(TColor color);

    // Raises OnClick, then opens the target.
    void Click() override;

    LinkShell Shell = SystemLinkShell();

private:
    void ShowVisitState();

    std::wstring url_;
    bool visited_ = false;
    TColor visited_color_ = clPurple;
    TColor unvisited_color_ = clHighlight;
};

}  // namespace census
