// String lists: the text of a pane as lines. Implementations either keep the
// lines themselves (StringList) or read and write a window (a memo's lines).
//
// Text() is every line followed by CR LF, except that a list that reads a
// window returns the window's text exactly as it stands.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace census {

class Strings {
public:
    virtual ~Strings() = default;

    virtual std::wstring Text() const = 0;
    virtual void SetText(const std::wstring& text) = 0;
    virtual void Clear() = 0;
    virtual int Count() const = 0;
    virtual std::wstring Get(int index) const = 0;
    // Appends lines at the end by the append rule (AppendedText); a block is
    // added in one step.
    virtual void AddStrings(std::span<const std::wstring> lines) = 0;
    void Add(const std::wstring& line) { AddStrings(std::span<const std::wstring>(&line, 1)); }

    // Writes Text() to the file in code page 1251 (see text_file.h).
    void SaveToFile(const std::wstring& path) const;
};

// What appending lines adds to a text: when the text is empty or ends with a
// line break, each line followed by CR LF; otherwise CR LF before each line
// (the text then does not end with a line break).
std::wstring AppendedText(bool empty_or_ends_with_break, std::span<const std::wstring> lines);

// True when the text is empty or ends with CR LF.
bool EmptyOrEndsWithBreak(const std::wstring& text);

// Splits a text into lines at CR LF, lone CR and lone LF; a final line break
// does not start another line.
std::vector<std::wstring> SplitLines(const std::wstring& text);

class StringList : public Strings {
public:
    std::wstring Text() const override;
    void SetText(const std::wstring& text) override;
    void Clear() override { lines_.clear(); }
    int Count() const override { return static_cast<int>(lines_.size()); }
    std::wstring Get(int index) const override { return lines_.at(static_cast<size_t>(index)); }
    void AddStrings(std::span<const std::wstring> lines) override;

private:
    std::vector<std::wstring> lines_;
};

}  // namespace census
