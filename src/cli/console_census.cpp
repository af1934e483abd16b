#include "cli/console_census.h"

#include "app/census_line.h"
#include "app/census_walk.h"
#include "runtime/errors.h"
#include "runtime/text_file.h"

#include <windows.h>

#include <optional>

namespace census {

namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

bool SameText(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
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

// The walk's window, played by the list file.
class FileCensusHost : public CensusHost {
public:
    FileCensusHost(const CliOptions& options, const std::wstring& folder, ListFileWriter& writer,
                   CensusState& state, const std::atomic<bool>& interrupted)
        : relative_(options.relative), folder_(folder), writer_(writer), state_(state), interrupted_(interrupted) {
        const std::wstring& temp = writer_.TemporaryName();
        size_t slash = temp.find_last_of(L'\\') + 1;
        temp_folder_ = temp.substr(0, slash);
        temp_name_ = temp.substr(slash);
    }

    bool FullPaths() override { return !relative_; }

    void FileListed(const std::wstring& line) override {
        if (!IsOwnTemporary(line)) writer_.AddLine(line);
    }

    void EntryDone() override {
        if (interrupted_.load(std::memory_order_relaxed)) state_.StopRequested = true;
    }

private:
    // A list written into the folder being walked would otherwise list its
    // own unfinished copy.
    bool IsOwnTemporary(const std::wstring& line) const {
        if (line.size() < temp_name_.size() || line.compare(line.size() - temp_name_.size(), temp_name_.size(),
                                                            temp_name_) != 0)
            return false;
        std::wstring full = relative_ ? folder_ + line : line;
        std::wstring file_folder = full.substr(0, full.size() - temp_name_.size());
        return SameText(ExtendedFolderPath(file_folder), temp_folder_);
    }

    bool relative_;
    std::wstring folder_;  // ends with "\"
    ListFileWriter& writer_;
    CensusState& state_;
    const std::atomic<bool>& interrupted_;
    std::wstring temp_folder_, temp_name_;
};

class ConsoleCensus {
public:
    ConsoleCensus(const CliOptions& options, const std::atomic<bool>& interrupted,
                  const std::function<void(const std::wstring&)>& report)
        : options_(options), interrupted_(interrupted), report_(report) {}

    int Run() {
        // Lines carry full paths, as the window's do, whatever form the folder was given in.
        const std::wstring folder = WithTrailingBackslash(FullPath(options_.folder));
        if (auto problem = FolderProblem(options_.folder, ExtendedFolderPath(folder))) return Fail(*problem);
        if (IsFolder(options_.out)) return Fail(Quoted(options_.out) + L" - это каталог; укажите имя файла списка");
        try {
            return Write(folder);
        } catch (const FileCreateError& e) {
            return Fail(L"не удалось записать файл " + Quoted(options_.out) + L": " + SystemErrorMessage(e.Code()));
        } catch (const StreamWriteError&) {
            return Fail(L"не удалось записать файл " + Quoted(options_.out) +
                        L": запись прервалась (нет места на диске?); прежний файл не изменён");
        }
    }

private:
    int Write(const std::wstring& folder) {
        ListFileWriter writer(options_.out, options_.utf8 ? ListEncoding::Utf8 : ListEncoding::CodePage1251);
        CensusState state;
        FileCensusHost host(options_, folder, writer, state, interrupted_);
        CensusWalk(state, host).Run(folder);
        // Checked once more after the walk: a request that came during its last entry still counts.
        if (interrupted_.load()) return Fail(L"перепись прервана; файл " + Quoted(options_.out) + L" не изменён");
        writer.Commit();
        if (writer.LinesReplaced() == 0) return kExitLossless;
        report_(ReplacedMessage(writer.LinesReplaced(), options_.utf8));
        return kExitCharsReplaced;
    }

    static bool IsFolder(const std::wstring& path) {
        DWORD attrs = ::GetFileAttributesW(ExtendedPathOf(path).c_str());
        return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
    }

    static std::wstring ExtendedPathOf(const std::wstring& path) {
        std::wstring folder = ExtendedFolderPath(path);
        return folder.substr(0, folder.size() - 1);
    }

    int Fail(const std::wstring& why) {
        report_(why);
        return kExitFailed;
    }

    const CliOptions& options_;
    const std::atomic<bool>& interrupted_;
    const std::function<void(const std::wstring&)>& report_;
};

}  // namespace

int RunConsoleCensus(const CliOptions& options, const std::atomic<bool>& interrupted,
                     const std::function<void(const std::wstring&)>& report) {
    return ConsoleCensus(options, interrupted, report).Run();
}

}  // namespace census
