#include "cli/cli_arguments.h"

#include <algorithm>

namespace census {

namespace {

bool IsOption(const std::wstring& arg) { return !arg.empty() && (arg[0] == L'/' || arg[0] == L'-'); }

// The option's name after its "/" or "-", in ASCII lower case.
std::wstring OptionName(const std::wstring& arg) {
    std::wstring name = arg.substr(1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; });
    return name;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

class Parser {
public:
    explicit Parser(const std::vector<std::wstring>& args) : args_(args) {}

    ParsedArguments Parse() {
        // "/?" anywhere asks for the usage alone.
        for (const std::wstring& arg : args_)
            if (IsOption(arg) && OptionName(arg) == L"?") return {CliOptions{.help = true}, {}};
        for (next_ = 0; next_ < args_.size() && result_.error.empty();) Take(args_[next_++]);
        if (result_.error.empty()) CheckComplete();
        return result_;
    }

private:
    void Take(const std::wstring& arg) {
        if (!IsOption(arg)) return TakeFolder(arg);
        const std::wstring name = OptionName(arg);
        if (name == L"out") return TakeOut(arg);
        if (name == L"relative") return TakeFlag(arg, seen_relative_, result_.options.relative);
        if (name == L"utf8") return TakeFlag(arg, seen_utf8_, result_.options.utf8);
        Fail(L"неизвестный ключ " + Quoted(arg) + L" (справка: /?)");
    }

    void TakeFolder(const std::wstring& arg) {
        if (!result_.options.folder.empty())
            return Fail(L"лишний аргумент " + Quoted(arg) + L": каталог уже указан (" +
                        Quoted(result_.options.folder) + L")");
        result_.options.folder = arg;
    }

    void TakeOut(const std::wstring& arg) {
        if (seen_out_) return Fail(L"ключ " + arg + L" указан дважды");
        seen_out_ = true;
        if (next_ >= args_.size() || args_[next_].empty() || args_[next_][0] == L'/')
            return Fail(L"после ключа " + arg + L" нет имени файла");
        result_.options.out = args_[next_++];
    }

    void TakeFlag(const std::wstring& arg, bool& seen, bool& value) {
        if (seen) return Fail(L"ключ " + arg + L" указан дважды");
        seen = value = true;
    }

    void CheckComplete() {
        if (result_.options.folder.empty()) return Fail(L"не указан каталог (справка: /?)");
        if (!seen_out_) Fail(L"не указан файл списка: /out ФАЙЛ (справка: /?)");
    }

    void Fail(std::wstring why) { result_.error = std::move(why); }

    const std::vector<std::wstring>& args_;
    size_t next_ = 0;
    ParsedArguments result_;
    bool seen_out_ = false, seen_relative_ = false, seen_utf8_ = false;
};

}  // namespace

ParsedArguments ParseCliArguments(const std::vector<std::wstring>& args) { return Parser(args).Parse(); }

const std::wstring& CliUsage() {
    static const std::wstring usage =
        L"Перепись файлов каталога в текстовый файл, по строке на файл.\n"
        L"\n"
        L"census_cli КАТАЛОГ /out ФАЙЛ [/relative] [/utf8]\n"
        L"\n"
        L"  КАТАЛОГ    каталог, который обходится со всеми вложенными\n"
        L"  /out ФАЙЛ  куда записать список; прежний файл заменяется только целым новым списком\n"
        L"  /relative  пути относительно КАТАЛОГА (без него: полные пути)\n"
        L"  /utf8      UTF-8 с меткой порядка байтов (без него: кодировка 1251)\n"
        L"  /?         эта справка\n"
        L"\n"
        L"Ключи пишутся через \"/\" или \"-\", в любом регистре. Каталог, имя которого\n"
        L"начинается с \"-\", указывается как .\\-имя.\n"
        L"\n"
        L"Код выхода: 0 - список записан без потерь; 1 - записан, но некоторые символы\n"
        L"имён заменены на \"?\" (в кодировке 1251 их нет); 2 - ошибка в аргументах, каталог\n"
        L"не найден или не читается, файл не записан, или перепись прервана (Ctrl+C,\n"
        L"закрытие консоли); прежний ФАЙЛ тогда не изменён.";
    return usage;
}

}  // namespace census
