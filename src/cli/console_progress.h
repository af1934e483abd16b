// How far a long census has come, for a person at the console: the count
// of files and the folder being walked, on one line of standard error that
// is written over in place and cleared at the end. Never where standard
// error is no console (a script reads it), and never in the console the
// lines themselves go to.
#pragma once

#include <cstdint>
#include <string>

namespace census {

class ConsoleProgress {
public:
    // `wanted`: the run may show progress at all (not asked to be quiet, and
    // the lines go elsewhere than the console).
    explicit ConsoleProgress(bool wanted);
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;
    ~ConsoleProgress() { Clear(); }

    void Show(std::int64_t files, const std::wstring& folder);
    // Before a message is written, and at the end.
    void Clear();

    // The line shown for `files` and `folder` in a console `width` columns
    // wide: short of the last column, which would move the cursor to the
    // next line; a long folder keeps its end.
    static std::wstring Text(std::int64_t files, const std::wstring& folder, int width);

private:
    void Write(const std::wstring& line);

    void* console_ = nullptr;  // standard error, when it is a console that shows this
    int width_ = 0;
    bool shown_ = false;
};

// True about once a second: the beat at which the console census shows its
// progress and passes waiting lines on. Cheap enough to ask after every entry.
class SecondTicker {
public:
    SecondTicker();
    bool Ticked();

private:
    std::uint64_t next_;
};

}  // namespace census
