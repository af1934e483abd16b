#include "cli/console_census.h"

#include "app/census_line.h"
#include "app/census_walk.h"
#include "cli/console_progress.h"
#include "cli/list_output.h"
#include "cli/own_files.h"
#include "runtime/errors.h"
#include "runtime/path_names.h"
#include "runtime/text_file.h"

#include <windows.h>

#include <optional>

namespace census {

namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// A folder as a message names it: without the "\" the walk ends it with, but a drive's root keeps its own.
std::wstring Named(const std::wstring& folder) {
    return folder.size() > 3 && folder.back() == L'\\' ? folder.substr(0, folder.size() - 1) : folder;
}

// Why the folder cannot be walked, or nothing when it can. The window lists
// nothing for such a folder; a script is told, since an empty list would
// pass for a real answer.
std::optional<std::wstring> FolderProblem(const std::wstring& folder, const std::wstring& api_folder) {
    DWORD attrs = ::GetFileAttributesW(api_folder.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        DWORD why = ::GetLastError();
        // A file is not found with the "\" a folder path ends with.
        const std::wstring item = api_folder.substr(0, api_folder.size() - 1);
        DWORD item_attrs = ::GetFileAttributesW(item.c_str());
        if (item_attrs != INVALID_FILE_ATTRIBUTES && !(item_attrs & FILE_ATTRIBUTE_DIRECTORY))
            return Quoted(folder) + L" - это файл, а не каталог";
        if (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND || why == ERROR_INVALID_NAME ||
            why == ERROR_DIRECTORY)
            return L"каталог " + Quoted(folder) + L" не найден";
        return L"каталог " + Quoted(folder) + L" недоступен: " + SystemErrorMessage(why);
    }
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return Quoted(folder) + L" - это файл, а не каталог";
    WIN32_FIND_DATAW entry;
    UniqueFindHandle search(::FindFirstFileExW((api_folder + L"*").c_str(), FindExInfoBasic, &entry,
                                               FindExSearchNameMatch, nullptr, 0));
    // A drive root that holds nothing has no "." either: not found, yet readable.
    if (!search && ::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_NO_MORE_FILES)
        return L"каталог " + Quoted(folder) + L" не читается: " + SystemErrorMessage(::GetLastError());
    return std::nullopt;
}

std::wstring ReplacedMessage(int lines, bool utf8) {
    if (utf8)
        return L"список записан, но в именах файлов есть испорченные символы UTF-16; строк, где они заменены: " +
               std::to_wstring(lines);
    return L"список записан, но в кодировке 1251 нет некоторых символов из имён файлов; строк, где они заменены на "
           L"\"?\": " +
           std::to_wstring(lines) + L". Чтобы сохранить имена полностью, добавьте ключ /utf8";
}

bool IsConsole(HANDLE stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(stream, &mode) != FALSE;
}

bool IsFolder(const std::wstring& path) {
    std::wstring folder = ExtendedFolderPath(path);
    folder.pop_back();
    DWORD attrs = ::GetFileAttributesW(folder.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The walk's window, played by the list's destination.
class ConsoleCensus : private CensusHost {
public:
    ConsoleCensus(const CliOptions& options, const std::atomic<bool>& interrupted,
                  const std::function<void(const std::wstring&)>& report)
        : options_(options),
          interrupted_(interrupted),
          report_(report),
          // The lines themselves show how far a census has come in the console they go to.
          progress_(!options.quiet && !(options.out.empty() && IsConsole(::GetStdHandle(STD_OUTPUT_HANDLE)))) {}

    int Run() {
        // Lines carry full paths, as the window's do, whatever form the folder was given in.
        const std::wstring folder = WithTrailingBackslash(FullPath(options_.folder));
        if (auto problem = FolderProblem(options_.folder, ExtendedFolderPath(folder))) return Fail(*problem);
        try {
            if (options_.out.empty()) return ToStandardOutput(folder);
            if (UniqueFileHandle device = OpenDevice(options_.out)) return ToStream(folder, device.get(), true);
            if (IsFolder(options_.out)) return Fail(Quoted(options_.out) + L" - это каталог; укажите имя файла списка");
            return ToFile(folder);
        } catch (const FileCreateError& e) {
            return Fail(L"не удалось записать файл " + Quoted(options_.out) + L": " + SystemErrorMessage(e.Code()));
        } catch (const StreamWriteError&) {
            if (streaming_) return Fail(L"не удалось вывести список: запись прервалась; выведена только его часть");
            return Fail(L"не удалось записать файл " + Quoted(options_.out) +
                        L": запись прервалась (нет места на диске?); прежний файл не изменён");
        } catch (const OutputClosed&) {
            // The reader wants no more lines, and would read no message either.
            return kExitFailed;
        }
    }

private:
    int ToStandardOutput(const std::wstring& folder) {
        HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
        if (out == nullptr || out == INVALID_HANDLE_VALUE)
            return Fail(L"стандартный вывод закрыт; укажите файл списка: /out ФАЙЛ");
        return ToStream(folder, out, false);
    }

    // Standard output has no byte-order mark, as other programs' text there
    // has none; a device named as the list file is given a file's bytes.
    int ToStream(const std::wstring& folder, HANDLE stream, bool byte_order_mark) {
        streaming_ = true;
        StreamOutput output(stream, Encoding(), byte_order_mark);
        return Census(folder, output, L"перепись прервана; выведена только часть списка");
    }

    int ToFile(const std::wstring& folder) {
        ListFileWriter writer(options_.out, Encoding());
        own_.Add(writer.TemporaryName());
        own_.Add(WithExtendedPrefix(FullPath(options_.out)));
        FileOutput output(writer);
        return Census(folder, output, L"перепись прервана; файл " + Quoted(options_.out) + L" не изменён");
    }

    int Census(const std::wstring& folder, ListOutput& output, const std::wstring& interrupted_message) {
        line_base_ = options_.relative ? folder : std::wstring();
        output_ = &output;
        CensusWalk walk(state_, *this, options_.no_links ? FolderLinks::Skipped : FolderLinks::Followed);
        walk_ = &walk;
        walk.Run(folder);
        progress_.Clear();
        // Checked once more after the walk: a request that came during its last entry still counts.
        if (interrupted_.load()) return Fail(interrupted_message);
        output.Finish();
        return Outcome(output.LinesReplaced());
    }

    int Outcome(int lines_replaced) {
        if (lines_replaced > 0 && !options_.quiet) Say(ReplacedMessage(lines_replaced, options_.utf8));
        if (folders_not_read_ > 0) {
            if (!options_.quiet)
                Say(L"список записан, но неполон: не прочитано каталогов: " + std::to_wstring(folders_not_read_) +
                    L" (названы выше)");
            return kExitIncomplete;
        }
        return lines_replaced > 0 ? kExitCharsReplaced : kExitLossless;
    }

    ListEncoding Encoding() const { return options_.utf8 ? ListEncoding::Utf8 : ListEncoding::CodePage1251; }

    bool FullPaths() override { return !options_.relative; }

    void FileListed(const std::wstring& line) override {
        if (own_.Contains(line_base_, line)) return;
        output_->AddLine(line);
    }

    void EntryDone() override {
        if (interrupted_.load(std::memory_order_relaxed)) state_.StopRequested = true;
        if (!ticker_.Ticked()) return;
        output_->Flush();
        progress_.Show(state_.FileCount, walk_->CurrentFolder());
    }

    void FolderNotRead(const std::wstring& folder, unsigned long error, bool whole_missing) override {
        ++folders_not_read_;
        Say(L"каталог " + Quoted(Named(folder)) +
            (whole_missing ? L" не прочитан, его файлов нет в списке: "
                           : L" прочитан не до конца, части его файлов нет в списке: ") +
            SystemErrorMessage(error));
    }

    void Say(const std::wstring& line) {
        progress_.Clear();
        report_(line);
    }

    int Fail(const std::wstring& why) {
        Say(why);
        return kExitFailed;
    }

    const CliOptions& options_;
    const std::atomic<bool>& interrupted_;
    const std::function<void(const std::wstring&)>& report_;
    ConsoleProgress progress_;
    SecondTicker ticker_;
    OwnFiles own_;
    CensusState state_;
    std::wstring line_base_;  // what a line's file path is cut from: the folder walked, or nothing
    ListOutput* output_ = nullptr;
    const CensusWalk* walk_ = nullptr;
    bool streaming_ = false;
    int folders_not_read_ = 0;
};

}  // namespace

int RunConsoleCensus(const CliOptions& options, const std::atomic<bool>& interrupted,
                     const std::function<void(const std::wstring&)>& report) {
    return ConsoleCensus(options, interrupted, report).Run();
}

}  // namespace census
